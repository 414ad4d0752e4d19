#include "dwf/w2dtk/point_set.h"

#include "dwf/w2dtk/drawable_attributes.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/origin.h"
#include "dwf/w2dtk/point_transform.h"

#include <algorithm>
#include <limits>
#include <new>

namespace
{
// Points read from a binary operand per call of the file's read, so that a
// large operand never asks for one huge read-ahead.
constexpr std::size_t Read_Batch = 1024;

bool fits_16(const WT_Logical_Point& p)
{
    return p.m_x >= -32768 && p.m_x <= 32767 && p.m_y >= -32768 && p.m_y <= 32767;
}

std::int32_t widen(std::int32_t value, std::int32_t by)
{
    bool clamped = false;
    return wt_clamp_coordinate(std::int64_t(value) + by, clamped);
}
} // namespace

WT_Point_Set::WT_Point_Set(int count, const WT_Logical_Point* points, bool copy)
{
    if (count < 0 || (count > 0 && !points))
        throw WT_Result_Usage_Error;
    if (!copy)
    {
        m_external = points;
        m_count = std::size_t(count);
        return;
    }
    try
    {
        m_buffer.assign(points, points + count);
    }
    catch (const std::bad_alloc&)
    {
        throw WT_Result_Out_Of_Memory;
    }
    m_count = std::size_t(count);
}

WT_Point_Set::WT_Point_Set(const WT_Point_Set& other) : m_transformed(other.m_transformed)
{
    try
    {
        m_buffer.assign(other.points(), other.points() + other.m_count);
    }
    catch (const std::bad_alloc&)
    {
        throw WT_Result_Out_Of_Memory;
    }
    m_count = other.m_count;
}

WT_Point_Set& WT_Point_Set::operator=(const WT_Point_Set& other)
{
    if (this != &other)
    {
        WT_Point_Set copy(other);
        m_buffer.swap(copy.m_buffer);
        m_front = 0;
        m_count = copy.m_count;
        m_external = nullptr;
        m_transformed = copy.m_transformed;
        m_stage = 0;
        m_read_count = 0;
        m_progress = 0;
    }
    return *this;
}

void WT_Point_Set::take_ownership()
{
    if (!m_external)
        return;
    try
    {
        m_buffer.assign(m_external, m_external + m_count);
    }
    catch (const std::bad_alloc&)
    {
        throw WT_Result_Out_Of_Memory;
    }
    m_front = 0;
    m_external = nullptr;
}

void WT_Point_Set::reserve_ends(std::size_t front, std::size_t back)
{
    take_ownership();
    std::size_t const spare_front = m_front;
    std::size_t const spare_back = m_buffer.size() - m_front - m_count;
    if (spare_front >= front && spare_back >= back)
        return;
    // Twice what is needed, the slack split between both ends: a chain that
    // keeps growing at either end moves each point a bounded number of times.
    std::size_t const needed = m_count + front + back;
    std::size_t const room = std::max<std::size_t>(needed * 2, 8);
    std::size_t const new_front = front + (room - needed) / 2;
    std::vector<WT_Logical_Point> bigger;
    try
    {
        bigger.resize(room);
    }
    catch (const std::bad_alloc&)
    {
        throw WT_Result_Out_Of_Memory;
    }
    std::copy_n(m_buffer.begin() + long(m_front), m_count, bigger.begin() + long(new_front));
    m_buffer.swap(bigger);
    m_front = new_front;
}

void WT_Point_Set::append_point(const WT_Logical_Point& point)
{
    m_buffer[m_front + m_count] = point;
    ++m_count;
}

void WT_Point_Set::prepend_point(const WT_Logical_Point& point)
{
    m_buffer[--m_front] = point;
    ++m_count;
}

void WT_Point_Set::reset_points(std::size_t count)
{
    m_external = nullptr;
    m_buffer.clear();
    m_buffer.resize(count);
    m_front = 0;
    m_count = 0;
    m_transformed = false;
}

