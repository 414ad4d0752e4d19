#pragma once
// Shearers move a row (or, in the vertical form, every column) by a fraction
// of a pixel without multiplying: the caller's 256-byte tables give, for each
// sample value v, the part t[v] of it that moves on to the neighbour. Widths
// are in bytes: pixels for 8-bit rows, 4 x pixels for 32-bit rows. All
// arithmetic is per byte, modulo 256; with weight tables (t[v] a fraction of
// v) nothing ever wraps.
#include <cstdint>

namespace Omvi
{

class RowShearer
{
public:
    virtual ~RowShearer();

    // Walking the row from its last pixel to its first with a carry that
    // starts at 0: output[i] = input[i] - t[input[i]] + carry, then carry =
    // t[input[i]]; 32-bit pixels do this for each of their four bytes.
    // `output` may lie at or to the right of `input` in the same buffer (the
    // row sheared into itself).
    virtual void shearRow(std::uint8_t* output, const std::uint8_t* input, const std::uint8_t* table) = 0;
    // The vertical form: for each column x, v = inputLines[lineIndex[x]][x];
    // output[x] = v - tables[256 x + v] + carries[x]; carries[x] =
    // tables[256 x + v]. 32-bit rows do this for each byte of pixel x with
    // table x, and keep four carry bytes per pixel.
    virtual void shearColumns(std::uint8_t* output, const std::uint8_t* const* inputLines,
                              const std::int32_t* lineIndex, const std::uint8_t* tables,
                              std::uint8_t* carries) = 0;
    // Scratch memory for the caller (the vertical shear's carries): null for
    // a negative size or when memory is short. Give it back with freeScratch.
    virtual void* allocateScratch(std::int32_t bytes) = 0;
    virtual void freeScratch(void* scratch) = 0;
};

} // namespace Omvi
