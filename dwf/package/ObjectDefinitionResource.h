#ifndef DWFPACKAGE_OBJECTDEFINITIONRESOURCE_H
#define DWFPACKAGE_OBJECTDEFINITIONRESOURCE_H

#include "dwf/package/DefinedObjectContainer.h"
#include "dwf/package/Resource.h"

namespace DWFToolkit
{

//
// A package resource whose bytes are an object definition document built
// from the objects and instances it holds. The document is built anew on
// every request, so ids assigned by the first build are kept by the next.
//
class DWFObjectDefinitionResource : public DWFResource,
                                    public DWFDefinedObjectContainer,
                                    public DWFDefinedObjectInstanceContainer
{
public:
    // `elementName` is the document's root ("PageObjectDefinition", "SpaceObjectDefinition").
    DWFObjectDefinitionResource(const DWFCore::DWFString& elementName,
                                const DWFCore::DWFString& role = kRoleObjectDefinition);

    const DWFCore::DWFString& elementName() const noexcept { return _elementName; }

    //
    // A new stream over a freshly built document; the stream owns its bytes
    // and may outlive the resource. The cache flag is not used.
    //
    DWFCore::DWFInputStream* getInputStream(bool cache = false) override;

    // With the object definition flag: the whole document; else the resource entry.
    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

private:
    DWFCore::DWFString _elementName;
};

} // namespace DWFToolkit

#endif
