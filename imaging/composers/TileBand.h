#pragma once
// A band of tiles: consecutive tiles of one tile row (a row-wise band) or of
// one tile column (a column-wise band). The composers and decomposers read a
// band into a block of memory a tile apart, and the decomposers store it
// back. Reading takes every tile shared for the time of the read only;
// tiles of one paging system and page set that follow one another are read
// with one vectored request, blank tiles are filled with the clear colour.
#include "imaging/images/Tile.h"

#include <cstdint>

namespace Omvi
{

class TiledImage;

struct TileBand
{
    // The first tile and the number of tiles; `down` walks a tile column.
    TileIndex first;
    std::int32_t count = 0;
    bool down = false;

    TileIndex at(std::int32_t k) const
    {
        return down ? TileIndex{first.row + k, first.column} : TileIndex{first.row, first.column + k};
    }
};

// Reads the band's tiles into `block` (count × bytes per tile). Contexts of
// the calling thread give back the tiles they hold first; tile-lock refusals
// and paging errors pass through; every lock taken is given back.
void readTileBand(TiledImage& image, const TileBand& band, std::uint8_t* block);

// Stores the band from `block`: a row-wise band with one run write, a
// column-wise band tile by tile.
void writeTileBand(TiledImage& image, const TileBand& band, const std::uint8_t* block);

} // namespace Omvi
