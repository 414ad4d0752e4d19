#include "dwf/w2dtk/text.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/point_transform.h"
#include "dwf/w2dtk/text_metrics.h"

#include <cmath>
#include <string>
#include <vector>

namespace
{
// The fields a text operand may hold, in the order a layout reads them.
enum Step
{
    Position_Binary,
    Text_String,
    Overscore,
    Underscore,
    Bounds_Binary,
    Char_Pos,
    Position_Ascii,
    Ascii_Options,
    Close,
    Old_Rotation,
    Old_Height,
    Old_Widthscale,
    Old_Spacing,
    Old_Flags,
    Old_Oblique,
    Old_Wide_String,
    End,
};

const Step Basic_Steps[] = {Position_Binary, Text_String, End};
const Step Complex_Steps[] = {Position_Binary, Text_String,   Overscore,
                              Underscore,      Bounds_Binary, End};
const Step Complex_6_Steps[] = {Position_Binary, Text_String, Overscore, Underscore,
                                Bounds_Binary,   Char_Pos,    End};
const Step Ascii_Steps[] = {Position_Ascii, Text_String, Ascii_Options, Close, End};
// Before version 0.32 the texts also carried font values: the complex form
// rotation and height, the basic form most of the font.
const Step Old_Complex_Steps[] = {Old_Rotation, Old_Height, Position_Binary, Old_Wide_String, End};
const Step Old_Basic_Steps[] = {Old_Widthscale,  Old_Spacing,   Old_Flags,    Old_Oblique,
                                Overscore,       Underscore,    Old_Rotation, Old_Height,
                                Position_Binary, Bounds_Binary, Text_String,  End};

const Step* const Layouts[] = {Basic_Steps, Complex_Steps,     Complex_6_Steps,
                               Ascii_Steps, Old_Complex_Steps, Old_Basic_Steps};

enum Layout
{
    Basic = 0,
    Complex = 1,
    Complex_6 = 2,
    Ascii = 3,
    Old_Complex = 4,
    Old_Basic = 5,
};

constexpr int First_Current_Layout_Version = 32;

bool waiting(WT_Result result)
{
    return result == WT_Result_Waiting_For_Data || result == WT_Result_End_Of_Input;
}

WT_Result transform_in_place(WT_Logical_Point& point, const WT_Transform& transform)
{
    try
    {
        wt_transform_point(point, transform);
        return WT_Result_Success;
    }
    catch (WT_Result result)
    {
        return result;
    }
}
} // namespace

bool WT_Text::same_as(const WT_Text& other) const
{
    return m_position == other.m_position && m_string == other.m_string &&
           m_overscore == other.m_overscore && m_underscore == other.m_underscore &&
           m_char_positions == other.m_char_positions &&
           m_bounds.bounds() == other.m_bounds.bounds();
}

WT_Result WT_Text::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (m_layout < 0)
    {
        bool const old = file.stream_version() < First_Current_Layout_Version;
        switch (opcode.type())
        {
        case WT_Opcode::Single_Byte:
            if (opcode.first_byte() == 'x')
                m_layout = old ? Old_Basic : Basic;
            else if (opcode.first_byte() == 0x18)
                m_layout = old ? Old_Complex : (file.stream_version() >= 600 ? Complex_6 : Complex);
            else
                return WT_Result_Foreign_Opcode;
            break;
        case WT_Opcode::Extended_ASCII:
            m_layout = Ascii;
            break;
        default:
            return WT_Result_Foreign_Opcode;
        }
        m_stage = 0;
        m_option = 0;
        m_bound = 0;
        m_wide_count = -1;
        m_old_font.reset();
        m_bounds.clear();
    }
    const Step* const steps = Layouts[m_layout];
    while (steps[m_stage] != End)
    {
        WT_Result const result = read_step(steps[m_stage], opcode, file);
        if (result != WT_Result_Success)
        {
            if (!waiting(result))
                m_layout = -1;
            return result;
        }
        ++m_stage;
    }

    WT_File::WT_File_Heuristics const& choices = file.heuristics();
    if (m_layout == Old_Basic || m_layout == Old_Complex)
    {
        // The font values of the old layouts become the current font.
        old_font().set_fields_defined(m_layout == Old_Basic ? 0x7E0 : 0x60);
        WT_Result const result = old_font().process(file);
        if (result != WT_Result_Success)
        {
            m_layout = -1;
            return result;
        }
    }
    m_layout = -1;
    if (choices.m_apply_transform && !m_transformed)
    {
        WT_CHECK(transform_in_place(m_position, choices.m_transform));
        if (m_bounds.bounds())
        {
            WT_Text_Option_Bounds::Corners corners = *m_bounds.bounds();
            for (WT_Logical_Point& corner : corners)
                WT_CHECK(transform_in_place(corner, choices.m_transform));
            m_bounds.set(corners);
        }
        m_transformed = true;
    }
    set_materialized();
    return WT_Result_Success;
}

