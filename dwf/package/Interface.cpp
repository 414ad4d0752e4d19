#include "dwf/package/Interface.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/Exception.h"

#include <cstring>

namespace DWFToolkit
{

DWFInterface::DWFInterface() = default;

DWFInterface::DWFInterface(const DWFCore::DWFString& name, const DWFCore::DWFString& href,
                           const DWFCore::DWFString& objectID)
    : _name(name), _href(href), _objectID(objectID)
{
}

void DWFInterface::parseAttributeList(const char** attributes)
{
    if (attributes == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"No attributes provided",
                      "DWFToolkit::DWFInterface::parseAttributeList");
    }
    DWFAttributeOnce once;
    for (std::size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
    {
        const char* name = DWFAttributeText::SkipPrefix(attributes[i]);
        const char* value = attributes[i + 1];
        if (std::strcmp(name, "name") == 0 && once.first(0))
        {
            _name = value;
        }
        else if (std::strcmp(name, "href") == 0 && once.first(1))
        {
            _href = value;
        }
        else if (std::strcmp(name, "objectId") == 0 && once.first(2))
        {
            _objectID = value;
        }
    }
}

void DWFInterface::serializeXML(DWFXMLSerializer& serializer, unsigned int)
{
    serializer.startElement(u"Interface", u"dwf:");
    serializer.addAttribute(u"objectId", _objectID);
    serializer.addAttribute(u"name", _name);
    serializer.addAttribute(u"href", _href);
    serializer.endElement();
}

} // namespace DWFToolkit
