#ifndef DWFPACKAGE_CUSTOMSECTION_H
#define DWFPACKAGE_CUSTOMSECTION_H

#include "dwf/package/Section.h"

#include <cstdint>

namespace DWFToolkit
{

//
// A section of a type of its maker's, which may keep its own name and go
// without a descriptor document.
//
class DWFCustomSection : public DWFSection
{
public:
    struct tFlags
    {
        // The package writer names the section.
        std::uint8_t assignName;
        // The package writer gives it a plot order and writes its descriptor.
        std::uint8_t writeDescriptor;
    };

    DWFCustomSection(const DWFCore::DWFString& type, const DWFCore::DWFString& name,
                     const DWFCore::DWFString& title, const DWFCore::DWFString& objectID,
                     double version, double plotOrder, const DWFSource& source, tFlags flags)
        : DWFSection(type, title, objectID, version, plotOrder, source), _flags(flags)
    {
        _name = name;
    }

    tFlags packedFlags() const noexcept { return _flags; }

private:
    tFlags _flags;
};

} // namespace DWFToolkit

#endif
