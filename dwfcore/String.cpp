#include "dwfcore/String.h"

#include "dwfcore/Exception.h"
#include "dwfcore/UTF8.h"

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <locale.h>
#include <memory>

namespace DWFCore
{

namespace
{

constexpr char16_t kReplacement = 0xFFFD;
constexpr std::size_t kReusableCapacity = 64;

bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}
bool isSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

std::size_t textLength(const char16_t* text)
{
    std::size_t length = 0;
    if (text != nullptr)
    {
        while (text[length] != 0)
        {
            ++length;
        }
    }
    return length;
}

bool pointsInto(const void* pointer, const char16_t* buffer, std::size_t units)
{
    if (buffer == nullptr || pointer == nullptr)
    {
        return false;
    }
    auto address = reinterpret_cast<std::uintptr_t>(pointer);
    auto begin = reinterpret_cast<std::uintptr_t>(buffer);
    return address >= begin && address < begin + units * sizeof(char16_t);
}

// Owns a scratch buffer from allocateArray.
using UnitBuffer = std::unique_ptr<char16_t[]>;

//
// Decodes UTF-8 input into a fresh buffer. Each input byte yields at most one
// UTF-16 unit, so 2 x bytes + 2 output bytes always suffice.
//
UnitBuffer decodeToScratch(const void* data, std::size_t& bytes, const char* function)
{
    if (bytes >= std::numeric_limits<std::size_t>::max() / sizeof(char16_t) - 1)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate decoding buffer", function);
    }
    UnitBuffer scratch(allocateArray<char16_t>(bytes + 1));
    if (!scratch)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate decoding buffer", function);
    }
    bytes = DWFString::DecodeUTF8(static_cast<const char*>(data), bytes, scratch.get(),
                                  (bytes + 1) * sizeof(char16_t));
    return scratch;
}

// What both widths of EncodeXML refuse before encoding anything.
void checkEncodeXmlArguments(const void* in, std::size_t inBytes, const void* out,
                             std::size_t outBytes)
{
    if (in == nullptr || inBytes == 0)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"Invalid argument",
                      "DWFCore::DWFString::EncodeXML");
    }
    if (out != nullptr && outBytes < inBytes)
    {
        DWFCORE_THROW(DWFOverflowException, u"XML buffer provided is too small",
                      "DWFCore::DWFString::EncodeXML");
    }
}

// Adds `size` bytes of one encoded character, keeping room for the
// terminator; with no `out` it only counts.
template <class Char>
void putEncodedXml(Char* out, std::size_t outBytes, std::size_t& written, const Char* units,
                   std::size_t size)
{
    if (out != nullptr)
    {
        if (written + size + sizeof(Char) > outBytes)
        {
            DWFCORE_THROW(DWFOverflowException, u"XML buffer provided is too small",
                          "DWFCore::DWFString::EncodeXML");
        }
        std::memcpy(out + written / sizeof(Char), units, size);
    }
    written += size;
}

} // namespace

DWFString::DWFString(const DWFString& other)
{
    _store(other._buffer, other.bytes(), false);
}

DWFString::DWFString(DWFString&& other) noexcept
    : _buffer(other._buffer), _capacity(other._capacity), _length(other._length)
{
    other._buffer = nullptr;
    other._capacity = 0;
    other._length = 0;
}

DWFString::DWFString(const char* utf8)
{
    _store(utf8, utf8 == nullptr ? 0 : std::strlen(utf8), true);
}

DWFString::DWFString(const char16_t* text)
{
    _store(text, textLength(text) * sizeof(char16_t), false);
}

DWFString::DWFString(const std::u16string& text)
{
    _store(text.data(), text.size() * sizeof(char16_t), false);
}

DWFString::~DWFString()
{
    destroy();
}

void DWFString::destroy() noexcept
{
    delete[] _buffer;
    _buffer = nullptr;
    _capacity = 0;
    _length = 0;
}

DWFString& DWFString::operator=(const DWFString& other)
{
    if (this != &other)
    {
        _store(other._buffer, other.bytes(), false);
    }
    return *this;
}

