#include "dwf/package/Property.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/writer/XMLSerializer.h"


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
    DWFAttributeText::ReadTextFields(attributes, {{"name", &_name},
                                                  {"value", &_value},
                                                  {"type", &_type},
                                                  {"units", &_units},
                                                  {"category", &_category}});
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
