#include "dwf/w2dtk/gouraud.h"

#include "dwf/w2dtk/drawable_attributes.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/origin.h"
#include "dwf/w2dtk/point_transform.h"

#include <algorithm>
#include <new>

namespace
{
// Vertices read from a binary operand per call of the file's read.
constexpr std::size_t Read_Batch = 512;

bool fits_16(const WT_Logical_Point& p)
{
    return p.m_x >= -32768 && p.m_x <= 32767 && p.m_y >= -32768 && p.m_y <= 32767;
}

void put_16(std::vector<std::uint8_t>& out, std::int32_t v)
{
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(std::uint32_t(v) >> 8));
}

void put_32(std::vector<std::uint8_t>& out, std::int32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(std::uint32_t(v) >> (8 * i)));
}

std::int32_t get_32(const std::uint8_t* p)
{
    return std::int32_t(std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) |
                        (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24));
}

std::int32_t get_16(const std::uint8_t* p)
{
    return std::int16_t(std::uint16_t(p[0] | (p[1] << 8)));
}
} // namespace

WT_Gouraud_Point_Set::WT_Gouraud_Point_Set(int count, const WT_Logical_Point* points,
                                           const WT_RGBA32* colors)
{
    if (count < 0 || (count > 0 && (!points || !colors)))
        throw WT_Result_Usage_Error;
    try
    {
        m_points.assign(points, points + count);
        m_colors.assign(colors, colors + count);
    }
    catch (const std::bad_alloc&)
    {
        throw WT_Result_Out_Of_Memory;
    }
}

WT_Result WT_Gouraud_Point_Set::write_vertices(WT_File& file, const char* name,
                                               std::uint8_t opcode_32, std::uint8_t opcode_16)
{
    if (m_points.empty())
        return WT_Result_Usage_Error; // a count of 0 has no encoding
    if (file.heuristics().m_apply_transform && !m_transformed)
    {
        try
        {
            for (WT_Logical_Point& p : m_points)
                wt_transform_point(p, file.heuristics().m_transform); // saturates
        }
        catch (WT_Result result)
        {
            return result;
        }
        m_transformed = true;
    }
    std::size_t const n = m_points.size();

    if (!file.binary_output() || n > Max_Binary_Count)
    {
        WT_CHECK(file.write_continuation_line());
        WT_CHECK(file.write("("));
        WT_CHECK(file.write(name));
        WT_CHECK(file.write(" "));
        WT_CHECK(file.write_ascii(std::int32_t(n)));
        for (std::size_t i = 0; i < n; ++i)
        {
            if (i % 3 == 0)
            {
                WT_CHECK(file.write_continuation_line());
                WT_CHECK(file.write("    "));
            }
            else
                WT_CHECK(file.write(" "));
            WT_CHECK(file.write_ascii(m_points[i]));
            WT_CHECK(file.write(" "));
            WT_CHECK(file.write_ascii_rgba(m_colors[i]));
        }
        return file.write(")");
    }

    // Deltas go to scratch: the set keeps its absolute points, so writing it
    // again gives the same bytes from the same current point.
    std::vector<WT_Logical_Point> deltas(n);
    bool rest_fit_16 = true;
    for (std::size_t i = 0; i < n; ++i)
    {
        deltas[i] = file.update_current_point(m_points[i]);
        if (i > 0 && !fits_16(deltas[i]))
            rest_fit_16 = false;
    }
    bool const first_fits = fits_16(deltas[0]);
    bool const use_16 = rest_fit_16 && (first_fits || n >= 3);
    if (use_16 && !first_fits)
    {
        // The reader moves its current point to the origin first.
        WT_Origin origin(m_points[0]);
        WT_CHECK(origin.serialize(file, false));
        deltas[0] = WT_Logical_Point(0, 0);
    }
    WT_CHECK(file.write_byte(use_16 ? opcode_16 : opcode_32));
    WT_CHECK(file.write_count(long(n)));
    std::vector<std::uint8_t> block;
    block.reserve(Read_Batch * 12);
    for (std::size_t i = 0; i < n; ++i)
    {
        if (use_16)
        {
            put_16(block, deltas[i].m_x);
            put_16(block, deltas[i].m_y);
        }
        else
        {
            put_32(block, deltas[i].m_x);
            put_32(block, deltas[i].m_y);
        }
        WT_RGBA32 const c = m_colors[i];
        block.insert(block.end(), {std::uint8_t(c.red()), std::uint8_t(c.green()),
                                   std::uint8_t(c.blue()), std::uint8_t(c.alpha())});
        if (block.size() >= Read_Batch * 12)
        {
            WT_CHECK(file.write(block.size(), block.data()));
            block.clear();
        }
    }
    return file.write(block.size(), block.data());
}

