#ifndef DWFPACKAGE_INTERFACE_H
#define DWFPACKAGE_INTERFACE_H

#include "dwf/package/XML.h"

namespace DWFToolkit
{

// A document interface a viewer needs for the package's sections.
class DWFInterface : public DWFXMLBuildable, public DWFXMLSerializable
{
public:
    DWFInterface();
    DWFInterface(const DWFCore::DWFString& name, const DWFCore::DWFString& href,
                 const DWFCore::DWFString& objectID);

    const DWFCore::DWFString& name() const noexcept { return _name; }
    const DWFCore::DWFString& href() const noexcept { return _href; }
    const DWFCore::DWFString& objectID() const noexcept { return _objectID; }

    void parseAttributeList(const char** attributes) override;
    // "dwf:Interface" whatever the flags.
    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

private:
    DWFCore::DWFString _name;
    DWFCore::DWFString _href;
    DWFCore::DWFString _objectID;
};

} // namespace DWFToolkit

#endif
