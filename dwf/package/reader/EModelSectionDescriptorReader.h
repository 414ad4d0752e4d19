#ifndef DWFPACKAGE_READER_EMODELSECTIONDESCRIPTORREADER_H
#define DWFPACKAGE_READER_EMODELSECTIONDESCRIPTORREADER_H

#include "dwf/package/reader/SectionDescriptorReader.h"

namespace DWFToolkit
{

class DWFUnits;

//
// Reads an eModel section's descriptor (root "Space"): its attributes,
// units, properties and resources.
//
class DWFEModelSectionDescriptorReader : public DWFSectionDescriptorReader
{
public:
    enum : std::uint32_t
    {
        eProvideName = 1,
        eProvideVersion = 2,
        eProvidePlotOrder = 4,
        eProvideProperties = 16,
        eProvideResources = 32,
        eProvideUnits = 64,
        eProvideResource = 256,
        eProvideFontResource = 512,
        eProvideGraphicResource = 1024,
        eProvideImageResource = 2048,
        eProvideAll = 0xFFF
    };

    explicit DWFEModelSectionDescriptorReader(DWFPackageReader* packageReader = nullptr,
                                              std::uint32_t provideMask = eProvideAll);

    // Sees every value before this reader does (not owned).
    void setProvideFilter(DWFEModelSectionDescriptorReader* filter) noexcept
    {
        _setProvideFilter(filter);
    }

    virtual double providePlotOrder(double plotOrder);
    virtual DWFUnits* provideUnits(DWFUnits* units);

protected:
    void _provideAttributes(const char** attributes) override;
    void _startElement(const char* localName, const char** attributes, unsigned int depth) override;

private:
    DWFEModelSectionDescriptorReader* _typedFilter() const noexcept
    {
        return static_cast<DWFEModelSectionDescriptorReader*>(_filter());
    }
};

} // namespace DWFToolkit

#endif
