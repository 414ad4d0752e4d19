#ifndef DWFPACKAGE_UTILITY_PROPERTYCONTAINER_H
#define DWFPACKAGE_UTILITY_PROPERTYCONTAINER_H

#include "dwf/package/Property.h"
#include "dwf/package/XML.h"
#include "dwfcore/Iterator.h"
#include "dwfcore/Owner.h"
#include "dwfcore/String.h"

#include <map>
#include <memory>
#include <unordered_set>
#include <vector>

namespace DWFToolkit
{

//
// Properties by category and name, plus lists of other containers that this
// one owns or only refers to. Written as a "Properties" element whose "refs"
// name the referenced containers; owned containers are written before it.
// A container without properties and references writes no element, and
// the containers that refer to it leave it out of their "refs".
//
// Every property in the index is owned by the container unless a later owner
// took it over; the container deletes what it owns when it is destroyed, and
// a property displaced by another of the same category and name.
//
class DWFPropertyContainer : public DWFCore::DWFOwner
{
public:
    typedef std::vector<DWFPropertyContainer*> tList;

    explicit DWFPropertyContainer(const DWFCore::DWFString& id = DWFCore::DWFString());
    ~DWFPropertyContainer() override;

    DWFPropertyContainer(const DWFPropertyContainer&) = delete;
    DWFPropertyContainer& operator=(const DWFPropertyContainer&) = delete;

    void onOwnershipReleased(DWFCore::DWFOwnable& ownable) override;
    // Drops the index entry of a deleted property, if the entry still holds it.
    void onOwnableDeleted(DWFCore::DWFOwnable& ownable) override;

    // Assigned on first serialization when empty, then kept.
    virtual const DWFCore::DWFString& id() const;

    virtual DWFProperty*
    findProperty(const DWFCore::DWFString& name,
                 const DWFCore::DWFString& category = DWFCore::DWFString()) const;

    //
    // A new iterator (the caller deletes it) over the properties of one
    // category by name, or, for the empty category, over every property,
    // category by category.
    //
    virtual DWFCore::DWFIterator<DWFProperty*>*
    getProperties(const DWFCore::DWFString& category = DWFCore::DWFString());

    //
    // Indexes `property` under its category and name; with `own` false a copy
    // is indexed instead and the caller keeps its object. Either way the
    // indexed property is owned by this container.
    //
    virtual void addProperty(DWFProperty* property, bool own);

    // Takes ownership of `container` (null throws; adding it twice does nothing).
    virtual void addPropertyContainer(DWFPropertyContainer* container);
    // Refers to `container` without owning it; null, self and duplicates are ignored.
    virtual void referencePropertyContainer(DWFPropertyContainer* container);

    virtual void getOwnedPropertyContainers(tList& containers);
    virtual void getReferencedPropertyContainers(tList& containers);
    virtual void getAllPropertyContainers(tList& containers);
    // Hands the owned containers to the caller, optionally keeping references to them.
    virtual void removeOwnedPropertyContainers(tList& containers, bool makeReferences = false);
    virtual void removeReferencedPropertyContainers(tList& containers);
    virtual void removeAllPropertyContainers(tList& containers);

    //
    // Adds copies of every property of `source`; takes over its owned
    // containers (or refers to them) and refers to its referenced ones.
    //
    virtual void copyProperties(DWFPropertyContainer& source, bool takeOwnership = false,
                                bool keepReferences = false);

    // Writes the container (see the class comment).
    DWFXMLSerializable& getSerializable() noexcept { return _serializer; }

protected:
    // The id may be assigned by derived classes that read it from a document.
    DWFCore::DWFString _id;

private:
    class _Serializer : public DWFXMLSerializable
    {
    public:
        explicit _Serializer(DWFPropertyContainer& container) : _container(container) {}
        void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

    private:
        DWFPropertyContainer& _container;
    };

    typedef std::map<DWFCore::DWFString, DWFProperty*> _tNameIndex;
    typedef std::map<DWFCore::DWFString, _tNameIndex> _tCategoryIndex;

    bool _owns(const DWFPropertyContainer* container) const;
    void _own(DWFPropertyContainer* container);
    bool _references(const DWFPropertyContainer* container) const;
    bool _empty() const;
    // Whether serializing writes a "Properties" element for this container.
    bool _written() const;

    _tCategoryIndex _properties;
    tList _owned;
    // The owned containers as a set, once there are more than a handful: a
    // package's object definition comes to own every property set of the
    // model, and each is checked against those before.
    std::unique_ptr<std::unordered_set<const DWFPropertyContainer*>> _ownedIndex;
    tList _referenced;
    _Serializer _serializer;
};

} // namespace DWFToolkit

#endif
