#pragma once
// Where and how a bitmap's pixels lie in its file, as the reader frame
// found them: what its row iterators need to read any row.
#include <cstdint>

namespace Omvi
{

struct BmpLayout
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bits = 0;
    std::int64_t stride = 0;       // bytes of one stored row, padded to 4
    std::int64_t pixelOffset = 0;  // where the first stored row starts
    bool topDown = false;          // rows stored top row first (negative height)
    // 16-bit pixels: the red, green and blue masks.
    std::uint32_t masks[3] = {0, 0, 0};
    // 1-bit pixels: every bit flipped so that a set bit is black.
    bool invert = false;
    // 4-bit pixels: the 16 bytes delivered for the 16 values.
    std::uint8_t nibbleTable[16] = {};
    // 4- and 8-bit pixels: the colours of the table, which their values
    // must name.
    std::int32_t tableEntries = 256;

    std::int64_t dataEnd() const { return pixelOffset + stride * height; }
    // The file offset of image row `row` (0 the top row).
    std::int64_t rowOffset(std::int32_t row) const
    {
        return pixelOffset + stride * (topDown ? row : height - 1 - row);
    }
};

} // namespace Omvi
