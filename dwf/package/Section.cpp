#include "dwf/package/Section.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/EModelSection.h"
#include "dwf/package/EPlotSection.h"
#include "dwf/package/FontResource.h"
#include "dwf/package/GlobalSection.h"
#include "dwf/package/GraphicResource.h"
#include "dwf/package/ImageResource.h"
#include "dwf/package/ObjectDefinition.h"
#include "dwf/package/Property.h"
#include "dwf/package/reader/ObjectDefinitionReader.h"
#include "dwf/package/reader/SectionDescriptorReader.h"
#include "dwf/package/reader/XMLCallback.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/Exception.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace DWFToolkit
{

namespace
{

// A stream taken from a resource, which must exist.
std::unique_ptr<DWFCore::DWFInputStream> takeStream(DWFResource& resource, const char* function)
{
    std::unique_ptr<DWFCore::DWFInputStream> stream(resource.getInputStream(false));
    if (!stream)
    {
        throw DWFCore::DWFDoesNotExistException(u"The resource has no data to read", function,
                                                u"" __FILE__, __LINE__);
    }
    return stream;
}

} // namespace

//
// Factory
//

DWFSection* DWFSection::Factory::build(const DWFCore::DWFString& type,
                                       const DWFCore::DWFString& name,
                                       const DWFCore::DWFString& title, DWFPackageReader* reader)
{
    DWFSection* section = new (std::nothrow) DWFSection(type, name, title, reader);
    if (section == nullptr)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate new section",
                      "DWFToolkit::DWFSection::Factory::build");
    }
    return section;
}

DWFSection* DWFSection::Factory::build(const DWFCore::DWFString& name,
                                       const DWFCore::DWFString& title, DWFPackageReader* reader)
{
    return build(type(), name, title, reader);
}

DWFSection::Factory& DWFSection::PlainFactory()
{
    static Factory plain;
    return plain;
}

void DWFSection::RegisterFactories(DWFSectionBuilder& builder)
{
    std::unique_ptr<DWFSectionFactory> factories[] = {
        std::make_unique<DWFEPlotSection::Factory>(), std::make_unique<DWFEModelSection::Factory>(),
        std::make_unique<DWFEPlotGlobalSection::Factory>(),
        std::make_unique<DWFEModelGlobalSection::Factory>()};
    for (auto& factory : factories)
    {
        // A factory registered earlier for the same type is replaced and freed.
        std::unique_ptr<DWFSectionFactory> replaced(builder.addFactory(factory.get()));
        factory.release();
    }
    builder.setPlainFactory(&PlainFactory());
}

//
// Section
//

DWFSection::DWFSection(const DWFCore::DWFString& type, const DWFCore::DWFString& name,
                       const DWFCore::DWFString& title, DWFPackageReader* reader)
    : _type(type), _name(name), _title(title), _version(0.0), _plotOrder(-1.0),
      _packageReader(reader)
{
}

DWFSection::DWFSection(const DWFCore::DWFString& type, const DWFCore::DWFString& title,
                       const DWFCore::DWFString& objectID, double version, double plotOrder,
                       const DWFSource& source)
    : _type(type), _title(title), _objectID(objectID), _version(version), _plotOrder(plotOrder),
      _source(source), _packageReader(nullptr)
{
}

DWFSection::~DWFSection()
{
    // The manifest (or whoever else indexes the section) hears of it while
    // the section can still be compared by address.
    _notifyDeletion();
}

void DWFSection::parseAttributeList(const char** attributes)
{
    if (attributes == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"No attributes provided",
                      "DWFToolkit::DWFSection::parseAttributeList");
    }
    DWFAttributeOnce once;
    for (std::size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
    {
        const char* name = attributes[i];
        if (std::strncmp(name, "dwf:", 4) == 0)
        {
            name += 4;
        }
        const char* value = attributes[i + 1];
        if (std::strcmp(name, "name") == 0 && once.first(0))
        {
            _name = DWFCore::DWFString(value);
        }
        else if (std::strcmp(name, "type") == 0 && once.first(1))
        {
            _type = DWFCore::DWFString(value);
        }
        else if (std::strcmp(name, "title") == 0 && once.first(2))
        {
            _title = DWFCore::DWFString(value);
        }
    }
}

void DWFSection::rename(const DWFCore::DWFString& identifier)
{
    DWFCore::DWFString name(_type);
    name.append(u"_");
    name.append(identifier);
    _name = name;
}

DWFInterface* DWFSection::buildInterface()
{
    return nullptr;
}

void DWFSection::_parseDocument(DWFCore::DWFInputStream& stream, DWFXMLCallback& callback)
{
    DWFParseXMLDocument(stream, callback);
}

void DWFSection::readDescriptor(DWFSectionDescriptorReader& reader, DWFCore::DWFInputStream& stream)
{
    _parseDocument(stream, reader);
}

void DWFSection::readDescriptor(DWFSectionDescriptorReader& reader, DWFResource& descriptor)
{
    std::unique_ptr<DWFCore::DWFInputStream> stream =
        takeStream(descriptor, "DWFToolkit::DWFSection::readDescriptor");
    readDescriptor(reader, *stream);
}

