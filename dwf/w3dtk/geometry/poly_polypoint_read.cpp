// Reading a poly-polypoint: its line lengths, then its points plain,
// quantised against a box, or as line-extend codes, and the leftover axes.
#include "dwf/w3dtk/geometry/poly_polypoint.h"

#include "dwf/w3dtk/geometry/bit_packer.h"
#include "dwf/w3dtk/geometry/poly_polypoint_shared.h"
#include "dwf/w3dtk/geometry/quantiser.h"
#include "dwf/w3dtk/records/record_steps.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>
#include <new>

namespace
{
using namespace w3d::eb;
using namespace w3d::geometry::polypoint;

// The bytes the quantised form of count tuples of d values takes (the byte
// form for 8 bits and three values, whole words otherwise).
int quantised_bytes(int count, int d, int bits)
{
    if (count == 0 || d == 0)
        return 0;
    return packed_length(count, d, bits);
}
} // namespace

TK_Status TK_PolyPolypoint::read_line_lengths(BStreamFileToolkit& tk)
{
    if (m_subop & Single_Line)
    {
        if ((m_subop & Has_Line_Count) && m_line_count != 1)
            return tk.Error(Bad_Line_Count);
        m_lengths.assign(1, m_point_count);
        return TK_Done;
    }
    if (m_subop & Has_Line_Count)
    {
        TK_TRY(tk_steps::GetInSteps(tk, m_lengths, m_line_count, m_progress));
        int sum = 0;
        for (int const length : m_lengths)
            TK_TRY(CheckSum(tk, sum, length, Bad_Lengths, m_point_count));
        if (sum != m_point_count)
            return tk.Error(Bad_Lengths);
        return TK_Done;
    }
    // Lengths until they add up to the point count.
    while (m_length_sum < m_point_count)
    {
        int length = 0;
        TK_TRY(GetData(tk, length));
        TK_TRY(CheckSum(tk, m_length_sum, length, Bad_Lengths, m_point_count));
        if (m_lengths.size() >= static_cast<std::size_t>(Max_Count))
            return tk.Error(Bad_Line_Count);
        m_lengths.push_back(length);
    }
    return TK_Done;
}

TK_Status TK_PolyPolypoint::decode_points(BStreamFileToolkit& tk)
{
    try
    {
        m_floats.assign(static_cast<std::size_t>(m_float_count), 0.0f);
    }
    catch (const std::bad_alloc&)
    {
        return tk.Error("memory allocation failed in TK_PolyPolypoint::Read");
    }
    if (m_stored_axes == 0 || m_point_count == 0)
        return TK_Done;
    if (m_scheme == Quantised)
        return unpack_and_dequantize_floats(tk, m_point_count, m_stored_axes, m_bits, m_box,
                                            m_packed.data(), m_packed_length, m_floats.data());

    // Line-extend codes: each predicted from the two before it.
    std::uint32_t const max_code = Bit_Mask[static_cast<std::size_t>(m_bits)];
    int const d = m_stored_axes;
    float step[3];
    std::uint32_t previous[3] = {0, 0, 0};
    std::uint32_t before[3] = {0, 0, 0};
    for (int c = 0; c < d; ++c)
        step[c] = dequantisation_step(m_box[c], m_box[d + c], m_bits);
    BitPacker packer = BitPacker::for_reading(m_packed.data(), m_packed_length);
    float* out = m_floats.data();
    for (int p = 0; p < m_point_count; ++p)
        for (int c = 0; c < d; ++c)
        {
            std::uint32_t const prediction = predicted(p, previous[c], before[c], max_code);
            long long const u = packer.get(m_bits + 1);
            long long const code = static_cast<long long>(prediction) - (u - max_code);
            if (!packer.ok() || code < 0 || code > static_cast<long long>(max_code))
                return tk.Error(Unpack_Failed);
            auto const value = static_cast<std::uint32_t>(code);
            *out++ = dequantise_value(value, m_box[c], m_box[d + c], step[c], max_code);
            before[c] = previous[c];
            previous[c] = value;
        }
    return TK_Done;
}

TK_Status TK_PolyPolypoint::decode_leftovers(BStreamFileToolkit& tk)
{
    return unpack_and_dequantize_floats(
        tk, leftover_count(), 1, m_bits, m_leftover_range, m_leftover_packed.data(),
        m_leftover_length,
        m_floats.data() + static_cast<std::ptrdiff_t>(m_stored_axes) * m_point_count);
}

