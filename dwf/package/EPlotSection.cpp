#include "dwf/package/EPlotSection.h"

#include "dwf/package/FontResource.h"
#include "dwf/package/GraphicResource.h"
#include "dwf/package/ImageResource.h"
#include "dwf/package/Interface.h"
#include "dwf/package/NumberText.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/Exception.h"

#include <new>
#include <string>

namespace DWFToolkit
{

DWFSection* DWFEPlotSection::Factory::build(const DWFCore::DWFString& name,
                                            const DWFCore::DWFString& title,
                                            DWFPackageReader* reader)
{
    DWFSection* section = new (std::nothrow) DWFEPlotSection(name, title, reader);
    if (section == nullptr)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate new section",
                      "DWFToolkit::DWFEPlotSection::Factory::build");
    }
    return section;
}

DWFEPlotSection::DWFEPlotSection(const DWFCore::DWFString& name, const DWFCore::DWFString& title,
                                 DWFPackageReader* reader)
    : DWFSection(kType, name, title, reader), DWFEPlotSectionDescriptorReader(reader),
      // White, because a white page is written without a colour.
      _color(0x00FFFFFF)
{
    setElementBuilder(this);
}

DWFEPlotSection::DWFEPlotSection(const DWFCore::DWFString& title,
                                 const DWFCore::DWFString& objectID, double plotOrder,
                                 const DWFSource& source, std::uint32_t color,
                                 const DWFPaper* paper)
    : DWFSection(kType, title, objectID, 1.2, plotOrder, source),
      DWFEPlotSectionDescriptorReader(nullptr), _color(color & 0x00FFFFFF),
      _paper(paper ? new DWFPaper(*paper) : nullptr)
{
    setElementBuilder(this);
}

DWFEPlotSection::~DWFEPlotSection() = default;

DWFInterface* DWFEPlotSection::buildInterface()
{
    DWFInterface* interface =
        new (std::nothrow) DWFInterface(kInterfaceName, kViewerHREF, kInterfaceID);
    if (interface == nullptr)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate interface",
                      "DWFToolkit::DWFEPlotSection::buildInterface");
    }
    return interface;
}

void DWFEPlotSection::serializeXML(DWFXMLSerializer& serializer, unsigned int flags)
{
    if (!(flags & eDescriptor) || (flags & eManifest))
    {
        DWFSection::serializeXML(serializer, flags);
        return;
    }
    setResourceContainerName(_name);
    const unsigned int pageFlags = (flags & ~eEModel) | eEPlot;
    const DWFCore::DWFString version = DWFFormatNumber("%#0.2g", _version);
    DWFCore::DWFString xmlns(u"DWF-ePlot:");
    xmlns.append(version);

    serializer.startElement(u"Page", namespaceXML(pageFlags));
    serializer.addAttribute(u"ePlot", xmlns, u"xmlns:");
    serializer.addAttribute(u"version", version);
    serializer.addAttribute(u"objectId", _objectID);
    serializer.addAttribute(u"name", _title);
    serializer.addAttribute(u"plotOrder", DWFFormatNumber("%.17g", _plotOrder));
    if (_color != 0x00FFFFFF)
    {
        const std::string rgb = std::to_string((_color >> 16) & 0xFF) + ' ' +
                                std::to_string((_color >> 8) & 0xFF) + ' ' +
                                std::to_string(_color & 0xFF);
        serializer.addAttribute(u"color", DWFCore::DWFString(rgb.c_str()));
    }
    if (_paper)
    {
        _paper->serializeXML(serializer, pageFlags);
    }
    _serializeDescriptorContent(serializer, pageFlags);
    serializer.endElement();
}

DWFCore::DWFString DWFEPlotSection::provideName(const DWFCore::DWFString& name)
{
    _title = name;
    return name;
}

DWFCore::DWFString DWFEPlotSection::provideObjectID(const DWFCore::DWFString& objectID)
{
    _objectID = objectID;
    return objectID;
}

double DWFEPlotSection::provideVersion(double version)
{
    _version = version;
    return version;
}

double DWFEPlotSection::providePlotOrder(double plotOrder)
{
    _plotOrder = plotOrder;
    return plotOrder;
}

std::uint32_t DWFEPlotSection::provideColor(std::uint32_t color)
{
    _color = color & 0x00FFFFFF;
    return color;
}

DWFPaper* DWFEPlotSection::providePaper(DWFPaper* paper)
{
    // A second paper replaces the first, which goes.
    _paper.reset(paper);
    return paper;
}

DWFProperty* DWFEPlotSection::provideProperty(DWFProperty* property)
{
    return _keepProperty(property);
}

DWFResource* DWFEPlotSection::provideResource(DWFResource* resource)
{
    return _keepResource(resource);
}

DWFFontResource* DWFEPlotSection::provideFontResource(DWFFontResource* resource)
{
    return static_cast<DWFFontResource*>(_keepResource(resource));
}

DWFGraphicResource* DWFEPlotSection::provideGraphicResource(DWFGraphicResource* resource)
{
    return static_cast<DWFGraphicResource*>(_keepResource(resource));
}

DWFImageResource* DWFEPlotSection::provideImageResource(DWFImageResource* resource)
{
    return static_cast<DWFImageResource*>(_keepResource(resource));
}

} // namespace DWFToolkit
