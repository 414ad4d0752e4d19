#include "dwf/package/NumberText.h"

#include <charconv>
#include <clocale>
#include <cstdio>
#include <locale.h>
#include <string>

namespace DWFToolkit
{

namespace
{

// Switches the calling thread to the C locale for the lifetime of the object.
class CLocaleScope
{
public:
    CLocaleScope() : _previous(uselocale(cLocale())) {}
    ~CLocaleScope() { uselocale(_previous); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    static locale_t cLocale()
    {
        static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
        // Should newlocale ever fail, the global locale stays in force.
        return locale ? locale : LC_GLOBAL_LOCALE;
    }

    locale_t _previous;
};

void appendFormatted(std::string& out, const char* format, double value)
{
    char text[64];
    int length = std::snprintf(text, sizeof text, format, value);
    if (length > 0)
    {
        out.append(text, static_cast<std::size_t>(length) < sizeof text
                             ? static_cast<std::size_t>(length)
                             : sizeof text - 1);
    }
}

// "%.17g", without printf: std::to_chars formats as printf does in the C locale.
void appendShortest(std::string& out, double value)
{
    char text[64];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 17);
    out.append(text, result.ptr);
}

} // namespace

DWFCore::DWFString DWFFormatNumber(const char* format, double value)
{
    CLocaleScope scope;
    std::string text;
    appendFormatted(text, format, value);
    return DWFCore::DWFString(text.c_str());
}

DWFCore::DWFString DWFFormatNumbers(const double* values, std::size_t count)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
    {
        if (i > 0)
        {
            text.push_back(' ');
        }
        appendShortest(text, values[i]);
    }
    return DWFCore::DWFString(text.c_str());
}

DWFCore::DWFString DWFFormatInteger(long value)
{
    return DWFCore::DWFString(std::to_string(value).c_str());
}

} // namespace DWFToolkit