WT_Result WT_Gouraud_Point_Set::finish_read(WT_File& file)
{
    m_stage = Count;
    m_transformed = false;
    if (file.heuristics().m_apply_transform)
    {
        bool fits = true;
        try
        {
            for (WT_Logical_Point& p : m_points)
                fits = wt_transform_point(p, file.heuristics().m_transform) && fits;
        }
        catch (WT_Result)
        {
            return WT_Result_Not_Available;
        }
        if (!fits)
            return WT_Result_Corrupt_Stream;
        m_transformed = true;
    }
    return WT_Result_Success;
}

WT_Result WT_Gouraud_Point_Set::read_binary(WT_File& file, bool sixteen_bit, bool skipping)
{
    std::size_t const vertex_bytes = sixteen_bit ? 8 : 12;
    if (m_stage == Count)
    {
        long count = 0;
        WT_CHECK(file.read_count(count));
        if (skipping)
        {
            file.skip(std::uint64_t(count) * vertex_bytes);
            return WT_Result_Success;
        }
        // The count form carries 1 to 65,791: a bounded allocation.
        m_points.clear();
        m_colors.clear();
        m_points.reserve(std::size_t(count));
        m_colors.reserve(std::size_t(count));
        m_expected = count;
        m_stage = Vertices;
    }
    bool const blue_first = file.stream_version() < 33;
    while (long(m_points.size()) < m_expected)
    {
        std::size_t const n = std::min(Read_Batch, std::size_t(m_expected) - m_points.size());
        std::uint8_t block[Read_Batch * 12];
        WT_CHECK(file.read(n * vertex_bytes, block));
        for (std::size_t i = 0; i < n; ++i)
        {
            const std::uint8_t* v = block + i * vertex_bytes;
            WT_Logical_Point const delta = sixteen_bit ? WT_Logical_Point(get_16(v), get_16(v + 2))
                                                       : WT_Logical_Point(get_32(v), get_32(v + 4));
            const std::uint8_t* c = v + (sixteen_bit ? 4 : 8);
            m_points.push_back(file.de_relativize(delta));
            m_colors.push_back(blue_first ? WT_RGBA32(c[2], c[1], c[0], c[3])
                                          : WT_RGBA32(c[0], c[1], c[2], c[3]));
        }
    }
    return finish_read(file);
}

WT_Result WT_Gouraud_Point_Set::read_ascii(WT_File& file)
{
    if (m_stage == Count)
    {
        std::int32_t count = 0;
        WT_CHECK(file.read_ascii(count));
        if (count < 1 || count > Max_ASCII_Count)
            return WT_Result_Corrupt_Stream;
        // Room grows as the vertices arrive, never ahead of the input.
        m_points.clear();
        m_colors.clear();
        m_expected = count;
        m_stage = Vertices;
    }
    while (m_stage != Ascii_Done)
    {
        if (m_stage == Vertices)
        {
            if (long(m_points.size()) == m_expected)
            {
                m_stage = Ascii_Done;
                break;
            }
            WT_Result result = file.read_ascii(m_pending_point);
            if (result == WT_Result_Corrupt_Stream)
                m_stage = Count;
            WT_CHECK(result);
            m_stage = Colour;
        }
        WT_RGBA32 color;
        WT_Result result = file.read_ascii(color, false);
        if (result == WT_Result_Corrupt_Stream)
            m_stage = Count;
        WT_CHECK(result);
        m_points.push_back(m_pending_point);
        m_colors.push_back(color);
        m_stage = Vertices;
    }
    // Stays at Ascii_Done until the caller has passed the closing ")".
    WT_Result const result = finish_read(file);
    m_stage = Ascii_Done;
    return result;
}

