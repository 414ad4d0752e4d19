#ifndef DWFPACKAGE_PROPERTY_H
#define DWFPACKAGE_PROPERTY_H

#include "dwf/package/XML.h"
#include "dwfcore/Owner.h"
#include "dwfcore/String.h"

namespace DWFToolkit
{

//
// A named text value in a category. The type and units words are kept for
// whoever reads the package; nothing here interprets them.
//
class DWFProperty : public DWFXMLBuildable, public DWFXMLSerializable, public DWFCore::DWFOwnable
{
public:
    // Five empty fields, filled by parseAttributeList.
    DWFProperty();
    DWFProperty(const DWFCore::DWFString& name, const DWFCore::DWFString& value,
                const DWFCore::DWFString& category = DWFCore::DWFString(),
                const DWFCore::DWFString& type = DWFCore::DWFString(),
                const DWFCore::DWFString& units = DWFCore::DWFString());
    // Copies the five fields; the copy has no owner.
    DWFProperty(const DWFProperty& other);
    DWFProperty& operator=(const DWFProperty&) = delete;
    // Tells the containers that index this property without owning it.
    ~DWFProperty() override;

    const DWFCore::DWFString& name() const noexcept { return _name; }
    const DWFCore::DWFString& value() const noexcept { return _value; }
    const DWFCore::DWFString& category() const noexcept { return _category; }
    const DWFCore::DWFString& type() const noexcept { return _type; }
    const DWFCore::DWFString& units() const noexcept { return _units; }

    void parseAttributeList(const char** attributes) override;

    // One "Property" element: prefixed for descriptors, else "dwf:".
    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

    // The element with an explicit prefix, as a property container writes it.
    void serializeElement(DWFXMLSerializer& serializer, const DWFCore::DWFString& prefix) const;

private:
    DWFCore::DWFString _name;
    DWFCore::DWFString _value;
    DWFCore::DWFString _category;
    DWFCore::DWFString _type;
    DWFCore::DWFString _units;
};

} // namespace DWFToolkit

#endif
