#ifndef DWFPACKAGE_DEFINEDOBJECT_H
#define DWFPACKAGE_DEFINEDOBJECT_H

#include "dwf/package/XML.h"
#include "dwf/package/utility/PropertyContainer.h"
#include "dwfcore/String.h"

#include <cstdint>
#include <map>
#include <vector>

namespace DWFToolkit
{

class DWFDefinedObjectInstance;

//
// A logical object behind a section's graphics, with its properties and
// child objects. Written as an "Object" element of an object definition
// document. An object neither owns its children nor its instances: the
// containers of the object definition resource own them all.
//
class DWFDefinedObject : public DWFXMLBuildable,
                         public DWFXMLSerializable,
                         public DWFPropertyContainer
{
public:
    typedef std::multimap<std::uint32_t, DWFDefinedObject*> tChildren;
    typedef std::vector<DWFCore::DWFString> tReferences;

    explicit DWFDefinedObject(const DWFCore::DWFString& id = DWFCore::DWFString());
    ~DWFDefinedObject() override;

    DWFDefinedObject(const DWFDefinedObject&) = delete;
    DWFDefinedObject& operator=(const DWFDefinedObject&) = delete;

    // The object's own id (given, read, or assigned on first write when empty).
    const DWFCore::DWFString& id() const override { return _objectID; }
    void setID(const DWFCore::DWFString& id) { _objectID = id; }

    // Files `child` under `key` (keys only order the output); null is ignored.
    void addChild(DWFDefinedObject* child, std::uint32_t key);
    const tChildren& getChildren() const noexcept { return _children; }

    //
    // A new instance of this object for `nodes`, which the caller hands to an
    // instance container. It replaces an earlier instance of the same nodes
    // in this object's index. An empty nodes text throws.
    //
    DWFDefinedObjectInstance* instance(const DWFCore::DWFString& nodes);
    DWFDefinedObjectInstance* getInstance(const DWFCore::DWFString& nodes) const;

    // The property sets named by the "refs" of the object's properties, as read.
    const tReferences& getPropertySetReferences() const noexcept { return _propertySetRefs; }
    void addPropertySetReference(const DWFCore::DWFString& id) { _propertySetRefs.push_back(id); }

    void parseAttributeList(const char** attributes) override;
    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

    // Appends the blank-separated ids of `text` to `out`.
    static void SplitIDs(const char* text, tReferences& out);

protected:
    // The element prefix: the flags' namespace in descriptor form, else none.
    DWFCore::DWFString _prefix(unsigned int flags) const;
    // "children": the ids of `children`, each followed by a blank, assigning missing ids.
    template <class Children>
    static DWFCore::DWFString _childIDs(const Children& children, DWFXMLSerializer& serializer);

    DWFCore::DWFString _objectID;

private:
    tReferences _propertySetRefs;
    std::map<DWFCore::DWFString, DWFDefinedObjectInstance*> _instances;
    tChildren _children;
};

//
// An occurrence of a defined object, tied to the graphic nodes that show
// it. Written as an "Instance" element.
//
class DWFDefinedObjectInstance : public DWFDefinedObject
{
public:
    typedef std::multimap<std::uint32_t, DWFDefinedObjectInstance*> tChildren;

    // For reading: `sequence` is the instance's position in its document.
    explicit DWFDefinedObjectInstance(std::uint32_t sequence = 0);
    // An instance of `object` (not owned) for `nodes`.
    DWFDefinedObjectInstance(DWFDefinedObject& object, const DWFCore::DWFString& nodes);

    std::uint32_t sequence() const noexcept { return _sequence; }
    const DWFCore::DWFString& nodes() const noexcept { return _nodes; }
    // The id of the instanced object, as read or as last written.
    const DWFCore::DWFString& objectReference() const noexcept { return _objectReference; }
    DWFDefinedObject* object() const noexcept { return _object; }
    // The ids of the "children" attribute, as read.
    const tReferences& getChildReferences() const noexcept { return _childReferences; }

    // Files the child instance under `key`; null is ignored.
    void addChild(DWFDefinedObjectInstance* child, std::uint32_t key);
    const tChildren& getChildren() const noexcept { return _children; }

    // Besides the id: "object", "nodes" and "children". An instance read
    // without an id gets a fresh squashed one.
    void parseAttributeList(const char** attributes) override;
    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

private:
    std::uint32_t _sequence = 0;
    DWFCore::DWFString _nodes;
    DWFCore::DWFString _objectReference;
    tReferences _childReferences;
    tChildren _children;
    DWFDefinedObject* _object = nullptr;
};

} // namespace DWFToolkit

#endif