bool WT_Gouraud_Point_Set::vertices_box(WT_File& file, WT_Logical_Box& box) const
{
    if (m_points.empty())
        return false;
    WT_Logical_Box b(m_points[0], m_points[0]);
    for (WT_Logical_Point const& p : m_points)
    {
        b.m_min.m_x = std::min(b.m_min.m_x, p.m_x);
        b.m_min.m_y = std::min(b.m_min.m_y, p.m_y);
        b.m_max.m_x = std::max(b.m_max.m_x, p.m_x);
        b.m_max.m_y = std::max(b.m_max.m_y, p.m_y);
    }
    std::int64_t const w = wt_bounds_half_weight(file);
    bool clamped = false;
    box = WT_Logical_Box(WT_Logical_Point(wt_clamp_coordinate(b.m_min.m_x - w, clamped),
                                          wt_clamp_coordinate(b.m_min.m_y - w, clamped)),
                         WT_Logical_Point(wt_clamp_coordinate(b.m_max.m_x + w, clamped),
                                          wt_clamp_coordinate(b.m_max.m_y + w, clamped)));
    return true;
}

WT_Result WT_Gouraud_Point_Set::materialize_vertices(const WT_Opcode& opcode, WT_File& file,
                                                     std::uint8_t opcode_32, std::uint8_t opcode_16)
{
    switch (opcode.type())
    {
    case WT_Opcode::Single_Byte:
        if (opcode.first_byte() != opcode_32 && opcode.first_byte() != opcode_16)
            return WT_Result_Foreign_Opcode;
        return read_binary(file, opcode.first_byte() == opcode_16, false);
    case WT_Opcode::Extended_ASCII:
        if (m_stage != Ascii_Done)
            WT_CHECK(read_ascii(file));
        {
            WT_Result const result = opcode.skip_operand(file);
            if (result != WT_Result_Waiting_For_Data)
                m_stage = Count;
            return result;
        }
    default:
        return WT_Result_Foreign_Opcode;
    }
}

WT_Result WT_Gouraud_Point_Set::skip_vertices(const WT_Opcode& opcode, WT_File& file,
                                              std::uint8_t opcode_32, std::uint8_t opcode_16,
                                              WT_Result unknown_byte)
{
    switch (opcode.type())
    {
    case WT_Opcode::Single_Byte:
        if (opcode.first_byte() != opcode_32 && opcode.first_byte() != opcode_16)
            return unknown_byte;
        return read_binary(file, opcode.first_byte() == opcode_16, true);
    case WT_Opcode::Extended_ASCII:
        return opcode.skip_operand(file);
    default:
        return WT_Result_Foreign_Opcode;
    }
}

// ---------------------------------------------------------------- the drawables

WT_Result WT_Gouraud_Polyline::materialize(const WT_Opcode& opcode, WT_File& file)
{
    WT_CHECK(materialize_vertices(opcode, file, 'q', 0x11));
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Gouraud_Polyline::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    return skip_vertices(opcode, file, 'q', 0x11, WT_Result_Foreign_Opcode);
}

WT_Result WT_Gouraud_Polyline::serialize(WT_File& file)
{
    WT_CHECK(file.dump_delayed_drawable());
    if (count() == 0)
        return WT_Result_Usage_Error;
    std::uint32_t mask = Sync_Mask;
    wt_require_fill(file, false, mask);
    WT_CHECK(file.desired_rendition().sync(file, mask));
    return write_vertices(file, "GourLine", 'q', 0x11);
}

void WT_Gouraud_Polyline::update_bounds(WT_File& file)
{
    WT_Logical_Box box;
    if (vertices_box(file, box))
    {
        widen_bounds(box.m_min);
        widen_bounds(box.m_max);
    }
}

WT_Result WT_Gouraud_Polytriangle::materialize(const WT_Opcode& opcode, WT_File& file)
{
    WT_CHECK(materialize_vertices(opcode, file, 'g', 0x07));
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Gouraud_Polytriangle::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    return skip_vertices(opcode, file, 'g', 0x07, WT_Result_Corrupt_Stream);
}

WT_Result WT_Gouraud_Polytriangle::serialize(WT_File& file)
{
    if (file.target_version() < 600)
        return WT_Result_Success;
    WT_CHECK(file.dump_delayed_drawable());
    if (count() < 3)
        return WT_Result_Success;
    std::uint32_t mask = Sync_Mask;
    wt_require_fill(file, true, mask);
    WT_CHECK(file.desired_rendition().sync(file, mask));
    return write_vertices(file, "Gouraud", 'g', 0x07);
}

void WT_Gouraud_Polytriangle::update_bounds(WT_File& file)
{
    WT_Logical_Box box;
    if (vertices_box(file, box))
    {
        widen_bounds(box.m_min);
        widen_bounds(box.m_max);
    }
}
