#ifndef DWFPACKAGE_UNITS_H
#define DWFPACKAGE_UNITS_H

#include "dwf/package/XML.h"

#include <cstdint>

namespace DWFToolkit
{

// The length unit of an eModel space, kept as its word ("mm", "in", ...).
class DWFUnits : public DWFXMLBuildable, public DWFXMLSerializable
{
public:
    enum teType : std::int32_t
    {
        eMillimeters = 0,
        eCentimeters = 1,
        eMeters = 2,
        eInches = 3,
        eFeet = 4
    };

    // For reading: no type.
    DWFUnits();
    // A value outside the enumeration leaves the type empty.
    explicit DWFUnits(teType type);

    const DWFCore::DWFString& type() const noexcept { return _type; }

    void parseAttributeList(const char** attributes) override;
    // "Units" with the prefix for the flags.
    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

private:
    DWFCore::DWFString _type;
};

} // namespace DWFToolkit

#endif
