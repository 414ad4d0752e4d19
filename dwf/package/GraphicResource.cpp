#include "dwf/package/GraphicResource.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/NumberText.h"
#include "dwf/package/writer/XMLSerializer.h"

#include <algorithm>
#include <cstring>

namespace DWFToolkit
{

namespace
{

bool allZero(const double* values, std::size_t count)
{
    return std::all_of(values, values + count, [](double v) { return v == 0.0; });
}

} // namespace

DWFGraphicResource::DWFGraphicResource(DWFPackageReader* reader) : DWFResource(reader) {}

DWFGraphicResource::DWFGraphicResource(
    const DWFCore::DWFString& title, const DWFCore::DWFString& role, const DWFCore::DWFString& mime,
    const DWFCore::DWFString& author, const DWFCore::DWFString& description,
    const DWFCore::DWFString& creationTime, const DWFCore::DWFString& modificationTime)
    : DWFResource(title, role, mime), _author(author), _description(description),
      _creationTime(creationTime), _modificationTime(modificationTime)
{
}

void DWFGraphicResource::setGraphicAttributes(const double* transform, const double* extents,
                                              const double* clip, bool show, std::int32_t zOrder,
                                              std::int32_t effectiveResolution,
                                              teOrientation orientation)
{
    if (transform)
    {
        std::copy(transform, transform + 16, _transform);
    }
    if (extents)
    {
        std::copy(extents, extents + 4, _extents);
    }
    if (clip)
    {
        std::copy(clip, clip + 4, _clip);
    }
    _show = show;
    _zOrder = zOrder;
    _effectiveResolution = effectiveResolution;
    _orientation = orientation;
}

void DWFGraphicResource::parseAttributeList(const char** attributes)
{
    DWFResource::parseAttributeList(attributes);

    DWFAttributeOnce once;
    for (std::size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
    {
        const char* name = DWFAttributeText::SkipPrefix(attributes[i]);
        const char* value = attributes[i + 1];
        if (std::strcmp(name, "show") == 0 && once.first(0))
        {
            _show = DWFAttributeText::ParseBoolean(value);
        }
        else if (std::strcmp(name, "zOrder") == 0 && once.first(1))
        {
            _zOrder = DWFAttributeText::ParseInteger(value);
        }
        else if (std::strcmp(name, "extents") == 0 && once.first(2))
        {
            DWFAttributeText::ParseDoubles(value, _extents, 4);
        }
        else if (std::strcmp(name, "clip") == 0 && once.first(3))
        {
            DWFAttributeText::ParseDoubles(value, _clip, 4);
        }
        else if (std::strcmp(name, "transform") == 0 && once.first(4))
        {
            DWFAttributeText::ParseDoubles(value, _transform, 16);
        }
        else if (std::strcmp(name, "effectiveResolution") == 0 && once.first(5))
        {
            _effectiveResolution = DWFAttributeText::ParseInteger(value);
        }
        else if (std::strcmp(name, "orientation") == 0 && once.first(6))
        {
            if (std::strcmp(value, "alwaysInSync") == 0)
            {
                _orientation = eAlwaysInSync;
            }
            else if (std::strcmp(value, "alwaysDifferent") == 0)
            {
                _orientation = eAlwaysDifferent;
            }
            else if (std::strcmp(value, "decoupled") == 0)
            {
                _orientation = eDecoupled;
            }
        }
        else if (std::strcmp(name, "author") == 0 && once.first(7))
        {
            _author = value;
        }
        else if (std::strcmp(name, "description") == 0 && once.first(8))
        {
            _description = value;
        }
        else if (std::strcmp(name, "creationTime") == 0 && once.first(9))
        {
            _creationTime = value;
        }
        else if (std::strcmp(name, "modificationTime") == 0 && once.first(10))
        {
            _modificationTime = value;
        }
    }
}

void DWFGraphicResource::serializeXML(DWFXMLSerializer& serializer, unsigned int flags)
{
    if ((flags & eManifest) || !(flags & eDescriptor) || role() == kRoleDescriptor)
    {
        DWFResource::serializeXML(serializer, flags);
        return;
    }

    const bool ownElement = !(flags & eElementOpen);
    if (ownElement)
    {
        serializer.startElement(u"GraphicResource", namespaceXML(flags));
    }
    DWFResource::serializeXML(serializer, flags | eElementOpen);

    serializer.addAttribute(u"author", _author);
    serializer.addAttribute(u"description", _description);
    serializer.addAttribute(u"creationTime", _creationTime);
    serializer.addAttribute(u"modificationTime", _modificationTime);
    switch (_orientation)
    {
    case eNotSpecified:
        break;
    case eAlwaysInSync:
        serializer.addAttribute(u"orientation", u"alwaysInSync");
        break;
    case eAlwaysDifferent:
        serializer.addAttribute(u"orientation", u"alwaysDifferent");
        break;
    default:
        serializer.addAttribute(u"orientation", u"decoupled");
        break;
    }
    if (!_show)
    {
        serializer.addAttribute(u"show", u"false");
    }
    if (_zOrder != 0)
    {
        serializer.addAttribute(u"zOrder", DWFFormatInteger(_zOrder));
    }
    if (!allZero(_clip, 4))
    {
        serializer.addAttribute(u"clip", DWFFormatNumbers(_clip, 4));
    }
    if (!allZero(_extents, 4))
    {
        serializer.addAttribute(u"extents", DWFFormatNumbers(_extents, 4));
    }
    serializer.addAttribute(u"transform", DWFFormatNumbers(_transform, 16));
    if (_effectiveResolution != 0)
    {
        serializer.addAttribute(u"effectiveResolution", DWFFormatInteger(_effectiveResolution));
    }

    if (ownElement)
    {
        getSerializable().serializeXML(serializer, flags);
        serializer.endElement();
    }
}

} // namespace DWFToolkit
