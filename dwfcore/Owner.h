#ifndef DWFCORE_OWNER_H
#define DWFCORE_OWNER_H

#include "dwfcore/SortedList.h"

namespace DWFCore
{

class DWFOwnable;

//
// A container that owns or refers to ownable objects and wants to hear when
// one is released or destroyed.
//
// Each owner also remembers which ownables list it as an observer, so that
// when the owner goes first it takes itself off their lists: an ownable never
// calls back into a destroyed owner.
//
class DWFOwner
{
public:
    DWFOwner() = default;
    // A copy observes nothing: observation belongs to the original.
    DWFOwner(const DWFOwner&) : DWFOwner() {}
    DWFOwner& operator=(const DWFOwner&) noexcept { return *this; }
    virtual ~DWFOwner();

    // `ownable` is no longer owned by this owner.
    virtual void onOwnershipReleased(DWFOwnable& ownable);
    // `ownable` is being destroyed (not called on the owner that deletes it).
    virtual void onOwnableDeleted(DWFOwnable& ownable);

private:
    friend class DWFOwnable;
    DWFSortedList<DWFOwnable*> _observed;
};

//
// Base of objects shared between containers: one owner deletes it, any
// number of observers refer to it. Every owner it ever had stays an observer
// (until it leaves) and hears of the deletion.
//
class DWFOwnable
{
public:
    DWFOwnable() = default;
    // A copy starts unowned and unobserved.
    DWFOwnable(const DWFOwnable&) : DWFOwnable() {}
    DWFOwnable& operator=(const DWFOwnable&) noexcept { return *this; }
    // Withdraws from the observers' records. Derived classes call
    // _notifyDeletion() first, while they can still be inspected.
    virtual ~DWFOwnable();

    // Tells the current owner (even when it is `owner` again) that it is
    // released, then makes `owner` the owner and an observer.
    void setOwner(DWFOwner& owner);

    // Only the current owner can release: false (and nothing changes) for any
    // other. `removeFromObservers` also stops `owner` hearing of the deletion.
    bool releaseOwner(DWFOwner& owner, bool removeFromObservers = false);

    // Stops `observer` hearing of this object; an owner leaving also stops
    // being the owner, without a release notification. True when it was listed.
    bool removeObserver(DWFOwner& observer);

    DWFOwner* owner() const noexcept { return _owner; }

protected:
    // Tells every observer except the owner, in address order, that this
    // object is going; each hears it once.
    void _notifyDeletion();

private:
    friend class DWFOwner;
    DWFOwner* _owner = nullptr;
    DWFSortedList<DWFOwner*> _observers;
};

} // namespace DWFCore

#endif
