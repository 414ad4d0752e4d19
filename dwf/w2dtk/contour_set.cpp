#include "dwf/w2dtk/contour_set.h"

#include "dwf/w2dtk/drawable_attributes.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/origin.h"
#include "dwf/w2dtk/point_set.h"
#include "dwf/w2dtk/point_transform.h"

#include <algorithm>
#include <new>

namespace
{
constexpr std::size_t Read_Batch = 1024;

bool fits_16(const WT_Logical_Point& p)
{
    return p.m_x >= -32768 && p.m_x <= 32767 && p.m_y >= -32768 && p.m_y <= 32767;
}
} // namespace

WT_Contour_Set::WT_Contour_Set(WT_File& file, int contours, const std::int32_t* counts,
                               const WT_Logical_Point* points)
{
    if (contours < 0 || (contours > 0 && !counts))
        throw WT_Result_Usage_Error;
    std::int64_t total = 0;
    for (int i = 0; i < contours; ++i)
    {
        if (counts[i] < 0)
            throw WT_Result_Usage_Error;
        total += counts[i];
    }
    if (total > Max_Total_Points || (total > 0 && !points))
        throw WT_Result_Usage_Error;
    try
    {
        m_counts.assign(counts, counts + contours);
        m_points.assign(points, points + total);
    }
    catch (const std::bad_alloc&)
    {
        throw WT_Result_Out_Of_Memory;
    }
    m_serial = file.next_object_serial();
}

WT_Contour_Set::WT_Contour_Set(WT_File& file, int count, const WT_Logical_Point* points)
    : WT_Contour_Set(file, 1, &count, points)
{
}

// ---------------------------------------------------------------- writing

void WT_Contour_Set::transform_for_output(WT_File& file)
{
    if (!file.heuristics().m_apply_transform || m_transformed)
        return;
    for (WT_Logical_Point& p : m_points)
        wt_transform_point(p, file.heuristics().m_transform);
    m_transformed = true;
}

WT_Result WT_Contour_Set::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.desired_rendition().sync(file, Sync_Mask));
    return serialize_contours(file);
}

WT_Result WT_Contour_Set::serialize_contours(WT_File& file)
{
    if (m_counts.empty() ||
        std::any_of(m_counts.begin(), m_counts.end(), [](std::int32_t n) { return n < 1; }))
        return WT_Result_Usage_Error;
    try
    {
        transform_for_output(file);
    }
    catch (WT_Result result)
    {
        return result;
    }

    std::size_t const total = m_points.size();
    if (file.binary_output() && total <= std::size_t(WT_Point_Set::Max_Binary_Count) &&
        m_counts.size() <= std::size_t(WT_Point_Set::Max_Binary_Count))
    {
        std::vector<std::int32_t> deltas(total * 2);
        bool rest_fit_16 = true;
        for (std::size_t i = 0; i < total; ++i)
        {
            WT_Logical_Point const d = file.update_current_point(m_points[i]);
            deltas[2 * i] = d.m_x;
            deltas[2 * i + 1] = d.m_y;
            if (i > 0 && !fits_16(d))
                rest_fit_16 = false;
        }
        bool const first_fits = fits_16(WT_Logical_Point(deltas[0], deltas[1]));
        bool const use_16 = rest_fit_16 && (first_fits || total >= 3);
        if (use_16 && !first_fits)
        {
            WT_Origin origin(m_points[0]);
            WT_CHECK(origin.serialize(file, false));
            deltas[0] = deltas[1] = 0;
        }
        WT_CHECK(file.write_byte(use_16 ? 0x0B : 'k'));
        WT_CHECK(file.write_count(long(m_counts.size())));
        for (std::int32_t n : m_counts)
            WT_CHECK(file.write_count(n));
        if (use_16)
        {
            std::vector<std::int16_t> short_deltas(deltas.begin(), deltas.end());
            return file.write(short_deltas.size(), short_deltas.data());
        }
        return file.write(deltas.size(), deltas.data());
    }

    WT_CHECK(file.write_continuation_line());
    WT_CHECK(file.write("(Contour "));
    WT_CHECK(file.write_ascii(std::uint32_t(m_counts.size())));
    for (std::int32_t n : m_counts)
    {
        WT_CHECK(file.write(" "));
        WT_CHECK(file.write_ascii(n));
    }
    for (WT_Logical_Point const& p : m_points)
    {
        WT_CHECK(file.write(" "));
        WT_CHECK(file.write_ascii(p));
    }
    return file.write(")");
}

// ---------------------------------------------------------------- reading

void WT_Contour_Set::begin_read()
{
    m_counts.clear();
    m_points.clear();
    m_transformed = false;
    m_announced_contours = 0;
    m_announced_total = 0;
}

