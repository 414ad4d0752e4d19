#pragma once

#include "dwf/w2dtk/font_options.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/string.h"

#include <cstdint>

// The typeface of following text: eleven options, of which a font carries
// those whose bit is set in its fields mask. A change from the font last
// written writes only the options that differ.
class WT_Font : public WT_Attribute
{
public:
    enum WT_Field_Bit : std::uint16_t
    {
        Name_Bit = 0x1,
        Charset_Bit = 0x2,
        Pitch_Bit = 0x4,
        Family_Bit = 0x8,
        Style_Bit = 0x10,
        Height_Bit = 0x20,
        Rotation_Bit = 0x40,
        Widthscale_Bit = 0x80,
        Spacing_Bit = 0x100,
        Oblique_Bit = 0x200,
        Flags_Bit = 0x400,
        All_Fields = 0x7FF,
    };

    WT_Font() = default;
    WT_Font(const WT_String& name, bool bold, bool italic, bool underlined, std::uint8_t charset,
            std::uint8_t pitch, std::uint8_t family, std::int32_t height, std::uint16_t rotation,
            std::uint16_t width_scale, std::uint16_t spacing, std::uint16_t oblique,
            std::uint32_t flags);

    WT_Font_Option_Name& font_name() { return m_name; }
    WT_Font_Option_Charset& charset() { return m_charset; }
    WT_Font_Option_Pitch& pitch() { return m_pitch; }
    WT_Font_Option_Family& family() { return m_family; }
    WT_Font_Option_Style& style() { return m_style; }
    WT_Font_Option_Height& height() { return m_height; }
    WT_Font_Option_Rotation& rotation() { return m_rotation; }
    WT_Font_Option_Widthscale& width_scale() { return m_width_scale; }
    WT_Font_Option_Spacing& spacing() { return m_spacing; }
    WT_Font_Option_Oblique& oblique() { return m_oblique; }
    WT_Font_Option_Flags& flags() { return m_flags; }
    const WT_Font_Option_Name& font_name() const { return m_name; }
    const WT_Font_Option_Charset& charset() const { return m_charset; }
    const WT_Font_Option_Pitch& pitch() const { return m_pitch; }
    const WT_Font_Option_Family& family() const { return m_family; }
    const WT_Font_Option_Style& style() const { return m_style; }
    const WT_Font_Option_Height& height() const { return m_height; }
    const WT_Font_Option_Rotation& rotation() const { return m_rotation; }
    const WT_Font_Option_Widthscale& width_scale() const { return m_width_scale; }
    const WT_Font_Option_Spacing& spacing() const { return m_spacing; }
    const WT_Font_Option_Oblique& oblique() const { return m_oblique; }
    const WT_Font_Option_Flags& flags() const { return m_flags; }

    std::uint16_t fields_defined() const { return m_fields; }
    void set_fields_defined(std::uint16_t fields) { m_fields = fields & All_Fields; }
    // The options in which other's values differ from this font's.
    std::uint16_t differing_fields(const WT_Font& other) const;
    // Takes other's values for the options in fields.
    void copy_fields(const WT_Font& other, std::uint16_t fields);

    WT_ID object_id() const override { return Font_ID; }
    int action_slot() const override { return 28; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    // Takes the options this font carries into the current rendition's font;
    // the others stay as they were.
    WT_Result default_process(WT_File& file) override;

private:
    WT_Option& option(int index); // 0..10 in field order
    WT_Result materialize_fields(const WT_Opcode& opcode, WT_File& file);
    WT_Result materialize_old_binary(WT_File& file);

    WT_Font_Option_Name m_name;
    WT_Font_Option_Charset m_charset;
    WT_Font_Option_Pitch m_pitch;
    WT_Font_Option_Family m_family;
    WT_Font_Option_Style m_style;
    WT_Font_Option_Height m_height;
    WT_Font_Option_Rotation m_rotation;
    WT_Font_Option_Widthscale m_width_scale;
    WT_Font_Option_Spacing m_spacing;
    WT_Font_Option_Oblique m_oblique;
    WT_Font_Option_Flags m_flags;
    int m_stage = 0;
    int m_option = 0;
    std::uint16_t m_reading_fields = 0;
    long m_old_name_length = 0;
    WT_Font_Optioncode m_optioncode;
    bool m_rotation_forced = false;
    std::uint16_t m_fields = All_Fields;
};
