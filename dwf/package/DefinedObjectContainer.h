#ifndef DWFPACKAGE_DEFINEDOBJECTCONTAINER_H
#define DWFPACKAGE_DEFINEDOBJECTCONTAINER_H

#include "dwf/package/DefinedObject.h"
#include "dwf/package/XML.h"
#include "dwf/package/utility/PropertyContainer.h"

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_set>

namespace DWFToolkit
{

//
// The defined objects of an object definition document, in key order, with
// an index by id and the property sets the objects refer to. The container
// owns its objects.
//
class DWFDefinedObjectContainer
{
public:
    DWFDefinedObjectContainer();
    virtual ~DWFDefinedObjectContainer();

    DWFDefinedObjectContainer(const DWFDefinedObjectContainer&) = delete;
    DWFDefinedObjectContainer& operator=(const DWFDefinedObjectContainer&) = delete;

    //
    // Takes ownership of `object` and files it under `key`, and under its id
    // when it has one. Null, and an object already held, are ignored.
    //
    void addObject(DWFDefinedObject* object, std::uint32_t key);
    DWFDefinedObject* findObject(const DWFCore::DWFString& id) const;
    std::size_t objectCount() const noexcept { return _objects.size(); }

    // The property sets shared by the objects (written before them).
    DWFPropertyContainer& getPropertyContainer() noexcept { return _shared; }

    // Nothing without objects, else the shared sets and the "Objects" list.
    DWFXMLSerializable& getObjectSerializable() noexcept { return _serializer; }

private:
    class _Serializer : public DWFXMLSerializable
    {
    public:
        explicit _Serializer(DWFDefinedObjectContainer& container) : _container(container) {}
        void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

    private:
        DWFDefinedObjectContainer& _container;
    };

    _Serializer _serializer;
    std::map<DWFCore::DWFString, DWFDefinedObject*> _byID;
    DWFPropertyContainer _shared;
    std::multimap<std::uint32_t, std::unique_ptr<DWFDefinedObject>> _objects;
    std::unordered_set<const DWFDefinedObject*> _held;
};

// The instances of an object definition document, in key order; it owns them.
class DWFDefinedObjectInstanceContainer
{
public:
    DWFDefinedObjectInstanceContainer();
    virtual ~DWFDefinedObjectInstanceContainer();

    DWFDefinedObjectInstanceContainer(const DWFDefinedObjectInstanceContainer&) = delete;
    DWFDefinedObjectInstanceContainer& operator=(const DWFDefinedObjectInstanceContainer&) = delete;

    // Takes ownership of `instance`; null, and an instance already held, are ignored.
    void addInstance(DWFDefinedObjectInstance* instance, std::uint32_t key);
    std::size_t instanceCount() const noexcept { return _instances.size(); }

    // Nothing without instances, else the "Instances" list.
    DWFXMLSerializable& getInstanceSerializable() noexcept { return _serializer; }

private:
    class _Serializer : public DWFXMLSerializable
    {
    public:
        explicit _Serializer(DWFDefinedObjectInstanceContainer& container) : _container(container)
        {
        }
        void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

    private:
        DWFDefinedObjectInstanceContainer& _container;
    };

    _Serializer _serializer;
    std::multimap<std::uint32_t, std::unique_ptr<DWFDefinedObjectInstance>> _instances;
    std::unordered_set<const DWFDefinedObjectInstance*> _held;
};

} // namespace DWFToolkit

#endif
