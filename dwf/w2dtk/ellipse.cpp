#include "dwf/w2dtk/ellipse.h"

#include "dwf/w2dtk/drawable_attributes.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/point_transform.h"

#include <cmath>

namespace
{
// The turn as the bounds computation has always taken it.
constexpr double Two_Pi = 6.283185308;
constexpr double Pi = Two_Pi / 2;

bool fits_16(const WT_Logical_Point& p)
{
    return p.m_x >= -32768 && p.m_x <= 32767 && p.m_y >= -32768 && p.m_y <= 32767;
}

double angle_of(std::uint32_t units)
{
    return double(units) * Two_Pi / 65536.0;
}

std::int32_t to_coordinate(double value)
{
    bool clamped = false;
    return wt_clamp_coordinate(value, clamped);
}

std::int32_t non_negative(double value)
{
    return to_coordinate(std::fabs(value));
}
} // namespace

WT_Ellipse::WT_Ellipse(std::int32_t x, std::int32_t y, std::int32_t major, std::int32_t minor,
                       std::uint16_t start, std::uint16_t end, std::uint16_t tilt)
    : m_position(x, y), m_major(major), m_minor(minor), m_start(start),
      m_end(end <= start ? std::uint32_t(end) + Full_Turn : end), m_tilt(tilt), m_stage(7)
{
}

// ---------------------------------------------------------------- writing

WT_Result WT_Ellipse::serialize_ellipse(WT_File& file, bool fill, std::uint32_t mask)
{
    WT_CHECK(begin_serialize(file));
    wt_require_fill(file, fill, mask);
    WT_CHECK(file.desired_rendition().sync(file, mask));

    if (file.heuristics().m_apply_transform && !m_transformed)
    {
        WT_Transform const& t = file.heuristics().m_transform;
        wt_transform_point(m_position, t); // saturates what does not fit
        m_major = non_negative(m_major * t.m_x_scale);
        m_minor = non_negative(m_minor * t.m_y_scale);
        m_tilt = std::uint16_t((m_tilt + (t.m_rotation / 90) * 16384) % 65536);
        m_transformed = true;
    }
    return write_figure(file);
}

WT_Result WT_Ellipse::write_figure(WT_File& file)
{
    bool const full = m_end % Full_Turn == m_start;
    std::uint16_t const arc_start = std::uint16_t((m_start + m_tilt) % Full_Turn);
    std::uint16_t const arc_end = std::uint16_t((m_end + m_tilt) % Full_Turn);

    if (file.binary_output())
    {
        WT_Logical_Point const d = file.update_current_point(m_position);
        if (is_circle() && full)
        {
            if (fits_16(d) && m_major >= 0 && m_major <= 32767)
            {
                WT_CHECK(file.write_byte(0x12));
                WT_CHECK(file.write_s16(std::int16_t(d.m_x)));
                WT_CHECK(file.write_s16(std::int16_t(d.m_y)));
                return file.write_u16(std::uint16_t(m_major));
            }
            WT_CHECK(file.write_byte('r'));
            std::int32_t const values[3] = {d.m_x, d.m_y, m_major};
            return file.write(3, values);
        }
        if (is_circle())
        {
            WT_CHECK(file.write_byte(0x92));
            std::int32_t const values[3] = {d.m_x, d.m_y, m_major};
            WT_CHECK(file.write(3, values));
            WT_CHECK(file.write_u16(arc_start));
            return file.write_u16(arc_end);
        }
        WT_CHECK(file.write_byte('e'));
        std::int32_t const values[4] = {d.m_x, d.m_y, m_major, m_minor};
        WT_CHECK(file.write(4, values));
        std::uint16_t const angles[3] = {m_start, std::uint16_t(m_end % Full_Turn), m_tilt};
        return file.write(3, angles);
    }

    WT_CHECK(file.write_continuation_line());
    if (is_circle() && full)
    {
        WT_CHECK(file.write("R "));
        WT_CHECK(file.write_ascii(m_position));
        WT_CHECK(file.write(" "));
        return file.write_ascii(m_major);
    }
    if (is_circle())
    {
        WT_CHECK(file.write("(Circle "));
        WT_CHECK(file.write_ascii(m_position));
        WT_CHECK(file.write(" "));
        WT_CHECK(file.write_ascii(m_major));
        WT_CHECK(file.write(" "));
        WT_CHECK(file.write_ascii(std::uint32_t(arc_start)));
        WT_CHECK(file.write(","));
        WT_CHECK(file.write_ascii(std::uint32_t(arc_end)));
        return file.write(")");
    }
    if (full && m_tilt == 0)
    {
        WT_CHECK(file.write("E "));
        WT_CHECK(file.write_ascii(m_position));
        WT_CHECK(file.write(" "));
        return file.write_ascii(WT_Logical_Point(m_major, m_minor));
    }
    WT_CHECK(file.write("(Ellipse "));
    WT_CHECK(file.write_ascii(m_position));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write_ascii(WT_Logical_Point(m_major, m_minor)));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write_ascii(std::uint32_t(m_start)));
    WT_CHECK(file.write(","));
    WT_CHECK(file.write_ascii(m_end));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write_ascii(std::uint32_t(m_tilt)));
    return file.write(")");
}

