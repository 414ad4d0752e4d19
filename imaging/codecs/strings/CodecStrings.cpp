#include "imaging/codecs/strings/CodecStrings.h"

#include "imaging/codecs/strings/CodecStringTable.h"

#include <atomic>
#include <cstring>
#include <string_view>
#include <unordered_map>

namespace Omvi
{
namespace
{

std::atomic<bool> libraryPresent{true};

// Id to text, built on first use from every block. Were an id listed twice
// the first block's text would win; a test keeps the blocks apart.
const std::unordered_map<std::int32_t, const char*>& table()
{
    static const std::unordered_map<std::int32_t, const char*> texts = [] {
        std::unordered_map<std::int32_t, const char*> map;
        for (const CodecStringBlock& block : codecStringBlocks())
            for (std::size_t i = 0; i < block.count; ++i)
                map.emplace(block.entries[i].id, block.entries[i].text);
        return map;
    }();
    return texts;
}

// The single-byte characters of a buffer up to its first NUL.
std::string_view singleByteText(const StringBuffer& buffer)
{
    const char* bytes = buffer.data();
    if (bytes == nullptr || buffer.size() < 1)
        return {};
    const auto size = static_cast<std::size_t>(buffer.size());
    const void* nul = std::memchr(bytes, 0, size);
    return std::string_view(bytes, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes) : size);
}

// The 16-bit units of a buffer up to its first zero unit (a trailing odd
// byte is not a unit).
std::u16string wideText(const StringBuffer& buffer)
{
    std::u16string text;
    const char* bytes = buffer.data();
    if (bytes == nullptr)
        return text;
    const auto units = static_cast<std::size_t>(buffer.size() < 0 ? 0 : buffer.size()) / 2;
    for (std::size_t i = 0; i < units; ++i)
    {
        char16_t unit;
        std::memcpy(&unit, bytes + 2 * i, sizeof unit);
        if (unit == 0)
            break;
        text.push_back(unit);
    }
    return text;
}

bool isSingleByte(std::uint32_t encoding)
{
    return encoding == 0 || encoding == kCodecTextEncoding;
}

} // namespace

bool loadCodecString(std::int32_t id, StringBuffer& out)
{
    if (!libraryPresent.load())
    {
        const char nul = 0;
        out.set(1, &nul, StringBuffer::kSingleByte);
        return false;
    }
    const auto& texts = table();
    const auto found = texts.find(id);
    const char* text = found != texts.end() ? found->second : "";
    out.set(static_cast<std::int32_t>(std::strlen(text) + 1), text, kCodecTextEncoding);
    return true;
}

void setCodecStringLibraryPresent(bool present)
{
    libraryPresent.store(present);
}

bool isCodecStringLibraryPresent()
{
    return libraryPresent.load();
}

bool stringBuffersEqual(const StringBuffer& a, const StringBuffer& b)
{
    if (isSingleByte(a.encoding()) && isSingleByte(b.encoding()))
        return singleByteText(a) == singleByteText(b);
    if (a.encoding() == 2 && b.encoding() == 2)
        return wideText(a) == wideText(b);
    return false;
}

bool stringBufferEquals(const StringBuffer& a, const char* text)
{
    if (!isSingleByte(a.encoding()))
        return false;
    return singleByteText(a) == std::string_view(text ? text : "");
}

bool equalsCodecString(const StringBuffer& a, std::int32_t id)
{
    StringBuffer text;
    loadCodecString(id, text);
    return stringBuffersEqual(a, text);
}

} // namespace Omvi
