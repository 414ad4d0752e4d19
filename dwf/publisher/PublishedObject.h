#ifndef DWFPUBLISHER_PUBLISHEDOBJECT_H
#define DWFPUBLISHER_PUBLISHEDOBJECT_H

#include "dwf/package/utility/PropertyContainer.h"
#include "dwfcore/String.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace DWFToolkit
{

class DWFPropertyVisitor;

//
// A node of the tree of published objects that a model's segments build: a
// named segment makes one, and so does an include into a segment that has no
// named ancestor. Its properties live in the container it derives from. The
// package publisher turns the tree into the package's object definition: the
// object is defined under its key and instanced under its instance key, which
// the model's publish sequence sets to the object's position in the W3D stream.
//
// Objects belong to the model that made them; parents and referenced objects
// are only pointed at.
//
class DWFPublishedObject : public DWFPropertyContainer
{
public:
    typedef std::uint32_t tKey;

    // The instance key of an object whose key the stream never indexed.
    static constexpr tKey kNoIndex = 0xFFFFFFFFu;

    //
    // One include of another object's segment into an unnamed segment below
    // this object: the including segment's key, its stream index (set when the
    // model is published), the included object and an optional instance name.
    //
    class Reference
    {
    public:
        tKey key = 0;
        tKey index = 0;
        DWFPublishedObject* object = nullptr;
        DWFCore::DWFString name;
    };
    typedef std::vector<std::unique_ptr<Reference>> tReferenceList;

    // How segments ask for new objects: the model implements it.
    class Factory
    {
    public:
        virtual ~Factory();
        // Makes and keeps a new object; never null (failures throw).
        virtual DWFPublishedObject* makePublishedObject(tKey key,
                                                        const DWFCore::DWFString& name) = 0;
        // The object kept under `key`; DWFDoesNotExistException when there is none.
        virtual DWFPublishedObject* findPublishedObject(tKey key) = 0;
    };

    // Sees every published object of a model during a publish; the base passes
    // the visit on to the chained visitor, when there is one.
    class Visitor
    {
    public:
        // `chained` is not owned.
        explicit Visitor(Visitor* chained = nullptr) : _chained(chained) {}
        virtual ~Visitor();

        virtual void visitPublishedObject(DWFPublishedObject& object);

        Visitor* chainedVisitor() const noexcept { return _chained; }
        void setChainedVisitor(Visitor* chained) noexcept { _chained = chained; }

    private:
        Visitor* _chained;
    };

    DWFPublishedObject(tKey key, const DWFCore::DWFString& name);
    ~DWFPublishedObject() override;

    DWFPublishedObject(const DWFPublishedObject&) = delete;
    DWFPublishedObject& operator=(const DWFPublishedObject&) = delete;

    void accept(Visitor& visitor);
    void accept(DWFPropertyVisitor& visitor);

    //
    // Records that an unnamed segment with key `key` below this object
    // includes `object`'s segment, under `name` when one is given. With
    // `copyInstead` no reference is made: `object`'s properties are copied
    // into this object instead.
    //
    void addReference(DWFPublishedObject* object, tKey key, const DWFCore::DWFString* name,
                      bool copyInstead);
    tReferenceList& references() noexcept { return _references; }
    const tReferenceList& references() const noexcept { return _references; }

    // Appends the keys from the top-level ancestor down to this object, in
    // decimal and separated by "/".
    void getPath(DWFCore::DWFString& path) const;

    tKey key() const noexcept { return _key; }
    const DWFCore::DWFString& name() const noexcept { return _name; }

    DWFPublishedObject* parent() const noexcept { return _parent; }
    void setParent(DWFPublishedObject* parent) noexcept { _parent = parent; }

    // Set for the object of an include segment: the package publisher defines
    // such an object but makes no instance of it.
    bool isIncluded() const noexcept { return _included; }
    void setIncluded(bool included) noexcept { _included = included; }

    tKey instanceKey() const noexcept { return _instanceKey; }
    void setInstanceKey(tKey key) noexcept { _instanceKey = key; }

private:
    bool _included = false;
    tKey _key;
    tKey _instanceKey = 0;
    DWFPublishedObject* _parent = nullptr;
    DWFCore::DWFString _name;
    tReferenceList _references;
};

} // namespace DWFToolkit

#endif
