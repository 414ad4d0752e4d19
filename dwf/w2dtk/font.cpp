#include "dwf/w2dtk/font.h"

#include "dwf/w2dtk/file.h"

#include <vector>

namespace
{
enum Stage
{
    Binary_Mask = 0,
    Binary_Options = 1,
    Old_Name_Length = 20,
    Old_Name = 21,
    Old_Style = 22,
    Old_Charset = 23,
    Old_Pitch_Family = 24,
    Ascii_Next = 40,
    Ascii_Value = 41,
    Ascii_Skip = 42,
    Ascii_Close = 43,
};

bool waiting(WT_Result result)
{
    return result == WT_Result_Waiting_For_Data || result == WT_Result_End_Of_Input;
}

// The binary font before version 0.31 carried only name, style, charset,
// pitch and family.
constexpr int First_Masked_Font_Version = 31;
} // namespace

WT_Font::WT_Font(const WT_String& name, bool bold, bool italic, bool underlined,
                 std::uint8_t charset, std::uint8_t pitch, std::uint8_t family, std::int32_t height,
                 std::uint16_t rotation, std::uint16_t width_scale, std::uint16_t spacing,
                 std::uint16_t oblique, std::uint32_t flags)
{
    m_name.set(name);
    m_style.set_bold(bold);
    m_style.set_italic(italic);
    m_style.set_underlined(underlined);
    m_charset.set(charset);
    m_pitch.set(pitch);
    m_family.set(family);
    m_height.set(height);
    m_rotation.set(rotation);
    m_width_scale.set(width_scale);
    m_spacing.set(spacing);
    m_oblique.set(oblique);
    m_flags.set(flags);
}

WT_Option& WT_Font::option(int index)
{
    WT_Option* const options[] = {&m_name,    &m_charset, &m_pitch,    &m_family,
                                  &m_style,   &m_height,  &m_rotation, &m_width_scale,
                                  &m_spacing, &m_oblique, &m_flags};
    return *options[index];
}

std::uint16_t WT_Font::differing_fields(const WT_Font& o) const
{
    std::uint16_t fields = 0;
    if (m_name.font_name() != o.m_name.font_name())
        fields |= Name_Bit;
    if (m_charset.value() != o.m_charset.value())
        fields |= Charset_Bit;
    if (m_pitch.value() != o.m_pitch.value())
        fields |= Pitch_Bit;
    if (m_family.value() != o.m_family.value())
        fields |= Family_Bit;
    if (m_style.style() != o.m_style.style())
        fields |= Style_Bit;
    if (m_height.height() != o.m_height.height())
        fields |= Height_Bit;
    if (m_rotation.rotation() != o.m_rotation.rotation())
        fields |= Rotation_Bit;
    if (m_width_scale.widthscale() != o.m_width_scale.widthscale())
        fields |= Widthscale_Bit;
    if (m_spacing.spacing() != o.m_spacing.spacing())
        fields |= Spacing_Bit;
    if (m_oblique.oblique() != o.m_oblique.oblique())
        fields |= Oblique_Bit;
    if (m_flags.flags() != o.m_flags.flags())
        fields |= Flags_Bit;
    return fields;
}

void WT_Font::copy_fields(const WT_Font& o, std::uint16_t fields)
{
    if (fields & Name_Bit)
        m_name.set(o.m_name.font_name());
    if (fields & Charset_Bit)
        m_charset.set(o.m_charset.value());
    if (fields & Pitch_Bit)
        m_pitch.set(o.m_pitch.value());
    if (fields & Family_Bit)
        m_family.set(o.m_family.value());
    if (fields & Style_Bit)
        m_style.set_style(o.m_style.style());
    if (fields & Height_Bit)
        m_height.set(o.m_height.height());
    if (fields & Rotation_Bit)
        m_rotation.set(o.m_rotation.rotation());
    if (fields & Widthscale_Bit)
        m_width_scale.set(o.m_width_scale.widthscale());
    if (fields & Spacing_Bit)
        m_spacing.set(o.m_spacing.spacing());
    if (fields & Oblique_Bit)
        m_oblique.set(o.m_oblique.oblique());
    if (fields & Flags_Bit)
        m_flags.set(o.m_flags.flags());
}