WT_Font& WT_Text::old_font()
{
    if (!m_old_font)
        m_old_font.emplace();
    return *m_old_font;
}

WT_Result WT_Text::read_step(int step, const WT_Opcode& opcode, WT_File& file)
{
    // The old binary form carries these font options as bare numbers.
    auto read_old_u16 = [&file](auto& font_option) -> WT_Result
    {
        std::uint16_t value = 0;
        WT_CHECK(file.read_u16(value));
        font_option.set(value);
        return WT_Result_Success;
    };
    switch (Step(step))
    {
    case Position_Binary:
    {
        std::int32_t delta[2];
        WT_CHECK(file.read(2, delta));
        m_position = file.de_relativize(WT_Logical_Point(delta[0], delta[1]));
        return WT_Result_Success;
    }
    case Position_Ascii:
        return file.read_ascii(m_position);
    case Text_String:
        return m_string.materialize(file);
    case Overscore:
        return m_overscore.materialize_option(opcode, file);
    case Underscore:
        return m_underscore.materialize_option(opcode, file);
    case Char_Pos:
        return m_char_positions.materialize_option(opcode, file);
    case Bounds_Binary:
    {
        // The corners follow the position as a chain of differences.
        WT_Text_Option_Bounds::Corners corners =
            m_bounds.bounds() ? *m_bounds.bounds() : WT_Text_Option_Bounds::Corners{};
        while (m_bound < 4)
        {
            std::int32_t delta[2];
            WT_CHECK(file.read(2, delta));
            corners[std::size_t(m_bound)] =
                file.de_relativize(WT_Logical_Point(delta[0], delta[1]));
            m_bounds.set(corners);
            ++m_bound;
        }
        return WT_Result_Success;
    }
    case Ascii_Options:
        for (;;)
        {
            if (m_option == 0)
            {
                WT_CHECK(m_optioncode.get_opcode(file, true));
                if (m_optioncode.type() == WT_Opcode::Close_Paren)
                    return WT_Result_Success;
                m_option = m_optioncode.option_id_from_optioncode();
                if (m_option == WT_Text_Optioncode::Unknown_Option)
                    m_option = -1;
            }
            switch (m_option)
            {
            case WT_Text_Optioncode::Overscore_Option:
                WT_CHECK(m_overscore.materialize_option(m_optioncode, file));
                break;
            case WT_Text_Optioncode::Underscore_Option:
                WT_CHECK(m_underscore.materialize_option(m_optioncode, file));
                break;
            case WT_Text_Optioncode::Bounds_Option:
                WT_CHECK(m_bounds.materialize_option(m_optioncode, file));
                break;
            case WT_Text_Optioncode::Char_Pos_Option:
                WT_CHECK(m_char_positions.materialize_option(m_optioncode, file));
                break;
            default:
                // Unknown options are passed over whole; bare words stand alone.
                if (m_optioncode.type() == WT_Opcode::Extended_ASCII)
                    WT_CHECK(m_optioncode.skip_operand(file));
                break;
            }
            m_option = 0;
        }
    case Close:
        return opcode.skip_operand(file);
    case Old_Rotation:
        return read_old_u16(old_font().rotation());
    case Old_Height:
    {
        std::int32_t height = 0;
        WT_CHECK(file.read_s32(height));
        WT_File::WT_File_Heuristics const& choices = file.heuristics();
        if (choices.m_apply_transform)
        {
            double const scaled = double(height) * choices.m_transform.m_y_scale;
            height = std::fabs(scaled) < 2147483647.0 ? std::int32_t(scaled)
                                                      : (scaled < 0 ? -2147483647 : 2147483647);
        }
        old_font().height().set(height);
        return WT_Result_Success;
    }
    case Old_Widthscale:
        return read_old_u16(old_font().width_scale());
    case Old_Spacing:
        return read_old_u16(old_font().spacing());
    case Old_Flags:
    {
        std::uint32_t value = 0;
        WT_CHECK(file.read_u32(value));
        old_font().flags().set(value);
        return WT_Result_Success;
    }
    case Old_Oblique:
        return read_old_u16(old_font().oblique());
    case Old_Wide_String:
    {
        if (m_wide_count < 0)
            WT_CHECK(file.read_count(m_wide_count));
        // At most 65,791 units: the count form cannot say more.
        std::vector<std::uint16_t> units(static_cast<std::size_t>(m_wide_count));
        WT_CHECK(file.read(units.size(), units.data()));
        std::u16string text(units.begin(), units.end());
        m_string.set(text.size(), text.data());
        m_wide_count = -1;
        return WT_Result_Success;
    }
    default:
        return WT_Result_Not_Available;
    }
}

