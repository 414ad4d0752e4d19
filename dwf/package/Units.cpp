#include "dwf/package/Units.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/writer/XMLSerializer.h"

#include <cstring>

namespace DWFToolkit
{

DWFUnits::DWFUnits() = default;

DWFUnits::DWFUnits(teType type)
{
    static const char16_t* const words[] = {u"mm", u"cm", u"m", u"in", u"ft"};
    if (type >= eMillimeters && type <= eFeet)
    {
        _type = words[type];
    }
}

void DWFUnits::parseAttributeList(const char** attributes)
{
    // A null list, like an empty one, changes nothing.
    if (attributes == nullptr)
    {
        return;
    }
    for (std::size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
    {
        if (std::strcmp(DWFAttributeText::SkipPrefix(attributes[i]), "type") == 0)
        {
            _type = attributes[i + 1];
            return;
        }
    }
}

void DWFUnits::serializeXML(DWFXMLSerializer& serializer, unsigned int flags)
{
    serializer.startElement(u"Units", namespaceXML(flags));
    serializer.addAttribute(u"type", _type);
    serializer.endElement();
}

} // namespace DWFToolkit
