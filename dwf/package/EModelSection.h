#ifndef DWFPACKAGE_EMODELSECTION_H
#define DWFPACKAGE_EMODELSECTION_H

#include "dwf/package/Section.h"
#include "dwf/package/Units.h"
#include "dwf/package/reader/EModelSectionDescriptorReader.h"

#include <memory>

namespace DWFToolkit
{

//
// One 3D model: its units besides the common section fields. Its
// descriptor is a "eModel:Space" document, which the section reads back
// into itself.
//
class DWFEModelSection : public DWFSection, public DWFEModelSectionDescriptorReader
{
public:
    static constexpr const char16_t* kType = u"com.morvalex.dwf.eModel";
    static constexpr const char16_t* kInterfaceName = u"eModel";
    static constexpr const char16_t* kInterfaceID = u"75E513A9-6C41-4C91-BAA6-81E593FAAC10";

    class Factory : public DWFSection::Factory
    {
    public:
        Factory() : DWFSection::Factory(kType) {}
        using DWFSection::Factory::build;
        DWFSection* build(const DWFCore::DWFString& name, const DWFCore::DWFString& title,
                          DWFPackageReader* reader) override;
    };

    // For reading: no units.
    DWFEModelSection(const DWFCore::DWFString& name, const DWFCore::DWFString& title,
                     DWFPackageReader* reader);
    // For writing, version 1.0; the units are copied (the caller keeps its own).
    DWFEModelSection(const DWFCore::DWFString& title, const DWFCore::DWFString& objectID,
                     double plotOrder, const DWFSource& source, const DWFUnits* units = nullptr);
    ~DWFEModelSection() override;

    using DWFSection::packageReader;

    // Null when the space has no units.
    const DWFUnits* units() const noexcept { return _units.get(); }

    DWFInterface* buildInterface() override;
    using DWFSection::buildInterface;

    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

    DWFCore::DWFString provideName(const DWFCore::DWFString& name) override;
    double provideVersion(double version) override;
    double providePlotOrder(double plotOrder) override;
    DWFUnits* provideUnits(DWFUnits* units) override;
    DWFProperty* provideProperty(DWFProperty* property) override;
    DWFResource* provideResource(DWFResource* resource) override;
    DWFFontResource* provideFontResource(DWFFontResource* resource) override;
    DWFGraphicResource* provideGraphicResource(DWFGraphicResource* resource) override;
    DWFImageResource* provideImageResource(DWFImageResource* resource) override;

protected:
    DWFSectionDescriptorReader* _defaultDescriptorReader() override { return this; }

private:
    std::unique_ptr<DWFUnits> _units;
};

} // namespace DWFToolkit

#endif