DWFString& DWFString::operator=(DWFString&& other) noexcept
{
    if (this != &other)
    {
        destroy();
        _buffer = other._buffer;
        _capacity = other._capacity;
        _length = other._length;
        other._buffer = nullptr;
        other._capacity = 0;
        other._length = 0;
    }
    return *this;
}

DWFString& DWFString::operator=(const char* utf8)
{
    _store(utf8, utf8 == nullptr ? 0 : std::strlen(utf8), true);
    return *this;
}

DWFString& DWFString::operator=(const char16_t* text)
{
    _store(text, textLength(text) * sizeof(char16_t), false);
    return *this;
}

void DWFString::assign(const DWFString& other)
{
    if (this != &other)
    {
        _store(other._buffer, other.bytes(), false);
    }
}

void DWFString::assign(const char* utf8, std::size_t bytes)
{
    _store(utf8, utf8 == nullptr ? 0 : bytes, true);
}

void DWFString::append(const DWFString& other)
{
    _append(other._buffer, other.bytes(), false);
}

void DWFString::append(const char* utf8)
{
    _append(utf8, utf8 == nullptr ? 0 : std::strlen(utf8), true);
}

void DWFString::append(const char16_t* text)
{
    _append(text, textLength(text) * sizeof(char16_t), false);
}

bool DWFString::operator==(const DWFString& other) const noexcept
{
    if (_length != other._length)
    {
        return false;
    }
    return _length == 0 || std::memcmp(_buffer, other._buffer, bytes()) == 0;
}

bool DWFString::operator==(const char16_t* text) const noexcept
{
    for (std::size_t i = 0; i < _length; ++i)
    {
        if (text == nullptr || text[i] != _buffer[i])
        {
            return false;
        }
    }
    return text == nullptr || text[_length] == 0;
}

bool DWFString::operator<(const DWFString& other) const noexcept
{
    // Code-unit order, which for texts without embedded zeros is the order
    // of the C library's wide-text comparison; a proper prefix (the
    // empty string included) sorts first.
    const std::size_t common = _length < other._length ? _length : other._length;
    for (std::size_t i = 0; i < common; ++i)
    {
        if (_buffer[i] != other._buffer[i])
        {
            return _buffer[i] < other._buffer[i];
        }
    }
    return _length < other._length;
}

std::u16string DWFString::toU16String() const
{
    return _length == 0 ? std::u16string() : std::u16string(_buffer, _length);
}

std::size_t DWFString::getUTF8(char* buffer, std::size_t bufferBytes) const
{
    if (_length == 0)
    {
        if (buffer != nullptr && bufferBytes > 0)
        {
            buffer[0] = 0;
        }
        return 0;
    }
    if (buffer == nullptr || bufferBytes == 0)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"No output buffer provided",
                      "DWFCore::DWFString::getUTF8");
    }
    return EncodeUTF8(_buffer, bytes(), buffer, bufferBytes);
}

std::size_t DWFString::getUTF8(char** destination) const
{
    if (destination == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"No output buffer provided",
                      "DWFCore::DWFString::getUTF8");
    }
    // A UTF-16 unit never needs more than three UTF-8 bytes (a pair needs four).
    const std::size_t size = 3 * _length + 1;
    char* buffer = allocateArray<char>(size);
    if (buffer == nullptr)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate buffer",
                      "DWFCore::DWFString::getUTF8");
    }
    buffer[0] = 0;
    std::size_t written = _length == 0 ? 0 : EncodeUTF8(_buffer, bytes(), buffer, size);
    *destination = buffer;
    return written;
}

std::string DWFString::toUTF8() const
{
    if (_length == 0)
    {
        return std::string();
    }
    std::string text(EncodeUTF8(_buffer, bytes(), nullptr, 0), '\0');
    EncodeUTF8(_buffer, bytes(), text.data(), text.size() + 1);
    return text;
}

