#pragma once
// A list of items (not owned) known by 32-bit handles: the reactors and the
// contexts of an image. Handles count from 1; a removed entry goes to a free
// list and, when reused, keeps its handle. Walks go by count and index, in
// the order the entries were added. Every operation takes the list's own
// mutex (made through the session's run time), which callers may also hold
// around a walk; it is recursive for its owner thread.
#include "imaging/OMVIException.h"
#include "imaging/platform/Locks.h"
#include "imaging/platform/RunTimeInterface.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Omvi
{

// Holds a MutexLock for a scope.
class MutexHold
{
public:
    explicit MutexHold(MutexLock& mutex) : mutex_(mutex), owns_(mutex.lock() == MutexLock::kAcquired) {}
    ~MutexHold()
    {
        if (owns_)
            mutex_.unlock();
    }
    MutexHold(const MutexHold&) = delete;
    MutexHold& operator=(const MutexHold&) = delete;
    bool owns() const { return owns_; }

private:
    MutexLock& mutex_;
    bool owns_;
};

template <class Item>
class HandleList
{
public:
    static constexpr std::int32_t kLimit = 0x7FFFFFFF;

    explicit HandleList(RunTimeInterface& runTime) : mutex_(runTime.createMutexLock())
    {
        if (!mutex_)
            throw new SystemException("Out of memory", SystemException::kOutOfMemory);
    }
    HandleList(const HandleList&) = delete;
    HandleList& operator=(const HandleList&) = delete;

    MutexLock& mutex() const { return *mutex_; }

    // The item's handle; 0 when the list is full.
    std::int32_t add(Item* item)
    {
        MutexHold hold(*mutex_);
        if (!free_.empty())
        {
            Entry entry = free_.front();
            free_.erase(free_.begin());
            entry.item = item;
            live_.push_back(entry);
            return entry.handle;
        }
        if (lastHandle_ == kLimit)
            return 0;
        live_.push_back(Entry{item, ++lastHandle_});
        return lastHandle_;
    }
    // False for a handle not in the list.
    bool remove(std::int32_t handle)
    {
        MutexHold hold(*mutex_);
        for (auto entry = live_.begin(); entry != live_.end(); ++entry)
        {
            if (entry->handle != handle)
                continue;
            free_.push_back(Entry{nullptr, handle});
            live_.erase(entry);
            return true;
        }
        return false;
    }
    // The handle of the first entry holding `item`; 0 when none does.
    std::int32_t find(const Item* item) const
    {
        MutexHold hold(*mutex_);
        for (const Entry& entry : live_)
            if (entry.item == item)
                return entry.handle;
        return 0;
    }
    std::int32_t count() const
    {
        MutexHold hold(*mutex_);
        return static_cast<std::int32_t>(live_.size());
    }
    // Null outside the list.
    Item* at(std::int32_t index) const
    {
        MutexHold hold(*mutex_);
        if (index < 0 || index >= static_cast<std::int32_t>(live_.size()))
            return nullptr;
        return live_[static_cast<std::size_t>(index)].item;
    }
    // The items as they stand, for a walk that may change the list.
    std::vector<Item*> items() const
    {
        MutexHold hold(*mutex_);
        std::vector<Item*> result;
        result.reserve(live_.size());
        for (const Entry& entry : live_)
            result.push_back(entry.item);
        return result;
    }
    void clear()
    {
        MutexHold hold(*mutex_);
        for (const Entry& entry : live_)
            free_.push_back(Entry{nullptr, entry.handle});
        live_.clear();
    }

private:
    struct Entry
    {
        Item* item;
        std::int32_t handle;
    };

    std::unique_ptr<MutexLock> mutex_;
    std::vector<Entry> live_;
    std::vector<Entry> free_;
    std::int32_t lastHandle_ = 0;
};

} // namespace Omvi
