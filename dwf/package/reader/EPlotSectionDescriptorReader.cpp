#include "dwf/package/reader/EPlotSectionDescriptorReader.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/Paper.h"
#include "dwf/package/reader/ElementName.h"

namespace DWFToolkit
{

using DWFElementName::Is;

namespace
{

const unsigned int kPrefixes =
    DWFElementName::eDWF | DWFElementName::eCommon | DWFElementName::eEPlot;

} // namespace

DWFEPlotSectionDescriptorReader::DWFEPlotSectionDescriptorReader(DWFPackageReader* packageReader,
                                                                 std::uint32_t provideMask)
    : DWFSectionDescriptorReader(packageReader, 0xFF, provideMask,
                                 Bits{"Page", kPrefixes, eProvideProperties, eProvideResources,
                                      eProvideResource, eProvideFontResource,
                                      eProvideGraphicResource, eProvideImageResource})
{
}

void DWFEPlotSectionDescriptorReader::_provideAttributes(const char** attributes)
{
    if ((_mask & (eProvideName | eProvideVersion | eProvidePlotOrder | eProvideColor)) == 0)
    {
        return;
    }
    DWFEPlotSectionDescriptorReader* const filter = _typedFilter();
    DWFAttributeOnce once;
    for (std::size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
    {
        const char* name = DWFElementName::Local(attributes[i], kPrefixes);
        const char* value = attributes[i + 1];
        if (_forwardNameOrVersion(name, value, once))
        {
            continue;
        }
        if ((_mask & eProvidePlotOrder) && Is(name, "plotOrder") && once.first(2))
        {
            const double plotOrder = DWFCore::DWFString::ParseDouble(value);
            providePlotOrder(filter ? filter->providePlotOrder(plotOrder) : plotOrder);
        }
        else if ((_mask & eProvideColor) && Is(name, "color") && once.first(3))
        {
            long rgb[3] = {0, 0, 0};
            DWFAttributeText::ParseIntegers(value, rgb, 3);
            const std::uint32_t color = ((std::uint32_t(rgb[0]) & 0xFF) << 16) |
                                        ((std::uint32_t(rgb[1]) & 0xFF) << 8) |
                                        (std::uint32_t(rgb[2]) & 0xFF);
            provideColor(filter ? filter->provideColor(color) : color);
        }
        else if ((_mask & eProvideObjectID) && Is(name, "objectId") && once.first(4))
        {
            const DWFCore::DWFString objectID(value);
            provideObjectID(filter ? filter->provideObjectID(objectID) : objectID);
        }
    }
}

void DWFEPlotSectionDescriptorReader::_startElement(const char* local, const char** attributes,
                                                    unsigned int depth)
{
    if (depth == 1 && (_mask & eProvidePaper) && Is(local, "Paper"))
    {
        DWFPaper* paper = _builder().buildPaper(attributes);
        DWFEPlotSectionDescriptorReader* const filter = _typedFilter();
        providePaper(filter ? filter->providePaper(paper) : paper);
    }
}

DWFCore::DWFString DWFEPlotSectionDescriptorReader::provideObjectID(const DWFCore::DWFString& id)
{
    return id;
}

double DWFEPlotSectionDescriptorReader::providePlotOrder(double plotOrder)
{
    return plotOrder;
}

std::uint32_t DWFEPlotSectionDescriptorReader::provideColor(std::uint32_t color)
{
    return color;
}

DWFPaper* DWFEPlotSectionDescriptorReader::providePaper(DWFPaper* paper)
{
    delete paper;
    return nullptr;
}

} // namespace DWFToolkit