void DWFString::_store(const void* data, std::size_t bytes, bool decode)
{
    if (data == nullptr || bytes == 0)
    {
        destroy();
        return;
    }
    UnitBuffer scratch;
    if (decode)
    {
        scratch = decodeToScratch(data, bytes, "DWFCore::DWFString::_store");
        data = scratch.get();
        if (bytes == 0)
        {
            destroy();
            return;
        }
    }
    const std::size_t length = (bytes + 1) / sizeof(char16_t);
    // Text taken from our own buffer must survive until it is copied, so it
    // never goes into a reused (zero-filled) buffer.
    const bool aliased = pointsInto(data, _buffer, _capacity);
    if (_buffer != nullptr && !aliased && length < _capacity && _capacity <= kReusableCapacity)
    {
        std::memset(_buffer, 0, _capacity * sizeof(char16_t));
        std::memcpy(_buffer, data, bytes);
        _length = length;
        return;
    }
    char16_t* buffer = allocateArray<char16_t>(length + 1);
    if (buffer == nullptr)
    {
        destroy();
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate new heap buffer",
                      "DWFCore::DWFString::_store");
    }
    std::memset(buffer, 0, (length + 1) * sizeof(char16_t));
    std::memcpy(buffer, data, bytes);
    destroy();
    _buffer = buffer;
    _capacity = length + 1;
    _length = length;
}

void DWFString::_append(const void* data, std::size_t bytes, bool decode)
{
    if (data == nullptr || bytes == 0)
    {
        return;
    }
    if (_length == 0)
    {
        _store(data, bytes, decode);
        return;
    }
    UnitBuffer scratch;
    if (decode)
    {
        scratch = decodeToScratch(data, bytes, "DWFCore::DWFString::_append");
        data = scratch.get();
        if (bytes == 0)
        {
            return;
        }
    }
    const std::size_t added = (bytes + 1) / sizeof(char16_t);
    const std::size_t length = _length + added;
    if (length + 2 > _capacity)
    {
        // Exact capacity, as storing gives; the old buffer stays alive until
        // the copy is done, so appending a string to itself works.
        char16_t* buffer = allocateArray<char16_t>(length + 1);
        if (buffer == nullptr)
        {
            DWFCORE_THROW(DWFMemoryException, u"Failed to allocate new buffer",
                          "DWFCore::DWFString::_append");
        }
        std::memset(buffer, 0, (length + 1) * sizeof(char16_t));
        std::memcpy(buffer, _buffer, _length * sizeof(char16_t));
        std::memcpy(buffer + _length, data, bytes);
        delete[] _buffer;
        _buffer = buffer;
        _capacity = length + 1;
    }
    else
    {
        std::memmove(_buffer + _length, data, bytes);
    }
    _length = length;
}

std::size_t DWFString::DecodeUTF8(const char* in, std::size_t inBytes, char16_t* out,
                                  std::size_t outBytes)
{
    if (out == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"No output buffer provided",
                      "DWFCore::DWFString::DecodeUTF8");
    }
    if (in == nullptr && inBytes > 0)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"Invalid argument",
                      "DWFCore::DWFString::DecodeUTF8");
    }
    if (outBytes < sizeof(char16_t))
    {
        DWFCORE_THROW(DWFOverflowException, u"Buffer too small.", "DWFCore::DWFString::DecodeUTF8");
    }
    const std::size_t limit = outBytes - sizeof(char16_t);
    std::size_t written = 0;
    auto put = [&](char32_t unit)
    {
        if (written + sizeof(char16_t) > limit)
        {
            DWFCORE_THROW(DWFOverflowException, u"Buffer too small.",
                          "DWFCore::DWFString::DecodeUTF8");
        }
        out[written / sizeof(char16_t)] = static_cast<char16_t>(unit);
        written += sizeof(char16_t);
    };
    const auto* input = reinterpret_cast<const unsigned char*>(in);
    std::size_t i = 0;
    while (i < inBytes)
    {
        if (input[i] < 0x80)
        {
            put(input[i]);
            ++i;
            continue;
        }
        // Surrogates are read, so that the halves of a pair that older
        // writers encoded each in its own three-byte form are paired up;
        // a lone half is replaced.
        const UTF8Sequence sequence =
            readUTF8Sequence(input + i, inBytes - i, UTF8Surrogates::Read);
        // A broken sequence is one replacement for the bytes that looked
        // valid so far; the offending byte starts anew.
        i += sequence.length;
        char32_t point = sequence.valid ? sequence.point : kReplacement;
        if (point >= 0x10000)
        {
            point -= 0x10000;
            put(0xD800 + (point >> 10));
            put(0xDC00 + (point & 0x3FF));
        }
        else if (isSurrogate(static_cast<char16_t>(point)))
        {
            const UTF8Sequence low =
                isHighSurrogate(static_cast<char16_t>(point)) && i < inBytes
                    ? readUTF8Sequence(input + i, inBytes - i, UTF8Surrogates::Read)
                    : UTF8Sequence{};
            if (low.valid && low.point >= 0xDC00 && low.point <= 0xDFFF)
            {
                put(point);
                put(low.point);
                i += low.length;
            }
            else
            {
                put(kReplacement);
            }
        }
        else
        {
            put(point);
        }
    }
    out[written / sizeof(char16_t)] = 0;
    return written;
}

