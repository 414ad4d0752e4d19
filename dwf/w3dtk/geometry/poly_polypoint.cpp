#include "dwf/w3dtk/geometry/poly_polypoint.h"

#include "dwf/w3dtk/geometry/bit_packer.h"
#include "dwf/w3dtk/geometry/poly_polypoint_shared.h"
#include "dwf/w3dtk/geometry/quantiser.h"
#include "dwf/w3dtk/records/record_steps.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>
#include <climits>
#include <new>

namespace
{
using namespace w3d::eb;
using namespace w3d::geometry::polypoint;
} // namespace

TK_PolyPolypoint::TK_PolyPolypoint(int opcode) : BBaseOpcodeHandler(opcode) {}

void TK_PolyPolypoint::Reset()
{
    m_point_count = 0;
    m_points.clear();
    m_expanded = true;
    m_lengths.clear();
    m_line_count = 0;
    m_length_sum = 0;
    m_subop = 0;
    m_stored_axes = 3;
    m_float_count = 0;
    m_floats.clear();
    m_scheme = Raw;
    std::fill(m_box, m_box + 6, 0.0f);
    m_bits = 0;
    m_packed_length = 0;
    m_leftover_range[0] = m_leftover_range[1] = 0;
    m_leftover_length = 0;
    BBaseOpcodeHandler::Reset();
}

void TK_PolyPolypoint::SetPoints(int count, const float* points)
{
    m_point_count = std::max(count, 0);
    m_expanded = true;
    m_points.assign(static_cast<std::size_t>(m_point_count) * 3, 0.0f);
    if (points)
        std::copy(points, points + m_points.size(), m_points.begin());
}

void TK_PolyPolypoint::SetLineLengths(int count, const int* lengths)
{
    m_lengths.assign(lengths, lengths + std::max(count, 0));
}

TK_Status TK_PolyPolypoint::Execute(BStreamFileToolkit& tk)
{
    for (std::size_t line = 0; line < m_lengths.size(); ++line)
        TK_TRY(tk.append_last_key(-1));
    return TK_Done;
}

// ---- axis reduction

int TK_PolyPolypoint::analyse_axes() const
{
    if (m_point_count == 0)
        return 0;
    bool constant[3] = {true, true, true};
    int start = 0;
    for (int const length : m_lengths)
    {
        if (!constant[0] && !constant[1] && !constant[2])
            return 0;
        const float* first = &m_points[static_cast<std::size_t>(start) * 3];
        for (int p = 1; p < length; ++p)
            for (int axis = 0; axis < 3; ++axis)
                if (first[3 * p + axis] != first[axis])
                    constant[axis] = false;
        start += length;
    }
    int subop = 0;
    for (int axis = 0; axis < 3; ++axis)
    {
        if (!constant[axis])
            continue;
        float const very_first = m_points[static_cast<std::size_t>(axis)];
        bool everywhere = true;
        start = 0;
        for (int const length : m_lengths)
        {
            if (length > 0 && m_points[static_cast<std::size_t>(start) * 3 + axis] != very_first)
                everywhere = false;
            start += length;
        }
        int const form = !everywhere ? Per_Line : very_first == 0.0f ? Zero : Constant;
        subop |= form << (8 + 2 * axis);
    }
    return subop;
}

TK_Status TK_PolyPolypoint::figure_floats(BStreamFileToolkit& tk)
{
    int const lines = static_cast<int>(m_lengths.size());
    if (lines < 1)
        return tk.Error(No_Lines);
    m_stored_axes = 0;
    long long floats = 0;
    for (int axis = 0; axis < 3; ++axis)
        switch (AxisForm(m_subop, axis))
        {
        case Stored:
            ++m_stored_axes;
            floats += m_point_count;
            break;
        case Per_Line:
            floats += lines;
            break;
        case Constant:
            floats += 1;
            break;
        default:
            break;
        }
    m_float_count = static_cast<int>(floats); // at most 3 x 2^24
    return TK_Done;
}

void TK_PolyPolypoint::reduce()
{
    m_floats.clear();
    m_floats.reserve(static_cast<std::size_t>(m_float_count));
    for (int p = 0; p < m_point_count; ++p)
        for (int axis = 0; axis < 3; ++axis)
            if (AxisForm(m_subop, axis) == Stored)
                m_floats.push_back(m_points[static_cast<std::size_t>(p) * 3 + axis]);
    for (int axis = 0; axis < 3; ++axis)
    {
        int const form = AxisForm(m_subop, axis);
        if (form == Constant)
            m_floats.push_back(m_points[static_cast<std::size_t>(axis)]);
        else if (form == Per_Line)
        {
            int start = 0;
            for (int const length : m_lengths)
            {
                m_floats.push_back(length > 0 ? m_points[static_cast<std::size_t>(start) * 3 + axis]
                                              : 0.0f);
                start += length;
            }
        }
    }
}

const std::vector<float>& TK_PolyPolypoint::GetPoints() const
{
    if (!m_expanded)
    {
        expand();
        m_expanded = true;
    }
    return m_points;
}

