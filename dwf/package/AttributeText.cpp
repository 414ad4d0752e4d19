#include "dwf/package/AttributeText.h"

#include "dwfcore/String.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace DWFToolkit
{
namespace DWFAttributeText
{

namespace
{

bool isBlank(char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

} // namespace

const char* SkipPrefix(const char* name) noexcept
{
    static const char* const prefixes[] = {"dwf:", "eCommon:", "ePlot:", "eModel:"};
    for (const char* prefix : prefixes)
    {
        const std::size_t length = std::strlen(prefix);
        if (std::strncmp(name, prefix, length) == 0)
        {
            return name + length;
        }
    }
    return name;
}

bool ParseBoolean(const char* value) noexcept
{
    switch (value ? value[0] : '\0')
    {
    case 't':
    case 'T':
    case '1':
    case 'y':
    case 'Y':
        return true;
    default:
        return false;
    }
}

std::int32_t ParseInteger(const char* value) noexcept
{
    if (value == nullptr)
    {
        return 0;
    }
    const long parsed = std::strtol(value, nullptr, 10);
    if (parsed > INT32_MAX)
    {
        return INT32_MAX;
    }
    if (parsed < INT32_MIN)
    {
        return INT32_MIN;
    }
    return static_cast<std::int32_t>(parsed);
}

std::size_t ParseDoubles(const char* text, double* values, std::size_t maximum)
{
    std::size_t count = 0;
    std::string token;
    const char* position = text;
    while (position && count < maximum)
    {
        while (isBlank(*position))
        {
            ++position;
        }
        if (*position == '\0')
        {
            break;
        }
        const char* end = position;
        while (*end != '\0' && !isBlank(*end))
        {
            ++end;
        }
        token.assign(position, end);
        values[count++] = DWFCore::DWFString::ParseDouble(token.c_str());
        position = end;
    }
    return count;
}

std::size_t ParseIntegers(const char* text, long* values, std::size_t maximum) noexcept
{
    std::size_t count = 0;
    const char* position = text;
    while (position && count < maximum)
    {
        while (isBlank(*position))
        {
            ++position;
        }
        if (*position == '\0')
        {
            break;
        }
        const char* end = position;
        while (*end != '\0' && !isBlank(*end))
        {
            ++end;
        }
        // A token that is not a number counts as 0, as it always did.
        values[count++] = std::strtol(position, nullptr, 10);
        position = end;
    }
    return count;
}

} // namespace DWFAttributeText
} // namespace DWFToolkit