WT_Result WT_Text::serialize(WT_File& file)
{
    // Checked before anything of the text goes out.
    if (m_string.length() > m_string.writable_length(file))
        return WT_Result_Usage_Error;
    WT_CHECK(begin_serialize(file));
    WT_Attribute_Set& desired = file.desired_rendition();
    desired.mark_changed(WT_Attribute_Set::Font_Bit);
    WT_CHECK(desired.sync(file, 0x3C310D));

    WT_File::WT_File_Heuristics const& choices = file.heuristics();
    if (choices.m_apply_transform && !m_transformed)
    {
        WT_CHECK(transform_in_place(m_position, choices.m_transform));
        if (m_bounds.bounds())
        {
            WT_Text_Option_Bounds::Corners corners = *m_bounds.bounds();
            for (WT_Logical_Point& corner : corners)
                WT_CHECK(transform_in_place(corner, choices.m_transform));
            m_bounds.set(corners);
        }
        m_transformed = true;
    }

    bool const with_positions = m_char_positions.count() > 0 && file.target_version() >= 600;
    bool const extended = m_overscore.count() > 0 || m_underscore.count() > 0 ||
                          m_bounds.bounds().has_value() || with_positions;
    if (file.binary_output())
        return write_binary(file, extended);

    WT_CHECK(file.write_continuation_line());
    WT_CHECK(file.write("(Text "));
    WT_CHECK(file.write_ascii(m_position));
    WT_CHECK(file.write(" "));
    WT_CHECK(m_string.serialize(file, false));
    WT_CHECK(m_overscore.serialize_option(file));
    WT_CHECK(m_underscore.serialize_option(file));
    WT_CHECK(m_bounds.serialize_option(file));
    if (file.target_version() >= 600)
        WT_CHECK(m_char_positions.serialize_option(file));
    return file.write(")");
}

WT_Result WT_Text::write_binary(WT_File& file, bool extended)
{
    // The extended form carries its box; a text without one cannot use it.
    if (extended && !m_bounds.bounds())
        return WT_Result_Usage_Error;
    WT_CHECK(file.write_byte(extended ? 0x18 : 'x'));
    WT_Logical_Point const delta = file.update_current_point(m_position);
    std::int32_t const position[2] = {delta.m_x, delta.m_y};
    WT_CHECK(file.write(2, position));
    WT_CHECK(m_string.serialize(file, true));
    if (!extended)
        return WT_Result_Success;
    WT_CHECK(m_overscore.serialize_option(file));
    WT_CHECK(m_underscore.serialize_option(file));
    for (WT_Logical_Point const& corner : *m_bounds.bounds())
    {
        WT_Logical_Point const d = file.update_current_point(corner);
        std::int32_t const pair[2] = {d.m_x, d.m_y};
        WT_CHECK(file.write(2, pair));
    }
    if (file.target_version() >= 600)
        WT_CHECK(m_char_positions.serialize_option(file));
    return WT_Result_Success;
}

void WT_Text::update_bounds(WT_File& file)
{
    if (m_bounds.bounds())
    {
        widen_bounds((*m_bounds.bounds())[0]);
        widen_bounds((*m_bounds.bounds())[1]);
        return;
    }
    widen_bounds(m_position);
    if (m_string.empty())
        return;

    file.rendition().mark_changed(WT_Attribute_Set::Font_Bit);
    WT_Font const& font = file.rendition().font();
    WT_Text_Font_Description description;
    description.m_name.assign(font.font_name().font_name().unicode(),
                              font.font_name().font_name().length());
    description.m_height = font.height().height();
    description.m_charset = font.charset().value();
    description.m_pitch = font.pitch().value();
    description.m_family = font.family().value();
    description.m_bold = font.style().bold();
    description.m_italic = font.style().italic();
    description.m_underlined = font.style().underlined();

    WT_Text_Metrics& metrics =
        file.text_metrics() ? *file.text_metrics() : WT_Text_Metrics::unavailable();
    WT_Text_Extent extent;
    std::u16string const text(m_string.unicode(), m_string.length());
    if (!metrics.measure(description, text, extent) || !(extent.m_em_height > 0))
        return;

    auto far_corner = [](std::int32_t origin, double size)
    {
        double const value = double(origin) + std::trunc(size);
        if (!(value < 2147483647.0))
            return std::int32_t(2147483647);
        if (value < -2147483648.0)
            return std::int32_t(-2147483647 - 1);
        return std::int32_t(value);
    };
    double const scale = double(description.m_height) / extent.m_em_height;
    widen_bounds(WT_Logical_Point(far_corner(m_position.m_x, extent.m_width * scale),
                                  far_corner(m_position.m_y, extent.m_height * scale)));
}
