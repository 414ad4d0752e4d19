#include "dwf/package/utility/ResourceContainer.h"

#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/Exception.h"
#include "dwfcore/MIME.h"

#include <memory>

namespace DWFToolkit
{

//
// Iterators
//

void DWFResourceContainer::ResourceIterator::reset()
{
    _current = 0;
}

bool DWFResourceContainer::ResourceIterator::valid()
{
    return _current < _resources.size();
}

bool DWFResourceContainer::ResourceIterator::next()
{
    if (valid())
    {
        ++_current;
    }
    return valid();
}

DWFResource*& DWFResourceContainer::ResourceIterator::get()
{
    if (!valid())
    {
        DWFCORE_THROW(DWFDoesNotExistException, u"No more elements",
                      "DWFToolkit::DWFResourceContainer::ResourceIterator::get");
    }
    return _resources[_current];
}

void DWFResourceContainer::ResourceKVIterator::reset()
{
    _current = 0;
}

bool DWFResourceContainer::ResourceKVIterator::valid()
{
    return _current < _entries.size();
}

bool DWFResourceContainer::ResourceKVIterator::next()
{
    if (valid())
    {
        ++_current;
    }
    return valid();
}

DWFCore::DWFString& DWFResourceContainer::ResourceKVIterator::key()
{
    if (!valid())
    {
        DWFCORE_THROW(DWFDoesNotExistException, u"No more elements",
                      "DWFToolkit::DWFResourceContainer::ResourceKVIterator::key");
    }
    return _entries[_current].first;
}

DWFResource*& DWFResourceContainer::ResourceKVIterator::value()
{
    if (!valid())
    {
        DWFCORE_THROW(DWFDoesNotExistException, u"No more elements",
                      "DWFToolkit::DWFResourceContainer::ResourceKVIterator::value");
    }
    return _entries[_current].second;
}

//
// Container
//

DWFResourceContainer::DWFResourceContainer() : _serializer(*this) {}

DWFResourceContainer::~DWFResourceContainer()
{
    std::vector<DWFResource*> owned;
    for (auto& held : _held)
    {
        if (held.second.observed && held.second.resource->owner() == this)
        {
            owned.push_back(held.second.resource);
        }
    }
    _held.clear();
    _byHREF.clear();
    _byRole.clear();
    _byMIME.clear();
    _byParent.clear();
    for (DWFResource* resource : owned)
    {
        delete resource;
    }
}

void DWFResourceContainer::_eraseValue(_tMultiIndex& index, const DWFCore::DWFString& key,
                                       const DWFResource* resource)
{
    auto range = index.equal_range(key);
    for (auto it = range.first; it != range.second; ++it)
    {
        if (it->second == resource)
        {
            index.erase(it);
            return;
        }
    }
}

void DWFResourceContainer::_unfile(const _tEntry& entry)
{
    auto href = _byHREF.find(entry.href);
    if (href != _byHREF.end() && href->second == entry.resource)
    {
        _byHREF.erase(href);
    }
    _eraseValue(_byRole, entry.role, entry.resource);
    _eraseValue(_byMIME, entry.mime, entry.resource);
}

void DWFResourceContainer::_forget(const DWFCore::DWFOwnable* ownable)
{
    auto held = _held.find(ownable);
    if (held == _held.end())
    {
        return;
    }
    const DWFResource* resource = held->second.resource;
    _unfile(held->second);
    _held.erase(held);

    _byParent.erase(resource);
    for (auto it = _byParent.begin(); it != _byParent.end();)
    {
        it = (it->second == resource) ? _byParent.erase(it) : std::next(it);
    }
}

DWFResource* DWFResourceContainer::_release(DWFResource* resource, bool deleteIfOwned)
{
    if (resource->owner() != this)
    {
        // No longer listed here, so no longer watched either.
        resource->removeObserver(*this);
        return resource;
    }
    resource->releaseOwner(*this, true);
    if (deleteIfOwned)
    {
        delete resource;
        return nullptr;
    }
    return resource;
}

DWFResource* DWFResourceContainer::addResource(DWFResource* resource, bool own, bool replace,
                                               bool deleteReplaced, DWFResource* parent)
{
    if (resource == nullptr)
    {
        return nullptr;
    }
    bool observed = own;
    if (own)
    {
        resource->setOwner(*this);
    }
    else if (resource->owner() == nullptr)
    {
        // Watch an unowned resource without keeping it: when its creator
        // deletes it, the notice takes it out of the indexes.
        resource->setOwner(*this);
        resource->releaseOwner(*this, false);
        observed = true;
    }
    if (resource->href().chars() == 0)
    {
        resource->setHREF(_uuid.next(true));
    }

    // Adding a resource again refiles it under its current keys, once.
    const DWFCore::DWFOwnable* ownable = resource;
    auto held = _held.find(ownable);
    if (held != _held.end())
    {
        _unfile(held->second);
        observed = observed || held->second.observed;
    }

    DWFResource* replaced = nullptr;
    auto occupant = _byHREF.find(resource->href());
    if (occupant != _byHREF.end() && occupant->second != resource && replace)
    {
        replaced = occupant->second;
        // The replaced resource leaves every index before anyone can delete it.
        _forget(replaced);
    }

    _tEntry entry{resource, resource->href(), resource->role(), resource->mime(), observed};
    // Without `replace` an occupied href keeps its resource; the newcomer is
    // still listed by role and type, owned and cleaned up like any other.
    _byHREF.emplace(entry.href, resource);
    _byRole.emplace(entry.role, resource);
    _byMIME.emplace(entry.mime, resource);
    _held[ownable] = std::move(entry);

    if (parent != nullptr && parent != resource && parent != replaced)
    {
        bool linked = false;
        auto range = _byParent.equal_range(parent);
        for (auto it = range.first; it != range.second && !linked; ++it)
        {
            linked = (it->second == resource);
        }
        if (!linked)
        {
            _byParent.emplace(parent, resource);
        }
    }

    if (replaced != nullptr)
    {
        return _release(replaced, deleteReplaced);
    }
    return nullptr;
}

DWFResource* DWFResourceContainer::removeResource(DWFResource* resource, bool deleteIfOwned)
{
    if (resource == nullptr)
    {
        return nullptr;
    }
    if (_held.find(resource) == _held.end())
    {
        if (_byHREF.find(resource->href()) != _byHREF.end())
        {
            DWFCORE_THROW(DWFTypeMismatchException,
                          u"Resource with matching HREF was found but was not the same object",
                          "DWFToolkit::DWFResourceContainer::removeResource");
        }
        return nullptr;
    }
    _forget(resource);
    return _release(resource, deleteIfOwned);
}

DWFCore::DWFIterator<DWFResource*>*
DWFResourceContainer::removeResourcesByRole(const DWFCore::DWFString& role, bool deleteIfOwned)
{
    auto range = _byRole.equal_range(role);
    if (range.first == range.second)
    {
        return nullptr;
    }
    std::unique_ptr<DWFCore::DWFBasicIteratorImpl<DWFResource*>> removed(
        new (std::nothrow) DWFCore::DWFBasicIteratorImpl<DWFResource*>());
    if (!removed)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate memory",
                      "DWFToolkit::DWFResourceContainer::removeResourcesByRole");
    }
    std::vector<DWFResource*> resources;
    for (auto it = range.first; it != range.second; ++it)
    {
        resources.push_back(it->second);
    }
    for (DWFResource* resource : resources)
    {
        _forget(resource);
        DWFResource* kept = _release(resource, deleteIfOwned);
        if (kept != nullptr && !deleteIfOwned)
        {
            removed->add(kept);
        }
    }
    if (deleteIfOwned)
    {
        return nullptr;
    }
    return removed.release();
}