std::size_t DWFString::EncodeUTF8(const char16_t* in, std::size_t inBytes, char* out,
                                  std::size_t outBytes)
{
    if (out != nullptr && outBytes == 0)
    {
        DWFCORE_THROW(DWFOverflowException, u"Buffer too small", "DWFCore::DWFString::EncodeUTF8");
    }
    const std::size_t count = in == nullptr ? 0 : inBytes / sizeof(char16_t);
    const std::size_t limit = out == nullptr ? 0 : outBytes - 1;
    std::size_t written = 0;
    const auto character = [&](char32_t point)
    {
        unsigned char sequence[4];
        const std::size_t size = writeUTF8Sequence(point, sequence);
        if (out != nullptr)
        {
            if (written + size > limit)
            {
                DWFCORE_THROW(DWFOverflowException, u"Buffer too small",
                              "DWFCore::DWFString::EncodeUTF8");
            }
            std::memcpy(out + written, sequence, size);
        }
        written += size;
    };
    forEachUTF16Character(std::u16string_view(in, count), character,
                          [&](char16_t) { character(kReplacement); });
    if (out != nullptr)
    {
        out[written] = 0;
    }
    return written;
}

std::size_t DWFString::EncodeBase64(const void* in, std::size_t inBytes, char* out,
                                    std::size_t outBytes, bool standard)
{
    static const char kStandard[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    static const char kNameSafe[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+_";
    if (in == nullptr && inBytes > 0)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"Invalid argument",
                      "DWFCore::DWFString::EncodeBase64");
    }
    const char* alphabet = standard ? kStandard : kNameSafe;
    const auto* bytes = static_cast<const unsigned char*>(in);
    std::size_t written = 0;
    auto emit = [&](const char* group, std::size_t size)
    {
        if (out != nullptr)
        {
            if (written + size > outBytes)
            {
                DWFCORE_THROW(DWFOverflowException, u"Buffer too small",
                              "DWFCore::DWFString::EncodeBase64");
            }
            std::memcpy(out + written, group, size);
        }
        written += size;
    };
    std::size_t i = 0;
    for (; i + 3 <= inBytes; i += 3)
    {
        const std::uint32_t v = bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2];
        const char group[4] = {alphabet[v >> 18], alphabet[(v >> 12) & 0x3F],
                               alphabet[(v >> 6) & 0x3F], alphabet[v & 0x3F]};
        emit(group, 4);
    }
    const std::size_t rest = inBytes - i;
    if (rest > 0)
    {
        const std::uint32_t v = bytes[i] << 16 | (rest == 2 ? bytes[i + 1] << 8 : 0);
        char group[4] = {alphabet[v >> 18], alphabet[(v >> 12) & 0x3F],
                         rest == 2 ? alphabet[(v >> 6) & 0x3F] : '=', '='};
        emit(group, standard ? 4 : rest + 1);
    }
    return written;
}

