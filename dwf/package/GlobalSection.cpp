#include "dwf/package/GlobalSection.h"

#include "dwf/package/FontResource.h"
#include "dwf/package/GraphicResource.h"
#include "dwf/package/ImageResource.h"
#include "dwf/package/NumberText.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/Exception.h"

#include <new>

namespace DWFToolkit
{

DWFGlobalSection::DWFGlobalSection(const DWFCore::DWFString& type, const DWFCore::DWFString& name,
                                   const DWFCore::DWFString& title, DWFPackageReader* reader)
    : DWFSection(type, name, title, reader), DWFGlobalSectionDescriptorReader(reader)
{
    setElementBuilder(this);
}

DWFGlobalSection::~DWFGlobalSection() = default;

void DWFGlobalSection::serializeXML(DWFXMLSerializer& serializer, unsigned int flags)
{
    flags |= eGlobal;
    DWFSection::serializeXML(serializer, flags);
    if ((flags & eDescriptor) && !(flags & eManifest) && _bookmark)
    {
        _bookmark->serializeXML(serializer, flags);
    }
}

void DWFGlobalSection::_serializeGlobalContent(DWFXMLSerializer& serializer, unsigned int flags,
                                               const char16_t* element, const char16_t* prefixName,
                                               const char16_t* xmlnsValue)
{
    const DWFCore::DWFString version = DWFFormatNumber("%#0.2g", _version);
    DWFCore::DWFString xmlns(xmlnsValue);
    xmlns.append(version);
    serializer.startElement(element, namespaceXML(flags));
    serializer.addAttribute(prefixName, xmlns, u"xmlns:");
    serializer.addAttribute(u"version", version);
    serializer.addAttribute(u"objectId", _objectID);
    serializer.addAttribute(u"name", _name);
    DWFGlobalSection::serializeXML(serializer, flags);
    serializer.endElement();
}

DWFCore::DWFString DWFGlobalSection::provideName(const DWFCore::DWFString& name)
{
    _title = name;
    return name;
}

double DWFGlobalSection::provideVersion(double version)
{
    _version = version;
    return version;
}

DWFProperty* DWFGlobalSection::provideProperty(DWFProperty* property)
{
    return _keepProperty(property);
}

DWFResource* DWFGlobalSection::provideResource(DWFResource* resource)
{
    return _keepResource(resource);
}

DWFFontResource* DWFGlobalSection::provideFontResource(DWFFontResource* resource)
{
    return static_cast<DWFFontResource*>(_keepResource(resource));
}

DWFGraphicResource* DWFGlobalSection::provideGraphicResource(DWFGraphicResource* resource)
{
    return static_cast<DWFGraphicResource*>(_keepResource(resource));
}

DWFImageResource* DWFGlobalSection::provideImageResource(DWFImageResource* resource)
{
    return static_cast<DWFImageResource*>(_keepResource(resource));
}

DWFBookmark* DWFGlobalSection::provideBookmark(DWFBookmark* root)
{
    _bookmark.reset(root);
    return root;
}

//
// ePlot and eModel kinds
//

DWFSection* DWFEPlotGlobalSection::Factory::build(const DWFCore::DWFString& name,
                                                  const DWFCore::DWFString& title,
                                                  DWFPackageReader* reader)
{
    DWFSection* section = new (std::nothrow) DWFEPlotGlobalSection(name, title, reader);
    if (section == nullptr)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate new section",
                      "DWFToolkit::DWFEPlotGlobalSection::Factory::build");
    }
    return section;
}

DWFEPlotGlobalSection::DWFEPlotGlobalSection(const DWFCore::DWFString& name,
                                             const DWFCore::DWFString& title,
                                             DWFPackageReader* reader)
    : DWFGlobalSection(kType, name, title, reader)
{
}

void DWFEPlotGlobalSection::serializeXML(DWFXMLSerializer& serializer, unsigned int flags)
{
    if (!(flags & eDescriptor) || (flags & eManifest))
    {
        DWFGlobalSection::serializeXML(serializer, flags);
        return;
    }
    setResourceContainerName(_name);
    _serializeGlobalContent(serializer, (flags & ~eEModel) | eEPlot, u"Global", u"ePlot",
                            u"DWF-ePlot:");
}

DWFSection* DWFEModelGlobalSection::Factory::build(const DWFCore::DWFString& name,
                                                   const DWFCore::DWFString& title,
                                                   DWFPackageReader* reader)
{
    DWFSection* section = new (std::nothrow) DWFEModelGlobalSection(name, title, reader);
    if (section == nullptr)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate new section",
                      "DWFToolkit::DWFEModelGlobalSection::Factory::build");
    }
    return section;
}

DWFEModelGlobalSection::DWFEModelGlobalSection(const DWFCore::DWFString& name,
                                               const DWFCore::DWFString& title,
                                               DWFPackageReader* reader)
    : DWFGlobalSection(kType, name, title, reader)
{
}

void DWFEModelGlobalSection::serializeXML(DWFXMLSerializer& serializer, unsigned int flags)
{
    if (!(flags & eDescriptor) || (flags & eManifest))
    {
        DWFGlobalSection::serializeXML(serializer, flags);
        return;
    }
    setResourceContainerName(_name);
    _serializeGlobalContent(serializer, (flags & ~eEPlot) | eEModel, u"Global", u"eModel",
                            u"DWF-eModel:");
}

} // namespace DWFToolkit