WT_Result WT_Contour_Set::finish_read(WT_File& file)
{
    m_stage = 0;
    if (file.heuristics().m_apply_transform)
    {
        bool fits = true;
        try
        {
            for (WT_Logical_Point& p : m_points)
                fits = wt_transform_point(p, file.heuristics().m_transform) && fits;
        }
        catch (WT_Result result)
        {
            return result;
        }
        if (!fits)
            return WT_Result_Corrupt_Stream;
        m_transformed = true;
    }
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Contour_Set::read_binary(WT_File& file, bool sixteen_bit)
{
    if (m_stage == 0)
    {
        long contours = 0;
        WT_CHECK(file.read_count(contours));
        begin_read();
        m_announced_contours = contours;
        m_counts.reserve(std::size_t(contours)); // at most 65,791
        m_stage = 1;
    }
    if (m_stage == 1)
    {
        while (std::int64_t(m_counts.size()) < m_announced_contours)
        {
            long n = 0;
            WT_CHECK(file.read_count(n));
            m_announced_total += n;
            // Summed in 64 bits: the counts could add up past 2^32.
            if (m_announced_total > Max_Total_Points)
                return WT_Result_Corrupt_Stream;
            m_counts.push_back(std::int32_t(n));
        }
        m_stage = 2;
    }
    while (std::int64_t(m_points.size()) < m_announced_total)
    {
        std::size_t const n =
            std::min<std::size_t>(Read_Batch, std::size_t(m_announced_total) - m_points.size());
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
            m_points.push_back(
                file.de_relativize(WT_Logical_Point(values[2 * i], values[2 * i + 1])));
    }
    return finish_read(file);
}

WT_Result WT_Contour_Set::read_ascii_form(const WT_Opcode& opcode, WT_File& file)
{
    if (m_stage == 0)
    {
        std::int32_t contours = 0;
        WT_CHECK(file.read_ascii(contours));
        if (contours < 0 || contours > Max_Total_Points)
            return WT_Result_Corrupt_Stream;
        begin_read();
        m_announced_contours = contours;
        m_counts.reserve(std::min<std::size_t>(std::size_t(contours), Read_Batch));
        m_stage = 1;
    }
    if (m_stage == 1)
    {
        while (std::int64_t(m_counts.size()) < m_announced_contours)
        {
            std::int32_t n = 0;
            WT_CHECK(file.read_ascii(n));
            m_announced_total += n;
            // Empty contours are odd but harmless; negative ones are corrupt.
            if (n < 0 || m_announced_total > Max_Total_Points)
                return WT_Result_Corrupt_Stream;
            m_counts.push_back(n);
        }
        m_points.reserve(std::min<std::size_t>(std::size_t(m_announced_total), Read_Batch));
        m_stage = 2;
    }
    if (m_stage == 2)
    {
        while (std::int64_t(m_points.size()) < m_announced_total)
        {
            WT_Logical_Point p;
            WT_CHECK(file.read_ascii(p));
            m_points.push_back(p);
        }
        m_stage = 3;
    }
    WT_CHECK(opcode.skip_operand(file));
    return finish_read(file);
}

WT_Result WT_Contour_Set::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() == WT_Opcode::Extended_ASCII)
    {
        if (!opcode.is("(Contour"))
            return WT_Result_Foreign_Opcode;
        return read_ascii_form(opcode, file);
    }
    if (opcode.type() != WT_Opcode::Single_Byte)
        return WT_Result_Foreign_Opcode;
    switch (opcode.first_byte())
    {
    case 0x0B:
        return read_binary(file, true);
    case 'k':
        return read_binary(file, false);
    default:
        return WT_Result_Foreign_Opcode;
    }
}

WT_Result WT_Contour_Set::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() == WT_Opcode::Extended_ASCII)
        return opcode.skip_operand(file);
    // The binary counts must be read to know the size; the points are read
    // in bounded batches, so reading is as cheap as skipping here.
    return materialize(opcode, file);
}

void WT_Contour_Set::update_bounds(WT_File& file)
{
    std::int32_t const w = wt_bounds_half_weight(file);
    for (WT_Logical_Point const& p : m_points)
    {
        bool clamped = false;
        widen_bounds(WT_Logical_Point(wt_clamp_coordinate(std::int64_t(p.m_x) - w, clamped),
                                      wt_clamp_coordinate(std::int64_t(p.m_y) - w, clamped)));
        widen_bounds(WT_Logical_Point(wt_clamp_coordinate(std::int64_t(p.m_x) + w, clamped),
                                      wt_clamp_coordinate(std::int64_t(p.m_y) + w, clamped)));
    }
}