std::size_t DWFString::EncodeXML(const char* in, std::size_t inBytes, char* out,
                                 std::size_t outBytes)
{
    checkEncodeXmlArguments(in, inBytes, out, outBytes);
    std::size_t written = 0;
    for (std::size_t i = 0; i < inBytes; ++i)
    {
        const char c = in[i];
        const char* replacement = nullptr;
        switch (c)
        {
        case 0:
            continue;
        case '<':
            replacement = "&lt;";
            break;
        case '>':
            replacement = "&gt;";
            break;
        case '&':
            replacement = "&amp;";
            break;
        case '"':
            replacement = "&quot;";
            break;
        case '\'':
            replacement = "&apos;";
            break;
        case '\t':
            replacement = "&#x09;";
            break;
        case '\n':
            replacement = "&#x0A;";
            break;
        case '\r':
            replacement = "&#x0D;";
            break;
        default:
            // Other control characters cannot appear in XML 1.0 at all, not even
            // as references. Bytes from 0x80 up are UTF-8 and pass unchanged.
            if (static_cast<unsigned char>(c) < 0x20)
            {
                replacement = "\xEF\xBF\xBD";
            }
            break;
        }
        putEncodedXml(out, outBytes, written, replacement == nullptr ? &c : replacement,
                      replacement == nullptr ? 1 : std::strlen(replacement));
    }
    if (out != nullptr)
    {
        out[written] = 0;
    }
    return written;
}

std::size_t DWFString::EncodeXML(const char16_t* in, std::size_t inBytes, char16_t* out,
                                 std::size_t outBytes)
{
    checkEncodeXmlArguments(in, inBytes, out, outBytes);
    const std::size_t count = inBytes / sizeof(char16_t);
    std::size_t written = 0;
    for (std::size_t k = 0; k < count && in[k] != 0; ++k)
    {
        const char16_t c = in[k];
        char16_t single[2] = {c, 0};
        const char16_t* replacement = single;
        std::size_t units = 1;
        switch (c)
        {
        case u'<':
            replacement = u"&lt;";
            units = 4;
            break;
        case u'>':
            replacement = u"&gt;";
            units = 4;
            break;
        case u'&':
            replacement = u"&amp;";
            units = 5;
            break;
        case u'"':
            replacement = u"&quot;";
            units = 6;
            break;
        case u'\'':
            replacement = u"&apos;";
            units = 6;
            break;
        default:
            // Keep only characters XML 1.0 allows: tab, line feed, carriage
            // return, no other control, no U+FFFE/U+FFFF, no lone surrogate.
            if ((c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE ||
                c == 0xFFFF || isLowSurrogate(c))
            {
                single[0] = kReplacement;
            }
            else if (isHighSurrogate(c))
            {
                if (k + 1 < count && isLowSurrogate(in[k + 1]))
                {
                    single[1] = in[++k];
                    units = 2;
                }
                else
                {
                    single[0] = kReplacement;
                }
            }
            break;
        }
        putEncodedXml(out, outBytes, written, replacement, units * sizeof(char16_t));
    }
    if (out != nullptr)
    {
        out[written / sizeof(char16_t)] = 0;
    }
    return written;
}

char16_t* DWFString::FixDecimalSeparators(char16_t* text) noexcept
{
    if (text == nullptr)
    {
        return text;
    }
    auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    std::size_t i = 0;
    while (text[i] != 0 && text[i + 1] != 0)
    {
        const char16_t middle = text[i + 1];
        if (isDigit(text[i]) && !isDigit(middle) && middle >= 33 && middle != 127 &&
            isDigit(text[i + 2]))
        {
            text[i + 1] = u'.';
            i += 3;
            continue;
        }
        ++i;
    }
    return text;
}

double DWFString::ParseDouble(const char* text)
{
    if (text == nullptr)
    {
        return 0.0;
    }
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v')
    {
        ++p;
    }
    // Rewrite the number in the plain form the C locale reads: any single
    // separator after the integer digits is the decimal point, and only
    // digits, that point and an exponent get through (no hexadecimal, no
    // "inf" or "nan").
    std::string number;
    if (*p == '-' || *p == '+')
    {
        number += *p++;
    }
    while (isDigit(*p))
    {
        number += *p++;
    }
    if (*p != 0 && *p != 'e' && *p != 'E')
    {
        number += '.';
        ++p;
        while (isDigit(*p))
        {
            number += *p++;
        }
    }
    if (*p == 'e' || *p == 'E')
    {
        std::string exponent = "e";
        ++p;
        if (*p == '-' || *p == '+')
        {
            exponent += *p++;
        }
        if (isDigit(*p))
        {
            while (isDigit(*p))
            {
                exponent += *p++;
            }
            number += exponent;
        }
    }
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return strtod_l(number.c_str(), nullptr, cLocale);
}

} // namespace DWFCore
