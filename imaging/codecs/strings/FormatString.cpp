#include "imaging/codecs/strings/FormatString.h"

#include "imaging/codecs/strings/CLocaleNumbers.h"
#include "imaging/codecs/strings/CodecStrings.h"

#include <cstring>

namespace Omvi
{
namespace
{

// A printf conversion this class hands to the C library: flags, width and
// precision digits and one conversion character of `allowed`; no length
// modifiers, no '*', no '%n'.
bool isSafeConversion(const std::string& conversion, const char* allowed)
{
    if (conversion.empty())
        return false;
    std::size_t i = 0;
    while (i < conversion.size() && std::strchr("-+ #0", conversion[i]) && conversion[i] != 0)
        ++i;
    while (i < conversion.size() && conversion[i] >= '0' && conversion[i] <= '9')
        ++i;
    if (i < conversion.size() && conversion[i] == '.')
    {
        ++i;
        while (i < conversion.size() && conversion[i] >= '0' && conversion[i] <= '9')
            ++i;
    }
    return i + 1 == conversion.size() && std::strchr(allowed, conversion[i]) != nullptr;
}

bool copyOut(const std::string& text, char* out, std::size_t outSize)
{
    if (out == nullptr || outSize == 0)
        return false;
    std::memset(out, 0, outSize);
    if (text.size() >= outSize)
        return false;
    std::memcpy(out, text.data(), text.size());
    return true;
}

} // namespace

FormatString::FormatString() = default;

FormatString::~FormatString() = default;

bool FormatString::setTemplate(const StringBuffer& text)
{
    if (text.encoding() != 0 && text.encoding() != kCodecTextEncoding)
        return template_.has_value();
    const std::string bytes = text.text();
    if (bytes.empty())
        template_.reset();
    else
        template_ = bytes;
    return template_.has_value();
}

bool FormatString::getText(StringBuffer& out) const
{
    if (!template_)
        return false;
    out.set(static_cast<std::int32_t>(template_->size() + 1), template_->c_str(), kCodecTextEncoding);
    return true;
}

std::optional<FormatString::Placeholder> FormatString::placeholder(int n) const
{
    if (!template_ || n < 1)
        return std::nullopt;
    const std::string marker = "%" + std::to_string(n);
    const std::string& text = *template_;
    for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + 1))
    {
        const std::size_t after = at + marker.size();
        if (after < text.size() && text[after] >= '0' && text[after] <= '9')
            continue;  // the start of a longer number
        if (after < text.size() && text[after] == '!')
        {
            const std::size_t close = text.find('!', after + 1);
            if (close == std::string::npos)
                return std::nullopt;
            return Placeholder{at, text.substr(at, close + 1 - at), text.substr(after + 1, close - after - 1)};
        }
        return Placeholder{at, marker, {}};
    }
    return std::nullopt;
}

bool FormatString::findPlaceholder(int n, char* out, std::size_t outSize) const
{
    const auto found = placeholder(n);
    if (!found)
    {
        copyOut({}, out, outSize);
        return false;
    }
    return copyOut(found->text, out, outSize);
}

bool FormatString::placeholderFormat(int n, char* out, std::size_t outSize) const
{
    const auto found = placeholder(n);
    if (!found)
        return false;
    return copyOut(found->conversion.empty() ? std::string("%s") : "%" + found->conversion, out, outSize);
}

bool FormatString::replace(const char* find, const char* with)
{
    if (find == nullptr || with == nullptr || !template_ || *find == 0)
        return false;
    const std::size_t at = template_->find(find);
    if (at == std::string::npos)
        return false;
    template_->replace(at, std::strlen(find), with);
    return true;
}

bool FormatString::replacePlaceholder(int n, const std::string& value)
{
    const auto found = placeholder(n);
    if (!found)
        return false;
    template_->replace(found->position, found->text.size(), value);
    return true;
}

bool FormatString::setPlaceholderText(int n, const char* text)
{
    if (text == nullptr)
        return false;
    return replacePlaceholder(n, text);
}

bool FormatString::formatInteger(int n, unsigned value)
{
    const auto found = placeholder(n);
    if (!found)
        return false;
    const std::string& conversion = found->conversion;
    std::string text;
    if (conversion.empty())
        text = CLocaleNumbers::format("%u", value);
    else if (!isSafeConversion(conversion, "diouxX"))
        return false;
    else if (conversion.back() == 'd' || conversion.back() == 'i')
        text = CLocaleNumbers::format(("%" + conversion).c_str(), static_cast<int>(value));
    else
        text = CLocaleNumbers::format(("%" + conversion).c_str(), value);
    return replacePlaceholder(n, text);
}

bool FormatString::formatDouble(int n, double value)
{
    const auto found = placeholder(n);
    if (!found)
        return false;
    const std::string& conversion = found->conversion;
    std::string text;
    if (conversion.empty())
        text = CLocaleNumbers::format("%g", value);
    else if (!isSafeConversion(conversion, "fFeEgGaA"))
        return false;
    else
        text = CLocaleNumbers::format(("%" + conversion).c_str(), value);
    return replacePlaceholder(n, text);
}

bool FormatString::formatText(int n, const StringBuffer& value)
{
    const auto found = placeholder(n);
    if (!found)
        return false;
    const std::string bytes = value.text();
    const std::string& conversion = found->conversion;
    if (conversion.empty())
        return replacePlaceholder(n, bytes);
    if (!isSafeConversion(conversion, "s"))
        return false;
    return replacePlaceholder(n, CLocaleNumbers::format(("%" + conversion).c_str(), bytes.c_str()));
}

} // namespace Omvi
