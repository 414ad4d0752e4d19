#include "dwf/package/DefinedObjectContainer.h"

#include "dwf/package/writer/XMLSerializer.h"

namespace DWFToolkit
{

namespace
{

DWFCore::DWFString prefixFor(const DWFXMLSerializable& serializable, unsigned int flags)
{
    return (flags & DWFXMLSerializable::eDescriptor) ? serializable.namespaceXML(flags)
                                                     : DWFCore::DWFString();
}

} // namespace

DWFDefinedObjectContainer::DWFDefinedObjectContainer() : _serializer(*this) {}

DWFDefinedObjectContainer::~DWFDefinedObjectContainer() = default;

void DWFDefinedObjectContainer::addObject(DWFDefinedObject* object, std::uint32_t key)
{
    if (object == nullptr || !_held.insert(object).second)
    {
        return;
    }
    _objects.emplace(key, std::unique_ptr<DWFDefinedObject>(object));
    if (object->id().chars() != 0)
    {
        _byID[object->id()] = object;
    }
}

DWFDefinedObject* DWFDefinedObjectContainer::findObject(const DWFCore::DWFString& id) const
{
    const auto found = _byID.find(id);
    return found == _byID.end() ? nullptr : found->second;
}

void DWFDefinedObjectContainer::_Serializer::serializeXML(DWFXMLSerializer& serializer,
                                                          unsigned int flags)
{
    if (_container._objects.empty())
    {
        return;
    }
    _container._shared.getSerializable().serializeXML(serializer, flags);
    serializer.startElement(u"Objects", prefixFor(*this, flags));
    for (auto& entry : _container._objects)
    {
        DWFDefinedObject& object = *entry.second;
        if (object.id().chars() == 0)
        {
            object.setID(serializer.nextUUID(true));
        }
        // Ids given while writing (here or as another object's child) become findable.
        _container._byID.emplace(object.id(), &object);
        object.serializeXML(serializer, flags);
    }
    serializer.endElement();
}

DWFDefinedObjectInstanceContainer::DWFDefinedObjectInstanceContainer() : _serializer(*this) {}

DWFDefinedObjectInstanceContainer::~DWFDefinedObjectInstanceContainer() = default;

void DWFDefinedObjectInstanceContainer::addInstance(DWFDefinedObjectInstance* instance,
                                                    std::uint32_t key)
{
    if (instance == nullptr || !_held.insert(instance).second)
    {
        return;
    }
    _instances.emplace(key, std::unique_ptr<DWFDefinedObjectInstance>(instance));
}

void DWFDefinedObjectInstanceContainer::_Serializer::serializeXML(DWFXMLSerializer& serializer,
                                                                  unsigned int flags)
{
    if (_container._instances.empty())
    {
        return;
    }
    serializer.startElement(u"Instances", prefixFor(*this, flags));
    for (auto& entry : _container._instances)
    {
        entry.second->serializeXML(serializer, flags);
    }
    serializer.endElement();
}

} // namespace DWFToolkit
