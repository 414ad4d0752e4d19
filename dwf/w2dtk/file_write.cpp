// The typed write operations of WT_File: every operand of every object is
// written through these, and every one of them ends in WT_File::write.
#include "dwf/w2dtk/file.h"

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <locale.h>
#include <type_traits>

namespace
{
// Numbers never change with the user's locale: formatting runs under "C".
class C_Locale_Scope
{
public:
    C_Locale_Scope()
    {
        static locale_t const c_locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
        if (c_locale)
            m_previous = uselocale(c_locale);
    }
    ~C_Locale_Scope()
    {
        if (m_previous)
            uselocale(m_previous);
    }
    C_Locale_Scope(const C_Locale_Scope&) = delete;
    C_Locale_Scope& operator=(const C_Locale_Scope&) = delete;

private:
    locale_t m_previous = locale_t(nullptr);
};

template <class T> WT_Result write_little_endian(WT_File& file, T value)
{
    std::uint8_t bytes[sizeof(T)];
    using U = std::make_unsigned_t<T>;
    U u = static_cast<U>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = std::uint8_t(u >> (8 * i));
    return file.write(sizeof(T), bytes);
}

template <class T>
WT_Result write_little_endian_array(WT_File& file, std::size_t count, const T* values)
{
    // One block write, so that large arrays do not cost one call per value.
    std::uint8_t buffer[4096];
    std::size_t filled = 0;
    for (std::size_t i = 0; i < count; ++i)
    {
        using U = std::make_unsigned_t<T>;
        U u = static_cast<U>(values[i]);
        for (std::size_t b = 0; b < sizeof(T); ++b)
            buffer[filled++] = std::uint8_t(u >> (8 * b));
        if (filled + sizeof(T) > sizeof(buffer))
        {
            WT_CHECK(file.write(filled, buffer));
            filled = 0;
        }
    }
    return file.write(filled, buffer);
}

bool needs_quotes(const char* text)
{
    if (*text == '"')
        return true;
    for (const char* p = text; *p; ++p)
    {
        unsigned char const c = static_cast<unsigned char>(*p);
        // Bytes up to the blank end a bare word when it is read back.
        if (c <= ' ' || c == '(' || c == ')' || c == '{' || c == '}' || c == '\\' || c == '\'')
            return true;
    }
    return false;
}
} // namespace

WT_Result WT_File::write_formatted(const char* format, ...)
{
    char buffer[64];
    int length;
    {
        C_Locale_Scope c_locale;
        va_list args;
        va_start(args, format);
        length = std::vsnprintf(buffer, sizeof(buffer), format, args);
        va_end(args);
    }
    if (length < 0 || std::size_t(length) >= sizeof(buffer))
        return WT_Result_Usage_Error;
    return write(std::size_t(length), buffer);
}

WT_Result WT_File::write(const char* text)
{
    return text ? write(std::strlen(text), text) : WT_Result_Success;
}

WT_Result WT_File::write_byte(std::uint8_t value)
{
    return write(1, &value);
}

WT_Result WT_File::write_u16(std::uint16_t value)
{
    return write_little_endian(*this, value);
}

WT_Result WT_File::write_s16(std::int16_t value)
{
    return write_little_endian(*this, value);
}

WT_Result WT_File::write_u32(std::uint32_t value)
{
    return write_little_endian(*this, value);
}

WT_Result WT_File::write_s32(std::int32_t value)
{
    return write_little_endian(*this, value);
}

WT_Result WT_File::write_double(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return write_little_endian(*this, bits);
}

WT_Result WT_File::write(std::size_t count, const std::uint16_t* values)
{
    return write_little_endian_array(*this, count, values);
}

WT_Result WT_File::write(std::size_t count, const std::int16_t* values)
{
    return write_little_endian_array(*this, count, values);
}

WT_Result WT_File::write(std::size_t count, const std::uint32_t* values)
{
    return write_little_endian_array(*this, count, values);
}

WT_Result WT_File::write(std::size_t count, const std::int32_t* values)
{
    return write_little_endian_array(*this, count, values);
}

WT_Result WT_File::write(std::size_t count, const double* values)
{
    for (std::size_t i = 0; i < count; ++i)
        WT_CHECK(write_double(values[i]));
    return WT_Result_Success;
}

WT_Result WT_File::write_count(long count)
{
    // A zero byte announces the long form, so 0 has no encoding at all.
    if (!count_is_encodable(count))
        return WT_Result_Usage_Error;
    if (count < 256)
        return write_byte(std::uint8_t(count));
    WT_CHECK(write_byte(0));
    return write_u16(std::uint16_t(count - 256));
}

WT_Result WT_File::write_ascii(std::uint32_t value)
{
    return write_formatted("%u", value);
}

WT_Result WT_File::write_ascii(std::int32_t value)
{
    return write_formatted("%d", value);
}