WT_Result WT_Outline_Ellipse::serialize(WT_File& file)
{
    return serialize_ellipse(file, false, Sync_Mask);
}

WT_Result WT_Filled_Ellipse::serialize(WT_File& file)
{
    return serialize_ellipse(file, true, Sync_Mask);
}

// ---------------------------------------------------------------- reading

WT_Result WT_Ellipse::finish_read(WT_File& file, bool relative)
{
    if (relative)
        m_position = file.de_relativize(m_position);
    m_transformed = false;
    if (file.heuristics().m_apply_transform)
    {
        WT_Transform const& t = file.heuristics().m_transform;
        if (t.m_rotation % 90 != 0 || t.m_rotation < 0 || t.m_rotation > 270)
            return WT_Result_Not_Available;
        bool fits = wt_transform_point(m_position, t);
        bool clamped = false;
        m_major = wt_clamp_coordinate(std::fabs(m_major * t.m_x_scale), clamped);
        m_minor = wt_clamp_coordinate(std::fabs(m_minor * t.m_y_scale), clamped);
        if (!fits || clamped)
            return WT_Result_Corrupt_Stream;
        m_tilt = std::uint16_t((m_tilt + (t.m_rotation / 90) * 16384) % 65536);
        m_transformed = true;
    }
    // Streams before 0.31 ended their arcs one unit short.
    if (file.rendition().stream_version() < 31 && m_start != m_end && m_end < Full_Turn)
        ++m_end;
    if (m_end <= m_start)
        m_end += Full_Turn;
    m_stage = 0;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Ellipse::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() == WT_Opcode::Extended_ASCII)
        return read_ascii_extended(opcode, file);
    if (opcode.type() != WT_Opcode::Single_Byte)
        return WT_Result_Foreign_Opcode;

    switch (opcode.first_byte())
    {
    case 'R':
        if (m_stage == 0 || m_stage == 7)
        {
            WT_CHECK(file.read_ascii(m_position));
            m_stage = 1;
        }
        WT_CHECK(file.read_ascii(m_major));
        m_minor = m_major;
        m_start = 0;
        m_end = 0;
        m_tilt = 0;
        return finish_read(file, false);
    case 'E':
        if (m_stage == 0 || m_stage == 7)
        {
            WT_CHECK(file.read_ascii(m_position));
            m_stage = 1;
        }
        {
            WT_Logical_Point axes;
            WT_CHECK(file.read_ascii(axes));
            m_major = axes.m_x;
            m_minor = axes.m_y;
        }
        m_start = 0;
        m_end = Full_Turn;
        m_tilt = 0;
        return finish_read(file, false);
    case 'r':
    {
        std::int32_t v[3];
        WT_CHECK(file.read(3, v));
        m_position = WT_Logical_Point(v[0], v[1]);
        m_major = m_minor = v[2];
        m_start = 0;
        m_end = Full_Turn;
        m_tilt = 0;
        return finish_read(file, true);
    }
    case 0x12:
    {
        std::uint8_t b[6];
        WT_CHECK(file.read(6, b));
        m_position =
            WT_Logical_Point(std::int16_t(b[0] | (b[1] << 8)), std::int16_t(b[2] | (b[3] << 8)));
        m_major = m_minor = std::int32_t(b[4] | (b[5] << 8));
        m_start = 0;
        m_end = Full_Turn;
        m_tilt = 0;
        return finish_read(file, true);
    }
    case 0x92:
    {
        std::uint8_t b[16];
        WT_CHECK(file.read(16, b));
        auto s32 = [&b](int at)
        {
            return std::int32_t(std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) |
                                (std::uint32_t(b[at + 2]) << 16) |
                                (std::uint32_t(b[at + 3]) << 24));
        };
        m_position = WT_Logical_Point(s32(0), s32(4));
        m_major = m_minor = s32(8);
        m_start = std::uint16_t(b[12] | (b[13] << 8));
        m_end = std::uint16_t(b[14] | (b[15] << 8));
        m_tilt = 0;
        return finish_read(file, true);
    }
    case 'e':
    {
        std::uint8_t b[22];
        WT_CHECK(file.read(22, b));
        auto s32 = [&b](int at)
        {
            return std::int32_t(std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) |
                                (std::uint32_t(b[at + 2]) << 16) |
                                (std::uint32_t(b[at + 3]) << 24));
        };
        auto u16 = [&b](int at) { return std::uint16_t(b[at] | (b[at + 1] << 8)); };
        m_position = WT_Logical_Point(s32(0), s32(4));
        m_major = s32(8);
        m_minor = s32(12);
        m_start = u16(16);
        m_end = u16(18);
        m_tilt = u16(20);
        return finish_read(file, true);
    }
    default:
        return WT_Result_Foreign_Opcode;
    }
}

