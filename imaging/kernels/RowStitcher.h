#pragma once
// Stitchers assemble one output row from the lines (or columns) of tiles:
// the composers give each stitcher a destination row, then hand it one run of
// pixels per tile. Callers never name a concrete class: createRowStitcher
// (KernelFactories.h) picks one by data type, direction and transparency.
//
// Directions: 0 along a line, left to right; 1 along a line, right to left
// (the destination fills from its far end backwards); 2 and 3 down a column,
// the destination filling forwards (2) or backwards from its far end (3).
// Positions and counts are in pixels (bits for 1-bit rows); a count below 1
// writes nothing.
#include <cstdint>

namespace Omvi
{

class RowStitcher
{
public:
    virtual ~RowStitcher();

    // Where the source pixels lie in the tile data handed to stitch: row
    // stitchers read line `index` of data whose lines are `bytesPerLine`
    // apart; column stitchers read column `index` of such data.
    virtual void setSource(std::int32_t bytesPerLine, std::int32_t index) = 0;
    // The `count` pixels of `row` from `start` receive the next stitches.
    // Directions 1 and 3 write from start + count - 1 backwards.
    virtual void setDestination(std::uint8_t* row, std::int32_t start, std::int32_t count) = 0;
    // Appends `count` pixels to the destination: taken along the source line
    // from pixel `start` (row stitchers) or down the source column from line
    // `start` (column stitchers). The destination position moves on by count.
    virtual void stitch(const std::uint8_t* tileData, std::int32_t start, std::int32_t count) = 0;
};

// The opaque column stitchers: besides the destination they can fill a strip,
// a second row that receives the neighbouring column in the same pass.
class ColumnStitcher : public RowStitcher
{
public:
    // Each stitched pixel's neighbour in the source line (the pixel to the
    // right when `side` is 1 or more, to the left when it is below 1) goes to
    // the same position of `strip` as the pixel goes to in the destination
    // row. A null strip turns it off. The caller keeps the neighbouring
    // column inside the tile data.
    virtual void setStripDestination(std::uint8_t* strip, std::int32_t side) = 0;
};

} // namespace Omvi
