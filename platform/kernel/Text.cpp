#include "platform/kernel/Text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace platform
{

namespace
{
constexpr char16_t kReplacement = 0xFFFD;

void appendCodePoint(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000)
    {
        out.push_back(static_cast<char16_t>(cp));
    }
    else
    {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80)
    {
        out.push_back(static_cast<char>(cp));
    }
    else if (cp < 0x800)
    {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
    else if (cp < 0x10000)
    {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
    else
    {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}
} // namespace

std::u16string utf8ToUtf16(std::string_view in)
{
    std::u16string out;
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size())
    {
        const auto lead = static_cast<unsigned char>(in[i]);
        if (lead < 0x80)
        {
            out.push_back(lead);
            ++i;
            continue;
        }
        std::size_t length = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if ((lead & 0xE0) == 0xC0)
        {
            length = 2, cp = lead & 0x1F, minimum = 0x80;
        }
        else if ((lead & 0xF0) == 0xE0)
        {
            length = 3, cp = lead & 0x0F, minimum = 0x800;
        }
        else if ((lead & 0xF8) == 0xF0)
        {
            length = 4, cp = lead & 0x07, minimum = 0x10000;
        }
        else
        {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        std::size_t taken = 1;
        bool valid = true;
        for (; taken < length; ++taken)
        {
            if (i + taken >= in.size())
            {
                valid = false;
                break;
            }
            const auto next = static_cast<unsigned char>(in[i + taken]);
            if ((next & 0xC0) != 0x80)
            {
                valid = false;
                break;
            }
            cp = (cp << 6) | (next & 0x3F);
        }
        if (!valid || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        {
            out.push_back(kReplacement);
            i += valid ? length : taken;
            continue;
        }
        appendCodePoint(out, cp);
        i += length;
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view in)
{
    std::string out;
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i)
    {
        char32_t cp = in[i];
        if (cp >= 0xD800 && cp <= 0xDBFF)
        {
            if (i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF)
            {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
                ++i;
            }
            else
            {
                cp = kReplacement;
            }
        }
        else if (cp >= 0xDC00 && cp <= 0xDFFF)
        {
            cp = kReplacement;
        }
        appendUtf8(out, cp);
    }
    return out;
}

namespace
{
std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}
} // namespace

namespace
{
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Whether a decimal number that from_chars found out of range lies below 1
// in magnitude (it underflowed) rather than above (it overflowed): the
// decimal exponent of its first significant digit tells, however long its
// digits or its exponent.
bool underflows(std::string_view number)
{
    std::size_t at = 0;
    if (at < number.size() && number[at] == '-')
        ++at;
    long long order = 0;
    bool significant = false;
    for (; at < number.size() && isDigit(number[at]); ++at)
    {
        if (significant)
            ++order;
        else if (number[at] != '0')
            significant = true;
    }
    if (at < number.size() && number[at] == '.')
        for (++at; at < number.size() && isDigit(number[at]); ++at)
            if (!significant)
            {
                --order;
                significant = number[at] != '0';
            }
    long long exponent = 0;
    if (at < number.size() && (number[at] == 'e' || number[at] == 'E'))
    {
        ++at;
        const bool negative = at < number.size() && number[at] == '-';
        if (at < number.size() && (number[at] == '-' || number[at] == '+'))
            ++at;
        // Beyond any length a text can have, the exponent alone decides.
        constexpr long long kSaturated = 1LL << 50;
        for (; at < number.size() && isDigit(number[at]); ++at)
            exponent = std::min(kSaturated, exponent * 10 + (number[at] - '0'));
        if (negative)
            exponent = -exponent;
    }
    return order + exponent < 0;
}
} // namespace

std::optional<double> parseDouble(std::string_view text)
{
    text = trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end != text.data() + text.size())
        return std::nullopt;
    if (error == std::errc::result_out_of_range && underflows(text))
        return text.front() == '-' ? -0.0 : 0.0;
    if (error != std::errc())
        return std::nullopt;
    return value;
}

std::optional<long long> parseInteger(std::string_view text)
{
    text = trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string formatDouble(double value)
{
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc())
        return "0";
    return std::string(buffer, end);
}

} // namespace platform