bool WT_Point_Set::merge_points(const WT_Point_Set& other)
{
    if (m_count == 0 || other.m_count == 0 || m_transformed != other.m_transformed)
        return false;
    const WT_Logical_Point* const o = other.points();
    std::size_t const n = other.m_count;
    // A chain stops growing at the most points one binary record can carry:
    // what waits to be merged stays the size of one record, however long
    // the chain of touching pieces in the stream.
    if (m_count + n - 1 > std::size_t(Max_Binary_Count))
        return false;
    WT_Logical_Point const first = points()[0];
    WT_Logical_Point const last = points()[m_count - 1];

    if (first == o[0])
    {
        // start-to-start: other, reversed, goes in front.
        reserve_ends(n - 1, 0);
        for (std::size_t i = 1; i < n; ++i)
            prepend_point(o[i]);
    }
    else if (last == o[0])
    {
        // end-to-start
        reserve_ends(0, n - 1);
        for (std::size_t i = 1; i < n; ++i)
            append_point(o[i]);
    }
    else if (last == o[n - 1])
    {
        // end-to-end: other, reversed, goes behind.
        reserve_ends(0, n - 1);
        for (std::size_t i = n - 1; i-- > 0;)
            append_point(o[i]);
    }
    else if (first == o[n - 1])
    {
        // start-to-end
        reserve_ends(n - 1, 0);
        for (std::size_t i = n - 1; i-- > 0;)
            prepend_point(o[i]);
    }
    else
        return false;
    return true;
}

void WT_Point_Set::append_points(const WT_Point_Set& other)
{
    const WT_Logical_Point* const o = other.points();
    std::size_t const n = other.m_count;
    reserve_ends(0, n);
    for (std::size_t i = 0; i < n; ++i)
        append_point(o[i]);
}

void WT_Point_Set::transform_for_output(WT_File& file)
{
    if (!file.heuristics().m_apply_transform || m_transformed)
        return;
    take_ownership();
    WT_Transform const& t = file.heuristics().m_transform;
    WT_Logical_Point* p = m_buffer.data() + m_front;
    for (std::size_t i = 0; i < m_count; ++i)
        wt_transform_point(p[i], t); // saturates what does not fit
    m_transformed = true;
}

WT_Result WT_Point_Set::write_points(WT_File& file, const char* ascii_opcode,
                                     std::uint8_t opcode_32, std::uint8_t opcode_16)
{
    if (m_count == 0)
        return WT_Result_Usage_Error; // a count of 0 has no encoding
    transform_for_output(file);
    const WT_Logical_Point* const p = points();

    if (file.binary_output() && m_count <= std::size_t(Max_Binary_Count))
    {
        // Deltas go to scratch: the set itself keeps its absolute points, so
        // writing it again gives the same bytes.
        std::vector<std::int32_t> deltas(m_count * 2);
        bool rest_fit_16 = true;
        for (std::size_t i = 0; i < m_count; ++i)
        {
            WT_Logical_Point const d = file.update_current_point(p[i]);
            deltas[2 * i] = d.m_x;
            deltas[2 * i + 1] = d.m_y;
            if (i > 0 && !fits_16(d))
                rest_fit_16 = false;
        }
        bool const first_fits = fits_16(WT_Logical_Point(deltas[0], deltas[1]));
        bool const use_16 = rest_fit_16 && (first_fits || m_count >= 3);
        if (use_16)
        {
            if (!first_fits)
            {
                // The reader moves its current point to the origin first.
                WT_Origin origin(p[0]);
                WT_CHECK(origin.serialize(file, false));
                deltas[0] = deltas[1] = 0;
            }
            WT_CHECK(file.write_byte(opcode_16));
            WT_CHECK(file.write_count(long(m_count)));
            std::vector<std::int16_t> short_deltas(deltas.begin(), deltas.end());
            return file.write(short_deltas.size(), short_deltas.data());
        }
        WT_CHECK(file.write_byte(opcode_32));
        WT_CHECK(file.write_count(long(m_count)));
        return file.write(deltas.size(), deltas.data());
    }

    // ASCII points are absolute; the current point is left alone. Four points
    // to a line, the following lines indented a little further.
    WT_CHECK(file.write_continuation_line());
    WT_CHECK(file.write(ascii_opcode));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write_ascii(std::uint32_t(m_count)));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write_ascii(p[0]));
    for (std::size_t i = 1; i < m_count; ++i)
    {
        if (i % 4 == 0)
        {
            WT_CHECK(file.write_continuation_line());
            WT_CHECK(file.write("    "));
        }
        else
            WT_CHECK(file.write(" "));
        WT_CHECK(file.write_ascii(p[i]));
    }
    return WT_Result_Success;
}