void TK_PolyPolypoint::expand() const
{
    int base[3] = {0, 0, 0};   // where an axis's constants start
    int column[3] = {0, 0, 0}; // a stored axis's place within a point
    int offset = m_stored_axes * m_point_count;
    int stored = 0;
    for (int axis = 0; axis < 3; ++axis)
    {
        int const form = AxisForm(m_subop, axis);
        if (form == Stored)
            column[axis] = stored++;
        base[axis] = offset;
        if (form == Per_Line)
            offset += static_cast<int>(m_lengths.size());
        else if (form == Constant)
            offset += 1;
    }
    m_points.assign(static_cast<std::size_t>(m_point_count) * 3, 0.0f);
    std::size_t p = 0;
    for (std::size_t line = 0; line < m_lengths.size(); ++line)
        for (int i = 0; i < m_lengths[line]; ++i, ++p)
            for (int axis = 0; axis < 3; ++axis)
            {
                float value = 0.0f;
                switch (AxisForm(m_subop, axis))
                {
                case Stored:
                    value = m_floats[p * static_cast<std::size_t>(m_stored_axes) +
                                     static_cast<std::size_t>(column[axis])];
                    break;
                case Constant:
                    value = m_floats[static_cast<std::size_t>(base[axis])];
                    break;
                case Per_Line:
                    value = m_floats[static_cast<std::size_t>(base[axis]) + line];
                    break;
                default:
                    break;
                }
                m_points[p * 3 + static_cast<std::size_t>(axis)] = value;
            }
}

TK_Status TK_PolyPolypoint::take_world_box(BStreamFileToolkit& tk)
{
    const float* world = tk.GetWorldBounding();
    if (!world)
        return tk.Error("error in TK_PolyPolypoint::read_compressed_points: global quantization "
                        "requested without bounding");
    // The stored axes' own minima and maxima, in the record's box layout.
    int k = 0;
    for (int axis = 0; axis < 3; ++axis)
        if (AxisForm(m_subop, axis) == Stored)
        {
            m_box[k] = world[axis];
            m_box[m_stored_axes + k] = world[3 + axis];
            ++k;
        }
    return TK_Done;
}

// ---- writing

TK_Status TK_PolyPolypoint::prepare_write(BStreamFileToolkit& tk)
{
    TK_TRY(CheckCount(tk, m_point_count, Bad_Point_Count));
    if (m_points.size() != static_cast<std::size_t>(m_point_count) * 3)
        return tk.Error("TK_PolyPolypoint points do not match their count");
    int const lines = static_cast<int>(m_lengths.size());
    TK_TRY(CheckCount(tk, lines, Bad_Line_Count));
    int sum = 0;
    for (int const length : m_lengths)
        TK_TRY(CheckSum(tk, sum, length, Bad_Lengths, m_point_count));
    if (sum != m_point_count)
        return tk.Error(Bad_Lengths);
    if ((m_subop & Single_Line) && lines != 1)
        return tk.Error("TK_PolyPolypoint single line option with several lines");

    m_subop &= Caller_Options;
    if (tk.GetTargetVersion() < Global_Since_Version || !tk.GetWorldBounding())
        m_subop &= ~Global_Quantisation;
    m_subop |= analyse_axes();
    TK_TRY(figure_floats(tk));
    try
    {
        reduce();
    }
    catch (const std::bad_alloc&)
    {
        return tk.Error("memory allocation failed in TK_PolyPolypoint::Write");
    }
    m_scheme = (m_subop & Compressed) ? Quantised : Raw;
    if (m_scheme == Raw)
        return TK_Done;

    m_bits = tk.GetNumVertexBits() / 3;
    if (m_bits < 1 || m_bits > 32)
        return tk.Error(Bad_Bits);
    int const leftovers = leftover_count();
    // Two or more leftovers are quantised against their own range, which a
    // globally quantised record would not carry: such a record carries boxes.
    if (leftovers >= 2)
        m_subop &= ~Global_Quantisation;
    std::fill(m_box, m_box + 6, 0.0f);
    if (m_subop & Global_Quantisation)
        TK_TRY(take_world_box(tk));
    m_packed_length = 0;
    if (m_stored_axes > 0)
        TK_TRY(quantize_and_pack_floats(tk, m_point_count, m_stored_axes, m_floats.data(), m_box,
                                        m_bits, m_box, m_packed, &m_packed_length));
    m_leftover_length = 0;
    if (leftovers >= 2)
        TK_TRY(quantize_and_pack_floats(
            tk, leftovers, 1,
            m_floats.data() + static_cast<std::ptrdiff_t>(m_stored_axes) * m_point_count, nullptr,
            m_bits, m_leftover_range, m_leftover_packed, &m_leftover_length));
    return TK_Done;
}

