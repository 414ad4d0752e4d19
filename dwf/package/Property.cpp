#include "dwf/package/Property.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/writer/XMLSerializer.h"

#include <cstring>

namespace DWFToolkit
{

DWFProperty::DWFProperty() = default;

DWFProperty::DWFProperty(const DWFCore::DWFString& name, const DWFCore::DWFString& value,
                         const DWFCore::DWFString& category, const DWFCore::DWFString& type,
                         const DWFCore::DWFString& units)
    : _name(name), _value(value), _category(category), _type(type), _units(units)
{
}

DWFProperty::DWFProperty(const DWFProperty& other)
    : DWFXMLBuildable(), DWFXMLSerializable(other), DWFCore::DWFOwnable(), _name(other._name),
      _value(other._value), _category(other._category), _type(other._type), _units(other._units)
{
}

DWFProperty::~DWFProperty()
{
    _notifyDeletion();
}

void DWFProperty::parseAttributeList(const char** attributes)
{
    if (attributes == nullptr)
    {
        return;
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
        else if (std::strcmp(name, "value") == 0 && once.first(1))
        {
            _value = value;
        }
        else if (std::strcmp(name, "type") == 0 && once.first(2))
        {
            _type = value;
        }
        else if (std::strcmp(name, "units") == 0 && once.first(3))
        {
            _units = value;
        }
        else if (std::strcmp(name, "category") == 0 && once.first(4))
        {
            _category = value;
        }
    }
}

void DWFProperty::serializeXML(DWFXMLSerializer& serializer, unsigned int flags)
{
    serializeElement(serializer,
                     (flags & eDescriptor) ? namespaceXML(flags) : DWFCore::DWFString(u"dwf:"));
}

void DWFProperty::serializeElement(DWFXMLSerializer& serializer,
                                   const DWFCore::DWFString& prefix) const
{
    serializer.startElement(u"Property", prefix);
    serializer.addAttribute(u"name", _name);
    serializer.addAttribute(u"value", _value);
    serializer.addAttribute(u"category", _category);
    serializer.addAttribute(u"type", _type);
    serializer.addAttribute(u"units", _units);
    serializer.endElement();
}

} // namespace DWFToolkit
