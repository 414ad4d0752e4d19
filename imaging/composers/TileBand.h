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

// How the rows of a region walk through an image's bands: along a row,
// `length` pixels from `alongStart` cross the same tiles of every band (the
// first from `firstOffset`, the last up to `lastUsed`); the rows step across
// the bands a line at a time, from `acrossStart` or, `backwards`, from the
// last of `rows` lines. `down`: the bands are tile columns (a row runs down
// the image), else tile rows.
struct BandWalk
{
    BandWalk() = default;
    BandWalk(const TiledImage& image, bool down, bool backwards, std::int32_t alongStart, std::int32_t length,
             std::int32_t acrossStart, std::int32_t rows);

    // Tiles [first, first + count) of the current band.
    TileBand part(std::int32_t first, std::int32_t count) const;
    // The pixels of a row in tile k of the band: [pieceStart, pieceEnd),
    // from the row's pixel pieceOffset.
    std::int32_t pieceStart(std::int32_t k) const { return k == 0 ? firstOffset : 0; }
    std::int32_t pieceEnd(std::int32_t k) const { return k == bandTiles - 1 ? lastUsed : edge; }
    std::int32_t pieceOffset(std::int32_t k) const { return k == 0 ? 0 : edge - firstOffset + (k - 1) * edge; }
    // One line on; true when it starts the next band.
    bool step();
    // The image line (or column) the walk is at.
    std::int32_t line() const { return band * edge + withinBand; }

    bool down = false;
    bool backwards = false;
    std::int32_t edge = 0;
    std::int32_t tileBytes = 0;
    std::int32_t lineBytes = 0;
    std::int32_t firstTile = 0;
    std::int32_t bandTiles = 0;
    std::int32_t bands = 0;
    std::int32_t firstOffset = 0;
    std::int32_t lastUsed = 0;
    // The tile row (or column) of the current band, and the line (or
    // column) inside it.
    std::int32_t band = 0;
    std::int32_t withinBand = 0;
};

// Reads the band's tiles into `block` (count × bytes per tile). Contexts of
// the calling thread give back the tiles they hold first; tile-lock refusals
// and paging errors pass through; every lock taken is given back.
void readTileBand(TiledImage& image, const TileBand& band, std::uint8_t* block);

// Stores the band from `block`: a row-wise band with one run write, a
// column-wise band tile by tile.
void writeTileBand(TiledImage& image, const TileBand& band, const std::uint8_t* block);

} // namespace Omvi
