#ifndef DWFPACKAGE_UTILITY_RESOURCECONTAINER_H
#define DWFPACKAGE_UTILITY_RESOURCECONTAINER_H

#include "dwf/package/Resource.h"
#include "dwf/package/XML.h"
#include "dwfcore/Iterator.h"
#include "dwfcore/Owner.h"
#include "dwfcore/String.h"
#include "dwfcore/UUID.h"

#include <map>
#include <utility>
#include <vector>

namespace DWFToolkit
{

//
// The resources of one section, indexed by href (one resource per href), by
// role and by MIME type (in role or type order, then order of addition), and
// by parent. Writes the descriptor's "Resources" list and the manifest's
// "Toc" list, giving every resource its entry name on the way.
//
// Index keys are copies taken when a resource is added, so changing a
// resource's href, role or type later cannot disturb the indexes; adding the
// resource again files it under its new keys. An index entry is only ever
// erased while it still holds the resource being removed.
//
class DWFResourceContainer : public DWFCore::DWFOwner
{
public:
    // Resources of one role, in order of addition. Walks a snapshot, so
    // removing resources while iterating is safe.
    class ResourceIterator : public DWFCore::DWFIterator<DWFResource*>
    {
    public:
        void reset() override;
        bool valid() override;
        bool next() override;
        DWFResource*& get() override;

    private:
        friend class DWFResourceContainer;
        std::vector<DWFResource*> _resources;
        std::size_t _current = 0;
    };

    // (role, resource) pairs of the whole role index, in role order.
    class ResourceKVIterator : public DWFCore::DWFKVIterator<DWFCore::DWFString, DWFResource*>
    {
    public:
        void reset() override;
        bool valid() override;
        bool next() override;
        DWFCore::DWFString& key() override;
        DWFResource*& value() override;

    private:
        friend class DWFResourceContainer;
        std::vector<std::pair<DWFCore::DWFString, DWFResource*>> _entries;
        std::size_t _current = 0;
    };

    DWFResourceContainer();
    // Deletes the resources this container owns; the others are left to their owners.
    ~DWFResourceContainer() override;

    DWFResourceContainer(const DWFResourceContainer&) = delete;
    DWFResourceContainer& operator=(const DWFResourceContainer&) = delete;

    //
    // Files `resource` under its href (a fresh squashed UUID when it has
    // none), role, MIME type and, when given, parent. With `replace`, a
    // different resource under the same href is removed from every index;
    // it is then deleted when `deleteReplaced` is set and this container
    // owned it, else handed back as the result. Returns null otherwise.
    //
    DWFResource* addResource(DWFResource* resource, bool own, bool replace = false,
                             bool deleteReplaced = false, DWFResource* parent = nullptr);

    //
    // Takes `resource` out of every index. When `deleteIfOwned` is set and
    // this container owns it, it is deleted and null returned; else it is
    // returned to the caller, unowned. A different object under the same
    // href throws DWFTypeMismatchException; an unknown resource gives null.
    //
    DWFResource* removeResource(DWFResource* resource, bool deleteIfOwned);

    //
    // Removes every resource of `role`. Returns null when there was none or
    // when `deleteIfOwned` is set; else an iterator (the caller's) over the
    // removed resources.
    //
    DWFCore::DWFIterator<DWFResource*>* removeResourcesByRole(const DWFCore::DWFString& role,
                                                              bool deleteIfOwned);

    DWFResource* findResourceByHREF(const DWFCore::DWFString& href) const;
    // A new iterator (the caller's, possibly empty).
    ResourceIterator* findResourcesByRole(const DWFCore::DWFString& role) const;
    // A new iterator (the caller's) over the whole role index.
    ResourceKVIterator* getResourcesByRole() const;
    // The resources filed under `parent`, in order of addition.
    std::vector<DWFResource*> childResources(const DWFResource* parent) const;

    // Number of resources held.
    std::size_t resourceCount() const noexcept { return _held.size(); }

    void onOwnershipReleased(DWFCore::DWFOwnable& ownable) override;
    // A resource being destroyed leaves every index.
    void onOwnableDeleted(DWFCore::DWFOwnable& ownable) override;

    // The first part of every entry name (the owning section's name).
    const DWFCore::DWFString& resourceContainerName() const noexcept { return _name; }
    void setResourceContainerName(const DWFCore::DWFString& name) { _name = name; }

    // Source of the hrefs given to resources that have none.
    DWFCore::DWFUUID& hrefGenerator() noexcept { return _uuid; }

    // Writes the "Toc" list (manifest form) or the "Resources" list (descriptor form).
    DWFXMLSerializable& getResourceSerializable() noexcept { return _serializer; }

private:
    class _Serializer : public DWFXMLSerializable
    {
    public:
        explicit _Serializer(DWFResourceContainer& container) : _container(container) {}
        void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

    private:
        DWFResourceContainer& _container;
    };

    // The keys a held resource is filed under.
    struct _tEntry
    {
        DWFResource* resource;
        DWFCore::DWFString href;
        DWFCore::DWFString role;
        DWFCore::DWFString mime;
        // Tells this container when it dies (owned here at some time, or
        // added unowned), so it may be inspected at any time; a resource
        // added while another container owns it is only touched while that
        // owner keeps it alive.
        bool observed;
    };

    typedef std::multimap<DWFCore::DWFString, DWFResource*> _tMultiIndex;

    static void _eraseValue(_tMultiIndex& index, const DWFCore::DWFString& key,
                            const DWFResource* resource);
    // Erases the href, role and MIME entries that still hold the resource.
    void _unfile(const _tEntry& entry);
    // Every index, parent links included; ownership is untouched.
    void _forget(const DWFCore::DWFOwnable* ownable);
    // Ends this container's ownership; deletes the resource when asked and owned.
    DWFResource* _release(DWFResource* resource, bool deleteIfOwned);
    void _assignZipPath(DWFResource& resource, const DWFCore::DWFString& uuid) const;

    DWFCore::DWFUUID _uuid;
    std::map<DWFCore::DWFString, DWFResource*> _byHREF;
    _tMultiIndex _byRole;
    _tMultiIndex _byMIME;
    std::multimap<const DWFResource*, DWFResource*> _byParent;
    std::map<const DWFCore::DWFOwnable*, _tEntry> _held;
    DWFCore::DWFString _name;
    _Serializer _serializer;
};

} // namespace DWFToolkit

#endif
