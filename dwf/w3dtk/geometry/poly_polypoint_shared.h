#pragma once

// What writing and reading a poly-polypoint share: its messages, the size of
// packed codes and the prediction of line-extend codes.

#include "dwf/w3dtk/geometry/bit_packer.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace w3d::geometry::polypoint
{
inline constexpr char Bad_Point_Count[] = "bad TK_PolyPolypoint point count";
inline constexpr char Bad_Line_Count[] = "bad TK_PolyPolypoint line count";
inline constexpr char Bad_Lengths[] = "bad TK_PolyPolypoint line lengths";
inline constexpr char Bad_Bits[] = "bad TK_PolyPolypoint bits per axis";
inline constexpr char Bad_Packed_Length[] = "bad TK_PolyPolypoint packed length";
inline constexpr char No_Lines[] = "internal error: m_primitive count must be initialized prior to "
                                   "calling TK_PolyPolypoint::figure_m_points_num_floats";
inline constexpr char Unpack_Failed[] = "error in bit unpacking for process_line_extend_points";

// The bytes of `codes` codes of `bits` bits in whole words; -1 beyond an int.
inline int word_bytes(long long codes, int bits)
{
    long long const size = w3d::eb::packed_size(codes, bits);
    return size < 0 || size > INT_MAX ? -1 : static_cast<int>(size);
}

// The code a line-extend point is predicted as from the two before it.
inline std::uint32_t predicted(long long count_done, std::uint32_t previous, std::uint32_t before,
                               std::uint32_t max_code)
{
    if (count_done == 0)
        return 0;
    if (count_done == 1)
        return previous;
    long long const guess = 2LL * previous - before;
    return static_cast<std::uint32_t>(std::clamp<long long>(guess, 0, max_code));
}

} // namespace w3d::geometry::polypoint
