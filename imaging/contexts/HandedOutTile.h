#pragma once
// The tile copy a context's lockTile hands out: the tile's pixels as stored,
// loaded while the tile is held shared. When the image locks tiles the hold
// lasts until the copy is released or committed. Committing lets the hold
// go, has the image's contexts give the tile back and stores the copy.
#include "imaging/images/Tile.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class DataBuffer;
class ImageContextRep;
class TiledImage;

class HandedOutTile
{
public:
    HandedOutTile();
    ~HandedOutTile();
    HandedOutTile(const HandedOutTile&) = delete;
    HandedOutTile& operator=(const HandedOutTile&) = delete;

    bool held() const { return pixels_ != nullptr; }
    // Loads tile `index` of `image` into a copy of its own and answers the
    // copy's pixels. When the load throws nothing is held.
    std::uint8_t* take(TiledImage& image, const TileIndex& index);
    // The copy goes unwritten and the hold is let go (`image` null: the
    // image has no tiles to let go of). Never throws.
    void release(TiledImage* image) noexcept;
    // Lets the hold go, asks every context of `image` but `except` (null:
    // all of them) to give the tile back, and stores the copy, which then
    // goes. When the store throws the copy stays held, without the hold.
    void commit(TiledImage& image, const ImageContextRep* except);

private:
    std::unique_ptr<DataBuffer> pixels_;
    TileIndex index_;
    Tile* tile_ = nullptr;
    bool locked_ = false;
};

} // namespace Omvi
