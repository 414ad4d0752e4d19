#ifndef DWFPACKAGE_READER_ELEMENTNAME_H
#define DWFPACKAGE_READER_ELEMENTNAME_H

#include <cstring>

namespace DWFToolkit
{

//
// Namespace prefixes the readers accept in front of element and attribute
// names; each reader takes one of its own set off before comparing.
//
namespace DWFElementName
{

enum : unsigned int
{
    eDWF = 1,
    eCommon = 2,
    eEPlot = 4,
    eEModel = 8
};

// `name` without one leading prefix of the `allowed` set (tried dwf, eCommon, ePlot, eModel).
inline const char* Local(const char* name, unsigned int allowed) noexcept
{
    static const struct
    {
        unsigned int bit;
        const char* text;
        std::size_t length;
    } prefixes[] = {{eDWF, "dwf:", 4},
                    {eCommon, "eCommon:", 8},
                    {eEPlot, "ePlot:", 6},
                    {eEModel, "eModel:", 7}};
    if (name == nullptr)
    {
        return "";
    }
    for (const auto& prefix : prefixes)
    {
        if ((allowed & prefix.bit) && std::strncmp(name, prefix.text, prefix.length) == 0)
        {
            return name + prefix.length;
        }
    }
    return name;
}

inline bool Is(const char* local, const char* expected) noexcept
{
    return std::strcmp(local, expected) == 0;
}

} // namespace DWFElementName

} // namespace DWFToolkit

#endif
