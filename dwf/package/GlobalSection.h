#ifndef DWFPACKAGE_GLOBALSECTION_H
#define DWFPACKAGE_GLOBALSECTION_H

#include "dwf/package/Bookmark.h"
#include "dwf/package/Section.h"
#include "dwf/package/reader/GlobalSectionDescriptorReader.h"

#include <memory>

namespace DWFToolkit
{

//
// What all sections of one kind share: properties, resources and a
// bookmark tree. Global sections are read from packages; the writer also
// accepts them, keeping the name they were made with.
//
class DWFGlobalSection : public DWFSection, public DWFGlobalSectionDescriptorReader
{
public:
    // Makes plain sections of its type (a global section needs a kind).
    class Factory : public DWFSection::Factory
    {
    public:
        explicit Factory(const DWFCore::DWFString& type) : DWFSection::Factory(type) {}
    };

    DWFGlobalSection(const DWFCore::DWFString& type, const DWFCore::DWFString& name,
                     const DWFCore::DWFString& title, DWFPackageReader* reader);
    ~DWFGlobalSection() override;

    using DWFSection::packageReader;

    // The root of the bookmark tree, or null.
    const DWFBookmark* bookmark() const noexcept { return _bookmark.get(); }

    // Both forms as the base section, everything marked global; the
    // descriptor form adds the bookmark tree.
    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

    DWFCore::DWFString provideName(const DWFCore::DWFString& name) override;
    double provideVersion(double version) override;
    DWFProperty* provideProperty(DWFProperty* property) override;
    DWFResource* provideResource(DWFResource* resource) override;
    DWFFontResource* provideFontResource(DWFFontResource* resource) override;
    DWFGraphicResource* provideGraphicResource(DWFGraphicResource* resource) override;
    DWFImageResource* provideImageResource(DWFImageResource* resource) override;
    // Keeps `root` as the tree's root; an earlier root goes.
    DWFBookmark* provideBookmark(DWFBookmark* root) override;

protected:
    DWFSectionDescriptorReader* _defaultDescriptorReader() override { return this; }
    // The global writing of the descriptor content, inside a kind's own element.
    void _serializeGlobalContent(DWFXMLSerializer& serializer, unsigned int flags,
                                 const char16_t* element, const char16_t* prefixName,
                                 const char16_t* xmlnsValue);

private:
    std::unique_ptr<DWFBookmark> _bookmark;
};

// The global section of ePlot sections ("ePlot:Global").
class DWFEPlotGlobalSection : public DWFGlobalSection
{
public:
    static constexpr const char16_t* kType = u"com.morvalex.dwf.ePlotGlobal";

    class Factory : public DWFSection::Factory
    {
    public:
        Factory() : DWFSection::Factory(kType) {}
        using DWFSection::Factory::build;
        DWFSection* build(const DWFCore::DWFString& name, const DWFCore::DWFString& title,
                          DWFPackageReader* reader) override;
    };

    DWFEPlotGlobalSection(const DWFCore::DWFString& name, const DWFCore::DWFString& title,
                          DWFPackageReader* reader);

    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;
};

// The global section of eModel sections ("eModel:Global").
class DWFEModelGlobalSection : public DWFGlobalSection
{
public:
    static constexpr const char16_t* kType = u"com.morvalex.dwf.eModelGlobal";

    class Factory : public DWFSection::Factory
    {
    public:
        Factory() : DWFSection::Factory(kType) {}
        using DWFSection::Factory::build;
        DWFSection* build(const DWFCore::DWFString& name, const DWFCore::DWFString& title,
                          DWFPackageReader* reader) override;
    };

    DWFEModelGlobalSection(const DWFCore::DWFString& name, const DWFCore::DWFString& title,
                           DWFPackageReader* reader);

    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;
};

} // namespace DWFToolkit

#endif
