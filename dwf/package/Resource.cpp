#include "dwf/package/Resource.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/NumberText.h"
#include "dwf/package/reader/PackageReader.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/Exception.h"

#include <cstdint>
#include <cstring>

namespace DWFToolkit
{

DWFResource::DWFResource(DWFPackageReader* reader) : _reader(reader) {}

DWFResource::DWFResource(const DWFCore::DWFString& title, const DWFCore::DWFString& role,
                         const DWFCore::DWFString& mime, const DWFCore::DWFString& href)
    : _title(title), _role(role), _mime(mime), _href(href)
{
}

DWFResource::~DWFResource()
{
    _notifyDeletion();
}

void DWFResource::setInputStream(DWFCore::DWFInputStream* stream, std::size_t bytes)
{
    _stream.reset(stream);
    if (bytes == 0 && stream != nullptr)
    {
        bytes = stream->available();
    }
    // The size is a signed 32-bit attribute; larger streams report the maximum.
    _size = bytes > std::size_t(INT32_MAX) ? INT32_MAX : static_cast<std::int32_t>(bytes);
}

DWFCore::DWFInputStream* DWFResource::getInputStream(bool cache)
{
    if (_stream)
    {
        return _stream.release();
    }
    if (_reader != nullptr)
    {
        return _reader->getInputStream(_href, cache);
    }
    return nullptr;
}

void DWFResource::setParentResource(const DWFResource* parent)
{
    if (parent != nullptr)
    {
        _parentObjectID = parent->_objectID;
    }
    else
    {
        _parentObjectID.destroy();
    }
}

void DWFResource::parseAttributeList(const char** attributes)
{
    if (attributes == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"No attributes provided",
                      "DWFToolkit::DWFResource::parseAttributeList");
    }
    DWFAttributeOnce once;
    for (std::size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
    {
        const char* name = DWFAttributeText::SkipPrefix(attributes[i]);
        const char* value = attributes[i + 1];
        if (std::strcmp(name, "role") == 0 && once.first(0))
        {
            _role = value;
        }
        else if (std::strcmp(name, "href") == 0 && once.first(1))
        {
            _href = value;
        }
        else if (std::strcmp(name, "mime") == 0 && once.first(2))
        {
            _mime = value;
        }
        else if (std::strcmp(name, "title") == 0 && once.first(3))
        {
            _title = value;
        }
        else if (std::strcmp(name, "size") == 0 && once.first(4))
        {
            _size = DWFAttributeText::ParseInteger(value);
        }
        else if (std::strcmp(name, "objectId") == 0 && once.first(5))
        {
            _objectID = value;
        }
        else if (std::strcmp(name, "parentObjectId") == 0 && once.first(6))
        {
            _parentObjectID = value;
        }
    }
}

const DWFCore::DWFString& DWFResource::_writtenHREF() const noexcept
{
    return _zipPath.chars() > 0 ? _zipPath : _href;
}

bool DWFResource::_isObjectDefinition() const noexcept
{
    return _role == kRoleObjectDefinition || _role == kRoleMarkupObjectDefinition;
}

void DWFResource::serializeXML(DWFXMLSerializer& serializer, unsigned int flags)
{
    if (flags & eManifest)
    {
        serializer.startElement(u"Resource", u"dwf:");
        serializer.addAttribute(u"role", _role);
        serializer.addAttribute(u"mime", _mime);
        serializer.addAttribute(u"href", _writtenHREF());
        serializer.endElement();
        return;
    }
    if (!(flags & eDescriptor) || _role == kRoleDescriptor)
    {
        return;
    }

    const bool ownElement = !(flags & eElementOpen);
    if (ownElement)
    {
        serializer.startElement(u"Resource", namespaceXML(flags));
    }
    serializer.addAttribute(u"role", _role);
    serializer.addAttribute(u"mime", _mime);
    serializer.addAttribute(u"href", _writtenHREF());
    serializer.addAttribute(u"title", _title);
    if (_size != 0)
    {
        serializer.addAttribute(u"size", DWFFormatInteger(_size));
    }
    serializer.addAttribute(u"objectId", _objectID);
    serializer.addAttribute(u"parentObjectId", _parentObjectID);
    if (ownElement)
    {
        if (!_isObjectDefinition())
        {
            getSerializable().serializeXML(serializer, flags);
        }
        serializer.endElement();
    }
}

} // namespace DWFToolkit
