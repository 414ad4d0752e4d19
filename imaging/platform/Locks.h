#pragma once
// The three synchronisation objects the library obtains from its runtime: a
// lock for many readers or one writer, a plain mutex and an event; and their
// implementations over the platform's kernel stand-ins. Timeouts are in
// milliseconds; kInfinite (all bits set, -1 as a signed value) waits
// without a limit. A timed-out or refused request answers false and leaves
// nothing held; a thread that asks for what it blocks itself (a write lock
// while it reads, anything while it writes) is refused at once.
#include "platform/kernel/Sync.h"

#include <cstdint>

namespace Omvi
{

constexpr std::uint32_t kInfinite = platform::kWaitForever;

class ReadManyWriteOneLock
{
public:
    virtual ~ReadManyWriteOneLock() = default;
    virtual bool readLock(std::uint32_t timeoutMs) = 0;
    virtual void readUnlock() = 0;
    virtual bool writeLock(std::uint32_t timeoutMs) = 0;
    virtual void writeUnlock() = 0;
};

class MutexLock
{
public:
    // The result of `lock` when the mutex was obtained.
    static constexpr std::int32_t kAcquired = 0;

    virtual ~MutexLock() = default;
    virtual std::int32_t lock() = 0;
    virtual void unlock() = 0;
};

class Event
{
public:
    virtual ~Event() = default;
    // True when the event is signalled within the timeout.
    virtual bool wait(std::uint32_t timeoutMs) = 0;
    // Waits until another thread sets the event.
    virtual bool wait() = 0;
    virtual void set(bool signalled) = 0;
};

// Shared locks may be taken again by the thread that holds one (the core
// re-reads a tile it has handed out).
class WinReadWriteLock : public ReadManyWriteOneLock
{
public:
    bool readLock(std::uint32_t timeoutMs) override;
    void readUnlock() override;
    bool writeLock(std::uint32_t timeoutMs) override;
    void writeUnlock() override;

    // Shared locks held over all threads.
    int readerCount() const { return lock_.sharedCount(); }
    bool isWriteLocked() const { return lock_.isLockedExclusive(); }

private:
    platform::ReadWriteLock lock_;
};

// Recursive for its owner thread.
class WinMutexLock : public MutexLock
{
public:
    std::int32_t lock() override;
    void unlock() override;

private:
    platform::Mutex mutex_;
};

// Manual reset, created not signalled.
class WinEvent : public Event
{
public:
    WinEvent();
    bool wait(std::uint32_t timeoutMs) override;
    bool wait() override;
    void set(bool signalled) override;

private:
    platform::Event event_;
};

} // namespace Omvi
