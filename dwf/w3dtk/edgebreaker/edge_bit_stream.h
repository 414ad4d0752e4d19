#pragma once

// The bit stream of the edge-breaker block's point and normal data: the bit
// packer's layout (codes most significant bit first in little-endian 32-bit
// words) over a part of the block the caller owns, plus ladder codes.
//
// A ladder is a list of widths. A value is written with the first width n
// whose range -half[n] .. half[n] holds it, as value + half[n]; every width
// before it is spent on its all-ones code, which escapes to the next width.
// Small residuals thus cost a few bits and large ones a few escapes more.

#include "dwf/w3dtk/geometry/bit_packer.h"

#include <cstdint>
#include <initializer_list>

namespace w3d::eb
{

// A list of widths, each 1..32.
struct Ladder
{
    const int* widths;
    int count;
};

// Residuals of points and normals: 2, 6, 10, 14, 18, 22, 26, 31. Values beyond
// +-(2^30 - 1) cannot be written.
extern const Ladder ResidualLadder;
// The residual ladder as the decoder reads it: one width of 32 more, so that
// an escaped 31-bit code still reads.
extern const Ladder ResidualReadLadder;
// Counts and raw codes: 16, 31, 32 (values up to +-(2^31 - 1)).
extern const Ladder CountLadder;

class EdgeBitStream
{
public:
    // Writing into `capacity_bytes` bytes at `bytes` (whole words).
    static EdgeBitStream for_writing(std::uint8_t* bytes, int capacity_bytes)
    {
        return EdgeBitStream(BitPacker::for_writing(bytes, capacity_bytes));
    }
    // Reading `length` bytes (whole words) at `bytes`.
    static EdgeBitStream for_reading(const std::uint8_t* bytes, int length)
    {
        return EdgeBitStream(BitPacker::for_reading(bytes, length));
    }

    void put(int n, std::uint32_t code) { m_packer.put(n, code); }
    std::uint32_t get(int n) { return m_packer.get(n); }

    // False, writing nothing, when no width of the ladder holds `value`.
    bool put_ladder(long long value, const Ladder& ladder);
    // False when the stream ends first or every width of the ladder escapes.
    bool get_ladder(const Ladder& ladder, long long& value);

    // False once a put found no room or a get ran past the end.
    bool ok() const { return m_packer.ok(); }
    // Bytes holding what was written: every word touched.
    int packed_bytes() const { return m_packer.packed_bytes(); }

private:
    explicit EdgeBitStream(BitPacker packer) : m_packer(packer) {}

    BitPacker m_packer;
};

} // namespace w3d::eb
