#include "imaging/codecs/strings/CLocaleNumbers.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <vector>

namespace Omvi::CLocaleNumbers
{
namespace
{

// The C locale object, made once; null only when the system cannot make it,
// in which case the calls run in the current locale.
locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// Switches the calling thread to the C locale for its lifetime.
class CLocaleScope
{
public:
    CLocaleScope() : previous_(cLocale() ? uselocale(cLocale()) : static_cast<locale_t>(nullptr)) {}
    ~CLocaleScope()
    {
        if (previous_)
            uselocale(previous_);
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t previous_;
};

} // namespace

std::string formatList(const char* format, std::va_list arguments)
{
    if (format == nullptr)
        return {};
    CLocaleScope scope;
    char small[64];
    std::va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (length < 0)
        return {};
    if (static_cast<std::size_t>(length) < sizeof small)
        return std::string(small, static_cast<std::size_t>(length));
    std::vector<char> large(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(large.data(), large.size(), format, arguments);
    return std::string(large.data(), static_cast<std::size_t>(length));
}

std::string format(const char* format, ...)
{
    std::va_list arguments;
    va_start(arguments, format);
    std::string text = formatList(format, arguments);
    va_end(arguments);
    return text;
}

std::optional<double> parseDouble(const char* text, const char** end)
{
    if (text == nullptr)
        return std::nullopt;
    CLocaleScope scope;
    char* stop = nullptr;
    errno = 0;
    const double value = std::strtod(text, &stop);
    if (stop == text)
        return std::nullopt;
    if (end)
        *end = stop;
    return value;
}

std::optional<long> parseLong(const char* text, const char** end)
{
    if (text == nullptr)
        return std::nullopt;
    CLocaleScope scope;
    char* stop = nullptr;
    errno = 0;
    const long value = std::strtol(text, &stop, 10);
    if (stop == text || errno == ERANGE)
        return std::nullopt;
    if (end)
        *end = stop;
    return value;
}

} // namespace Omvi::CLocaleNumbers
