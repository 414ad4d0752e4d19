#include "dwf/package/reader/SectionDescriptorReader.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/FontResource.h"
#include "dwf/package/GraphicResource.h"
#include "dwf/package/ImageResource.h"
#include "dwf/package/Property.h"
#include "dwf/package/Resource.h"
#include "dwf/package/reader/ElementName.h"

namespace DWFToolkit
{

using DWFElementName::Is;

DWFSectionDescriptorReader::DWFSectionDescriptorReader(DWFPackageReader* packageReader,
                                                       unsigned char rootFlags)
    : _inUse(&_ownBuilder), _packageReader(packageReader), _rootFlags(rootFlags)
{
    _bits.prefixes = DWFElementName::eDWF | DWFElementName::eCommon | DWFElementName::eEPlot |
                     DWFElementName::eEModel;
}

DWFSectionDescriptorReader::DWFSectionDescriptorReader(DWFPackageReader* packageReader,
                                                       unsigned char rootFlags, std::uint32_t mask,
                                                       const Bits& bits)
    : _mask(mask), _bits(bits), _inUse(&_ownBuilder), _packageReader(packageReader),
      _rootFlags(rootFlags)
{
}

DWFSectionDescriptorReader::~DWFSectionDescriptorReader() = default;

void DWFSectionDescriptorReader::setElementBuilder(DWFXMLElementBuilder* builder) noexcept
{
    _inUse = builder ? builder : &_ownBuilder;
}

bool DWFSectionDescriptorReader::acceptRootElement(const char*)
{
    return true;
}

void DWFSectionDescriptorReader::_provideAttributes(const char**) {}

void DWFSectionDescriptorReader::_startElement(const char*, const char**, unsigned int) {}

void DWFSectionDescriptorReader::_endElement(const char*, unsigned int) {}

void DWFSectionDescriptorReader::notifyStartElement(const char* name, const char** attributes)
{
    static const char* const noAttributes[] = {nullptr};
    if (attributes == nullptr)
    {
        attributes = const_cast<const char**>(noAttributes);
    }
    const unsigned int depth = _depth;
    // Raised whatever happens below, so that depths stay paired with the end events.
    struct Raise
    {
        unsigned int& depth;
        ~Raise() { ++depth; }
    } raise{_depth};

    const char* local = DWFElementName::Local(name, _bits.prefixes);
    if (depth == 0)
    {
        if (_rootFlags & eProvideRootAttributes)
        {
            const bool accepted = _rootFilter == nullptr || _rootFilter->acceptRootElement(name);
            if (accepted)
            {
                acceptRootElement(name);
            }
            _provideAttributes(attributes);
        }
        if (_bits.root == nullptr || !Is(local, _bits.root))
        {
            _mask = 0;
        }
        return;
    }
    if (depth == 1)
    {
        _mode = 0;
        if (_bits.properties && (_mask & _bits.properties) && Is(local, "Properties"))
        {
            _mode = _bits.properties;
            return;
        }
        if (_bits.resources && (_mask & _bits.resources) && Is(local, "Resources"))
        {
            _mode = _bits.resources;
            return;
        }
        _startElement(local, attributes, depth);
        return;
    }
    if (_mode != 0 && _mode == _bits.properties)
    {
        if (depth == 2 && Is(local, "Property"))
        {
            DWFProperty* property = _builder().buildProperty(attributes);
            provideProperty(_filter() ? _filter()->provideProperty(property) : property);
        }
        return;
    }
    if (_mode != 0 && _mode == _bits.resources)
    {
        if (depth == 2)
        {
            _startResource(local, attributes);
        }
        else if (depth == 4 && _resource && Is(local, "Property"))
        {
            std::unique_ptr<DWFProperty> property(_builder().buildProperty(attributes));
            if (property)
            {
                _resource->addProperty(property.get(), true);
                property.release();
            }
        }
        return;
    }
    _startElement(local, attributes, depth);
}

void DWFSectionDescriptorReader::notifyEndElement(const char* name)
{
    if (_depth == 0)
    {
        return;
    }
    const unsigned int depth = --_depth;
    const char* local = DWFElementName::Local(name, _bits.prefixes);
    if (depth == 2 && _mode != 0 && _mode == _bits.resources)
    {
        _endResource();
    }
    _endElement(local, depth);
    if (depth == 1)
    {
        _mode = 0;
    }
}

void DWFSectionDescriptorReader::_startResource(const char* local, const char** attributes)
{
    DWFPackageReader* const reader = _packageReader;
    // A resource left open by a malformed document is dropped, not leaked.
    _resource.reset();
    if (Is(local, "Resource") && (_mask & _bits.resource))
    {
        _resource.reset(_builder().buildResource(attributes, reader));
        _resourceKind = ResourceKind::ePlain;
    }
    else if (Is(local, "FontResource") && (_mask & _bits.fontResource))
    {
        _resource.reset(_builder().buildFontResource(attributes, reader));
        _resourceKind = ResourceKind::eFont;
    }
    else if (Is(local, "GraphicResource") && (_mask & _bits.graphicResource))
    {
        _resource.reset(_builder().buildGraphicResource(attributes, reader));
        _resourceKind = ResourceKind::eGraphic;
    }
    else if (Is(local, "ImageResource") && (_mask & _bits.imageResource))
    {
        _resource.reset(_builder().buildImageResource(attributes, reader));
        _resourceKind = ResourceKind::eImage;
    }
}

void DWFSectionDescriptorReader::_endResource()
{
    if (!_resource)
    {
        return;
    }
    DWFSectionDescriptorReader* const filter = _filter();
    switch (_resourceKind)
    {
    case ResourceKind::ePlain:
    {
        DWFResource* resource = _resource.release();
        if (filter)
        {
            resource = filter->provideResource(resource);
        }
        provideResource(resource);
        break;
    }
    case ResourceKind::eFont:
    {
        auto* resource = static_cast<DWFFontResource*>(_resource.release());
        if (filter)
        {
            resource = filter->provideFontResource(resource);
        }
        provideFontResource(resource);
        break;
    }
    case ResourceKind::eGraphic:
    {
        auto* resource = static_cast<DWFGraphicResource*>(_resource.release());
        if (filter)
        {
            resource = filter->provideGraphicResource(resource);
        }
        provideGraphicResource(resource);
        break;
    }
    case ResourceKind::eImage:
    {
        auto* resource = static_cast<DWFImageResource*>(_resource.release());
        if (filter)
        {
            resource = filter->provideImageResource(resource);
        }
        provideImageResource(resource);
        break;
    }
    }
}

DWFCore::DWFString DWFSectionDescriptorReader::_forwardName(const DWFCore::DWFString& name)
{
    return provideName(_provideFilter ? _provideFilter->provideName(name) : name);
}

double DWFSectionDescriptorReader::_forwardVersion(double version)
{
    return provideVersion(_provideFilter ? _provideFilter->provideVersion(version) : version);
}

bool DWFSectionDescriptorReader::_forwardNameOrVersion(const char* name, const char* value,
                                                       DWFAttributeOnce& once)
{
    constexpr std::uint32_t kName = 1;
    constexpr std::uint32_t kVersion = 2;
    if ((_mask & kName) && DWFElementName::Is(name, "name") && once.first(0))
    {
        _forwardName(DWFCore::DWFString(value));
        return true;
    }
    if ((_mask & kVersion) && DWFElementName::Is(name, "version") && once.first(1))
    {
        _forwardVersion(DWFCore::DWFString::ParseDouble(value));
        return true;
    }
    return false;
}

DWFCore::DWFString DWFSectionDescriptorReader::provideName(const DWFCore::DWFString& name)
{
    return name;
}

double DWFSectionDescriptorReader::provideVersion(double version)
{
    return version;
}

DWFProperty* DWFSectionDescriptorReader::provideProperty(DWFProperty* property)
{
    delete property;
    return nullptr;
}

DWFResource* DWFSectionDescriptorReader::provideResource(DWFResource* resource)
{
    delete resource;
    return nullptr;
}

DWFFontResource* DWFSectionDescriptorReader::provideFontResource(DWFFontResource* resource)
{
    delete resource;
    return nullptr;
}

DWFGraphicResource* DWFSectionDescriptorReader::provideGraphicResource(DWFGraphicResource* resource)
{
    delete resource;
    return nullptr;
}

DWFImageResource* DWFSectionDescriptorReader::provideImageResource(DWFImageResource* resource)
{
    delete resource;
    return nullptr;
}

} // namespace DWFToolkit
