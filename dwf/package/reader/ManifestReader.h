#ifndef DWFPACKAGE_READER_MANIFESTREADER_H
#define DWFPACKAGE_READER_MANIFESTREADER_H

#include "dwf/package/XMLElementBuilder.h"
#include "dwf/package/reader/SectionBuilder.h"
#include "dwf/package/reader/XMLCallback.h"
#include "dwfcore/String.h"

#include <cstdint>
#include <memory>

namespace DWFToolkit
{

class DWFDependency;
class DWFInterface;
class DWFPackageReader;
class DWFProperty;
class DWFResource;
class DWFSection;
class DWFSource;

//
// Reads a package manifest (root "Manifest"): version and object id, the
// dependencies, interfaces, properties and sections with their sources and
// resource lists.
//
// Objects are handed to the provide operations together with their
// ownership; the operations here free what they receive and return null,
// a class that stores what it is given returns it. A provide filter sees
// every value first.
//
// Sections are opaque to this reader. They are made by the section builder
// of the package reader (or the reader's own builder, without a package
// reader), and completed and freed through the _set/_add/_discard
// operations, which the section model supplies together with its factories.
// A "Section" element that no factory makes is skipped with all it holds.
//
class DWFManifestReader : public DWFXMLCallback
{
public:
    enum : unsigned char
    {
        eProvideVersion = 1,
        eProvideObjectID = 2,
        eProvideDependencies = 4,
        eProvideInterfaces = 8,
        eProvideProperties = 16,
        eProvideSections = 32,
        eProvideAll = 0xFF
    };

    explicit DWFManifestReader(DWFPackageReader* packageReader = nullptr,
                               unsigned char provideMask = eProvideAll);
    ~DWFManifestReader() override;

    void notifyStartElement(const char* name, const char** attributes) override;
    void notifyEndElement(const char* name) override;
    void notifyStartNamespace(const char*, const char*) override {}
    void notifyEndNamespace(const char*) override {}
    void notifyCharacters(const char*, int) override {}

    // The builder that makes the manifest's objects (not owned; null restores the own).
    void setElementBuilder(DWFXMLElementBuilder* builder) noexcept;
    // Sees every value before this reader does (not owned).
    void setProvideFilter(DWFManifestReader* filter) noexcept { _provideFilter = filter; }

    DWFPackageReader* packageReader() const noexcept { return _packageReader; }
    unsigned char provideMask() const noexcept { return _mask; }

    virtual double provideVersion(double version);
    virtual DWFCore::DWFString provideObjectID(const DWFCore::DWFString& objectID);
    virtual DWFDependency* provideDependency(DWFDependency* dependency);
    virtual DWFInterface* provideInterface(DWFInterface* interface);
    virtual DWFProperty* provideProperty(DWFProperty* property);
    virtual DWFSection* provideSection(DWFSection* section);

protected:
    // A new section for a manifest "Section" element (from the section builder), or null.
    virtual DWFSection* _buildSection(const char** attributes);
    // Copies the section's "Source" into it.
    virtual void _setSectionSource(DWFSection& section, const DWFSource& source);
    // Hands `resource` (a "Toc" entry) to the section, which owns it from then on.
    virtual void _addSectionResource(DWFSection& section, DWFResource* resource);
    // Frees a section that was built and not provided.
    virtual void _discardSection(DWFSection* section) noexcept;
    // Frees whatever is still being read (for destructors of derived readers).
    void _discardCurrent() noexcept;

private:
    void _provideRoot(const char** attributes);
    void _provideCurrent();

    DWFPackageReader* _packageReader;
    DWFXMLElementBuilder _ownBuilder;
    DWFXMLElementBuilder* _inUse;
    unsigned char _mask;
    unsigned char _mode = 0;
    DWFManifestReader* _provideFilter = nullptr;
    std::unique_ptr<DWFProperty> _property;
    std::unique_ptr<DWFInterface> _interface;
    std::unique_ptr<DWFDependency> _dependency;
    DWFSection* _section = nullptr;
    std::unique_ptr<DWFSectionBuilder> _localSectionBuilder;
};

} // namespace DWFToolkit

#endif
