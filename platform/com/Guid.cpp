#include "platform/com/Guid.h"

namespace platform
{

namespace
{
int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}
} // namespace

std::optional<Guid> Guid::parse(std::u16string_view text)
{
    if (text.size() == 38)
    {
        if (text.front() != u'{' || text.back() != u'}')
            return std::nullopt;
        text = text.substr(1, 36);
    }
    if (text.size() != 36)
        return std::nullopt;
    Guid result;
    std::size_t byte = 0;
    for (std::size_t i = 0; i < text.size();)
    {
        if (i == 8 || i == 13 || i == 18 || i == 23)
        {
            if (text[i] != u'-')
                return std::nullopt;
            ++i;
            continue;
        }
        const int high = hexValue(text[i]);
        const int low = hexValue(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        result.bytes[byte++] = static_cast<std::uint8_t>(high * 16 + low);
        i += 2;
    }
    return result;
}

std::u16string Guid::toString() const
{
    static const char16_t digits[] = u"0123456789ABCDEF";
    std::u16string out = u"{";
    for (std::size_t i = 0; i < bytes.size(); ++i)
    {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            out.push_back(u'-');
        out.push_back(digits[bytes[i] >> 4]);
        out.push_back(digits[bytes[i] & 15]);
    }
    out.push_back(u'}');
    return out;
}

Guid guid(std::u16string_view text)
{
    return Guid::parse(text).value_or(Guid{});
}

} // namespace platform
