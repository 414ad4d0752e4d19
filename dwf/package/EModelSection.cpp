#include "dwf/package/EModelSection.h"

#include "dwf/package/FontResource.h"
#include "dwf/package/GraphicResource.h"
#include "dwf/package/ImageResource.h"
#include "dwf/package/Interface.h"
#include "dwf/package/NumberText.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/Exception.h"

#include <new>

namespace DWFToolkit
{

DWFSection* DWFEModelSection::Factory::build(const DWFCore::DWFString& name,
                                             const DWFCore::DWFString& title,
                                             DWFPackageReader* reader)
{
    DWFSection* section = new (std::nothrow) DWFEModelSection(name, title, reader);
    if (section == nullptr)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate new section",
                      "DWFToolkit::DWFEModelSection::Factory::build");
    }
    return section;
}

DWFEModelSection::DWFEModelSection(const DWFCore::DWFString& name, const DWFCore::DWFString& title,
                                   DWFPackageReader* reader)
    : DWFSection(kType, name, title, reader), DWFEModelSectionDescriptorReader(reader)
{
    setElementBuilder(this);
}

DWFEModelSection::DWFEModelSection(const DWFCore::DWFString& title,
                                   const DWFCore::DWFString& objectID, double plotOrder,
                                   const DWFSource& source, const DWFUnits* units)
    : DWFSection(kType, title, objectID, 1.0, plotOrder, source),
      DWFEModelSectionDescriptorReader(nullptr), _units(units ? new DWFUnits(*units) : nullptr)
{
    setElementBuilder(this);
}

DWFEModelSection::~DWFEModelSection() = default;

DWFInterface* DWFEModelSection::buildInterface()
{
    DWFInterface* interface =
        new (std::nothrow) DWFInterface(kInterfaceName, kViewerHREF, kInterfaceID);
    if (interface == nullptr)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate interface",
                      "DWFToolkit::DWFEModelSection::buildInterface");
    }
    return interface;
}

void DWFEModelSection::serializeXML(DWFXMLSerializer& serializer, unsigned int flags)
{
    if (!(flags & eDescriptor) || (flags & eManifest))
    {
        DWFSection::serializeXML(serializer, flags);
        return;
    }
    setResourceContainerName(_name);
    const unsigned int spaceFlags = (flags & ~eEPlot) | eEModel;
    const DWFCore::DWFString version = DWFFormatNumber("%#0.2g", _version);
    DWFCore::DWFString xmlns(u"DWF-eModel:");
    xmlns.append(version);

    serializer.startElement(u"Space", namespaceXML(spaceFlags));
    serializer.addAttribute(u"eModel", xmlns, u"xmlns:");
    serializer.addAttribute(u"version", version);
    serializer.addAttribute(u"name", _title);
    serializer.addAttribute(u"plotOrder", DWFFormatNumber("%.17g", _plotOrder));
    if (_units)
    {
        _units->serializeXML(serializer, spaceFlags);
    }
    _serializeDescriptorContent(serializer, spaceFlags);
    serializer.endElement();
}

DWFCore::DWFString DWFEModelSection::provideName(const DWFCore::DWFString& name)
{
    _title = name;
    return name;
}

double DWFEModelSection::provideVersion(double version)
{
    _version = version;
    return version;
}

double DWFEModelSection::providePlotOrder(double plotOrder)
{
    _plotOrder = plotOrder;
    return plotOrder;
}

DWFUnits* DWFEModelSection::provideUnits(DWFUnits* units)
{
    // Later units replace earlier ones, which go.
    _units.reset(units);
    return units;
}

DWFProperty* DWFEModelSection::provideProperty(DWFProperty* property)
{
    return _keepProperty(property);
}

DWFResource* DWFEModelSection::provideResource(DWFResource* resource)
{
    return _keepResource(resource);
}

DWFFontResource* DWFEModelSection::provideFontResource(DWFFontResource* resource)
{
    return static_cast<DWFFontResource*>(_keepResource(resource));
}

DWFGraphicResource* DWFEModelSection::provideGraphicResource(DWFGraphicResource* resource)
{
    return static_cast<DWFGraphicResource*>(_keepResource(resource));
}

DWFImageResource* DWFEModelSection::provideImageResource(DWFImageResource* resource)
{
    return static_cast<DWFImageResource*>(_keepResource(resource));
}

} // namespace DWFToolkit
