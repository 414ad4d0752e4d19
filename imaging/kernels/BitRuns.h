#pragma once
// Routines over runs of equal bits in 1-bit rows: pixel p of a row is bit
// 7 - p mod 8 of byte p / 8 (the leftmost pixel in the most significant
// bit). Positions and counts are in bits; a count below 1 does nothing.
// Uniform stretches (a scanned drawing is mostly paper) cost a fraction of a
// step per pixel: runs are found eight bytes and then a byte at a time and
// painted a byte at a time.
#include <cstdint>

namespace Omvi
{

// A bit inside a row: the byte and the bit's index in it (0 = the most
// significant bit, the leftmost pixel).
struct BitCursor
{
    const std::uint8_t* byte = nullptr;
    std::int32_t bit = 0;
};

inline int bitAt(const std::uint8_t* row, std::int64_t position)
{
    return (row[position >> 3] >> (7 - (position & 7))) & 1;
}

inline void setBitAt(std::uint8_t* row, std::int64_t position, int colour)
{
    const auto mask = static_cast<std::uint8_t>(0x80u >> (position & 7));
    if (colour != 0)
        row[position >> 3] |= mask;
    else
        row[position >> 3] &= static_cast<std::uint8_t>(~mask);
}

// The colour (0 or 1) of the bit at the cursor and the length of the run of
// that colour from there, at most `limit` bits (0 for a limit below 1, when
// nothing is read); the cursor ends after the run. No byte beyond the limit
// is read.
std::int32_t scanBitRun(BitCursor& cursor, int& colour, std::int32_t limit);

// Sets `count` bits from `position` to `colour` (0 or not 0).
void fillBitRun(std::uint8_t* row, int colour, std::int64_t position, std::int32_t count);

// Copies `count` bits run by run: scan, then fill.
void copyBitRuns(const std::uint8_t* source, std::int64_t sourcePosition, std::uint8_t* destination,
                 std::int64_t destinationPosition, std::int32_t count);
// The same, writing only the runs of 1 bits (0 bits are transparent).
void copyBitRunsTransparent(const std::uint8_t* source, std::int64_t sourcePosition, std::uint8_t* destination,
                            std::int64_t destinationPosition, std::int32_t count);

// Copies `count` bits: whole bytes when both positions are byte-aligned,
// shifted bytes when they are not, and the bits left over run by run.
void copyBits(std::uint8_t* destination, std::int64_t destinationPosition, const std::uint8_t* source,
              std::int64_t sourcePosition, std::int32_t count);

// ORs `count` bits into the destination: the same bits as
// copyBitRunsTransparent, a byte at a time whatever the runs.
void orBits(std::uint8_t* destination, std::int64_t destinationPosition, const std::uint8_t* source,
            std::int64_t sourcePosition, std::int32_t count);

// Copies `count` bits reversed: source bit sourcePosition + k lands on
// destination bit lastDestination - k (short stretches are scanned forwards
// run by run and painted backwards; long ones are reversed a byte at a time).
// With `onlyOnes` the 0 bits are skipped.
void copyBitsReversed(const std::uint8_t* source, std::int64_t sourcePosition, std::uint8_t* destination,
                      std::int64_t lastDestination, std::int32_t count, bool onlyOnes);

} // namespace Omvi
