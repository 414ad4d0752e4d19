#include "dwf/w2dtk/font_options.h"

#include "dwf/w2dtk/file.h"

#include <cstdlib>
#include <string>

namespace
{
struct Keyword
{
    int value;
    const char* word;
};

const Keyword Charsets[] = {
    {0, "ANSI"},         {1, "DEFAULT"},       {2, "SYMBOL"},       {77, "MAC"},
    {87, "UNICODE"},     {128, "SHIFTJIS"},    {129, "HANGEUL"},    {130, "JOHAB"},
    {134, "GB2312"},     {136, "CHINESEBIG5"}, {161, "GREEK"},      {162, "TURKISH"},
    {163, "VIETNAMESE"}, {177, "HEBREW"},      {178, "ARABIC"},     {186, "BALTIC"},
    {204, "RUSSIAN"},    {222, "THAI"},        {238, "EASTEUROPE"}, {255, "OEM"},
};
const Keyword Pitches[] = {{0, "default"}, {1, "fixed"}, {2, "variable"}};
const Keyword Families[] = {{0, "unknown"}, {16, "roman"},  {32, "swiss"},
                            {48, "modern"}, {64, "script"}, {80, "decorative"}};

template <std::size_t N> const char* find_word(const Keyword (&table)[N], int value)
{
    for (const Keyword& k : table)
        if (k.value == value)
            return k.word;
    return nullptr;
}

template <std::size_t N> int find_value(const Keyword (&table)[N], const std::string& word)
{
    for (const Keyword& k : table)
        if (word == k.word)
            return k.value;
    return -1;
}

// A decimal number 0 to 255, or -1.
int byte_number(const std::string& text)
{
    if (text.empty() || text.size() > 3)
        return -1;
    int value = 0;
    for (char c : text)
    {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value <= 255 ? value : -1;
}

bool is_binary(const WT_Opcode& opcode)
{
    return opcode.type() == WT_Opcode::Single_Byte;
}
} // namespace

// ---------------------------------------------------------------- name

WT_Result WT_Font_Option_Name::materialize_option(const WT_Opcode& opcode, WT_File& file)
{
    if (m_stage == 0)
    {
        WT_CHECK(m_name.materialize(file));
        if (is_binary(opcode))
            return WT_Result_Success;
        m_stage = 1;
    }
    WT_CHECK(opcode.skip_operand(file));
    m_stage = 0;
    return WT_Result_Success;
}

WT_Result WT_Font_Option_Name::serialize_option(WT_File& file)
{
    if (file.binary_output())
        return m_name.serialize(file, true);
    WT_CHECK(file.write(" (Name "));
    WT_CHECK(m_name.serialize(file, false));
    return file.write(")");
}

// ---------------------------------------------------------------- byte options

const char* WT_Font_Option_Byte::keyword(int value) const
{
    switch (object_id())
    {
    case Font_Option_Charset_ID:
        return find_word(Charsets, value);
    case Font_Option_Pitch_ID:
        return find_word(Pitches, value);
    default:
        return find_word(Families, value);
    }
}

WT_Result WT_Font_Option_Byte::materialize_option(const WT_Opcode& opcode, WT_File& file)
{
    if (is_binary(opcode))
        return file.read_byte(m_value);
    if (m_stage == 0)
    {
        std::string word;
        WT_CHECK(file.read_ascii_string(WT_Opcode::Max_Name_Length, word));
        int value = -1;
        switch (object_id())
        {
        case Font_Option_Charset_ID:
            value = find_value(Charsets, word);
            break;
        case Font_Option_Pitch_ID:
            value = find_value(Pitches, word);
            break;
        default:
            value = find_value(Families, word);
            break;
        }
        if (value < 0)
            value = byte_number(word);
        if (value < 0)
            return WT_Result_Corrupt_Stream;
        m_value = std::uint8_t(value);
        m_stage = 1;
    }
    WT_CHECK(opcode.skip_operand(file));
    m_stage = 0;
    return WT_Result_Success;
}

WT_Result WT_Font_Option_Byte::serialize_option(WT_File& file)
{
    const char* word = keyword(m_value);
    if (!word && object_id() != Font_Option_Charset_ID)
        return WT_Result_Not_Available;
    if (file.binary_output())
        return file.write_byte(m_value);
    switch (object_id())
    {
    case Font_Option_Charset_ID:
        WT_CHECK(file.write(" (Charset "));
        break;
    case Font_Option_Pitch_ID:
        WT_CHECK(file.write(" (Pitch "));
        break;
    default:
        WT_CHECK(file.write(" (Family "));
        break;
    }
    if (word)
        WT_CHECK(file.write(word));
    else
        WT_CHECK(file.write_ascii(std::uint32_t(m_value)));
    return file.write(")");
}

// ---------------------------------------------------------------- style

int WT_Font_Optioncode::option_id_from_optioncode() const
{
    static const char* const names[] = {"(Name",    "(Charset", "(Pitch",    "(Family",
                                        "(Style",   "(Height",  "(Rotation", "(Widthscale",
                                        "(Spacing", "(Oblique", "(Flags"};
    if (type() != Extended_ASCII)
        return Unknown_Option;
    for (int i = 0; i < 11; ++i)
        if (is(names[i]))
            return i + 1;
    return Unknown_Option;
}

WT_Result WT_Font_Option_Style::materialize_option(const WT_Opcode& opcode, WT_File& file)
{
    if (is_binary(opcode))
        return file.read_byte(m_style);
    enum
    {
        Start = 0,
        Word = 1,
        Nested = 2,
        Close = 3,
    };
    for (;;)
    {
        switch (m_stage)
        {
        case Start:
            m_reading = 0;
            m_stage = Word;
            break;
        case Word:
        {
            WT_Result result = m_word.get_opcode(file, true);
            if (result != WT_Result_Success)
            {
                if (result != WT_Result_Waiting_For_Data && result != WT_Result_End_Of_Input)
                    m_stage = Start;
                return result;
            }
            if (m_word.type() == WT_Opcode::Close_Paren)
                m_stage = Close;
            else if (m_word.type() == WT_Opcode::Extended_ASCII)
                m_stage = Nested;
            else if (m_word.is("bold"))
                m_reading |= Bold_Bit;
            else if (m_word.is("italic"))
                m_reading |= Italic_Bit;
            else if (m_word.is("underlined"))
                m_reading |= Underlined_Bit;
            // Other words are ignored.
            break;
        }
        case Nested:
        {
            WT_Result result = m_word.skip_operand(file);
            if (result != WT_Result_Success)
            {
                if (result != WT_Result_Waiting_For_Data && result != WT_Result_End_Of_Input)
                    m_stage = Start;
                return result;
            }
            m_stage = Word;
            break;
        }
        default:
        {
            WT_Result result = opcode.skip_operand(file);
            if (result != WT_Result_Success)
            {
                if (result != WT_Result_Waiting_For_Data && result != WT_Result_End_Of_Input)
                    m_stage = Start;
                return result;
            }
            m_style = m_reading;
            m_stage = Start;
            return WT_Result_Success;
        }
        }
    }
}

WT_Result WT_Font_Option_Style::serialize_option(WT_File& file)
{
    if (file.binary_output())
        return file.write_byte(m_style);
    WT_CHECK(file.write(" (Style"));
    if (bold())
        WT_CHECK(file.write(" bold"));
    if (italic())
        WT_CHECK(file.write(" italic"));
    if (underlined())
        WT_CHECK(file.write(" underlined"));
    return file.write(")");
}

// ---------------------------------------------------------------- numbers

std::int64_t WT_Font_Option_Number::value_to_write(const WT_File&) const
{
    return m_value;
}

std::int64_t WT_Font_Option_Height::value_to_write(const WT_File& file) const
{
    std::int64_t height = value();
    if (file.heuristics().m_apply_transform)
    {
        double const scaled = double(height) * file.heuristics().m_transform.m_y_scale;
        height = scaled >= 2147483647.0    ? 2147483647
                 : scaled <= -2147483647.0 ? -2147483647
                                           : std::int64_t(scaled);
    }
    return height < 0 ? -height : height;
}

std::int64_t WT_Font_Option_Rotation::value_to_write(const WT_File& file) const
{
    std::int64_t rotation = value();
    if (file.heuristics().m_apply_transform)
        rotation += std::int64_t(file.heuristics().m_transform.m_rotation) / 90 * 16384;
    return rotation & 0xFFFF;
}

WT_Result WT_Font_Option_Number::materialize_option(const WT_Opcode& opcode, WT_File& file)
{
    if (is_binary(opcode))
    {
        switch (m_width)
        {
        case Signed_32:
        {
            std::int32_t v = 0;
            WT_CHECK(file.read_s32(v));
            m_value = v;
            return WT_Result_Success;
        }
        case Unsigned_32:
        {
            std::uint32_t v = 0;
            WT_CHECK(file.read_u32(v));
            m_value = v;
            return WT_Result_Success;
        }
        default:
        {
            std::uint16_t v = 0;
            WT_CHECK(file.read_u16(v));
            m_value = v;
            return WT_Result_Success;
        }
        }
    }
    if (m_stage == 0)
    {
        switch (m_width)
        {
        case Signed_32:
        {
            std::int32_t v = 0;
            WT_CHECK(file.read_ascii(v));
            m_value = v;
            break;
        }
        case Unsigned_32:
        {
            std::uint32_t v = 0;
            WT_CHECK(file.read_ascii(v));
            m_value = v;
            break;
        }
        default:
        {
            std::uint16_t v = 0;
            WT_CHECK(file.read_ascii(v));
            m_value = v;
            break;
        }
        }
        m_stage = 1;
    }
    WT_CHECK(opcode.skip_operand(file));
    m_stage = 0;
    return WT_Result_Success;
}

WT_Result WT_Font_Option_Number::serialize_option(WT_File& file)
{
    std::int64_t const v = value_to_write(file);
    if (file.binary_output())
    {
        switch (m_width)
        {
        case Signed_32:
            return file.write_s32(std::int32_t(v));
        case Unsigned_32:
            return file.write_u32(std::uint32_t(v));
        default:
            return file.write_u16(std::uint16_t(v));
        }
    }
    WT_CHECK(file.write(m_ascii_name));
    if (m_width == Unsigned_32)
        WT_CHECK(file.write_ascii(std::uint32_t(v)));
    else
        WT_CHECK(file.write_ascii(std::int32_t(v)));
    return file.write(")");
}
