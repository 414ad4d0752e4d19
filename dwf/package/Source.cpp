#include "dwf/package/Source.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/Exception.h"

#include <cstring>

namespace DWFToolkit
{

DWFSource::DWFSource() = default;

DWFSource::DWFSource(const DWFCore::DWFString& href, const DWFCore::DWFString& provider,
                     const DWFCore::DWFString& objectID)
    : _href(href), _provider(provider), _objectID(objectID)
{
}

DWFSource::DWFSource(const DWFSource& other)
    : DWFXMLBuildable(), DWFXMLSerializable(other), _href(other._href), _provider(other._provider),
      _objectID(other._objectID)
{
}

DWFSource& DWFSource::operator=(const DWFSource& other)
{
    _href = other._href;
    _provider = other._provider;
    _objectID = other._objectID;
    return *this;
}

void DWFSource::parseAttributeList(const char** attributes)
{
    if (attributes == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"No attributes provided",
                      "DWFToolkit::DWFSource::parseAttributeList");
    }
    DWFAttributeOnce once;
    for (std::size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
    {
        const char* name = DWFAttributeText::SkipPrefix(attributes[i]);
        const char* value = attributes[i + 1];
        if (std::strcmp(name, "href") == 0 && once.first(0))
        {
            _href = value;
        }
        else if (std::strcmp(name, "provider") == 0 && once.first(1))
        {
            _provider = value;
        }
        else if (std::strcmp(name, "objectId") == 0 && once.first(2))
        {
            _objectID = value;
        }
    }
}

void DWFSource::serializeXML(DWFXMLSerializer& serializer, unsigned int)
{
    serializer.startElement(u"Source", u"dwf:");
    serializer.addAttribute(u"provider", _provider);
    serializer.addAttribute(u"href", _href);
    serializer.addAttribute(u"objectId", _objectID);
    serializer.endElement();
}

} // namespace DWFToolkit
