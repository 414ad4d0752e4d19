#ifndef DWFPACKAGE_MANIFEST_H
#define DWFPACKAGE_MANIFEST_H

#include "dwf/package/Interface.h"
#include "dwf/package/XML.h"
#include "dwf/package/reader/ManifestReader.h"
#include "dwf/package/utility/PropertyContainer.h"
#include "dwfcore/String.h"

#include <map>
#include <memory>
#include <vector>

namespace DWFToolkit
{

class DWFSection;

//
// The table of contents of a package ("manifest.xml"): its identifier and
// version, the viewer interfaces, the package properties and one entry per
// section. The package writer fills and writes it; as a manifest reader it
// files what a package's manifest holds in the same structures.
//
// Sections that had no owner when they arrived are owned (and deleted) by
// the manifest; a section owned elsewhere must outlive the manifest or be
// one it owned before, so that its deletion reaches the manifest.
//
class DWFManifest : public DWFManifestReader, public DWFXMLSerializable, public DWFPropertyContainer
{
public:
    typedef std::vector<DWFSection*> tSectionList;
    typedef std::multimap<DWFCore::DWFString, DWFSection*> tSectionsByType;
    typedef std::map<DWFCore::DWFString, std::unique_ptr<DWFInterface>> tInterfaces;

    explicit DWFManifest(const DWFCore::DWFString& objectID = DWFCore::DWFString(),
                         DWFPackageReader* packageReader = nullptr);
    ~DWFManifest() override;

    DWFManifest(const DWFManifest&) = delete;
    DWFManifest& operator=(const DWFManifest&) = delete;

    double version() const noexcept { return _version; }
    const DWFCore::DWFString& objectID() const noexcept { return _objectID; }
    const tSectionList& getContentSections() const noexcept { return _content; }
    const tSectionList& getGlobalSections() const noexcept { return _global; }
    // The section last filed under `name`, or null.
    DWFSection* findSectionByName(const DWFCore::DWFString& name) const;
    // The sections of `type` in order of arrival.
    tSectionList findSectionsByType(const DWFCore::DWFString& type) const;
    // By object id, ascending.
    const tInterfaces& getInterfaces() const noexcept { return _interfaces; }

    double provideVersion(double version) override;
    DWFCore::DWFString provideObjectID(const DWFCore::DWFString& objectID) override;
    // Dependencies are not kept: the given one is freed.
    DWFDependency* provideDependency(DWFDependency* dependency) override;
    //
    // Keeps one interface per object id: a newcomer whose id is held is
    // freed and the held one returned; use the result.
    //
    DWFInterface* provideInterface(DWFInterface* interface) override;
    DWFProperty* provideProperty(DWFProperty* property) override;
    // Files the section by kind, name and type; owns it when it had no owner.
    DWFSection* provideSection(DWFSection* section) override;

    // A section or property being deleted leaves every index that still holds it.
    void onOwnableDeleted(DWFCore::DWFOwnable& ownable) override;

    //
    // Writes "dwf:Manifest". Throws DWFDoesNotExistException when no
    // interface is held, after the start tag was written.
    //
    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

protected:
    DWFSection* _buildSection(const char** attributes) override;
    void _setSectionSource(DWFSection& section, const DWFSource& source) override;
    void _addSectionResource(DWFSection& section, DWFResource* resource) override;
    void _discardSection(DWFSection* section) noexcept override;

private:
    void _forgetSection(const DWFCore::DWFOwnable& ownable);

    double _version;
    DWFCore::DWFString _objectID;
    tSectionList _content;
    tSectionList _global;
    std::map<DWFCore::DWFString, DWFSection*> _byName;
    tSectionsByType _byType;
    tInterfaces _interfaces;
};

} // namespace DWFToolkit

#endif
