#ifndef DWFPACKAGE_ATTRIBUTETEXT_H
#define DWFPACKAGE_ATTRIBUTETEXT_H

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace DWFCore
{
class DWFString;
}

namespace DWFToolkit
{

//
// Reading attribute values of package XML. Every function reads only up to
// the value's terminating zero and never fails: unusable text gives the
// neutral result documented with each.
//
namespace DWFAttributeText
{

// Skips one leading "dwf:", "eCommon:", "ePlot:" or "eModel:" (tried in that order).
const char* SkipPrefix(const char* name) noexcept;

// True when the value begins with "t", "T", "1", "y" or "Y".
bool ParseBoolean(const char* value) noexcept;

// A decimal integer, clamped to the 32-bit signed range; text without digits gives 0.
std::int32_t ParseInteger(const char* value) noexcept;

//
// Reads up to `maximum` blank-separated numbers (locale-free) into `values`
// and returns how many were read; entries past that count are left as they were.
//
std::size_t ParseDoubles(const char* text, double* values, std::size_t maximum);

//
// Reads up to `maximum` blank-separated decimal integers into `values` and
// returns how many were read.
//
std::size_t ParseIntegers(const char* text, long* values, std::size_t maximum) noexcept;

// A text attribute by its name (without prefix) and where its value goes.
struct TextField
{
    const char* name;
    DWFCore::DWFString* field;
};

//
// Copies each attribute named in `fields` (at most 32) into its field, from
// its first occurrence only; other attributes are ignored.
//
void ReadTextFields(const char** attributes, std::initializer_list<TextField> fields);

} // namespace DWFAttributeText

//
// Remembers which attributes were already taken, so that each one is read
// from its first occurrence only.
//
class DWFAttributeOnce
{
public:
    // True the first time it is asked for `index` (below 32).
    bool first(unsigned int index) noexcept
    {
        const std::uint32_t bit = std::uint32_t(1) << index;
        if (_seen & bit)
        {
            return false;
        }
        _seen |= bit;
        return true;
    }

private:
    std::uint32_t _seen = 0;
};

} // namespace DWFToolkit

#endif
