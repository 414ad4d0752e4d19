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

// Hands each blank-separated token of `text` (at most `maximum` of them)
// to `take` with its index; answers how many there were.
template <typename Take> std::size_t ForEachToken(const char* text, std::size_t maximum, Take take)
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
        take(position, end, count++);
        position = end;
    }
    return count;
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
    std::string token;
    return ForEachToken(text, maximum,
                        [&](const char* begin, const char* end, std::size_t index)
                        {
                            token.assign(begin, end);
                            values[index] = DWFCore::DWFString::ParseDouble(token.c_str());
                        });
}

std::size_t ParseIntegers(const char* text, long* values, std::size_t maximum) noexcept
{
    // A token that is not a number counts as 0, as it always did.
    return ForEachToken(text, maximum,
                        [&](const char* begin, const char*, std::size_t index)
                        { values[index] = std::strtol(begin, nullptr, 10); });
}

void ReadTextFields(const char** attributes, std::initializer_list<TextField> fields)
{
    DWFAttributeOnce once;
    for (std::size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
    {
        const char* name = SkipPrefix(attributes[i]);
        unsigned int index = 0;
        for (const TextField& field : fields)
        {
            if (std::strcmp(name, field.name) == 0)
            {
                if (once.first(index))
                    *field.field = attributes[i + 1];
                break;
            }
            ++index;
        }
    }
}

} // namespace DWFAttributeText
} // namespace DWFToolkit