WT_Result WT_Ellipse::read_ascii_extended(const WT_Opcode& opcode, WT_File& file)
{
    bool const circle = opcode.is("(Circle");
    if (!circle && !opcode.is("(Ellipse"))
        return WT_Result_Foreign_Opcode;
    if (m_stage == 7)
        m_stage = 0;
    for (;;)
    {
        switch (m_stage)
        {
        case 0:
            WT_CHECK(file.read_ascii(m_position));
            m_stage = 1;
            break;
        case 1:
            if (circle)
            {
                WT_CHECK(file.read_ascii(m_major));
                m_minor = m_major;
            }
            else
            {
                WT_Logical_Point axes;
                WT_CHECK(file.read_ascii(axes));
                m_major = axes.m_x;
                m_minor = axes.m_y;
            }
            m_stage = 2;
            break;
        case 2:
        {
            WT_Logical_Point angles;
            WT_CHECK(file.read_ascii(angles));
            if (angles.m_x < 0 || angles.m_y < 0)
                return WT_Result_Corrupt_Stream;
            m_start = std::uint16_t(angles.m_x & 0xFFFF);
            m_end = std::uint32_t(angles.m_y) & 0x1FFFF;
            m_tilt = 0;
            m_stage = circle ? 4 : 3;
            break;
        }
        case 3:
        {
            std::int32_t tilt = 0;
            WT_CHECK(file.read_ascii(tilt));
            m_tilt = std::uint16_t(tilt);
            m_stage = 4;
            break;
        }
        default:
            WT_CHECK(opcode.skip_operand(file));
            return finish_read(file, false);
        }
    }
}

WT_Result WT_Ellipse::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() == WT_Opcode::Extended_ASCII)
        return opcode.skip_operand(file);
    if (opcode.type() != WT_Opcode::Single_Byte)
        return WT_Result_Foreign_Opcode;
    switch (opcode.first_byte())
    {
    case 0x12:
        file.skip(6);
        return WT_Result_Success;
    case 'r':
        file.skip(12);
        return WT_Result_Success;
    case 0x92:
        file.skip(16);
        return WT_Result_Success;
    case 'e':
        file.skip(22);
        return WT_Result_Success;
    default:
        return materialize(opcode, file);
    }
}

// ---------------------------------------------------------------- bounds

void WT_Ellipse::update_bounds(WT_File& file)
{
    double const a = m_major;
    double const b = m_minor;
    double const theta = angle_of(m_tilt);
    double const alpha = angle_of(m_start);
    double const beta = angle_of(m_end);
    double const sweep = beta - alpha;
    double const cos_theta = std::cos(theta);
    double const sin_theta = std::sin(theta);
    double const cx = m_position.m_x;
    double const cy = m_position.m_y;
    std::int32_t const w = wt_bounds_half_weight(file);

    auto add = [this, w](double x, double y)
    {
        bool clamped = false;
        std::int32_t const ix = to_coordinate(x);
        std::int32_t const iy = to_coordinate(y);
        if (w == 0)
        {
            widen_bounds(WT_Logical_Point(ix, iy));
            return;
        }
        widen_bounds(WT_Logical_Point(wt_clamp_coordinate(std::int64_t(ix) + w, clamped),
                                      wt_clamp_coordinate(std::int64_t(iy) + w, clamped)));
        widen_bounds(WT_Logical_Point(wt_clamp_coordinate(std::int64_t(ix) - w, clamped),
                                      wt_clamp_coordinate(std::int64_t(iy) - w, clamped)));
    };
    // Offset of the point at parameter t from the centre, truncated.
    auto offset = [&](double t)
    {
        return WT_Logical_Point(
            to_coordinate(a * std::cos(t) * cos_theta - b * std::sin(t) * sin_theta),
            to_coordinate(a * std::cos(t) * sin_theta + b * std::sin(t) * cos_theta));
    };
    auto in_sweep = [&](double t)
    {
        double d = std::fmod(t - alpha, Two_Pi);
        if (d < 0)
            d += Two_Pi;
        return d <= sweep;
    };

    WT_Logical_Point const start_offset = offset(alpha);
    for (WT_Logical_Point const o : {start_offset, offset(beta)})
    {
        add(cx + o.m_x, cy + o.m_y);
        add(cx + o.m_x + 1, cy + o.m_y + 1);
    }

    double const x_half = std::sqrt(a * a * cos_theta * cos_theta + b * b * sin_theta * sin_theta);
    double const x_max_at = std::atan2(-b * sin_theta, a * cos_theta);
    if (in_sweep(x_max_at))
        add(cx + x_half + 1, cy + start_offset.m_y + 1);
    if (in_sweep(x_max_at - Pi))
        add(cx - x_half, cy + start_offset.m_y);

    double const y_half = std::sqrt(a * a * sin_theta * sin_theta + b * b * cos_theta * cos_theta);
    double const y_max_at = std::atan2(b * cos_theta, a * sin_theta);
    if (in_sweep(y_max_at))
        add(cx + start_offset.m_x + 1, cy + y_half + 1);
    if (in_sweep(y_max_at - Pi))
        add(cx + start_offset.m_x, cy - y_half);
}
