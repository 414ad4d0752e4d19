#include "dwf/package/reader/EModelSectionDescriptorReader.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/Units.h"
#include "dwf/package/reader/ElementName.h"

namespace DWFToolkit
{

using DWFElementName::Is;

namespace
{

const unsigned int kPrefixes =
    DWFElementName::eDWF | DWFElementName::eCommon | DWFElementName::eEModel;

} // namespace

DWFEModelSectionDescriptorReader::DWFEModelSectionDescriptorReader(DWFPackageReader* packageReader,
                                                                   std::uint32_t provideMask)
    : DWFSectionDescriptorReader(packageReader, 0xFF, provideMask,
                                 Bits{"Space", kPrefixes, eProvideProperties, eProvideResources,
                                      eProvideResource, eProvideFontResource,
                                      eProvideGraphicResource, eProvideImageResource})
{
}

void DWFEModelSectionDescriptorReader::_provideAttributes(const char** attributes)
{
    // Bit 8 belongs to no item here but still opens the root's attributes.
    if ((_mask & (eProvideName | eProvideVersion | eProvidePlotOrder | 8)) == 0)
    {
        return;
    }
    DWFEModelSectionDescriptorReader* const filter = _typedFilter();
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
    }
}

void DWFEModelSectionDescriptorReader::_startElement(const char* local, const char** attributes,
                                                     unsigned int depth)
{
    if (depth == 1 && (_mask & eProvideUnits) && Is(local, "Units"))
    {
        DWFUnits* units = _builder().buildUnits(attributes);
        DWFEModelSectionDescriptorReader* const filter = _typedFilter();
        provideUnits(filter ? filter->provideUnits(units) : units);
    }
}

double DWFEModelSectionDescriptorReader::providePlotOrder(double plotOrder)
{
    return plotOrder;
}

DWFUnits* DWFEModelSectionDescriptorReader::provideUnits(DWFUnits* units)
{
    delete units;
    return nullptr;
}

} // namespace DWFToolkit
