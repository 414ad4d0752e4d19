#ifndef DWFPACKAGE_SOURCE_H
#define DWFPACKAGE_SOURCE_H

#include "dwf/package/XML.h"

namespace DWFToolkit
{

// The document a section was made from and the program that made it.
class DWFSource : public DWFXMLBuildable, public DWFXMLSerializable
{
public:
    DWFSource();
    DWFSource(const DWFCore::DWFString& href, const DWFCore::DWFString& provider,
              const DWFCore::DWFString& objectID);
    DWFSource(const DWFSource& other);
    DWFSource& operator=(const DWFSource& other);

    const DWFCore::DWFString& href() const noexcept { return _href; }
    const DWFCore::DWFString& provider() const noexcept { return _provider; }
    const DWFCore::DWFString& objectID() const noexcept { return _objectID; }

    void parseAttributeList(const char** attributes) override;
    // "dwf:Source" whatever the flags.
    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

private:
    DWFCore::DWFString _href;
    DWFCore::DWFString _provider;
    DWFCore::DWFString _objectID;
};

} // namespace DWFToolkit

#endif