TK_Status TK_PolyPolypoint::Read(BStreamFileToolkit& tk)
{
    // Decided by the scheme step: tested afresh in every step.
    auto compressed = [this] { return m_scheme != Raw; };
    auto leftovers = [this] { return leftover_count(); };
    switch (m_stage)
    {
    case 0:
    {
        unsigned short subop = 0;
        TK_TRY(GetData(tk, subop));
        m_subop = subop;
        ++m_stage;
    }
        [[fallthrough]];
    case 1:
        TK_TRY(GetCheckedCount(tk, m_point_count, Bad_Point_Count));
        m_lengths.clear();
        m_length_sum = 0;
        m_progress = 0;
        ++m_stage;
        [[fallthrough]];
    case 2:
        if (m_subop & Has_Line_Count)
            TK_TRY(GetCheckedCount(tk, m_line_count, Bad_Line_Count));
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(read_line_lengths(tk));
        ++m_stage;
        [[fallthrough]];
    case 4:
    {
        unsigned char scheme = Raw;
        if (m_subop & Compressed)
            TK_TRY(GetData(tk, scheme));
        if (scheme != Raw && scheme != Quantised && scheme != Line_Extend)
            return tk.Error("unhandled compression scheme in TK_PolyPolypoint::Read");
        m_scheme = scheme;
        TK_TRY(figure_floats(tk));
        m_progress = 0;
        ++m_stage;
    }
        [[fallthrough]];
    case 5:
        if (!compressed())
        {
            TK_TRY(tk_steps::GetInSteps(tk, m_floats, m_float_count, m_progress));
            m_expanded = false;
            m_stage = -1;
            return TK_Done;
        }
        if (m_subop & Global_Quantisation)
            TK_TRY(take_world_box(tk));
        else
            TK_TRY(GetData(tk, m_box, 2 * m_stored_axes));
        ++m_stage;
        [[fallthrough]];
    case 6:
    {
        int bits = 0;
        TK_TRY(GetData(tk, bits));
        // Line-extend codes take one bit more than the values.
        if (bits < 1 || bits > (m_scheme == Line_Extend ? 31 : 32))
            return tk.Error(Bad_Bits);
        m_bits = bits;
        ++m_stage;
    }
        [[fallthrough]];
    case 7:
    {
        int length = 0;
        TK_TRY(GetData(tk, length));
        long long const codes = static_cast<long long>(m_point_count) * m_stored_axes;
        int const needed = m_scheme == Line_Extend
                               ? word_bytes(codes, m_bits + 1)
                               : quantised_bytes(m_point_count, m_stored_axes, m_bits);
        if (needed < 0 || length < needed || length > needed + 4)
            return tk.Error(Bad_Packed_Length);
        m_packed_length = length;
        m_progress = 0;
        ++m_stage;
    }
        [[fallthrough]];
    case 8:
        TK_TRY(tk_steps::GetInSteps(tk, m_packed, m_packed_length, m_progress));
        TK_TRY(decode_points(tk));
        ++m_stage;
        [[fallthrough]];
    case 9:
        if (leftovers() == 1)
            TK_TRY(GetData(tk, m_floats[static_cast<std::size_t>(m_stored_axes) *
                                        static_cast<std::size_t>(m_point_count)]));
        else if (leftovers() >= 2)
        {
            unsigned char ignored = 0;
            TK_TRY(GetData(tk, ignored));
            if (m_subop & Global_Quantisation)
                return tk.Error("TK_PolyPolypoint leftovers quantised without their range");
        }
        ++m_stage;
        [[fallthrough]];
    case 10:
        if (leftovers() >= 2)
            TK_TRY(GetData(tk, m_leftover_range, 2));
        ++m_stage;
        [[fallthrough]];
    case 11:
        if (leftovers() >= 2)
        {
            int length = 0;
            TK_TRY(GetData(tk, length));
            int const needed = packed_length(leftovers(), 1, m_bits);
            if (needed < 0 || length < needed || length > needed + 4)
                return tk.Error(Bad_Packed_Length);
            m_leftover_length = length;
            m_progress = 0;
        }
        ++m_stage;
        [[fallthrough]];
    case 12:
        if (leftovers() >= 2)
        {
            TK_TRY(tk_steps::GetInSteps(tk, m_leftover_packed, m_leftover_length, m_progress));
            TK_TRY(decode_leftovers(tk));
        }
        m_expanded = false;
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error("internal error in TK_PolyPolypoint::Read");
    }
}