DWFResource* DWFResourceContainer::findResourceByHREF(const DWFCore::DWFString& href) const
{
    auto it = _byHREF.find(href);
    return it == _byHREF.end() ? nullptr : it->second;
}

DWFResourceContainer::ResourceIterator*
DWFResourceContainer::findResourcesByRole(const DWFCore::DWFString& role) const
{
    std::unique_ptr<ResourceIterator> iterator(new ResourceIterator());
    auto range = _byRole.equal_range(role);
    for (auto it = range.first; it != range.second; ++it)
    {
        iterator->_resources.push_back(it->second);
    }
    return iterator.release();
}

DWFResourceContainer::ResourceKVIterator* DWFResourceContainer::getResourcesByRole() const
{
    std::unique_ptr<ResourceKVIterator> iterator(new ResourceKVIterator());
    iterator->_entries.reserve(_byRole.size());
    for (const auto& entry : _byRole)
    {
        iterator->_entries.emplace_back(entry.first, entry.second);
    }
    return iterator.release();
}

std::vector<DWFResource*> DWFResourceContainer::childResources(const DWFResource* parent) const
{
    std::vector<DWFResource*> children;
    auto range = _byParent.equal_range(parent);
    for (auto it = range.first; it != range.second; ++it)
    {
        children.push_back(it->second);
    }
    return children;
}

void DWFResourceContainer::onOwnershipReleased(DWFCore::DWFOwnable&) {}

void DWFResourceContainer::onOwnableDeleted(DWFCore::DWFOwnable& ownable)
{
    _forget(&ownable);
}

void DWFResourceContainer::_assignZipPath(DWFResource& resource,
                                          const DWFCore::DWFString& uuid) const
{
    if (resource._objectID.chars() == 0)
    {
        resource._objectID = uuid;
    }
    DWFCore::DWFString path(_name);
    path.append(u"\\");
    path.append(uuid);
    const char16_t* extension =
        resource.mime().chars() > 0 ? DWFCore::DWFMIME::GetExtension(resource.mime()) : nullptr;
    if (extension != nullptr)
    {
        path.append(u".");
        path.append(extension);
    }
    resource._zipPath = path;
}

void DWFResourceContainer::_Serializer::serializeXML(DWFXMLSerializer& serializer,
                                                     unsigned int flags)
{
    // A snapshot of the role index in role order: the walk below calls into
    // the resources, which must not see a changing index.
    std::vector<DWFResource*> resources;
    resources.reserve(_container._byRole.size());
    for (const auto& entry : _container._byRole)
    {
        resources.push_back(entry.second);
    }

    if (flags & eManifest)
    {
        serializer.startElement(u"Toc", u"dwf:");
        for (DWFResource* resource : resources)
        {
            if (resource->role() != DWFResource::kRoleDescriptor)
            {
                _container._assignZipPath(*resource, serializer.nextUUID(true));
                for (DWFResource* child : _container.childResources(resource))
                {
                    child->setParentResource(resource);
                }
            }
            resource->serializeXML(serializer, flags);
        }
        serializer.endElement();
    }
    else if (flags & eDescriptor)
    {
        serializer.startElement(u"Resources", namespaceXML(flags));
        for (DWFResource* resource : resources)
        {
            resource->serializeXML(serializer, flags);
        }
        serializer.endElement();
    }
}

} // namespace DWFToolkit
