#include "dwf/package/Interface.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/Exception.h"


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
    DWFAttributeText::ReadTextFields(
        attributes, {{"name", &_name}, {"href", &_href}, {"objectId", &_objectID}});
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
