#include "imaging/images/TileHold.h"

#include "imaging/images/TiledImage.h"

namespace Omvi
{

TileHold::TileHold(TiledImage& image, const TileIndex& index, bool exclusive)
    : image_(image), exclusive_(exclusive), locked_(image.tileTable().locking())
{
    tile_ = exclusive ? image.lockTileExclusive(index.row, index.column)
                      : image.lockTileShared(index.row, index.column);
}

TileHold::TileHold(TiledImage& image, Tile* tile, bool exclusive, bool locked)
    : image_(image), tile_(tile), exclusive_(exclusive), locked_(locked)
{
}

TileHold::~TileHold()
{
    if (!locked_)
        return;
    if (exclusive_)
        image_.unlockTileExclusive(tile_);
    else
        image_.unlockTileShared(tile_);
}

bool TileHold::keep()
{
    const bool locked = locked_;
    locked_ = false;
    return locked;
}

} // namespace Omvi
