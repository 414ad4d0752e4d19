#include "dwf/package/DefinedObject.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/Exception.h"
#include "dwfcore/UUID.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace DWFToolkit
{

namespace
{

// Splits `text` at blanks into `out`, skipping empty pieces.
void splitIDs(const char* text, DWFDefinedObject::tReferences& out)
{
    while (*text != '\0')
    {
        while (*text == ' ')
        {
            ++text;
        }
        const char* end = text;
        while (*end != '\0' && *end != ' ')
        {
            ++end;
        }
        if (end != text)
        {
            DWFCore::DWFString id;
            id.assign(text, static_cast<std::size_t>(end - text));
            out.push_back(id);
        }
        text = end;
    }
}

// The one generator of instance ids made while reading.
DWFCore::DWFUUID& readerUUIDs()
{
    static DWFCore::DWFUUID uuids;
    return uuids;
}

} // namespace

DWFDefinedObject::DWFDefinedObject(const DWFCore::DWFString& id) : _objectID(id) {}

DWFDefinedObject::~DWFDefinedObject() = default;

void DWFDefinedObject::addChild(DWFDefinedObject* child, std::uint32_t key)
{
    if (child)
    {
        _children.emplace(key, child);
    }
}

DWFDefinedObjectInstance* DWFDefinedObject::instance(const DWFCore::DWFString& nodes)
{
    if (nodes.chars() == 0)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"Instance node must be specified",
                      "DWFToolkit::DWFDefinedObject::instance");
    }
    std::unique_ptr<DWFDefinedObjectInstance> made(new (std::nothrow)
                                                       DWFDefinedObjectInstance(*this, nodes));
    if (!made)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate instance",
                      "DWFToolkit::DWFDefinedObject::instance");
    }
    _instances[nodes] = made.get();
    return made.release();
}

DWFDefinedObjectInstance* DWFDefinedObject::getInstance(const DWFCore::DWFString& nodes) const
{
    if (nodes.chars() == 0)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"Instance node must be specified",
                      "DWFToolkit::DWFDefinedObject::getInstance");
    }
    const auto found = _instances.find(nodes);
    return found == _instances.end() ? nullptr : found->second;
}

void DWFDefinedObject::parseAttributeList(const char** attributes)
{
    if (attributes == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"No attributes provided",
                      "DWFToolkit::DWFDefinedObject::parseAttributeList");
    }
    for (std::size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
    {
        if (std::strcmp(DWFAttributeText::SkipPrefix(attributes[i]), "id") == 0)
        {
            _objectID = attributes[i + 1];
            break;
        }
    }
}

DWFCore::DWFString DWFDefinedObject::_prefix(unsigned int flags) const
{
    return (flags & eDescriptor) ? namespaceXML(flags) : DWFCore::DWFString();
}

template <class Children>
DWFCore::DWFString DWFDefinedObject::_childIDs(const Children& children,
                                               DWFXMLSerializer& serializer)
{
    // Gathered in a growing buffer: a DWFString reallocates on every append,
    // and an assembly's root can have tens of thousands of children.
    std::u16string ids;
    for (const auto& entry : children)
    {
        if (entry.second->_objectID.chars() == 0)
        {
            entry.second->_objectID = serializer.nextUUID(true);
        }
        const DWFCore::DWFString& id = entry.second->_objectID;
        ids.append(static_cast<const char16_t*>(id), id.chars());
        ids.push_back(u' ');
    }
    return DWFCore::DWFString(ids);
}

void DWFDefinedObject::serializeXML(DWFXMLSerializer& serializer, unsigned int flags)
{
    serializer.startElement(u"Object", _prefix(flags));
    serializer.addAttribute(u"id", _objectID);
    serializer.addAttribute(u"children", _childIDs(_children, serializer));
    DWFPropertyContainer::getSerializable().serializeXML(serializer, flags);
    serializer.endElement();
}

DWFDefinedObjectInstance::DWFDefinedObjectInstance(std::uint32_t sequence) : _sequence(sequence) {}

DWFDefinedObjectInstance::DWFDefinedObjectInstance(DWFDefinedObject& object,
                                                   const DWFCore::DWFString& nodes)
    : _nodes(nodes), _object(&object)
{
}

void DWFDefinedObjectInstance::addChild(DWFDefinedObjectInstance* child, std::uint32_t key)
{
    if (child)
    {
        _children.emplace(key, child);
    }
}

void DWFDefinedObjectInstance::parseAttributeList(const char** attributes)
{
    DWFDefinedObject::parseAttributeList(attributes);
    DWFAttributeOnce once;
    for (std::size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
    {
        const char* name = DWFAttributeText::SkipPrefix(attributes[i]);
        const char* value = attributes[i + 1];
        if (std::strcmp(name, "object") == 0 && once.first(0))
        {
            _objectReference = value;
        }
        else if (std::strcmp(name, "nodes") == 0 && once.first(1))
        {
            _nodes = value;
        }
        else if (std::strcmp(name, "children") == 0 && once.first(2))
        {
            splitIDs(value, _childReferences);
        }
    }
    if (_objectID.chars() == 0)
    {
        _objectID = readerUUIDs().next(true);
    }
}

void DWFDefinedObjectInstance::serializeXML(DWFXMLSerializer& serializer, unsigned int flags)
{
    serializer.startElement(u"Instance", _prefix(flags));
    if (_objectID.chars() == 0)
    {
        _objectID = serializer.nextUUID(true);
    }
    serializer.addAttribute(u"id", _objectID);
    if (_objectReference.chars() == 0 && _object)
    {
        _objectReference = _object->id();
    }
    serializer.addAttribute(u"object", _objectReference);
    serializer.addAttribute(u"nodes", _nodes);
    serializer.addAttribute(u"children", _childIDs(_children, serializer));
    DWFPropertyContainer::getSerializable().serializeXML(serializer, flags);
    serializer.endElement();
}

void DWFDefinedObject::SplitIDs(const char* text, tReferences& out)
{
    splitIDs(text, out);
}

} // namespace DWFToolkit
