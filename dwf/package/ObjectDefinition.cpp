#include "dwf/package/ObjectDefinition.h"

#include <unordered_set>

namespace DWFToolkit
{

DWFObjectDefinition::DWFObjectDefinition(DWFPackageReader* packageReader)
    : DWFObjectDefinitionReader(packageReader, eProvideAll)
{
}

DWFObjectDefinition::~DWFObjectDefinition() = default;

DWFDefinedObject* DWFObjectDefinition::findObject(const DWFCore::DWFString& id) const
{
    const auto found = _objects.find(id);
    return found == _objects.end() ? nullptr : found->second.get();
}

DWFDefinedObjectInstance* DWFObjectDefinition::findInstance(const DWFCore::DWFString& id) const
{
    const auto found = _instances.find(id);
    return found == _instances.end() ? nullptr : found->second.get();
}

const DWFObjectDefinition::PropertySet*
DWFObjectDefinition::findPropertySet(const DWFCore::DWFString& id) const
{
    const auto found = _propertySets.find(id);
    return found == _propertySets.end() ? nullptr : found->second.get();
}

DWFObjectDefinition::PropertySet& DWFObjectDefinition::_set(const DWFCore::DWFString& id)
{
    std::unique_ptr<PropertySet>& set = _propertySets[id];
    if (!set)
    {
        set.reset(new PropertySet);
    }
    return *set;
}

void DWFObjectDefinition::provideVersion(double version)
{
    _version = version;
}

void DWFObjectDefinition::provideProperties(const DWFCore::DWFString& id, tIDs references,
                                            tProperties properties)
{
    if (properties.empty())
    {
        return;
    }
    PropertySet& set = _set(id);
    for (auto& property : properties)
    {
        set.properties.push_back(std::move(property));
    }
    std::unordered_set<const PropertySet*> linked(set.references.begin(), set.references.end());
    for (const DWFCore::DWFString& reference : references)
    {
        // A set named before its own element arrives is created empty and filled later.
        PropertySet* const referenced = &_set(reference);
        if (linked.insert(referenced).second)
        {
            set.references.push_back(referenced);
        }
    }
}

void DWFObjectDefinition::provideObject(DWFDefinedObject* object)
{
    if (object)
    {
        const DWFCore::DWFString id = object->id();
        _objects[id].reset(object);
    }
}

void DWFObjectDefinition::provideInstance(DWFDefinedObjectInstance* instance)
{
    if (instance)
    {
        const DWFCore::DWFString id = instance->id();
        _instances[id].reset(instance);
    }
}

} // namespace DWFToolkit
