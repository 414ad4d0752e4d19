#include "imaging/platform/Locks.h"

namespace Omvi
{

bool WinReadWriteLock::readLock(std::uint32_t timeoutMs)
{
    return lock_.lockShared(timeoutMs);
}

void WinReadWriteLock::readUnlock()
{
    lock_.unlockShared();
}

bool WinReadWriteLock::writeLock(std::uint32_t timeoutMs)
{
    return lock_.lockExclusive(timeoutMs);
}

void WinReadWriteLock::writeUnlock()
{
    lock_.unlockExclusive();
}

std::int32_t WinMutexLock::lock()
{
    // Recursive for the owner, so only another thread can make this wait.
    return mutex_.lock(platform::kWaitForever) ? kAcquired : -1;
}

void WinMutexLock::unlock()
{
    mutex_.unlock();
}

WinEvent::WinEvent() : event_(platform::Event::Reset::Manual, false)
{
}

bool WinEvent::wait(std::uint32_t timeoutMs)
{
    return event_.wait(timeoutMs);
}

bool WinEvent::wait()
{
    return event_.wait(platform::kWaitForever);
}

void WinEvent::set(bool signalled)
{
    if (signalled)
        event_.set();
    else
        event_.reset();
}

} // namespace Omvi
