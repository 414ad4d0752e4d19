#pragma once

// The header that opens an edge-breaker block, and the little-endian words of
// the block.
//
//   offset  width  field
//   0       u8     scheme: 0 up to version 650, 1 from 651 to 905, 2 from 906
//   1       u8     0
//   2       u8     point coding (schemes 0, 1: 1 ladder residuals, 0 raw 16-bit
//                  residuals or no points; scheme 2: 3 points, 0 none)
//   3       u8     normal coding (scheme 2: 3 normals, 0 none; else 0)
//   4       i32    op count (one op byte per triangle)
//   8       i32    side table length in bytes
//   12      i32    point data length in bytes
//   16      i32    vertex count of the coded order
//   20      i32    normal data length (schemes 1 and 2 only)
//
// Sections follow in order, each starting on a multiple of 4 bytes: the op
// bytes, the side table, the point data and (schemes 0 and 1) the normal data.

#include <cstdint>

namespace w3d::eb
{

inline void put_le32(std::uint8_t* at, std::uint32_t value)
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
    at[2] = static_cast<std::uint8_t>(value >> 16);
    at[3] = static_cast<std::uint8_t>(value >> 24);
}

inline std::uint32_t get_le32(const std::uint8_t* at)
{
    return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 |
           std::uint32_t{at[3]} << 24;
}

// x rounded up to a multiple of 4.
inline long long align4(long long x)
{
    return (x + 3) & ~3LL;
}

struct ShellHeader
{
    static constexpr int Scheme_Pre_651 = 0;
    static constexpr int Scheme_Separate_Normals = 1;
    static constexpr int Scheme_Geometry_Stream = 2;
    static constexpr int Coding_None = 0;
    static constexpr int Coding_Ladder = 1;  // schemes 0 and 1
    static constexpr int Coding_Stream = 3;  // scheme 2

    int scheme = 0;
    int point_coding = 0;
    int normal_coding = 0;
    int op_count = 0;
    int side_length = 0;
    int point_length = 0;
    int vertex_count = 0;
    int normal_length = 0;

    // The scheme a writer of `version` uses.
    static int scheme_for_version(int version)
    {
        return version <= 650 ? 0 : version <= 905 ? 1 : 2;
    }
    // 20 bytes in scheme 0, 24 in the others.
    static int size_of(int scheme) { return scheme == 0 ? 20 : 24; }
    int size() const { return size_of(scheme); }

    // Writes size() bytes.
    void write(std::uint8_t* out) const;
    // Reads a header from the `length` bytes at `block`: false when the block
    // is too short, the scheme unknown, the reserved byte not 0 or a count
    // negative.
    bool read(const std::uint8_t* block, long long length);
};

} // namespace w3d::eb
