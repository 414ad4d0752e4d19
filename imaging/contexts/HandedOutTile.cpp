#include "imaging/contexts/HandedOutTile.h"

#include "imaging/DataBuffer.h"
#include "imaging/images/TileHold.h"
#include "imaging/images/TiledImage.h"

namespace Omvi
{

HandedOutTile::HandedOutTile() = default;

HandedOutTile::~HandedOutTile() = default;

std::uint8_t* HandedOutTile::take(TiledImage& image, const TileIndex& index)
{
    auto pixels = std::make_unique<DataBuffer>(image.bytesPerTile());
    TileHold hold(image, index, false);
    image.loadTile(*hold.tile(), pixels->data());
    pixels_ = std::move(pixels);
    index_ = index;
    tile_ = hold.tile();
    locked_ = hold.keep();
    return pixels_->data();
}

void HandedOutTile::release(TiledImage* image) noexcept
{
    if (tile_ && locked_ && image)
        image->unlockTileShared(tile_);
    tile_ = nullptr;
    locked_ = false;
    pixels_.reset();
}

void HandedOutTile::commit(TiledImage& image, const ImageContextRep* except)
{
    // The shared hold goes before the store takes the tile exclusively.
    if (tile_ && locked_)
        image.unlockTileShared(tile_);
    tile_ = nullptr;
    locked_ = false;
    image.yieldContexts(except, &index_);
    image.writeTile(index_, pixels_->data());
    pixels_.reset();
}

} // namespace Omvi
