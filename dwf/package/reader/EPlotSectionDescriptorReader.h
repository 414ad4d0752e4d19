#ifndef DWFPACKAGE_READER_EPLOTSECTIONDESCRIPTORREADER_H
#define DWFPACKAGE_READER_EPLOTSECTIONDESCRIPTORREADER_H

#include "dwf/package/reader/SectionDescriptorReader.h"

namespace DWFToolkit
{

class DWFPaper;

//
// Reads an ePlot section's descriptor (root "Page"): its attributes, paper,
// properties and resources.
//
class DWFEPlotSectionDescriptorReader : public DWFSectionDescriptorReader
{
public:
    enum : std::uint32_t
    {
        eProvideName = 1,
        eProvideVersion = 2,
        eProvidePlotOrder = 4,
        eProvideColor = 8,
        eProvideObjectID = 16,
        eProvidePaper = 32,
        eProvideProperties = 64,
        eProvideResources = 128,
        eProvideResource = 256,
        eProvideFontResource = 512,
        eProvideGraphicResource = 1024,
        eProvideImageResource = 2048,
        eProvideAll = 0xFFF
    };

    explicit DWFEPlotSectionDescriptorReader(DWFPackageReader* packageReader = nullptr,
                                             std::uint32_t provideMask = eProvideAll);

    // Sees every value before this reader does (not owned).
    void setProvideFilter(DWFEPlotSectionDescriptorReader* filter) noexcept
    {
        _setProvideFilter(filter);
    }

    virtual DWFCore::DWFString provideObjectID(const DWFCore::DWFString& objectID);
    virtual double providePlotOrder(double plotOrder);
    // 0x00RRGGBB
    virtual std::uint32_t provideColor(std::uint32_t color);
    virtual DWFPaper* providePaper(DWFPaper* paper);

protected:
    void _provideAttributes(const char** attributes) override;
    void _startElement(const char* localName, const char** attributes, unsigned int depth) override;

private:
    DWFEPlotSectionDescriptorReader* _typedFilter() const noexcept
    {
        return static_cast<DWFEPlotSectionDescriptorReader*>(_filter());
    }
};

} // namespace DWFToolkit

#endif
