#pragma once
// A tile's lock held for a scope. When the image's tile table locks tiles,
// the constructor takes the tile shared or exclusively (or adopts a lock its
// caller already holds) and the destructor lets it go, on every path, unless
// keep() hands the lock on to the caller. Without tile locking nothing is
// held. tile() may be replaced: a write that replaces a shared tile moves
// the lock with it (TiledImage::writeLockedTile).
#include "imaging/images/Tile.h"

namespace Omvi
{

class TiledImage;

class TileHold
{
public:
    TileHold(TiledImage& image, const TileIndex& index, bool exclusive);
    // Adopts the lock the caller holds on `tile` (`locked` false: none).
    TileHold(TiledImage& image, Tile* tile, bool exclusive, bool locked);
    ~TileHold();
    TileHold(const TileHold&) = delete;
    TileHold& operator=(const TileHold&) = delete;

    Tile*& tile() { return tile_; }
    // The lock outlives the hold, now the caller's to give back; answers
    // whether there is one.
    bool keep();

private:
    TiledImage& image_;
    Tile* tile_ = nullptr;
    bool exclusive_;
    bool locked_;
};

} // namespace Omvi