WT_Result WT_Point_Set::write_line(WT_File& file)
{
    if (m_count != 2)
        return WT_Result_Usage_Error;
    transform_for_output(file);
    const WT_Logical_Point* const p = points();
    if (file.binary_output())
    {
        WT_Logical_Point const d0 = file.update_current_point(p[0]);
        WT_Logical_Point const d1 = file.update_current_point(p[1]);
        if (fits_16(d0) && fits_16(d1))
        {
            std::int16_t const values[4] = {std::int16_t(d0.m_x), std::int16_t(d0.m_y),
                                            std::int16_t(d1.m_x), std::int16_t(d1.m_y)};
            WT_CHECK(file.write_byte(0x0C));
            return file.write(4, values);
        }
        std::int32_t const values[4] = {d0.m_x, d0.m_y, d1.m_x, d1.m_y};
        WT_CHECK(file.write_byte('l'));
        return file.write(4, values);
    }
    WT_CHECK(file.write_continuation_line());
    WT_CHECK(file.write("L "));
    WT_CHECK(file.write_ascii(p[0]));
    WT_CHECK(file.write(" "));
    return file.write_ascii(p[1]);
}

// ---------------------------------------------------------------- reading

WT_Result WT_Point_Set::finish_read(WT_File& file)
{
    m_stage = 0;
    m_progress = 0;
    m_read_count = 0;
    if (file.heuristics().m_apply_transform)
    {
        WT_Transform const& t = file.heuristics().m_transform;
        WT_Logical_Point* p = m_buffer.data() + m_front;
        bool fits = true;
        try
        {
            for (std::size_t i = 0; i < m_count; ++i)
                fits = wt_transform_point(p[i], t) && fits;
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

WT_Result WT_Point_Set::read_binary_points(WT_File& file, bool sixteen_bit)
{
    if (m_stage == 0)
    {
        long count = 0;
        WT_CHECK(file.read_count(count));
        // The count form carries 1 to 65,791: a bounded allocation.
        reset_points(std::size_t(count));
        m_read_count = count;
        m_progress = 0;
        m_stage = 1;
    }
    while (m_progress < std::size_t(m_read_count))
    {
        std::size_t const n = std::min(Read_Batch, std::size_t(m_read_count) - m_progress);
        std::int32_t values[2 * Read_Batch];
        if (sixteen_bit)
        {
            std::int16_t shorts[2 * Read_Batch];
            WT_CHECK(file.read(2 * n, shorts));
            std::copy_n(shorts, 2 * n, values);
        }
        else
            WT_CHECK(file.read(2 * n, values));
        for (std::size_t i = 0; i < n; ++i)
            append_point(file.de_relativize(WT_Logical_Point(values[2 * i], values[2 * i + 1])));
        m_progress += n;
    }
    return finish_read(file);
}

WT_Result WT_Point_Set::read_points(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Single_Byte)
        return WT_Result_Foreign_Opcode;
    switch (opcode.first_byte())
    {
    case 'p':
        return read_binary_points(file, false);
    case 0x10:
        return read_binary_points(file, true);
    case 'P':
        break;
    default:
        return WT_Result_Foreign_Opcode;
    }
    if (m_stage == 0)
    {
        std::int32_t count = 0;
        WT_CHECK(file.read_ascii(count));
        if (count < 1 || count > Max_ASCII_Count)
            return WT_Result_Corrupt_Stream;
        // Room grows as the points arrive, never ahead of the input.
        reset_points(0);
        m_buffer.reserve(std::min<std::size_t>(std::size_t(count), Read_Batch));
        m_read_count = count;
        m_progress = 0;
        m_stage = 1;
    }
    while (m_progress < std::size_t(m_read_count))
    {
        WT_Logical_Point point;
        WT_CHECK(file.read_ascii(point));
        m_buffer.push_back(point);
        ++m_count;
        ++m_progress;
    }
    return finish_read(file);
}

WT_Result WT_Point_Set::read_line(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Single_Byte)
        return WT_Result_Foreign_Opcode;
    switch (opcode.first_byte())
    {
    case 0x0C:
    {
        std::int16_t v[4];
        WT_CHECK(file.read(4, v));
        reset_points(2);
        append_point(file.de_relativize(wt_point_from_16(v[0], v[1])));
        append_point(file.de_relativize(wt_point_from_16(v[2], v[3])));
        return finish_read(file);
    }
    case 'l':
    {
        std::int32_t v[4];
        WT_CHECK(file.read(4, v));
        reset_points(2);
        append_point(file.de_relativize(WT_Logical_Point(v[0], v[1])));
        append_point(file.de_relativize(WT_Logical_Point(v[2], v[3])));
        return finish_read(file);
    }
    case 'L':
        if (m_stage == 0)
        {
            reset_points(2);
            m_stage = 1;
        }
        while (m_count < 2)
        {
            WT_Logical_Point point;
            WT_CHECK(file.read_ascii(point));
            append_point(point);
        }
        return finish_read(file);
    default:
        return WT_Result_Foreign_Opcode;
    }
}

WT_Result WT_Point_Set::skip_points(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Single_Byte)
        return WT_Result_Foreign_Opcode;
    std::uint8_t const byte = opcode.first_byte();
    if (byte == 'p' || byte == 0x10)
    {
        long count = 0;
        WT_CHECK(file.read_count(count));
        file.skip(std::uint64_t(count) * (byte == 'p' ? 8 : 4));
        return WT_Result_Success;
    }
    // ASCII points are read and dropped.
    return read_points(opcode, file);
}