TK_Status TK_PolyPolypoint::Write(BStreamFileToolkit& tk)
{
    // Decided by the first step: tested afresh in every step.
    auto quantised = [this] { return m_scheme == Quantised; };
    auto leftovers = [this] { return leftover_count(); };
    switch (m_stage)
    {
    case 0:
        if (tk.GetTargetVersion() < Since_Version)
            return TK_Done;
        TK_TRY(prepare_write(tk));
        TK_TRY(PutOpcode(tk, static_cast<int>(m_lengths.size())));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, static_cast<unsigned short>(m_subop)));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_point_count));
        ++m_stage;
        [[fallthrough]];
    case 3:
        if (m_subop & Has_Line_Count)
            TK_TRY(PutData(tk, static_cast<int>(m_lengths.size())));
        ++m_stage;
        [[fallthrough]];
    case 4:
        if (!(m_subop & Single_Line))
            TK_TRY(tk_steps::PutAll(tk, m_lengths, static_cast<int>(m_lengths.size())));
        ++m_stage;
        [[fallthrough]];
    case 5:
        if (m_subop & Compressed)
            TK_TRY(PutData(tk, static_cast<unsigned char>(m_scheme)));
        ++m_stage;
        [[fallthrough]];
    case 6:
        if (!quantised())
            TK_TRY(tk_steps::PutAll(tk, m_floats, m_float_count));
        else if (!(m_subop & Global_Quantisation))
            TK_TRY(PutData(tk, m_box, 2 * m_stored_axes));
        ++m_stage;
        [[fallthrough]];
    case 7:
        if (quantised())
            TK_TRY(PutData(tk, m_bits));
        ++m_stage;
        [[fallthrough]];
    case 8:
        if (quantised())
            TK_TRY(PutData(tk, m_packed_length));
        ++m_stage;
        [[fallthrough]];
    case 9:
        if (quantised())
            TK_TRY(tk_steps::PutAll(tk, m_packed, m_packed_length));
        ++m_stage;
        [[fallthrough]];
    case 10:
        if (quantised() && leftovers() == 1)
            TK_TRY(PutData(tk, m_floats[static_cast<std::size_t>(m_stored_axes) *
                                        static_cast<std::size_t>(m_point_count)]));
        else if (quantised() && leftovers() >= 2)
            TK_TRY(PutData(tk, static_cast<unsigned char>(1)));
        ++m_stage;
        [[fallthrough]];
    case 11:
        if (quantised() && leftovers() >= 2 && !(m_subop & Global_Quantisation))
            TK_TRY(PutData(tk, m_leftover_range, 2));
        ++m_stage;
        [[fallthrough]];
    case 12:
        if (quantised() && leftovers() >= 2)
            TK_TRY(PutData(tk, m_leftover_length));
        ++m_stage;
        [[fallthrough]];
    case 13:
        if (quantised() && leftovers() >= 2)
            TK_TRY(tk_steps::PutAll(tk, m_leftover_packed, m_leftover_length));
        ++m_stage;
        [[fallthrough]];
    case 14:
        TK_TRY(tk_steps::TagIfAsked(tk));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error("internal error in TK_Status TK_PolyPolypoint::Write");
    }
}

// ---- line-extend codes

TK_Status TK_PolyPolypoint::PackLineExtend(BStreamFileToolkit& tk, int count, int d,
                                           const float* values, float* box, int bits,
                                           std::vector<std::uint8_t>& packed, int& length)
{
    if (count < 0 || d < 1 || d > 3 || bits < 1 || bits > 31 || (count > 0 && !values))
        return tk.Error("bad line-extend parameters");
    int const size = word_bytes(static_cast<long long>(count) * d, bits + 1);
    if (size < 0)
        return tk.Error("bad line-extend parameters");
    length = 0;
    if (count == 0)
        return TK_Done;
    if (std::all_of(box, box + 2 * d, [](float value) { return value == 0.0f; }))
        for (int c = 0; c < d; ++c)
        {
            box[c] = box[d + c] = values[c];
            for (int p = 1; p < count; ++p)
            {
                float const value = values[static_cast<std::size_t>(p) * d + c];
                box[c] = std::min(box[c], value);
                box[d + c] = std::max(box[d + c], value);
            }
        }
    std::uint32_t const max_code = Bit_Mask[static_cast<std::size_t>(bits)];
    float scale[3];
    std::uint32_t previous[3] = {0, 0, 0};
    std::uint32_t before[3] = {0, 0, 0};
    for (int c = 0; c < d; ++c)
        scale[c] = quantisation_scale(box[c], box[d + c], bits);
    packed.assign(static_cast<std::size_t>(size), 0);
    BitPacker packer = BitPacker::for_writing(packed.data(), size);
    for (int p = 0; p < count; ++p)
        for (int c = 0; c < d; ++c)
        {
            std::uint32_t const code = quantise_value(values[static_cast<std::size_t>(p) * d + c],
                                                      box[c], scale[c], max_code);
            std::uint32_t const prediction = predicted(p, previous[c], before[c], max_code);
            packer.put(bits + 1, prediction - code + max_code);
            before[c] = previous[c];
            previous[c] = code;
        }
    if (!packer.ok())
        return tk.Error("internal error: line-extend codes overran their buffer");
    length = packer.packed_bytes();
    return TK_Done;
}