WT_Result WT_Font::materialize(const WT_Opcode& opcode, WT_File& file)
{
    bool const binary = opcode.type() == WT_Opcode::Single_Byte;
    if (binary && opcode.first_byte() != 0x06)
        return WT_Result_Foreign_Opcode;
    if (!binary && opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    if (m_stage == Binary_Mask)
    {
        if (!binary)
        {
            m_reading_fields = 0;
            m_stage = Ascii_Next;
        }
        else if (file.stream_version() < First_Masked_Font_Version)
            m_stage = Old_Name_Length;
    }
    WT_Result const result = m_stage >= Old_Name_Length && m_stage < Ascii_Next
                                 ? materialize_old_binary(file)
                                 : materialize_fields(opcode, file);
    // A failed read starts over with the next call instead of resuming half way.
    if (result != WT_Result_Success && !waiting(result))
        m_stage = Binary_Mask;
    return result;
}

WT_Result WT_Font::materialize_fields(const WT_Opcode& opcode, WT_File& file)
{
    for (;;)
    {
        switch (m_stage)
        {
        case Binary_Mask:
            WT_CHECK(file.read_u16(m_reading_fields));
            if (m_reading_fields & ~All_Fields)
                return WT_Result_Corrupt_Stream;
            m_option = 0;
            m_stage = Binary_Options;
            break;
        case Binary_Options:
            while (m_option < 11)
            {
                if (m_reading_fields & (1u << m_option))
                {
                    WT_CHECK(option(m_option).materialize_option(opcode, file));
                }
                ++m_option;
            }
            m_fields = m_reading_fields;
            m_stage = Binary_Mask;
            set_materialized();
            return WT_Result_Success;
        case Ascii_Next:
            WT_CHECK(m_optioncode.get_opcode(file, true));
            if (m_optioncode.type() == WT_Opcode::Close_Paren)
                m_stage = Ascii_Close;
            else
            {
                m_option = m_optioncode.option_id_from_optioncode();
                m_stage = m_option == WT_Font_Optioncode::Unknown_Option ? Ascii_Skip : Ascii_Value;
            }
            break;
        case Ascii_Value:
            WT_CHECK(option(m_option - 1).materialize_option(m_optioncode, file));
            m_reading_fields |= std::uint16_t(1u << (m_option - 1));
            m_stage = Ascii_Next;
            break;
        case Ascii_Skip:
            // Options this toolkit does not know are passed over whole.
            if (m_optioncode.type() == WT_Opcode::Extended_ASCII)
            {
                WT_CHECK(m_optioncode.skip_operand(file));
            }
            m_stage = Ascii_Next;
            break;
        case Ascii_Close:
            WT_CHECK(opcode.skip_operand(file));
            m_fields = m_reading_fields;
            m_stage = Binary_Mask;
            set_materialized();
            return WT_Result_Success;
        default:
            return WT_Result_Not_Available;
        }
    }
}

WT_Result WT_Font::materialize_old_binary(WT_File& file)
{
    for (;;)
    {
        switch (m_stage)
        {
        case Old_Name_Length:
            WT_CHECK(file.read_count(m_old_name_length));
            m_stage = Old_Name;
            break;
        case Old_Name:
        {
            // At most 65,791 bytes: the count form cannot say more.
            std::vector<char> name(static_cast<std::size_t>(m_old_name_length));
            WT_CHECK(file.read(name.size(), name.data()));
            WT_String text;
            text.set_from_stream_bytes(name.size(), name.data());
            m_name.set(text);
            m_stage = Old_Style;
            break;
        }
        case Old_Style:
        {
            std::uint8_t style = 0;
            WT_CHECK(file.read_byte(style));
            m_style.set_style(style &
                              (WT_Font_Option_Style::Bold_Bit | WT_Font_Option_Style::Italic_Bit));
            m_stage = Old_Charset;
            break;
        }
        case Old_Charset:
        {
            std::int32_t charset = 0;
            WT_CHECK(file.read_s32(charset));
            if (charset < 0 || charset > 255)
                return WT_Result_Corrupt_Stream;
            m_charset.set(std::uint8_t(charset));
            m_stage = Old_Pitch_Family;
            break;
        }
        default:
        {
            std::int32_t word = 0;
            WT_CHECK(file.read_s32(word));
            m_pitch.set(std::uint8_t(word & 0x3));
            m_family.set(std::uint8_t(word & 0x70));
            m_fields = Name_Bit | Charset_Bit | Pitch_Bit | Family_Bit | Style_Bit;
            m_stage = Binary_Mask;
            set_materialized();
            return WT_Result_Success;
        }
        }
    }
}

WT_Result WT_Font::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() == WT_Opcode::Extended_ASCII)
        return opcode.skip_operand(file);
    // The binary operand's length depends on its mask: read it.
    return materialize(opcode, file);
}

WT_Result WT_Font::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.desired_rendition().sync(file, WT_Attribute_Set::Font_Extension_Bit));
    WT_File::WT_File_Heuristics const& choices = file.heuristics();
    if (choices.m_apply_transform && !m_rotation_forced && choices.m_transform.m_rotation != 0)
    {
        // The transform turns the text, so the rotation must be written.
        m_fields |= Rotation_Bit;
        m_rotation_forced = true;
    }
    if (file.binary_output())
    {
        WT_CHECK(file.write_byte(0x06));
        WT_CHECK(file.write_u16(m_fields));
    }
    else
    {
        WT_CHECK(file.write_tab_level());
        WT_CHECK(file.write("(Font"));
    }
    for (int i = 0; i < 11; ++i)
        if (m_fields & (1u << i))
            WT_CHECK(option(i).serialize_option(file));
    return file.binary_output() ? WT_Result_Success : file.write(")");
}

WT_Result WT_Font::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Font_Bit);
    std::uint16_t const fields = differing_fields(current.font());
    if (fields == 0)
        return WT_Result_Success;
    m_fields = fields;
    WT_Result const result = serialize(file);
    current.font() = *this;
    return result;
}

bool WT_Font::operator==(const WT_Attribute& other) const
{
    return other.object_id() == Font_ID &&
           differing_fields(static_cast<const WT_Font&>(other)) == 0;
}

WT_Result WT_Font::default_process(WT_File& file)
{
    file.rendition().font().copy_fields(*this, m_fields);
    file.rendition().mark_changed(WT_Attribute_Set::Font_Bit);
    return WT_Result_Success;
}