WT_Result WT_File::write_ascii(std::uint16_t value)
{
    return write_formatted("%d", int(value));
}

WT_Result WT_File::write_ascii(std::int16_t value)
{
    return write_formatted("%d", int(value));
}

WT_Result WT_File::write_padded_ascii(std::int32_t value)
{
    return write_formatted("%011d", value);
}

WT_Result WT_File::write_padded_ascii(std::uint32_t value)
{
    return write_formatted("%011u", value);
}

WT_Result WT_File::write_padded_ascii(double value)
{
    return write_formatted("%011g", value);
}

WT_Result WT_File::write_ascii_width6(std::int16_t value)
{
    return write_formatted("%6d", int(value));
}

WT_Result WT_File::write_ascii(double value)
{
    return write_formatted("%.11g", value);
}

WT_Result WT_File::write_ascii(const WT_Logical_Point& point)
{
    return write_formatted("%d,%d", point.m_x, point.m_y);
}

WT_Result WT_File::write_padded_ascii(const WT_Logical_Point& point)
{
    return write_formatted("%011d,%011d", point.m_x, point.m_y);
}

WT_Result WT_File::write_ascii(std::size_t count, const WT_Logical_Point* points, bool padded)
{
    for (std::size_t i = 0; i < count; ++i)
    {
        if (i > 0)
            WT_CHECK(write(" "));
        WT_CHECK(padded ? write_padded_ascii(points[i]) : write_ascii(points[i]));
    }
    return WT_Result_Success;
}

WT_Result WT_File::write_hex(std::uint8_t value)
{
    static const char digits[] = "0123456789ABCDEF";
    char const text[2] = {digits[value >> 4], digits[value & 15]};
    return write(2, text);
}

WT_Result WT_File::write_hex(std::size_t count, const std::uint8_t* data)
{
    for (std::size_t i = 0; i < count; ++i)
    {
        if (i % 30 == 0)
        {
            WT_CHECK(write_tab_level());
            WT_CHECK(write("\t"));
        }
        WT_CHECK(write_hex(data[i]));
    }
    return WT_Result_Success;
}

WT_Result WT_File::write_rgba(WT_RGBA32 color)
{
    std::uint8_t const bytes[4] = {std::uint8_t(color.red()), std::uint8_t(color.green()),
                                   std::uint8_t(color.blue()), std::uint8_t(color.alpha())};
    return write(4, bytes);
}

WT_Result WT_File::write_ascii_rgba(WT_RGBA32 color)
{
    return write_formatted("%d,%d,%d,%d", color.red(), color.green(), color.blue(), color.alpha());
}

WT_Result WT_File::write_quoted_string(const char* text, bool force_quotes)
{
    if (!text || !*text)
        return write("''");
    if (!force_quotes && !needs_quotes(text))
        return write(text);
    WT_CHECK(write("'"));
    const char* run = text;
    for (const char* p = text; *p; ++p)
    {
        if (*p == '\\' || *p == '\'')
        {
            WT_CHECK(write(std::size_t(p - run), run));
            WT_CHECK(write("\\"));
            run = p;
        }
    }
    WT_CHECK(write(run));
    return write("'");
}

WT_Result WT_File::write_wide_string(std::size_t length, const char16_t* units)
{
    if (binary_output())
    {
        if (length > 0xFFFFFFFFu)
            return WT_Result_Usage_Error;
        WT_CHECK(write("{"));
        WT_CHECK(write_u32(std::uint32_t(length)));
        std::uint8_t buffer[512];
        std::size_t filled = 0;
        for (std::size_t i = 0; i < length; ++i)
        {
            buffer[filled++] = std::uint8_t(units[i] & 0xFF);
            buffer[filled++] = std::uint8_t(units[i] >> 8);
            if (filled == sizeof(buffer))
            {
                WT_CHECK(write(filled, buffer));
                filled = 0;
            }
        }
        WT_CHECK(write(filled, buffer));
        return write("}");
    }
    static const char digits[] = "0123456789ABCDEF";
    WT_CHECK(write("\""));
    for (std::size_t i = 0; i < length; ++i)
    {
        unsigned const u = units[i];
        char const text[4] = {digits[(u >> 12) & 15], digits[(u >> 8) & 15], digits[(u >> 4) & 15],
                              digits[u & 15]};
        WT_CHECK(write(4, text));
    }
    return write("\"");
}

WT_Result WT_File::write_tab_level()
{
    if (binary_output())
        return WT_Result_Success;
    WT_CHECK(write("\r\n"));
    for (int i = 0; i < m_tab_level; ++i)
        WT_CHECK(write(" "));
    return WT_Result_Success;
}

WT_Result WT_File::write_continuation_line()
{
    if (binary_output())
        return WT_Result_Success;
    WT_CHECK(write_tab_level());
    return write("   ");
}
