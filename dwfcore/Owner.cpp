#include "dwfcore/Owner.h"

namespace DWFCore
{

DWFOwner::~DWFOwner()
{
    while (_observed.size() > 0)
    {
        DWFOwnable* ownable = _observed.front();
        _observed.erase(ownable);
        ownable->_observers.erase(this);
        if (ownable->_owner == this)
        {
            ownable->_owner = nullptr;
        }
    }
}

void DWFOwner::onOwnershipReleased(DWFOwnable&) {}

void DWFOwner::onOwnableDeleted(DWFOwnable&) {}

DWFOwnable::~DWFOwnable()
{
    while (_observers.size() > 0)
    {
        DWFOwner* observer = _observers.front();
        _observers.erase(observer);
        observer->_observed.erase(this);
    }
}

void DWFOwnable::setOwner(DWFOwner& owner)
{
    // Record first: if memory runs out nothing has changed yet.
    const bool added = _observers.insert(&owner, true);
    try
    {
        owner._observed.insert(this, true);
    }
    catch (...)
    {
        if (added)
        {
            _observers.erase(&owner);
        }
        throw;
    }
    if (_owner != nullptr)
    {
        _owner->onOwnershipReleased(*this);
    }
    _owner = &owner;
}

bool DWFOwnable::releaseOwner(DWFOwner& owner, bool removeFromObservers)
{
    if (_owner == nullptr || _owner != &owner)
    {
        return false;
    }
    if (removeFromObservers)
    {
        _observers.erase(&owner);
        owner._observed.erase(this);
    }
    owner.onOwnershipReleased(*this);
    _owner = nullptr;
    return true;
}

bool DWFOwnable::removeObserver(DWFOwner& observer)
{
    if (_owner == &observer)
    {
        _owner = nullptr;
    }
    observer._observed.erase(this);
    return _observers.erase(&observer);
}

void DWFOwnable::_notifyDeletion()
{
    // Each observer is taken off the list before it is told, so one that
    // reacts by leaving (or adding) observers cannot upset the walk.
    while (_observers.size() > 0)
    {
        DWFOwner* observer = _observers.front();
        _observers.erase(observer);
        observer->_observed.erase(this);
        if (observer != _owner)
        {
            observer->onOwnableDeleted(*this);
        }
    }
}

} // namespace DWFCore