WT_Result WT_Point_Set::skip_line(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Single_Byte)
        return WT_Result_Foreign_Opcode;
    switch (opcode.first_byte())
    {
    case 0x0C:
        file.skip(8);
        return WT_Result_Success;
    case 'l':
        file.skip(16);
        return WT_Result_Success;
    default:
        return read_line(opcode, file);
    }
}

bool WT_Point_Set::points_box(WT_File& file, WT_Logical_Box& box) const
{
    if (m_count == 0)
        return false;
    const WT_Logical_Point* const p = points();
    WT_Logical_Box b(p[0], p[0]);
    for (std::size_t i = 1; i < m_count; ++i)
    {
        b.m_min.m_x = std::min(b.m_min.m_x, p[i].m_x);
        b.m_min.m_y = std::min(b.m_min.m_y, p[i].m_y);
        b.m_max.m_x = std::max(b.m_max.m_x, p[i].m_x);
        b.m_max.m_y = std::max(b.m_max.m_y, p[i].m_y);
    }
    std::int32_t const w = wt_bounds_half_weight(file);
    box = WT_Logical_Box(WT_Logical_Point(widen(b.m_min.m_x, -w), widen(b.m_min.m_y, -w)),
                         WT_Logical_Point(widen(b.m_max.m_x, w), widen(b.m_max.m_y, w)));
    return true;
}
