#include "dwfcore/File.h"

#include "dwfcore/UTF8.h"

namespace DWFCore
{

namespace
{
// The bytes 0x80..0xFF of a name that are no part of valid UTF-8, carried
// as the unpaired low surrogates U+DC80..U+DCFF.
constexpr char16_t kFirstCarriedByte = 0xDC80;
constexpr char16_t kLastCarriedByte = 0xDCFF;
constexpr char16_t kCarriedByteBase = 0xDC00;
constexpr char32_t kReplacement = 0xFFFD;
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
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t at = 0; at < bytes.size();)
    {
        // Encoded surrogates are refused: read as text, they would come back
        // as other bytes.
        const UTF8Sequence sequence =
            readUTF8Sequence(data + at, bytes.size() - at, UTF8Surrogates::Refused);
        if (!sequence.valid)
        {
            // One byte carried; whatever follows it is looked at afresh.
            text.push_back(static_cast<char16_t>(kCarriedByteBase + data[at]));
            ++at;
            continue;
        }
        if (sequence.point < 0x10000)
        {
            text.push_back(static_cast<char16_t>(sequence.point));
        }
        else
        {
            text.push_back(static_cast<char16_t>(0xD800 + ((sequence.point - 0x10000) >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + ((sequence.point - 0x10000) & 0x3FF)));
        }
        at += sequence.length;
    }
    return text;
}

std::string encodeNativePath(std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    forEachUTF16Character(
        text, [&](char32_t point) { appendUTF8(bytes, point); },
        [&](char16_t unit)
        {
            if (unit >= kFirstCarriedByte && unit <= kLastCarriedByte)
            {
                bytes.push_back(static_cast<char>(unit - kCarriedByteBase));
            }
            else
            {
                appendUTF8(bytes, kReplacement);
            }
        });
    return bytes;
}

} // namespace DWFCore
