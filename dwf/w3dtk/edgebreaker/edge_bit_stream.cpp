#include "dwf/w3dtk/edgebreaker/edge_bit_stream.h"

namespace w3d::eb
{
namespace
{
const int Residual_Widths[] = {2, 6, 10, 14, 18, 22, 26, 31, 32};
const int Count_Widths[] = {16, 31, 32};

long long half_of(int width)
{
    return static_cast<long long>(Bit_Half[static_cast<std::size_t>(width)]);
}
} // namespace

const Ladder ResidualLadder{Residual_Widths, 8};
const Ladder ResidualReadLadder{Residual_Widths, 9};
const Ladder CountLadder{Count_Widths, 3};

bool EdgeBitStream::put_ladder(long long value, const Ladder& ladder)
{
    int last = -1;
    for (int k = 0; k < ladder.count; ++k)
    {
        long long const half = half_of(ladder.widths[k]);
        if (-half <= value && value <= half)
        {
            last = k;
            break;
        }
    }
    if (last < 0)
        return false;
    for (int k = 0; k < last; ++k)
        put(ladder.widths[k], Bit_Mask[static_cast<std::size_t>(ladder.widths[k])]);
    int const width = ladder.widths[last];
    put(width, static_cast<std::uint32_t>(value + half_of(width)));
    return true;
}

bool EdgeBitStream::get_ladder(const Ladder& ladder, long long& value)
{
    for (int k = 0; k < ladder.count; ++k)
    {
        int const width = ladder.widths[k];
        std::uint32_t const code = get(width);
        if (!ok())
            return false;
        if (code != Bit_Mask[static_cast<std::size_t>(width)])
        {
            value = static_cast<long long>(code) - half_of(width);
            return true;
        }
    }
    return false;
}

} // namespace w3d::eb
