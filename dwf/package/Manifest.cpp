#include "dwf/package/Manifest.h"

#include "dwf/package/Dependency.h"
#include "dwf/package/EModelSection.h"
#include "dwf/package/EPlotSection.h"
#include "dwf/package/GlobalSection.h"
#include "dwf/package/NumberText.h"
#include "dwf/package/Property.h"
#include "dwf/package/Resource.h"
#include "dwf/package/Section.h"
#include "dwf/package/Source.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/Exception.h"

#include <algorithm>

namespace DWFToolkit
{

DWFManifest::DWFManifest(const DWFCore::DWFString& objectID, DWFPackageReader* packageReader)
    : DWFManifestReader(packageReader, eProvideAll), _version(6.0), _objectID(objectID)
{
}

DWFManifest::~DWFManifest()
{
    // A section still being read goes through this class's _discardSection.
    _discardCurrent();
    _interfaces.clear();

    std::vector<DWFSection*> owned;
    for (const tSectionList* list : {&_global, &_content})
    {
        for (DWFSection* section : *list)
        {
            if (section->owner() == static_cast<DWFCore::DWFOwner*>(this) &&
                std::find(owned.begin(), owned.end(), section) == owned.end())
            {
                owned.push_back(section);
            }
        }
    }
    _global.clear();
    _content.clear();
    _byName.clear();
    _byType.clear();
    for (DWFSection* section : owned)
    {
        delete section;
    }
}

DWFSection* DWFManifest::findSectionByName(const DWFCore::DWFString& name) const
{
    auto it = _byName.find(name);
    return it == _byName.end() ? nullptr : it->second;
}

DWFManifest::tSectionList DWFManifest::findSectionsByType(const DWFCore::DWFString& type) const
{
    tSectionList sections;
    auto range = _byType.equal_range(type);
    for (auto it = range.first; it != range.second; ++it)
    {
        sections.push_back(it->second);
    }
    return sections;
}

double DWFManifest::provideVersion(double version)
{
    _version = version;
    return version;
}

DWFCore::DWFString DWFManifest::provideObjectID(const DWFCore::DWFString& objectID)
{
    _objectID = objectID;
    return objectID;
}

DWFDependency* DWFManifest::provideDependency(DWFDependency* dependency)
{
    delete dependency;
    return nullptr;
}

DWFInterface* DWFManifest::provideInterface(DWFInterface* interface)
{
    if (interface == nullptr)
    {
        return nullptr;
    }
    auto held = _interfaces.find(interface->objectID());
    if (held != _interfaces.end())
    {
        if (held->second.get() != interface)
        {
            delete interface;
        }
        return held->second.get();
    }
    _interfaces.emplace(interface->objectID(), std::unique_ptr<DWFInterface>(interface));
    return interface;
}

DWFProperty* DWFManifest::provideProperty(DWFProperty* property)
{
    if (property != nullptr)
    {
        addProperty(property, true);
    }
    return property;
}

DWFSection* DWFManifest::provideSection(DWFSection* section)
{
    if (section == nullptr)
    {
        return nullptr;
    }
    tSectionList& list = dynamic_cast<DWFGlobalSection*>(section) ? _global : _content;
    if (std::find(list.begin(), list.end(), section) == list.end())
    {
        list.push_back(section);
        _byType.emplace(section->type(), section);
    }
    _byName[section->name()] = section;
    if (section->owner() == nullptr)
    {
        section->setOwner(*this);
    }
    return section;
}

void DWFManifest::_forgetSection(const DWFCore::DWFOwnable& ownable)
{
    // Compared by address only: the section is being destroyed, and its
    // more derived parts are already gone.
    auto matches = [&ownable](DWFSection* section)
    { return static_cast<const DWFCore::DWFOwnable*>(section) == &ownable; };

    for (tSectionList* list : {&_global, &_content})
    {
        list->erase(std::remove_if(list->begin(), list->end(), matches), list->end());
    }
    for (auto it = _byName.begin(); it != _byName.end();)
    {
        it = matches(it->second) ? _byName.erase(it) : std::next(it);
    }
    for (auto it = _byType.begin(); it != _byType.end();)
    {
        it = matches(it->second) ? _byType.erase(it) : std::next(it);
    }
}

void DWFManifest::onOwnableDeleted(DWFCore::DWFOwnable& ownable)
{
    _forgetSection(ownable);
    DWFPropertyContainer::onOwnableDeleted(ownable);
}

void DWFManifest::serializeXML(DWFXMLSerializer& serializer, unsigned int flags)
{
    const DWFCore::DWFString version = DWFFormatNumber("%#2.2g", _version);
    DWFCore::DWFString xmlns(u"DWF-Manifest:");
    xmlns.append(version);

    serializer.startElement(u"Manifest", u"dwf:");
    serializer.addAttribute(u"dwf", xmlns, u"xmlns:");
    serializer.addAttribute(u"version", version);
    serializer.addAttribute(u"objectId", _objectID);
    if (_interfaces.empty())
    {
        DWFCORE_THROW(DWFDoesNotExistException, u"There must be at least one document interface",
                      "DWFToolkit::DWFManifest::serializeXML");
    }

    serializer.startElement(u"Interfaces", u"dwf:");
    for (auto& interface : _interfaces)
    {
        interface.second->serializeXML(serializer, flags);
    }
    serializer.endElement();

    serializer.startElement(u"Properties", u"dwf:");
    std::unique_ptr<DWFCore::DWFIterator<DWFProperty*>> properties(getProperties());
    for (; properties && properties->valid(); properties->next())
    {
        properties->get()->serializeXML(serializer, flags);
    }
    serializer.endElement();

    serializer.startElement(u"Sections", u"dwf:");
    // Copies: a section writing itself must not see the lists change.
    const tSectionList global(_global);
    const tSectionList content(_content);
    for (DWFSection* section : global)
    {
        section->serializeXML(serializer, flags);
    }
    for (DWFSection* section : content)
    {
        section->serializeXML(serializer, flags);
    }
    serializer.endElement();

    serializer.endElement();
}

DWFSection* DWFManifest::_buildSection(const char** attributes)
{
    // The package reader's builder first: it may know more kinds of section.
    if (DWFSection* section = DWFManifestReader::_buildSection(attributes))
    {
        return section;
    }
    static DWFSectionBuilder known;
    static const bool registered = (DWFSection::RegisterFactories(known), true);
    (void)registered;
    return known.buildSection(attributes, packageReader());
}

void DWFManifest::_setSectionSource(DWFSection& section, const DWFSource& source)
{
    section.setSource(source);
}

void DWFManifest::_addSectionResource(DWFSection& section, DWFResource* resource)
{
    // A repeated href replaces (and frees) the earlier entry.
    section.addResource(resource, true, true, true);
}

void DWFManifest::_discardSection(DWFSection* section) noexcept
{
    delete section;
}

} // namespace DWFToolkit
