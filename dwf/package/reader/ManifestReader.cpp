#include "dwf/package/reader/ManifestReader.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/Dependency.h"
#include "dwf/package/Interface.h"
#include "dwf/package/Property.h"
#include "dwf/package/Resource.h"
#include "dwf/package/Source.h"
#include "dwf/package/reader/ElementName.h"
#include "dwf/package/reader/PackageReader.h"

namespace DWFToolkit
{

using DWFElementName::Is;

namespace
{
const unsigned int kPrefixes = DWFElementName::eDWF;
}

DWFManifestReader::DWFManifestReader(DWFPackageReader* packageReader, unsigned char provideMask)
    : _packageReader(packageReader), _inUse(&_ownBuilder), _mask(provideMask)
{
}

DWFManifestReader::~DWFManifestReader()
{
    _discardCurrent();
}

void DWFManifestReader::setElementBuilder(DWFXMLElementBuilder* builder) noexcept
{
    _inUse = builder ? builder : &_ownBuilder;
}

void DWFManifestReader::_discardCurrent() noexcept
{
    _property.reset();
    _interface.reset();
    _dependency.reset();
    if (_section)
    {
        DWFSection* const section = _section;
        _section = nullptr;
        _discardSection(section);
    }
}

void DWFManifestReader::notifyStartElement(const char* name, const char** attributes)
{
    static const char* const noAttributes[] = {nullptr};
    if (attributes == nullptr)
    {
        attributes = const_cast<const char**>(noAttributes);
    }
    const unsigned int depth = _depth;
    struct Raise
    {
        unsigned int& depth;
        ~Raise() { ++depth; }
    } raise{_depth};

    const char* local = DWFElementName::Local(name, kPrefixes);
    switch (depth)
    {
    case 0:
        if (!Is(local, "Manifest"))
        {
            _mask = 0;
        }
        _provideRoot(attributes);
        break;
    case 1:
        _mode = 0;
        {
            static const struct
            {
                unsigned char bit;
                const char* name;
            } lists[] = {{eProvideProperties, "Properties"},
                         {eProvideInterfaces, "Interfaces"},
                         {eProvideSections, "Sections"},
                         {eProvideDependencies, "Dependencies"}};
            for (const auto& list : lists)
            {
                if ((_mask & list.bit) && Is(local, list.name))
                {
                    _mode = list.bit;
                }
            }
            break;
        }
    case 2:
        // A malformed document may open a second item before the first was provided.
        _discardCurrent();
        if (_mode == eProvideProperties && Is(local, "Property"))
        {
            _property.reset(_inUse->buildProperty(attributes));
        }
        else if (_mode == eProvideInterfaces && Is(local, "Interface"))
        {
            _interface.reset(_inUse->buildInterface(attributes));
        }
        else if (_mode == eProvideDependencies && Is(local, "Dependency"))
        {
            _dependency.reset(_inUse->buildDependency(attributes));
        }
        else if (_mode == eProvideSections && Is(local, "Section"))
        {
            _section = _buildSection(attributes);
        }
        break;
    case 3:
        if (_mode == eProvideSections && _section && Is(local, "Source"))
        {
            std::unique_ptr<DWFSource> source(_inUse->buildSource(attributes));
            if (source)
            {
                _setSectionSource(*_section, *source);
            }
        }
        break;
    case 4:
        if (_mode == eProvideSections && _section && Is(local, "Resource"))
        {
            std::unique_ptr<DWFResource> resource(
                _inUse->buildResource(attributes, _packageReader));
            if (resource)
            {
                _addSectionResource(*_section, resource.release());
            }
        }
        break;
    default:
        break;
    }
}

void DWFManifestReader::_provideRoot(const char** attributes)
{
    if ((_mask & (eProvideVersion | eProvideObjectID)) == 0)
    {
        return;
    }
    DWFAttributeOnce once;
    for (std::size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
    {
        const char* name = DWFElementName::Local(attributes[i], kPrefixes);
        const char* value = attributes[i + 1];
        if ((_mask & eProvideVersion) && Is(name, "version") && once.first(0))
        {
            const double version = DWFCore::DWFString::ParseDouble(value);
            provideVersion(_provideFilter ? _provideFilter->provideVersion(version) : version);
        }
        else if ((_mask & eProvideObjectID) && Is(name, "objectId") && once.first(1))
        {
            const DWFCore::DWFString objectID(value);
            provideObjectID(_provideFilter ? _provideFilter->provideObjectID(objectID) : objectID);
        }
    }
}

void DWFManifestReader::notifyEndElement(const char*)
{
    if (_depth == 0)
    {
        return;
    }
    const unsigned int depth = --_depth;
    if (depth == 1)
    {
        _mode = 0;
    }
    else if (depth == 2)
    {
        _provideCurrent();
    }
}

void DWFManifestReader::_provideCurrent()
{
    DWFManifestReader* const filter = _provideFilter;
    if (_property)
    {
        DWFProperty* property = _property.release();
        provideProperty(filter ? filter->provideProperty(property) : property);
    }
    else if (_interface)
    {
        DWFInterface* interface = _interface.release();
        provideInterface(filter ? filter->provideInterface(interface) : interface);
    }
    else if (_dependency)
    {
        DWFDependency* dependency = _dependency.release();
        provideDependency(filter ? filter->provideDependency(dependency) : dependency);
    }
    else if (_section)
    {
        DWFSection* section = _section;
        _section = nullptr;
        provideSection(filter ? filter->provideSection(section) : section);
    }
}

double DWFManifestReader::provideVersion(double version)
{
    return version;
}

DWFCore::DWFString DWFManifestReader::provideObjectID(const DWFCore::DWFString& objectID)
{
    return objectID;
}

DWFDependency* DWFManifestReader::provideDependency(DWFDependency* dependency)
{
    delete dependency;
    return nullptr;
}

DWFInterface* DWFManifestReader::provideInterface(DWFInterface* interface)
{
    delete interface;
    return nullptr;
}

DWFProperty* DWFManifestReader::provideProperty(DWFProperty* property)
{
    delete property;
    return nullptr;
}

DWFSection* DWFManifestReader::provideSection(DWFSection* section)
{
    _discardSection(section);
    return nullptr;
}

DWFSection* DWFManifestReader::_buildSection(const char** attributes)
{
    if (_packageReader)
    {
        return _packageReader->getSectionBuilder().buildSection(attributes, _packageReader);
    }
    if (!_localSectionBuilder)
    {
        _localSectionBuilder.reset(new DWFSectionBuilder);
    }
    return _localSectionBuilder->buildSection(attributes, nullptr);
}

void DWFManifestReader::_setSectionSource(DWFSection&, const DWFSource&) {}

void DWFManifestReader::_addSectionResource(DWFSection&, DWFResource* resource)
{
    delete resource;
}

void DWFManifestReader::_discardSection(DWFSection*) noexcept {}

} // namespace DWFToolkit
