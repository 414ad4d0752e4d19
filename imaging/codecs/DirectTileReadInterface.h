#pragma once
// The second base of frames whose file stores square tiles that an image can
// page straight from.
#include <cstdint>

namespace Omvi
{

class DirectTileReadInterface
{
public:
    // 0
    virtual ~DirectTileReadInterface() = default;
    // 1: the tile width when tiles are square, else 0.
    virtual int tileSize() const = 0;
    // 2: reads and decodes the stored tile at (tile row, tile column) into
    // `buffer` (one 32-bit word per pixel for RGB); false when nothing was
    // read.
    virtual bool readTile(int tileRow, int tileColumn, std::uint8_t* buffer) = 0;
};

} // namespace Omvi
