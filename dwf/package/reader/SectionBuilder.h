#ifndef DWFPACKAGE_READER_SECTIONBUILDER_H
#define DWFPACKAGE_READER_SECTIONBUILDER_H

#include "dwf/package/ToolkitMemory.h"
#include "dwfcore/String.h"

#include <map>
#include <memory>

namespace DWFToolkit
{

class DWFPackageReader;
class DWFSection;

//
// Makes the sections of one type when a package is read. The section model
// derives its factories from this.
//
class DWFSectionFactory : public DWFToolkitMemory
{
public:
    explicit DWFSectionFactory(const DWFCore::DWFString& type) : _type(type) {}
    virtual ~DWFSectionFactory() = default;

    DWFSectionFactory(const DWFSectionFactory&) = delete;
    DWFSectionFactory& operator=(const DWFSectionFactory&) = delete;

    const DWFCore::DWFString& type() const noexcept { return _type; }

    // A plain section of the given type (the caller owns it).
    virtual DWFSection* build(const DWFCore::DWFString& type, const DWFCore::DWFString& name,
                              const DWFCore::DWFString& title, DWFPackageReader* reader) = 0;
    // A section of this factory's own kind (the caller owns it).
    virtual DWFSection* build(const DWFCore::DWFString& name, const DWFCore::DWFString& title,
                              DWFPackageReader* reader) = 0;

private:
    DWFCore::DWFString _type;
};

//
// The section factories of a package reader by section type; it owns them.
// A type without a factory of its own is built by the plain factory, when
// one is set.
//
class DWFSectionBuilder : public DWFToolkitMemory
{
public:
    DWFSectionBuilder() = default;
    ~DWFSectionBuilder();

    DWFSectionBuilder(const DWFSectionBuilder&) = delete;
    DWFSectionBuilder& operator=(const DWFSectionBuilder&) = delete;

    //
    // Stores `factory` under its type and returns the factory it replaces
    // (now the caller's), or null. Null throws DWFInvalidArgumentException.
    //
    DWFSectionFactory* addFactory(DWFSectionFactory* factory);

    // The factory for unregistered types (not owned; null for none).
    void setPlainFactory(DWFSectionFactory* factory) noexcept { _plain = factory; }

    //
    // A new section (the caller's) from a manifest "Section" element's
    // "name", "type" and "title", or null when no factory can make it.
    //
    DWFSection* buildSection(const char** attributes, DWFPackageReader* reader);

private:
    std::map<DWFCore::DWFString, std::unique_ptr<DWFSectionFactory>> _factories;
    DWFSectionFactory* _plain = nullptr;
};

} // namespace DWFToolkit

#endif
