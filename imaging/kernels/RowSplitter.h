#pragma once
// Splitters cut an incoming row into the lines (or columns) of tiles: the
// decomposers set the row as the source, then ask for one piece per tile.
// Callers never name a concrete class: createRowSplitter and
// createBlendRowSplitter (KernelFactories.h) pick one.
//
// Directions: 0 copies the row as it is; 1 mirrors it, reading it from its
// right-hand end: the piece at source offset s of count n is the row's
// pixels length - 1 - s down to length - n - s. So a caller cuts a row into
// the same pieces (same offsets, same tile positions) in both directions.
// The column splitters write down a tile column instead of along a line:
// direction 2 as 0, direction 3 mirrored as 1. Transparent splitters follow
// the same mapping and leave the tile pixel alone where the source pixel is
// transparent. Positions and counts are in pixels (bits for 1-bit rows); a
// count below 1 writes nothing.
#include <cstdint>

namespace Omvi
{

class RowSplitter
{
public:
    virtual ~RowSplitter();

    // The row that the next splits cut up, and its length in pixels (the
    // mirrored directions count from its end).
    virtual void setSource(const std::uint8_t* row, std::int32_t rowLength) = 0;
    // Column splitters: the tile lines are `bytesPerLine` apart and the
    // pieces go down tile column `column`. Row splitters ignore it.
    virtual void setColumn(std::int32_t bytesPerLine, std::int32_t column);
    // Copies `count` pixels of the source row, from `sourceOffset` (mirrored
    // for directions 1 and 3), into `tileLine` from pixel `linePosition` on;
    // for column splitters `tileLine` is the tile's first line and
    // `linePosition` the first line written.
    virtual void split(std::uint8_t* tileLine, std::int32_t linePosition, std::int32_t sourceOffset,
                       std::int32_t count) = 0;
};

// The column splitters can draw two source rows in one pass, into two
// neighbouring tile columns.
class ColumnSplitter : public RowSplitter
{
public:
    // A second row, of the same length as the source row, whose pixels go to
    // the column to the right (`side` 1 or more) or to the left (below 1) of
    // the one set by setColumn, at the same lines. A null row turns it off;
    // otherwise it stays until replaced.
    virtual void setSecondSource(const std::uint8_t* row, std::int32_t side) = 0;
};

} // namespace Omvi
