#include "dwf/package/ImageResource.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/NumberText.h"
#include "dwf/package/writer/XMLSerializer.h"

#include <algorithm>
#include <cstring>

namespace DWFToolkit
{

DWFImageResource::DWFImageResource(DWFPackageReader* reader) : DWFGraphicResource(reader) {}

DWFImageResource::DWFImageResource(const DWFCore::DWFString& title, const DWFCore::DWFString& role,
                                   const DWFCore::DWFString& mime, const DWFCore::DWFString& author,
                                   const DWFCore::DWFString& description,
                                   const DWFCore::DWFString& creationTime,
                                   const DWFCore::DWFString& modificationTime)
    : DWFGraphicResource(title, role, mime, author, description, creationTime, modificationTime)
{
}

void DWFImageResource::setImageAttributes(std::uint8_t colorDepth, bool invertColors, bool scanned,
                                          std::int32_t scannedResolution,
                                          const double* originalExtents)
{
    _colorDepth = colorDepth;
    _invertColors = invertColors;
    _scanned = scanned;
    _scannedResolution = scannedResolution;
    if (originalExtents)
    {
        std::copy(originalExtents, originalExtents + 4, _originalExtents);
    }
}

void DWFImageResource::parseAttributeList(const char** attributes)
{
    DWFGraphicResource::parseAttributeList(attributes);

    DWFAttributeOnce once;
    for (std::size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
    {
        const char* name = DWFAttributeText::SkipPrefix(attributes[i]);
        const char* value = attributes[i + 1];
        if (std::strcmp(name, "invertColors") == 0 && once.first(0))
        {
            _invertColors = DWFAttributeText::ParseBoolean(value);
        }
        else if (std::strcmp(name, "scanned") == 0 && once.first(1))
        {
            _scanned = DWFAttributeText::ParseBoolean(value);
        }
        else if (std::strcmp(name, "colorDepth") == 0 && once.first(2))
        {
            // The depth is one byte wide; out-of-range text is clamped into it.
            const std::int32_t depth = DWFAttributeText::ParseInteger(value);
            _colorDepth = static_cast<std::uint8_t>(std::clamp<std::int32_t>(depth, 0, 255));
        }
        else if (std::strcmp(name, "scannedResolution") == 0 && once.first(3))
        {
            _scannedResolution = DWFAttributeText::ParseInteger(value);
        }
        else if (std::strcmp(name, "originalExtents") == 0 && once.first(4))
        {
            DWFAttributeText::ParseDoubles(value, _originalExtents, 4);
        }
    }
}

void DWFImageResource::serializeXML(DWFXMLSerializer& serializer, unsigned int flags)
{
    if ((flags & eManifest) || !(flags & eDescriptor) || role() == kRoleDescriptor)
    {
        DWFResource::serializeXML(serializer, flags);
        return;
    }

    const bool ownElement = !(flags & eElementOpen);
    if (ownElement)
    {
        serializer.startElement(u"ImageResource", namespaceXML(flags));
    }
    DWFGraphicResource::serializeXML(serializer, flags | eElementOpen);

    if (_scanned)
    {
        serializer.addAttribute(u"scanned", u"true");
    }
    if (_invertColors)
    {
        serializer.addAttribute(u"invertColors", u"true");
    }
    if (_scannedResolution > 0)
    {
        serializer.addAttribute(u"scannedResolution", DWFFormatInteger(_scannedResolution));
    }
    if (_colorDepth != 0)
    {
        serializer.addAttribute(u"colorDepth", DWFFormatInteger(_colorDepth));
    }
    if (std::any_of(_originalExtents, _originalExtents + 4, [](double v) { return v != 0.0; }))
    {
        serializer.addAttribute(u"originalExtents", DWFFormatNumbers(_originalExtents, 4));
    }

    if (ownElement)
    {
        getSerializable().serializeXML(serializer, flags);
        serializer.endElement();
    }
}

} // namespace DWFToolkit
