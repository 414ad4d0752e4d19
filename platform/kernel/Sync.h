#pragma once
// Synchronisation stand-ins: a recursive mutex with timed waits, manual- and
// auto-reset events, and a counting read-many/write-one lock. Every wait
// takes a timeout in milliseconds (kWaitForever for none) and answers false
// when it ran out; no wait ever leaves a count raised behind it. A request
// that the calling thread itself blocks (asking for the exclusive side while
// holding a shared one, or any side while holding the exclusive one of a
// read-write lock) is refused at once instead of waiting on itself.
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace platform
{

constexpr std::uint32_t kWaitForever = 0xFFFFFFFFu;

// Recursive for its owner thread; starts unowned.
class Mutex
{
public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    bool lock(std::uint32_t timeoutMs = kWaitForever);
    bool tryLock() { return lock(0); }
    // One level of ownership given back; false (nothing changes) when the
    // calling thread does not own the mutex.
    bool unlock();
    bool ownedByCallingThread() const;

private:
    mutable std::mutex guard_;
    std::condition_variable released_;
    std::thread::id owner_;
    unsigned depth_ = 0;
};

// Holds a Mutex for a scope; `owns()` tells whether the lock was obtained.
class MutexHolder
{
public:
    explicit MutexHolder(Mutex& mutex, std::uint32_t timeoutMs = kWaitForever)
        : mutex_(mutex), owns_(mutex.lock(timeoutMs))
    {
    }
    ~MutexHolder()
    {
        if (owns_)
            mutex_.unlock();
    }
    MutexHolder(const MutexHolder&) = delete;
    MutexHolder& operator=(const MutexHolder&) = delete;
    bool owns() const { return owns_; }

private:
    Mutex& mutex_;
    bool owns_;
};

class Event
{
public:
    enum class Reset
    {
        Manual,   // stays signalled until reset
        Automatic // a successful wait clears it, releasing one waiter per set
    };

    explicit Event(Reset reset, bool signalled = false);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set();
    void reset();
    bool wait(std::uint32_t timeoutMs);
    bool isSignalled() const;

private:
    mutable std::mutex guard_;
    std::condition_variable changed_;
    const Reset reset_;
    bool signalled_;
};

// Many readers or one writer. Shared locks are counted per thread and may be
// taken again by a thread that already holds one, even while a writer waits
// (the imaging core re-reads a tile it has handed out). Readers are admitted
// whenever no writer holds the lock.
class ReadWriteLock
{
public:
    ReadWriteLock() = default;
    ReadWriteLock(const ReadWriteLock&) = delete;
    ReadWriteLock& operator=(const ReadWriteLock&) = delete;

    bool lockShared(std::uint32_t timeoutMs = kWaitForever);
    // False (nothing changes) when the calling thread holds no shared lock.
    bool unlockShared();
    bool lockExclusive(std::uint32_t timeoutMs = kWaitForever);
    // False (nothing changes) when the calling thread is not the writer.
    bool unlockExclusive();

    // Shared locks held, over all threads.
    int sharedCount() const;
    bool isLockedExclusive() const;

private:
    int sharedHeldByCaller() const; // guard_ held

    mutable std::mutex guard_;
    std::condition_variable changed_;
    std::vector<std::pair<std::thread::id, int>> readers_;
    int sharedTotal_ = 0;
    bool writing_ = false;
    std::thread::id writer_;
};

} // namespace platform
