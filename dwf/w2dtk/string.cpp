#include "dwf/w2dtk/string.h"

#include "dwf/w2dtk/file.h"

#include <algorithm>
#include <cstring>

namespace
{
std::size_t length_of(const char16_t* text)
{
    std::size_t n = 0;
    if (text)
        while (text[n])
            ++n;
    return n;
}

bool all_below_128(std::size_t length, const char16_t* text)
{
    return std::all_of(text, text + length, [](char16_t u) { return u < 128; });
}

// Folds ASCII letters only: units beyond ASCII compare as they are.
char16_t fold(char16_t u)
{
    return (u >= 'A' && u <= 'Z') ? char16_t(u + ('a' - 'A')) : u;
}
} // namespace

WT_String::WT_String(const char* text)
{
    set_from_stream_bytes(text ? std::strlen(text) : 0, text);
}

WT_String::WT_String(const char16_t* text)
{
    set(length_of(text), text);
}

WT_String::WT_String(const wchar_t* text)
{
    std::u16string units;
    if (text)
    {
        for (const wchar_t* p = text; *p; ++p)
        {
            auto const c = static_cast<std::uint32_t>(*p);
            if (c >= 0x10000 && c <= 0x10FFFF)
            {
                units.push_back(char16_t(0xD800 + ((c - 0x10000) >> 10)));
                units.push_back(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
            }
            else if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
                units.push_back(u'\uFFFD');
            else
                units.push_back(char16_t(c));
        }
    }
    set(units.size(), units.data());
}

WT_String::WT_String(std::size_t length, const char16_t* text)
{
    set(length, text);
}

WT_String& WT_String::operator=(const char* text)
{
    set(text ? std::strlen(text) : 0, text);
    return *this;
}

void WT_String::clear()
{
    m_encoding = ASCII;
    m_length = 0;
    m_ascii.clear();
    m_units.clear();
    m_has_ascii = true;
    m_has_units = false;
}

void WT_String::set(std::size_t length, const char* text)
{
    clear();
    if (!text)
        return;
    if (std::any_of(text, text + length,
                    [](char c) { return static_cast<unsigned char>(c) >= 128; }))
        throw WT_Result_Usage_Error;
    m_ascii.assign(text, length);
    m_length = length;
}

void WT_String::set(std::size_t length, const char16_t* text)
{
    clear();
    if (!text)
        return;
    m_length = length;
    if (all_below_128(length, text))
    {
        m_ascii.resize(length);
        for (std::size_t i = 0; i < length; ++i)
            m_ascii[i] = char(text[i]);
        return;
    }
    m_encoding = Unicode;
    m_units.assign(text, length);
    m_has_units = true;
    m_has_ascii = false;
}

void WT_String::set_from_stream_bytes(std::size_t length, const char* bytes)
{
    clear();
    if (!bytes)
        return;
    if (std::none_of(bytes, bytes + length,
                     [](char c) { return static_cast<unsigned char>(c) >= 128; }))
    {
        m_ascii.assign(bytes, length);
        m_length = length;
        return;
    }
    std::u16string units(length, u'\0');
    for (std::size_t i = 0; i < length; ++i)
        units[i] = char16_t(static_cast<unsigned char>(bytes[i]));
    set(length, units.data());
}

std::string WT_String::encoded(bool carry_bytes) const
{
    std::string out;
    const char16_t* u = unicode();
    for (std::size_t i = 0; i < m_length; ++i)
    {
        std::uint32_t c = u[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < m_length && u[i + 1] >= 0xDC00 &&
            u[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (u[++i] - 0xDC00);
        else if (carry_bytes && c >= 0xDC80 && c <= 0xDCFF)
        {
            out.push_back(char(c - 0xDC00));
            continue;
        }
        else if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        if (c < 0x80)
            out.push_back(char(c));
        else if (c < 0x800)
        {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
        else if (c < 0x10000)
        {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
        else
        {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

WT_String WT_String::decoded(const char* text, bool carry_bytes)
{
    std::u16string units;
    auto const* p = reinterpret_cast<const unsigned char*>(text ? text : "");
    while (*p)
    {
        unsigned const lead = *p;
        int const extra = lead < 0x80         ? 0
                          : (lead >> 5) == 6  ? 1
                          : (lead >> 4) == 14 ? 2
                          : (lead >> 3) == 30 ? 3
                                              : -1;
        std::uint32_t c = extra == 0   ? lead
                          : extra == 1 ? lead & 0x1F
                          : extra == 2 ? lead & 0x0F
                                       : lead & 0x07;
        int taken = 0;
        while (extra > 0 && taken < extra && (p[1 + taken] & 0xC0) == 0x80)
        {
            c = (c << 6) | (p[1 + taken] & 0x3F);
            ++taken;
        }
        static const std::uint32_t smallest[] = {0, 0x80, 0x800, 0x10000};
        bool const valid = extra >= 0 && taken == extra && c >= smallest[extra] && c <= 0x10FFFF &&
                           !(c >= 0xD800 && c <= 0xDFFF);
        if (!valid && carry_bytes)
        {
            for (int i = 0; i <= taken; ++i)
                units.push_back(char16_t(0xDC00 + p[i]));
            p += 1 + taken;
            continue;
        }
        p += 1 + taken;
        if (!valid)
            c = 0xFFFD;
        if (c >= 0x10000)
        {
            units.push_back(char16_t(0xD800 + ((c - 0x10000) >> 10)));
            units.push_back(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
        else
            units.push_back(char16_t(c));
    }
    return WT_String(units.size(), units.data());
}

const char* WT_String::ascii() const
{
    if (!m_has_ascii)
    {
        m_ascii.resize(m_length);
        for (std::size_t i = 0; i < m_length; ++i)
            m_ascii[i] = char(m_units[i] & 0xFF);
        m_has_ascii = true;
    }
    return m_ascii.c_str();
}

const char16_t* WT_String::unicode() const
{
    if (!m_has_units)
    {
        m_units.resize(m_length);
        for (std::size_t i = 0; i < m_length; ++i)
            m_units[i] = char16_t(static_cast<unsigned char>(m_ascii[i]));
        m_has_units = true;
    }
    return m_units.c_str();
}

bool WT_String::equals(const WT_String& other, bool case_sensitive) const
{
    // A never-set string and an empty ASCII one are both empty text.
    WT_Encoding const mine = m_encoding == Unset ? ASCII : m_encoding;
    WT_Encoding const theirs = other.m_encoding == Unset ? ASCII : other.m_encoding;
    if (mine != theirs || m_length != other.m_length)
        return false;
    const char16_t* a = unicode();
    const char16_t* b = other.unicode();
    for (std::size_t i = 0; i < m_length; ++i)
    {
        if (case_sensitive ? a[i] != b[i] : fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

int WT_String::hex_value(int byte)
{
    if (byte >= '0' && byte <= '9')
        return byte - '0';
    if (byte >= 'A' && byte <= 'F')
        return byte - 'A' + 10;
    if (byte >= 'a' && byte <= 'f')
        return byte - 'a' + 10;
    return -1;
}

std::size_t WT_String::writable_length(const WT_File& file) const
{
    if (m_encoding != Unicode)
        return Max_ASCII_Token;
    return file.binary_output() ? Max_Units : Max_ASCII_Token / 4;
}

WT_Result WT_String::serialize(WT_File& file, bool force_quotes) const
{
    // A string the reader would refuse is not written at all: the stream
    // stays readable and the caller decides what to do with the text.
    if (m_length > writable_length(file))
        return WT_Result_Usage_Error;
    switch (m_encoding)
    {
    case ASCII:
        if (m_length == 0)
            return file.write("''");
        if (std::memchr(ascii(), 0, m_length))
            return WT_Result_Usage_Error; // cannot be written as 8-bit text
        return file.write_quoted_string(ascii(), force_quotes);
    case Unicode:
        return file.write_wide_string(m_length, unicode());
    default:
        return file.write("''");
    }
}

WT_Result WT_String::materialize(WT_File& file)
{
    enum
    {
        Idle = 0,
        Opener = 1,
        Binary_Head = 10,
        Binary_Units = 11,
        Binary_Close = 12,
        Token = 20,
    };
    auto fail = [this](WT_Result result)
    {
        m_stage = Idle;
        m_read_units.clear();
        return result;
    };
    for (;;)
    {
        switch (m_stage)
        {
        case Idle:
            WT_CHECK(file.skip_whitespace());
            m_stage = Opener;
            break;
        case Opener:
            WT_CHECK(file.read_byte(m_opener));
            file.put_back(m_opener);
            m_stage = m_opener == '{' ? Binary_Head : Token;
            break;
        case Binary_Head:
        {
            std::uint8_t head[5];
            WT_CHECK(file.read(5, head));
            m_read_length = std::uint32_t(head[1]) | (std::uint32_t(head[2]) << 8) |
                            (std::uint32_t(head[3]) << 16) | (std::uint32_t(head[4]) << 24);
            if (m_read_length > Max_Units)
                return fail(WT_Result_Corrupt_Stream);
            m_read_units.clear();
            m_stage = Binary_Units;
            break;
        }
        case Binary_Units:
            // In chunks, so memory grows with the bytes that really arrive.
            while (m_read_units.size() < m_read_length)
            {
                std::size_t const chunk =
                    std::min<std::size_t>(m_read_length - m_read_units.size(), 2048);
                std::uint8_t bytes[4096];
                WT_CHECK(file.read(chunk * 2, bytes));
                for (std::size_t i = 0; i < chunk; ++i)
                    m_read_units.push_back(char16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
            }
            m_stage = Binary_Close;
            break;
        case Binary_Close:
        {
            std::uint8_t close = 0;
            WT_CHECK(file.read_byte(close));
            if (close != '}')
                return fail(WT_Result_Corrupt_Stream);
            set(m_read_units.size(), m_read_units.data());
            m_read_units.clear();
            m_read_units.shrink_to_fit();
            m_stage = Idle;
            return WT_Result_Success;
        }
        default:
        {
            std::string token;
            WT_Result result = file.read_ascii_string(Max_ASCII_Token, token);
            if (result != WT_Result_Success)
                return result == WT_Result_Corrupt_Stream ? fail(result) : result;
            m_stage = Idle;
            if (m_opener != '"')
            {
                set_from_stream_bytes(token.size(), token.data());
                return WT_Result_Success;
            }
            if (token.size() % 4 != 0)
                return WT_Result_Corrupt_Stream;
            std::u16string units(token.size() / 4, u'\0');
            for (std::size_t i = 0; i < units.size(); ++i)
            {
                unsigned value = 0;
                for (std::size_t d = 0; d < 4; ++d)
                {
                    int const digit = hex_value(static_cast<unsigned char>(token[4 * i + d]));
                    if (digit < 0)
                        return WT_Result_Corrupt_Stream;
                    value = value * 16 + unsigned(digit);
                }
                units[i] = char16_t(value);
            }
            set(units.size(), units.data());
            return WT_Result_Success;
        }
        }
    }
}
