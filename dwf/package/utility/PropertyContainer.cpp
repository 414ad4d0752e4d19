#include "dwf/package/utility/PropertyContainer.h"

#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/Exception.h"

#include <algorithm>
#include <memory>
#include <string>

namespace DWFToolkit
{

DWFPropertyContainer::DWFPropertyContainer(const DWFCore::DWFString& id)
    : _id(id), _serializer(*this)
{
}

DWFPropertyContainer::~DWFPropertyContainer()
{
    // Collect first: deleting a property tells its other observers, never us
    // (we are its owner), but the index must not be walked while it changes.
    std::vector<DWFProperty*> owned;
    for (auto& category : _properties)
    {
        for (auto& entry : category.second)
        {
            if (entry.second->owner() == this)
            {
                owned.push_back(entry.second);
            }
        }
    }
    _properties.clear();
    for (DWFProperty* property : owned)
    {
        delete property;
    }
    for (DWFPropertyContainer* container : _owned)
    {
        delete container;
    }
}

void DWFPropertyContainer::onOwnershipReleased(DWFCore::DWFOwnable&) {}

void DWFPropertyContainer::onOwnableDeleted(DWFCore::DWFOwnable& ownable)
{
    DWFProperty* property = dynamic_cast<DWFProperty*>(&ownable);
    if (property == nullptr)
    {
        return;
    }
    auto category = _properties.find(property->category());
    if (category == _properties.end())
    {
        return;
    }
    auto entry = category->second.find(property->name());
    // The entry may by now hold another property of the same name: keep that one.
    if (entry != category->second.end() && entry->second == property)
    {
        category->second.erase(entry);
        if (category->second.empty())
        {
            _properties.erase(category);
        }
    }
}

const DWFCore::DWFString& DWFPropertyContainer::id() const
{
    return _id;
}

DWFProperty* DWFPropertyContainer::findProperty(const DWFCore::DWFString& name,
                                                const DWFCore::DWFString& category) const
{
    auto names = _properties.find(category);
    if (names == _properties.end())
    {
        return nullptr;
    }
    auto entry = names->second.find(name);
    return entry == names->second.end() ? nullptr : entry->second;
}

DWFCore::DWFIterator<DWFProperty*>*
DWFPropertyContainer::getProperties(const DWFCore::DWFString& category)
{
    std::unique_ptr<DWFCore::DWFBasicIteratorImpl<DWFProperty*>> iterator(
        new DWFCore::DWFBasicIteratorImpl<DWFProperty*>());
    for (auto& names : _properties)
    {
        if (category.chars() > 0 && !(names.first == category))
        {
            continue;
        }
        for (auto& entry : names.second)
        {
            iterator->add(entry.second);
        }
    }
    return iterator.release();
}

void DWFPropertyContainer::addProperty(DWFProperty* property, bool own)
{
    if (property == nullptr)
    {
        DWFCORE_THROW(DWFNullPointerException, u"Property was null",
                      "DWFToolkit::DWFPropertyContainer::addProperty");
    }
    std::unique_ptr<DWFProperty> copy;
    if (!own)
    {
        copy.reset(new (std::nothrow) DWFProperty(*property));
        if (!copy)
        {
            DWFCORE_THROW(DWFMemoryException, u"Failed to allocate new property",
                          "DWFToolkit::DWFPropertyContainer::addProperty");
        }
        property = copy.get();
    }

    DWFProperty*& slot = _properties[property->category()][property->name()];
    DWFProperty* displaced = slot;
    slot = property;
    copy.release();
    property->setOwner(*this);

    if (displaced != nullptr && displaced != property && displaced->owner() == this)
    {
        delete displaced;
    }
}

bool DWFPropertyContainer::_owns(const DWFPropertyContainer* container) const
{
    if (_ownedIndex)
    {
        return _ownedIndex->count(container) != 0;
    }
    return std::find(_owned.begin(), _owned.end(), container) != _owned.end();
}

void DWFPropertyContainer::_own(DWFPropertyContainer* container)
{
    constexpr std::size_t kSearchedOwned = 16;
    if (_ownedIndex)
    {
        _ownedIndex->insert(container);
    }
    else if (_owned.size() >= kSearchedOwned)
    {
        auto index = std::make_unique<std::unordered_set<const DWFPropertyContainer*>>(
            _owned.begin(), _owned.end());
        index->insert(container);
        _ownedIndex = std::move(index);
    }
    _owned.push_back(container);
}

bool DWFPropertyContainer::_references(const DWFPropertyContainer* container) const
{
    return std::find(_referenced.begin(), _referenced.end(), container) != _referenced.end();
}

bool DWFPropertyContainer::_empty() const
{
    for (const auto& names : _properties)
    {
        if (!names.second.empty())
        {
            return false;
        }
    }
    return true;
}

bool DWFPropertyContainer::_written() const
{
    return !_empty() || !_referenced.empty();
}

void DWFPropertyContainer::addPropertyContainer(DWFPropertyContainer* container)
{
    if (container == nullptr)
    {
        DWFCORE_THROW(DWFNullPointerException, u"Property container was null",
                      "DWFToolkit::DWFPropertyContainer::addPropertyContainer");
    }
    // Owning a container twice, or owning oneself, would delete it twice.
    if (container == this || _owns(container))
    {
        return;
    }
    _own(container);
    // Owned containers are written anyway; a reference to one is redundant.
    _referenced.erase(std::remove(_referenced.begin(), _referenced.end(), container),
                      _referenced.end());
}

void DWFPropertyContainer::referencePropertyContainer(DWFPropertyContainer* container)
{
    if (container == nullptr || container == this || _owns(container) || _references(container))
    {
        return;
    }
    _referenced.push_back(container);
}

void DWFPropertyContainer::getOwnedPropertyContainers(tList& containers)
{
    containers.insert(containers.end(), _owned.begin(), _owned.end());
}

void DWFPropertyContainer::getReferencedPropertyContainers(tList& containers)
{
    containers.insert(containers.end(), _referenced.begin(), _referenced.end());
}

void DWFPropertyContainer::getAllPropertyContainers(tList& containers)
{
    getOwnedPropertyContainers(containers);
    getReferencedPropertyContainers(containers);
}

void DWFPropertyContainer::removeOwnedPropertyContainers(tList& containers, bool makeReferences)
{
    containers.insert(containers.end(), _owned.begin(), _owned.end());
    tList owned;
    owned.swap(_owned);
    _ownedIndex.reset();
    if (makeReferences)
    {
        for (DWFPropertyContainer* container : owned)
        {
            referencePropertyContainer(container);
        }
    }
}

void DWFPropertyContainer::removeReferencedPropertyContainers(tList& containers)
{
    containers.insert(containers.end(), _referenced.begin(), _referenced.end());
    tList().swap(_referenced);
}

void DWFPropertyContainer::removeAllPropertyContainers(tList& containers)
{
    removeOwnedPropertyContainers(containers, false);
    removeReferencedPropertyContainers(containers);
}

void DWFPropertyContainer::copyProperties(DWFPropertyContainer& source, bool takeOwnership,
                                          bool keepReferences)
{
    std::unique_ptr<DWFCore::DWFIterator<DWFProperty*>> properties(source.getProperties());
    // A snapshot: copying a container onto itself replaces what is walked.
    std::vector<DWFProperty*> snapshot;
    for (; properties && properties->valid(); properties->next())
    {
        snapshot.push_back(properties->get());
    }
    for (DWFProperty* property : snapshot)
    {
        addProperty(property, false);
    }

    if (&source == this)
    {
        return;
    }

    tList containers;
    if (takeOwnership)
    {
        tList taken;
        source.removeOwnedPropertyContainers(taken, keepReferences);
        for (DWFPropertyContainer* container : taken)
        {
            addPropertyContainer(container);
        }
    }
    else
    {
        source.getOwnedPropertyContainers(containers);
    }
    source.getReferencedPropertyContainers(containers);
    for (DWFPropertyContainer* container : containers)
    {
        referencePropertyContainer(container);
    }
}

void DWFPropertyContainer::_Serializer::serializeXML(DWFXMLSerializer& serializer,
                                                     unsigned int flags)
{
    for (DWFPropertyContainer* owned : _container._owned)
    {
        owned->_serializer.serializeXML(serializer, flags);
    }
    if (!_container._written())
    {
        return;
    }

    const DWFCore::DWFString prefix =
        (flags & eDescriptor) ? namespaceXML(flags) : DWFCore::DWFString();
    serializer.startElement(u"Properties", prefix);

    if (_container._id.chars() == 0)
    {
        _container._id = serializer.nextUUID(true);
    }
    serializer.addAttribute(u"id", _container._id);

    // Gathered in a growing buffer, as a DWFString reallocates on every append.
    std::u16string refs;
    for (DWFPropertyContainer* referenced : _container._referenced)
    {
        // A container that writes no element of its own has no id a reader
        // could resolve; naming it would leave a dangling reference.
        if (!referenced->_written())
        {
            continue;
        }
        if (referenced->_id.chars() == 0)
        {
            referenced->_id = serializer.nextUUID(true);
        }
        refs.append(static_cast<const char16_t*>(referenced->_id), referenced->_id.chars());
        refs.push_back(u' ');
    }
    serializer.addAttribute(u"refs", DWFCore::DWFString(refs));

    for (const auto& names : _container._properties)
    {
        for (const auto& entry : names.second)
        {
            entry.second->serializeElement(serializer, prefix);
        }
    }
    serializer.endElement();
}

} // namespace DWFToolkit
