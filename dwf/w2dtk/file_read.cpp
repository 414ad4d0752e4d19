// The typed read operations of WT_File. Each multi-byte ASCII reader keeps its
// stage and partial value in the file, so that a read that ran out of input
// (WT_Result_Waiting_For_Data) continues where it stopped when called again.
#include "dwf/w2dtk/file.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <type_traits>

namespace
{
bool is_whitespace(std::uint8_t c)
{
    return c == 0 || c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

bool is_digit(std::uint8_t c)
{
    return c >= '0' && c <= '9';
}

// Longest ASCII number text accepted by the double reader.
constexpr std::size_t Max_Number_Text = 400;

template <class T> T from_little_endian(const std::uint8_t* bytes)
{
    using U = std::make_unsigned_t<T>;
    U u = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        u = U(u | (U(bytes[i]) << (8 * i)));
    return static_cast<T>(u);
}

template <class T> WT_Result read_little_endian(WT_File& file, T& value)
{
    std::uint8_t bytes[sizeof(T)];
    WT_CHECK(file.read(sizeof(T), bytes));
    value = from_little_endian<T>(bytes);
    return WT_Result_Success;
}

template <class T> WT_Result read_little_endian_array(WT_File& file, std::size_t count, T* values)
{
    if (count > WT_File::Max_Operand_Bytes / sizeof(T))
        return WT_Result_Corrupt_Stream;
    // All or nothing, like every read; the bytes land in place and are then decoded.
    auto* bytes = reinterpret_cast<std::uint8_t*>(values);
    WT_CHECK(file.read(count * sizeof(T), bytes));
    for (std::size_t i = 0; i < count; ++i)
    {
        std::uint8_t copy[sizeof(T)];
        std::memcpy(copy, bytes + i * sizeof(T), sizeof(T));
        values[i] = from_little_endian<T>(copy);
    }
    return WT_Result_Success;
}
} // namespace

WT_Result WT_File::read_u16(std::uint16_t& value)
{
    return read_little_endian(*this, value);
}

WT_Result WT_File::read_s16(std::int16_t& value)
{
    return read_little_endian(*this, value);
}

WT_Result WT_File::read_u32(std::uint32_t& value)
{
    return read_little_endian(*this, value);
}

WT_Result WT_File::read_s32(std::int32_t& value)
{
    return read_little_endian(*this, value);
}

WT_Result WT_File::read_double(double& value)
{
    std::uint64_t bits = 0;
    WT_CHECK(read_little_endian(*this, bits));
    std::memcpy(&value, &bits, sizeof value);
    return WT_Result_Success;
}

WT_Result WT_File::read(std::size_t count, std::uint16_t* values)
{
    return read_little_endian_array(*this, count, values);
}

WT_Result WT_File::read(std::size_t count, std::int16_t* values)
{
    return read_little_endian_array(*this, count, values);
}

WT_Result WT_File::read(std::size_t count, std::uint32_t* values)
{
    return read_little_endian_array(*this, count, values);
}

WT_Result WT_File::read(std::size_t count, std::int32_t* values)
{
    return read_little_endian_array(*this, count, values);
}

WT_Result WT_File::read(std::size_t count, double* values)
{
    if (count > Max_Operand_Bytes / sizeof(double))
        return WT_Result_Corrupt_Stream;
    WT_CHECK(read(count * sizeof(double), static_cast<void*>(values)));
    for (std::size_t i = 0; i < count; ++i)
    {
        std::uint8_t bytes[8];
        std::memcpy(bytes, &values[i], 8);
        std::uint64_t bits = from_little_endian<std::uint64_t>(bytes);
        std::memcpy(&values[i], &bits, 8);
    }
    return WT_Result_Success;
}

WT_Result WT_File::read_rgba(WT_RGBA32& color)
{
    std::uint8_t bytes[4];
    WT_CHECK(read(4, bytes));
    // Streams before version 0.33 stored blue, green, red, alpha.
    if (stream_version() < 33)
        color = WT_RGBA32(bytes[2], bytes[1], bytes[0], bytes[3]);
    else
        color = WT_RGBA32(bytes[0], bytes[1], bytes[2], bytes[3]);
    return WT_Result_Success;
}

WT_Result WT_File::read_rgba(std::size_t count, WT_RGBA32* colors)
{
    while (m_read.m_array_done < count)
    {
        WT_CHECK(read_rgba(colors[m_read.m_array_done]));
        ++m_read.m_array_done;
    }
    m_read.m_array_done = 0;
    return WT_Result_Success;
}

WT_Result WT_File::read_count(long& count)
{
    std::uint8_t first = 0;
    WT_CHECK(read_byte(first));
    if (first != 0)
    {
        count = first;
        return WT_Result_Success;
    }
    std::uint16_t extra = 0;
    WT_Result result = read_u16(extra);
    if (result != WT_Result_Success)
    {
        put_back(first); // nothing consumed, so the repeated call starts over
        return result;
    }
    count = long(extra) + 256;
    return WT_Result_Success;
}

WT_Result WT_File::skip_whitespace()
{
    for (;;)
    {
        std::uint8_t c = 0;
        WT_CHECK(read_byte(c));
        if (!is_whitespace(c))
        {
            put_back(c);
            return WT_Result_Success;
        }
    }
}

WT_Result WT_File::read_ascii_integer(bool allow_sign, std::int64_t min, std::int64_t max,
                                      std::int64_t& value)
{
    Read_State& s = m_read;
    auto fail = [&s]()
    {
        s.m_int_stage = 0;
        s.m_int_value = 0;
        s.m_int_sign = 1;
        return WT_Result_Corrupt_Stream;
    };
    for (;;)
    {
        std::uint8_t c = 0;
        switch (s.m_int_stage)
        {
        case 0:
            WT_CHECK(skip_whitespace());
            s.m_int_value = 0;
            s.m_int_sign = 1;
            s.m_int_stage = allow_sign ? 1 : 3;
            break;
        case 1:
            WT_CHECK(read_byte(c));
            if (c == '-')
                s.m_int_sign = -1;
            else if (c != '+')
                put_back(c);
            s.m_int_stage = 2;
            break;
        case 2:
            WT_CHECK(skip_whitespace());
            s.m_int_stage = 3;
            break;
        case 3:
            WT_CHECK(read_byte(c));
            if (!is_digit(c))
                return fail();
            s.m_int_value = c - '0';
            s.m_int_stage = 4;
            break;
        default:
            WT_CHECK(read_byte(c));
            if (is_digit(c))
            {
                s.m_int_value = s.m_int_value * 10 + (c - '0');
                // Beyond any 32-bit value: stop before the accumulator overflows.
                if (s.m_int_value > (std::int64_t(1) << 33))
                    return fail();
                break;
            }
            put_back(c);
            {
                std::int64_t const v = s.m_int_sign * s.m_int_value;
                s.m_int_stage = 0;
                s.m_int_value = 0;
                s.m_int_sign = 1;
                if (v < min || v > max)
                    return WT_Result_Corrupt_Stream;
                value = v;
            }
            return WT_Result_Success;
        }
    }
}

WT_Result WT_File::read_ascii(std::int32_t& value)
{
    std::int64_t v = 0;
    WT_CHECK(read_ascii_integer(true, INT32_MIN, INT32_MAX, v));
    value = std::int32_t(v);
    return WT_Result_Success;
}

WT_Result WT_File::read_ascii(std::uint32_t& value)
{
    std::int64_t v = 0;
    WT_CHECK(read_ascii_integer(false, 0, UINT32_MAX, v));
    value = std::uint32_t(v);
    return WT_Result_Success;
}

WT_Result WT_File::read_ascii(std::uint16_t& value)
{
    std::int64_t v = 0;
    WT_CHECK(read_ascii_integer(true, 0, 65535, v));
    value = std::uint16_t(v);
    return WT_Result_Success;
}

WT_Result WT_File::read_ascii(std::int16_t& value)
{
    std::int64_t v = 0;
    WT_CHECK(read_ascii_integer(true, -32768, 32767, v));
    value = std::int16_t(v);
    return WT_Result_Success;
}

WT_Result WT_File::read_ascii(double& value)
{
    Read_State& s = m_read;
    auto finish = [&s](WT_Result result)
    {
        s.m_double_stage = 0;
        s.m_string.clear();
        return result;
    };
    for (;;)
    {
        std::uint8_t c = 0;
        switch (s.m_double_stage)
        {
        case 0:
            WT_CHECK(skip_whitespace());
            s.m_string.clear();
            s.m_double_stage = 1;
            break;
        case 1:
            WT_CHECK(read_byte(c));
            if (c == '-' || c == '+')
                s.m_string.push_back(char(c));
            else
                put_back(c);
            s.m_double_stage = 2;
            break;
        case 2:
            WT_CHECK(skip_whitespace());
            s.m_double_stage = 3;
            break;
        case 3:
            WT_CHECK(read_byte(c));
            if (is_digit(c))
                s.m_double_stage = 4;
            else if (c == '.' || c == ',')
            {
                s.m_string.push_back('0'); // ".5" reads as "0.5"
                s.m_double_stage = 5;
                c = '.';
            }
            else
                return finish(WT_Result_Corrupt_Stream);
            s.m_string.push_back(char(c));
            break;
        case 4: // integer digits
        case 5: // fraction digits
        case 7: // exponent digits
            WT_CHECK(read_byte(c));
            if (is_digit(c))
                s.m_string.push_back(char(c));
            else if (s.m_double_stage == 4 && (c == '.' || c == ','))
            {
                s.m_string.push_back('.');
                s.m_double_stage = 5;
            }
            else if (s.m_double_stage != 7 && (c == 'e' || c == 'E'))
            {
                s.m_string.push_back('e');
                s.m_double_stage = 6;
            }
            else
            {
                put_back(c);
                double parsed = 0;
                {
                    // strtod follows the thread's locale; parse under "C".
                    static locale_t const c_locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
                    locale_t const previous = c_locale ? uselocale(c_locale) : locale_t(nullptr);
                    char* end = nullptr;
                    parsed = std::strtod(s.m_string.c_str(), &end);
                    if (previous)
                        uselocale(previous);
                }
                if (!std::isfinite(parsed))
                    return finish(WT_Result_Corrupt_Stream);
                value = parsed;
                return finish(WT_Result_Success);
            }
            if (s.m_string.size() > Max_Number_Text)
                return finish(WT_Result_Corrupt_Stream);
            break;
        default: // exponent sign, then at least one digit
            WT_CHECK(read_byte(c));
            if (c == '-' || c == '+')
            {
                if (s.m_string.back() != 'e')
                    return finish(WT_Result_Corrupt_Stream);
                s.m_string.push_back(char(c));
                break;
            }
            if (!is_digit(c))
                return finish(WT_Result_Corrupt_Stream);
            s.m_string.push_back(char(c));
            s.m_double_stage = 7;
            break;
        }
    }
}

WT_Result WT_File::read_ascii(WT_Logical_Point& point)
{
    Read_State& s = m_read;
    for (;;)
    {
        switch (s.m_point_stage)
        {
        case 0:
            WT_CHECK(read_ascii(s.m_point_x));
            s.m_point_stage = 1;
            break;
        case 1:
        {
            std::uint8_t c = 0;
            WT_CHECK(read_byte(c));
            if (c != ',')
            {
                s.m_point_stage = 0;
                return WT_Result_Corrupt_Stream;
            }
            s.m_point_stage = 2;
            break;
        }
        default:
        {
            std::int32_t y = 0;
            WT_Result result = read_ascii(y);
            if (result == WT_Result_Waiting_For_Data || result == WT_Result_End_Of_Input)
                return result;
            s.m_point_stage = 0;
            if (result != WT_Result_Success)
                return result;
            point = WT_Logical_Point(s.m_point_x, y);
            return WT_Result_Success;
        }
        }
    }
}

WT_Result WT_File::read_ascii(WT_Logical_Box& box)
{
    Read_State& s = m_read;
    if (s.m_box_stage == 0)
    {
        WT_CHECK(read_ascii(s.m_box_min));
        s.m_box_stage = 1;
    }
    WT_Logical_Point max;
    WT_Result result = read_ascii(max);
    if (result == WT_Result_Waiting_For_Data || result == WT_Result_End_Of_Input)
        return result;
    s.m_box_stage = 0;
    if (result != WT_Result_Success)
        return result;
    box = WT_Logical_Box(s.m_box_min, max);
    return WT_Result_Success;
}

WT_Result WT_File::read_ascii(WT_RGBA32& color, bool allow_index)
{
    Read_State& s = m_read;
    auto fail = [&s]()
    {
        s.m_color_stage = 0;
        return WT_Result_Corrupt_Stream;
    };
    for (;;)
    {
        int const stage = s.m_color_stage;
        if (stage % 2 == 0)
        {
            // Stages 0, 2, 4, 6: a component.
            std::int32_t v = 0;
            WT_Result result = read_ascii(v);
            if (result == WT_Result_Corrupt_Stream)
                return fail();
            WT_CHECK(result);
            s.m_color_components[stage / 2] = v;
            if (stage == 6)
            {
                s.m_color_stage = 0;
                for (int c : s.m_color_components)
                    if (c < 0 || c > 255)
                        return WT_Result_Corrupt_Stream;
                color = WT_RGBA32(s.m_color_components[0], s.m_color_components[1],
                                  s.m_color_components[2], s.m_color_components[3]);
                return WT_Result_Success;
            }
            s.m_color_stage = stage + 1;
            continue;
        }
        // Stages 1, 3, 5: the comma after a component.
        std::uint8_t c = 0;
        WT_CHECK(read_byte(c));
        if (c == ',')
        {
            s.m_color_stage = stage + 1;
            continue;
        }
        put_back(c);
        if (stage != 1 || !allow_index)
            return fail();
        // A single integer is an index into the current colour map.
        s.m_color_stage = 0;
        int const index = s.m_color_components[0];
        WT_Color_Map const& map = rendition().color_map();
        rendition().mark_changed(WT_Attribute_Set::Color_Map_Bit);
        if (index < 0 || index >= map.size())
            return WT_Result_Corrupt_Stream;
        color = map.map(index);
        return WT_Result_Success;
    }
}

WT_Result WT_File::read_ascii(std::size_t count, WT_RGBA32* colors)
{
    while (m_read.m_array_done < count)
    {
        WT_Result result = read_ascii(colors[m_read.m_array_done], false);
        if (result == WT_Result_Corrupt_Stream)
            m_read.m_array_done = 0;
        WT_CHECK(result);
        ++m_read.m_array_done;
    }
    m_read.m_array_done = 0;
    return WT_Result_Success;
}

WT_Result WT_File::read_hex(std::uint8_t& value)
{
    if (m_read.m_hex_stage == 0)
    {
        WT_CHECK(skip_whitespace());
        m_read.m_hex_stage = 1;
    }
    std::uint8_t digits[2];
    WT_CHECK(read(2, digits));
    m_read.m_hex_stage = 0;
    int const high = WT_String::hex_value(digits[0]);
    int const low = WT_String::hex_value(digits[1]);
    if (high < 0 || low < 0)
        return WT_Result_Corrupt_Stream;
    value = std::uint8_t(high * 16 + low);
    return WT_Result_Success;
}

WT_Result WT_File::read_hex(std::size_t count, std::uint8_t* data)
{
    while (m_read.m_array_done < count)
    {
        WT_Result result = read_hex(data[m_read.m_array_done]);
        if (result == WT_Result_Corrupt_Stream)
            m_read.m_array_done = 0;
        WT_CHECK(result);
        ++m_read.m_array_done;
    }
    m_read.m_array_done = 0;
    return WT_Result_Success;
}

WT_Result WT_File::read_ascii_string(std::size_t max_size, std::string& text,
                                     bool allow_initial_open_paren)
{
    Read_State& s = m_read;
    auto finish = [&s](WT_Result result)
    {
        s.m_string_started = false;
        s.m_quoted = false;
        s.m_escaped = false;
        s.m_quote = 0;
        if (result != WT_Result_Success)
            s.m_string.clear();
        return result;
    };
    if (!s.m_string_started)
    {
        WT_CHECK(skip_whitespace());
        s.m_string.clear();
        s.m_string_started = true;
        s.m_first_byte = true;
    }
    for (;;)
    {
        std::uint8_t c = 0;
        WT_CHECK(read_byte(c));
        bool const first = s.m_first_byte;
        s.m_first_byte = false;
        if (s.m_escaped)
            s.m_escaped = false;
        else if (c == '\\')
        {
            s.m_escaped = true;
            continue;
        }
        else if (s.m_quoted)
        {
            if (c == s.m_quote)
            {
                text.swap(s.m_string);
                s.m_string.clear();
                return finish(WT_Result_Success);
            }
        }
        else if (first && (c == '"' || c == '\''))
        {
            s.m_quoted = true;
            s.m_quote = c;
            continue;
        }
        else if (c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == ')')
        {
            put_back(c);
            text.swap(s.m_string);
            s.m_string.clear();
            return finish(WT_Result_Success);
        }
        else if ((c == '(' && !first && !allow_initial_open_paren) || c == '{' || c == '\'')
            return finish(WT_Result_Corrupt_Stream);

        s.m_string.push_back(char(c));
        if (s.m_string.size() > max_size)
            return finish(WT_Result_Corrupt_Stream);
    }
}
