#pragma once

#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/string.h"

#include <cstdint>

// The eleven options of a font. Each is written as " (Name value)" inside
// "(Font ...)" and as its bare binary value after the 0x06 opcode; each
// materialize_option reads the ASCII form when given the option's own
// "(Name" token and the binary form when given the font's single-byte opcode.

class WT_Font_Option_Name : public WT_Option
{
public:
    WT_Font_Option_Name() : m_name("Arial") {}
    const WT_String& font_name() const { return m_name; }
    void set(const WT_String& name) { m_name = name; }

    WT_ID object_id() const override { return Font_Option_Name_ID; }
    WT_Result materialize_option(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize_option(WT_File& file) override;

private:
    WT_String m_name;
    int m_stage = 0;
};

// A byte-sized option written as a keyword where the table has one.
class WT_Font_Option_Byte : public WT_Option
{
public:
    std::uint8_t value() const { return m_value; }
    void set(std::uint8_t value) { m_value = value; }

    WT_Result materialize_option(const WT_Opcode& opcode, WT_File& file) override;
    // 10 for a pitch or family with no keyword.
    WT_Result serialize_option(WT_File& file) override;

    // The keyword for a value, or null.
    const char* keyword(int value) const;

protected:
    explicit WT_Font_Option_Byte(std::uint8_t value) : m_value(value) {}

private:
    std::uint8_t m_value;
    int m_stage = 0;
};

class WT_Font_Option_Charset : public WT_Font_Option_Byte
{
public:
    WT_Font_Option_Charset() : WT_Font_Option_Byte(0) {}
    WT_ID object_id() const override { return Font_Option_Charset_ID; }
};

class WT_Font_Option_Pitch : public WT_Font_Option_Byte
{
public:
    WT_Font_Option_Pitch() : WT_Font_Option_Byte(2) {}
    WT_ID object_id() const override { return Font_Option_Pitch_ID; }
};

class WT_Font_Option_Family : public WT_Font_Option_Byte
{
public:
    WT_Font_Option_Family() : WT_Font_Option_Byte(16) {}
    WT_ID object_id() const override { return Font_Option_Family_ID; }
};

// Words inside "(Style ...)" come back as bare words.
class WT_Font_Optioncode : public WT_Optioncode
{
public:
    enum
    {
        Unknown_Option = 0,
        Name_Option,
        Charset_Option,
        Pitch_Option,
        Family_Option,
        Style_Option,
        Height_Option,
        Rotation_Option,
        Widthscale_Option,
        Spacing_Option,
        Oblique_Option,
        Flags_Option,
    };
    int option_id_from_optioncode() const override;
};

class WT_Font_Option_Style : public WT_Option
{
public:
    enum : std::uint8_t
    {
        Bold_Bit = 1,
        Italic_Bit = 2,
        Underlined_Bit = 4,
    };

    bool bold() const { return m_style & Bold_Bit; }
    bool italic() const { return m_style & Italic_Bit; }
    bool underlined() const { return m_style & Underlined_Bit; }
    void set_bold(bool on) { set_bit(Bold_Bit, on); }
    void set_italic(bool on) { set_bit(Italic_Bit, on); }
    void set_underlined(bool on) { set_bit(Underlined_Bit, on); }
    std::uint8_t style() const { return m_style; }
    void set_style(std::uint8_t style) { m_style = style; }

    WT_ID object_id() const override { return Font_Option_Style_ID; }
    WT_Result materialize_option(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize_option(WT_File& file) override;

private:
    void set_bit(std::uint8_t bit, bool on) { m_style = on ? (m_style | bit) : (m_style & ~bit); }

    std::uint8_t m_style = 0;
    std::uint8_t m_reading = 0;
    int m_stage = 0;
    WT_Font_Optioncode m_word;
};

// A number: the height (signed 32-bit), the flags (unsigned 32-bit) and the
// 16-bit rotation, width scale, spacing and oblique angle.
class WT_Font_Option_Number : public WT_Option
{
public:
    std::int64_t value() const { return m_value; }

    WT_Result materialize_option(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize_option(WT_File& file) override;

protected:
    enum Width
    {
        Signed_32,
        Unsigned_32,
        Unsigned_16,
    };
    WT_Font_Option_Number(const char* ascii_name, Width width, std::int64_t value)
        : m_ascii_name(ascii_name), m_width(width), m_value(value)
    {
    }
    void set_value(std::int64_t value) { m_value = value; }
    // The value as written to file (the height and rotation follow the
    // file's transform).
    virtual std::int64_t value_to_write(const WT_File& file) const;

private:
    const char* m_ascii_name;
    Width m_width;
    std::int64_t m_value;
    int m_stage = 0;
};

class WT_Font_Option_Height : public WT_Font_Option_Number
{
public:
    WT_Font_Option_Height() : WT_Font_Option_Number(" (Height ", Signed_32, 1000) {}
    std::int32_t height() const { return std::int32_t(value()); }
    void set(std::int32_t height) { set_value(height); }
    WT_ID object_id() const override { return Font_Option_Height_ID; }

protected:
    // Written unsigned, and scaled with the file's transform.
    std::int64_t value_to_write(const WT_File& file) const override;
};

class WT_Font_Option_Rotation : public WT_Font_Option_Number
{
public:
    WT_Font_Option_Rotation() : WT_Font_Option_Number(" (Rotation ", Unsigned_16, 0) {}
    std::uint16_t rotation() const { return std::uint16_t(value()); }
    void set(std::uint16_t rotation) { set_value(rotation); }
    WT_ID object_id() const override { return Font_Option_Rotation_ID; }

protected:
    // Turned on by the quarter turns of the file's transform.
    std::int64_t value_to_write(const WT_File& file) const override;
};

class WT_Font_Option_Widthscale : public WT_Font_Option_Number
{
public:
    WT_Font_Option_Widthscale() : WT_Font_Option_Number(" (Widthscale ", Unsigned_16, 1024) {}
    std::uint16_t widthscale() const { return std::uint16_t(value()); }
    void set(std::uint16_t scale) { set_value(scale); }
    WT_ID object_id() const override { return Font_Option_Widthscale_ID; }
};

class WT_Font_Option_Spacing : public WT_Font_Option_Number
{
public:
    WT_Font_Option_Spacing() : WT_Font_Option_Number(" (Spacing ", Unsigned_16, 1024) {}
    std::uint16_t spacing() const { return std::uint16_t(value()); }
    void set(std::uint16_t spacing) { set_value(spacing); }
    WT_ID object_id() const override { return Font_Option_Spacing_ID; }
};

class WT_Font_Option_Oblique : public WT_Font_Option_Number
{
public:
    WT_Font_Option_Oblique() : WT_Font_Option_Number(" (Oblique ", Unsigned_16, 0) {}
    std::uint16_t oblique() const { return std::uint16_t(value()); }
    void set(std::uint16_t oblique) { set_value(oblique); }
    WT_ID object_id() const override { return Font_Option_Oblique_ID; }
};

class WT_Font_Option_Flags : public WT_Font_Option_Number
{
public:
    WT_Font_Option_Flags() : WT_Font_Option_Number(" (Flags ", Unsigned_32, 0) {}
    std::uint32_t flags() const { return std::uint32_t(value()); }
    void set(std::uint32_t flags) { set_value(flags); }
    WT_ID object_id() const override { return Font_Option_Flags_ID; }
};
