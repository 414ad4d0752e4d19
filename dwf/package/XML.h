#ifndef DWFPACKAGE_XML_H
#define DWFPACKAGE_XML_H

#include "dwf/package/ToolkitMemory.h"
#include "dwfcore/String.h"

namespace DWFToolkit
{

class DWFXMLSerializer;

//
// An object that the package reader builds from one XML element. The
// attribute list is the parser's: alternating UTF-8 names and values, ended
// by a null name.
//
class DWFXMLBuildable : public DWFToolkitMemory
{
public:
    virtual ~DWFXMLBuildable() = default;
    virtual void parseAttributeList(const char** attributes) = 0;
};

//
// An object that writes itself as XML through a DWFXMLSerializer. The flags
// describe the document being written and pass unchanged to nested objects.
//
class DWFXMLSerializable
{
public:
    enum : unsigned int
    {
        eEPlot = 1,              // an ePlot section's document ("ePlot:" prefix)
        eEModel = 2,             // an eModel section's document ("eModel:" prefix)
        eGlobal = 4,             // added by a global section to what it writes
        eManifest = 16,          // manifest form
        eDescriptor = 64,        // descriptor form: elements take namespaceXML's prefix
        eObjectDefinition = 128, // an object definition document
        eElementOpen = 256       // a derived class already started the element
    };

    explicit DWFXMLSerializable(const DWFCore::DWFString& defaultNamespace = DWFCore::DWFString());
    virtual ~DWFXMLSerializable() = default;

    virtual void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) = 0;

    //
    // The element prefix for `flags`: "ePlot:" for an ePlot document, else
    // "eModel:" for an eModel one, else the default namespace, or "dwf:" when
    // that is empty.
    //
    virtual DWFCore::DWFString namespaceXML(unsigned int flags) const;
    virtual void setDefaultNamespace(const DWFCore::DWFString& defaultNamespace);

protected:
    DWFXMLSerializable(const DWFXMLSerializable&) = default;
    DWFXMLSerializable& operator=(const DWFXMLSerializable&) = default;

    DWFCore::DWFString _defaultNamespace;
};

} // namespace DWFToolkit

#endif