DWFResource* DWFSection::readDescriptor(DWFSectionDescriptorReader* reader)
{
    if (reader == nullptr)
    {
        reader = _defaultDescriptorReader();
    }
    if (reader == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException,
                      u"A section descriptor reader interface must be provided",
                      "DWFToolkit::DWFSection::readDescriptor");
    }
    std::unique_ptr<ResourceIterator> descriptors(
        findResourcesByRole(DWFResource::kRoleDescriptor));
    if (!descriptors->valid())
    {
        DWFCORE_THROW(DWFDoesNotExistException, u"This section does not have a descriptor",
                      "DWFToolkit::DWFSection::readDescriptor");
    }
    DWFResource* descriptor = descriptors->get();
    struct InUse
    {
        DWFResource*& slot;
        ~InUse() { slot = nullptr; }
    } inUse{_descriptorInUse};
    _descriptorInUse = descriptor;
    readDescriptor(*reader, *descriptor);
    return descriptor;
}

void DWFSection::getObjectDefinition(DWFObjectDefinitionReader& reader,
                                     DWFCore::DWFInputStream& stream)
{
    _parseDocument(stream, reader);
}

void DWFSection::getObjectDefinition(DWFObjectDefinitionReader& reader, DWFResource* resource)
{
    const char* function = "DWFToolkit::DWFSection::getObjectDefinition";
    if (resource != nullptr)
    {
        if (resource->role() != DWFResource::kRoleObjectDefinition)
        {
            DWFCORE_THROW(DWFTypeMismatchException,
                          u"Resource provided is not an object definition", function);
        }
        std::unique_ptr<DWFCore::DWFInputStream> stream = takeStream(*resource, function);
        getObjectDefinition(reader, *stream);
        return;
    }
    std::unique_ptr<ResourceIterator> definitions(
        findResourcesByRole(DWFResource::kRoleObjectDefinition));
    if (!definitions->valid())
    {
        DWFCORE_THROW(DWFDoesNotExistException, u"This section does not have a object definition",
                      function);
    }
    for (; definitions->valid(); definitions->next())
    {
        std::unique_ptr<DWFCore::DWFInputStream> stream = takeStream(*definitions->get(), function);
        getObjectDefinition(reader, *stream);
    }
}

DWFObjectDefinition* DWFSection::getObjectDefinition()
{
    std::unique_ptr<DWFObjectDefinition> definition(new (std::nothrow)
                                                        DWFObjectDefinition(_packageReader));
    if (!definition)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate instance tree",
                      "DWFToolkit::DWFSection::getObjectDefinition");
    }
    getObjectDefinition(*definition, nullptr);
    return definition.release();
}

void DWFSection::serializeXML(DWFXMLSerializer& serializer, unsigned int flags)
{
    // Entry names assigned while the manifest lists the resources begin
    // with the section's name.
    setResourceContainerName(_name);
    if (flags & eManifest)
    {
        serializer.startElement(u"Section", u"dwf:");
        serializer.addAttribute(u"type", _type);
        serializer.addAttribute(u"name", _name);
        serializer.addAttribute(u"title", _title);
        _source.serializeXML(serializer, flags);
        getResourceSerializable().serializeXML(serializer, flags);
        serializer.endElement();
    }
    else if (flags & eDescriptor)
    {
        _serializeDescriptorContent(serializer, flags);
    }
}

void DWFSection::_serializeDescriptorContent(DWFXMLSerializer& serializer, unsigned int flags)
{
    getSerializable().serializeXML(serializer, flags);
    getResourceSerializable().serializeXML(serializer, flags);
}

template <class Resource> Resource* DWFSection::_replacing(Resource* built)
{
    if (built != nullptr)
    {
        DWFResource* listed = findResourceByHREF(built->href());
        if (listed != nullptr && listed != built && listed != _descriptorInUse)
        {
            removeResource(listed, true);
        }
    }
    return built;
}

DWFResource* DWFSection::buildResource(const char** attributes, DWFPackageReader* reader)
{
    return _replacing(DWFXMLElementBuilder::buildResource(attributes, reader));
}

DWFFontResource* DWFSection::buildFontResource(const char** attributes, DWFPackageReader* reader)
{
    return _replacing(DWFXMLElementBuilder::buildFontResource(attributes, reader));
}

DWFImageResource* DWFSection::buildImageResource(const char** attributes, DWFPackageReader* reader)
{
    return _replacing(DWFXMLElementBuilder::buildImageResource(attributes, reader));
}

DWFGraphicResource* DWFSection::buildGraphicResource(const char** attributes,
                                                     DWFPackageReader* reader)
{
    return _replacing(DWFXMLElementBuilder::buildGraphicResource(attributes, reader));
}

DWFResource* DWFSection::_keepResource(DWFResource* resource)
{
    if (resource == nullptr)
    {
        return nullptr;
    }
    if (_descriptorInUse != nullptr && resource != _descriptorInUse &&
        findResourceByHREF(resource->href()) == _descriptorInUse)
    {
        delete resource;
        return nullptr;
    }
    addResource(resource, true, true, true);
    return resource;
}

DWFProperty* DWFSection::_keepProperty(DWFProperty* property)
{
    if (property != nullptr)
    {
        addProperty(property, true);
    }
    return property;
}

} // namespace DWFToolkit
