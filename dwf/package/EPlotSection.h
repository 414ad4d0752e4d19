#ifndef DWFPACKAGE_EPLOTSECTION_H
#define DWFPACKAGE_EPLOTSECTION_H

#include "dwf/package/Paper.h"
#include "dwf/package/Section.h"
#include "dwf/package/reader/EPlotSectionDescriptorReader.h"

#include <cstdint>
#include <memory>

namespace DWFToolkit
{

//
// One 2D sheet: its paper and colour besides the common section fields.
// Its descriptor is a "ePlot:Page" document, and the section reads that
// document back into itself.
//
class DWFEPlotSection : public DWFSection, public DWFEPlotSectionDescriptorReader
{
public:
    static constexpr const char16_t* kType = u"com.morvalex.dwf.ePlot";
    static constexpr const char16_t* kInterfaceName = u"ePlot";
    static constexpr const char16_t* kInterfaceID = u"715941D4-1AC2-4545-8185-BC40E053B551";

    class Factory : public DWFSection::Factory
    {
    public:
        Factory() : DWFSection::Factory(kType) {}
        using DWFSection::Factory::build;
        DWFSection* build(const DWFCore::DWFString& name, const DWFCore::DWFString& title,
                          DWFPackageReader* reader) override;
    };

    // For reading: colour white, no paper.
    DWFEPlotSection(const DWFCore::DWFString& name, const DWFCore::DWFString& title,
                    DWFPackageReader* reader);
    // For writing, version 1.2; the paper is copied (the caller keeps its own).
    DWFEPlotSection(const DWFCore::DWFString& title, const DWFCore::DWFString& objectID,
                    double plotOrder, const DWFSource& source, std::uint32_t color = 0x00FFFFFF,
                    const DWFPaper* paper = nullptr);
    ~DWFEPlotSection() override;

    using DWFSection::packageReader;

    // 0x00RRGGBB
    std::uint32_t color() const noexcept { return _color; }
    // Null when the page has no paper.
    const DWFPaper* paper() const noexcept { return _paper.get(); }

    DWFInterface* buildInterface() override;
    using DWFSection::buildInterface;

    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

    DWFCore::DWFString provideName(const DWFCore::DWFString& name) override;
    DWFCore::DWFString provideObjectID(const DWFCore::DWFString& objectID) override;
    double provideVersion(double version) override;
    double providePlotOrder(double plotOrder) override;
    std::uint32_t provideColor(std::uint32_t color) override;
    DWFPaper* providePaper(DWFPaper* paper) override;
    DWFProperty* provideProperty(DWFProperty* property) override;
    DWFResource* provideResource(DWFResource* resource) override;
    DWFFontResource* provideFontResource(DWFFontResource* resource) override;
    DWFGraphicResource* provideGraphicResource(DWFGraphicResource* resource) override;
    DWFImageResource* provideImageResource(DWFImageResource* resource) override;

protected:
    DWFSectionDescriptorReader* _defaultDescriptorReader() override { return this; }

private:
    std::uint32_t _color;
    std::unique_ptr<DWFPaper> _paper;
};

} // namespace DWFToolkit

#endif
