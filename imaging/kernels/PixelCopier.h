#pragma once
// Copiers move runs of pixels between rows (and fill runs with one value);
// column copiers write a run down one column of a block of lines. Callers
// never name a concrete class: createPixelCopier, createBlender and
// createColumnPixelCopier (KernelFactories.h) pick one. Offsets and counts
// are in pixels (bits for 1-bit rows); a count below 1 writes nothing.
#include "imaging/models/ImagePixel.h"

#include <cstdint>

namespace Omvi
{

class PixelCopier
{
public:
    virtual ~PixelCopier();

    // `count` pixels from `source` at `sourceOffset` to `destination` at
    // `destinationOffset` (transparent copiers leave the destination alone
    // where the source pixel is transparent; blenders blend).
    virtual void copy(std::uint8_t* destination, std::int32_t destinationOffset,
                      const std::uint8_t* source, std::int32_t sourceOffset, std::int32_t count) = 0;
    // `count` pixels from `offset` set to `value` (its low bits of the
    // copier's size; 1-bit copiers set bits when the low byte is not 0;
    // blenders blend the colour in).
    virtual void fill(std::uint8_t* destination, std::int32_t offset, ImagePixel value, std::int32_t count) = 0;
};

class PixelColumnCopier
{
public:
    virtual ~PixelColumnCopier();

    // The destination's lines are `stride` bytes apart; runs go down column
    // `column`.
    virtual void setGeometry(std::int32_t stride, std::int32_t column) = 0;
    // `count` pixels of `source` from `sourceOffset` go down the column of
    // `destination` from line `firstLine`. Direction 2 takes the run forwards
    // (line firstLine + k gets source pixel sourceOffset + k); the other
    // directions take it backwards (it gets sourceOffset + count - 1 - k).
    virtual void copyColumn(std::uint8_t* destination, std::int32_t firstLine, const std::uint8_t* source,
                            std::int32_t sourceOffset, std::int32_t count) = 0;
};

} // namespace Omvi
