#include "dwfcore/File.h"

namespace DWFCore
{

namespace
{
constexpr char16_t kFirstCarriedByte = 0xDC80;
constexpr char16_t kLastCarriedByte = 0xDCFF;
constexpr char32_t kReplacement = 0xFFFD;

// The length of the valid UTF-8 sequence at `at`, or 0 when the bytes there
// are no valid sequence; `point` receives its code point.
std::size_t validSequence(std::string_view bytes, std::size_t at, char32_t& point)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned lead = byte(at);
    std::size_t length = 0;
    // The range of the first continuation byte shuts out overlong forms,
    // surrogates and values above U+10FFFF.
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
    {
        length = 2;
        point = lead & 0x1F;
    }
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        length = 3;
        point = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        length = 4;
        point = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    else
    {
        return 0;
    }
    if (bytes.size() - at < length)
    {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i)
    {
        const unsigned next = byte(at + i);
        if (next < (i == 1 ? low : 0x80u) || next > (i == 1 ? high : 0xBFu))
        {
            return 0;
        }
        point = (point << 6) | (next & 0x3F);
    }
    return length;
}

void appendUTF8(std::string& out, char32_t point)
{
    if (point < 0x80)
    {
        out.push_back(static_cast<char>(point));
    }
    else if (point < 0x800)
    {
        out.push_back(static_cast<char>(0xC0 | (point >> 6)));
        out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
    }
    else if (point < 0x10000)
    {
        out.push_back(static_cast<char>(0xE0 | (point >> 12)));
        out.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
    }
    else
    {
        out.push_back(static_cast<char>(0xF0 | (point >> 18)));
        out.push_back(static_cast<char>(0x80 | ((point >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
    }
}
} // namespace

DWFFile::DWFFile(const char* nativePath)
    : _path(nativePath == nullptr ? DWFString() : DWFString(decodeNativePath(nativePath)))
{
}

DWFFile::DWFFile(const DWFString& path) : _path(path) {}

std::string DWFFile::nativePath() const
{
    return encodeNativePath(_path.toU16String());
}

std::string toUTF8(const DWFString& text)
{
    return text.toUTF8();
}

std::u16string decodeNativePath(std::string_view bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();)
    {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        char32_t point = lead;
        const std::size_t length = lead < 0x80 ? 1 : validSequence(bytes, at, point);
        if (length == 0)
        {
            // One byte carried; whatever follows it is looked at afresh.
            text.push_back(static_cast<char16_t>(0xDC00 + lead));
            ++at;
            continue;
        }
        if (point < 0x10000)
        {
            text.push_back(static_cast<char16_t>(point));
        }
        else
        {
            text.push_back(static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF)));
        }
        at += length;
    }
    return text;
}

std::string encodeNativePath(std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
        {
            appendUTF8(bytes, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        }
        else if (unit >= kFirstCarriedByte && unit <= kLastCarriedByte)
        {
            bytes.push_back(static_cast<char>(unit - 0xDC00));
        }
        else if (unit >= 0xD800 && unit <= 0xDFFF)
        {
            appendUTF8(bytes, kReplacement);
        }
        else
        {
            appendUTF8(bytes, unit);
        }
    }
    return bytes;
}

} // namespace DWFCore
