#include "platform/kernel/Sync.h"

#include <algorithm>
#include <chrono>

namespace platform
{

namespace
{
// Waits for `ready` under `lock` for at most `timeoutMs`; true once ready.
template <typename Predicate>
bool waitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
             std::uint32_t timeoutMs, Predicate ready)
{
    if (ready())
        return true;
    if (timeoutMs == 0)
        return false;
    if (timeoutMs == kWaitForever)
    {
        cv.wait(lock, ready);
        return true;
    }
    return cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
}
} // namespace

bool Mutex::lock(std::uint32_t timeoutMs)
{
    const auto self = std::this_thread::get_id();
    std::unique_lock<std::mutex> hold(guard_);
    if (depth_ > 0 && owner_ == self)
    {
        ++depth_;
        return true;
    }
    if (!waitFor(released_, hold, timeoutMs, [this] { return depth_ == 0; }))
        return false;
    owner_ = self;
    depth_ = 1;
    return true;
}

bool Mutex::unlock()
{
    std::unique_lock<std::mutex> hold(guard_);
    if (depth_ == 0 || owner_ != std::this_thread::get_id())
        return false;
    if (--depth_ == 0)
    {
        owner_ = std::thread::id();
        hold.unlock();
        released_.notify_one();
    }
    return true;
}

bool Mutex::ownedByCallingThread() const
{
    std::lock_guard<std::mutex> hold(guard_);
    return depth_ > 0 && owner_ == std::this_thread::get_id();
}

Event::Event(Reset reset, bool signalled) : reset_(reset), signalled_(signalled)
{
}

void Event::set()
{
    {
        std::lock_guard<std::mutex> hold(guard_);
        signalled_ = true;
    }
    if (reset_ == Reset::Manual)
        changed_.notify_all();
    else
        changed_.notify_one();
}

void Event::reset()
{
    std::lock_guard<std::mutex> hold(guard_);
    signalled_ = false;
}

bool Event::wait(std::uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> hold(guard_);
    if (!waitFor(changed_, hold, timeoutMs, [this] { return signalled_; }))
        return false;
    if (reset_ == Reset::Automatic)
        signalled_ = false;
    return true;
}

bool Event::isSignalled() const
{
    std::lock_guard<std::mutex> hold(guard_);
    return signalled_;
}

int ReadWriteLock::sharedHeldByCaller() const
{
    const auto self = std::this_thread::get_id();
    for (const auto& reader : readers_)
        if (reader.first == self)
            return reader.second;
    return 0;
}

bool ReadWriteLock::lockShared(std::uint32_t timeoutMs)
{
    const auto self = std::this_thread::get_id();
    std::unique_lock<std::mutex> hold(guard_);
    if (writing_ && writer_ == self)
        return false; // the writer would wait on itself
    auto mine = std::find_if(readers_.begin(), readers_.end(),
                             [&](const auto& reader) { return reader.first == self; });
    if (mine != readers_.end())
    {
        // Already a reader: no writer can hold the lock, so enter at once.
        ++mine->second;
        ++sharedTotal_;
        return true;
    }
    if (!waitFor(changed_, hold, timeoutMs, [this] { return !writing_; }))
        return false;
    readers_.emplace_back(self, 1);
    ++sharedTotal_;
    return true;
}

bool ReadWriteLock::unlockShared()
{
    const auto self = std::this_thread::get_id();
    std::unique_lock<std::mutex> hold(guard_);
    auto mine = std::find_if(readers_.begin(), readers_.end(),
                             [&](const auto& reader) { return reader.first == self; });
    if (mine == readers_.end())
        return false;
    if (--mine->second == 0)
        readers_.erase(mine);
    const bool last = --sharedTotal_ == 0;
    hold.unlock();
    if (last)
        changed_.notify_all();
    return true;
}

bool ReadWriteLock::lockExclusive(std::uint32_t timeoutMs)
{
    const auto self = std::this_thread::get_id();
    std::unique_lock<std::mutex> hold(guard_);
    if ((writing_ && writer_ == self) || sharedHeldByCaller() > 0)
        return false; // would wait on the caller's own lock
    if (!waitFor(changed_, hold, timeoutMs, [this] { return !writing_ && sharedTotal_ == 0; }))
        return false;
    writing_ = true;
    writer_ = self;
    return true;
}

bool ReadWriteLock::unlockExclusive()
{
    std::unique_lock<std::mutex> hold(guard_);
    if (!writing_ || writer_ != std::this_thread::get_id())
        return false;
    writing_ = false;
    writer_ = std::thread::id();
    hold.unlock();
    changed_.notify_all();
    return true;
}

int ReadWriteLock::sharedCount() const
{
    std::lock_guard<std::mutex> hold(guard_);
    return sharedTotal_;
}

bool ReadWriteLock::isLockedExclusive() const
{
    std::lock_guard<std::mutex> hold(guard_);
    return writing_;
}

} // namespace platform
