#include "platform/kernel/Sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

using namespace platform;

namespace
{
template <typename F>
auto onOtherThread(F f)
{
    auto task = std::async(std::launch::async, f);
    return task.get();
}
} // namespace

TEST(KernelMutex, IsRecursiveForItsOwnerAndClosedToOthers)
{
    Mutex mutex;
    EXPECT_FALSE(mutex.ownedByCallingThread());
    ASSERT_TRUE(mutex.lock());
    ASSERT_TRUE(mutex.lock(0)) << "the owner re-enters";
    EXPECT_TRUE(mutex.ownedByCallingThread());
    EXPECT_FALSE(onOtherThread([&] { return mutex.lock(0); }));
    EXPECT_FALSE(onOtherThread([&] { return mutex.lock(20); })) << "a timed wait ends as a refusal";
    EXPECT_FALSE(onOtherThread([&] { return mutex.unlock(); })) << "only the owner releases";

    EXPECT_TRUE(mutex.unlock());
    EXPECT_FALSE(onOtherThread([&] { return mutex.lock(0); })) << "still held once";
    EXPECT_TRUE(mutex.unlock());
    EXPECT_FALSE(mutex.unlock()) << "nothing left to release";
    EXPECT_TRUE(onOtherThread([&] { return mutex.lock(0) && mutex.unlock(); }));
}

TEST(KernelMutex, AWaiterGetsInOnceTheOwnerLeaves)
{
    Mutex mutex;
    ASSERT_TRUE(mutex.lock());
    std::promise<void> started;
    auto waiter = std::async(std::launch::async, [&] {
        started.set_value();
        const bool got = mutex.lock(kWaitForever);
        return got && mutex.unlock();
    });
    started.get_future().wait();
    EXPECT_TRUE(mutex.unlock());
    EXPECT_TRUE(waiter.get());
    MutexHolder holder(mutex, 0);
    EXPECT_TRUE(holder.owns());
}

TEST(KernelEvent, ManualEventsStaySignalledUntilReset)
{
    Event event(Event::Reset::Manual);
    EXPECT_FALSE(event.wait(0));
    event.set();
    EXPECT_TRUE(event.wait(0));
    EXPECT_TRUE(event.wait(0)) << "a wait does not clear a manual event";
    event.reset();
    EXPECT_FALSE(event.wait(0));
    EXPECT_FALSE(event.wait(10));
    Event initially(Event::Reset::Manual, true);
    EXPECT_TRUE(initially.isSignalled());
}

TEST(KernelEvent, AutomaticEventsReleaseOneWaitPerSet)
{
    Event event(Event::Reset::Automatic);
    event.set();
    event.set();
    EXPECT_TRUE(event.wait(0));
    EXPECT_FALSE(event.wait(0)) << "two sets before a wait are one signal";
    EXPECT_FALSE(event.isSignalled());
}

TEST(KernelEvent, WakesAWaiterOnAnotherThread)
{
    Event event(Event::Reset::Automatic);
    std::promise<void> started;
    auto waiter = std::async(std::launch::async, [&] {
        started.set_value();
        return event.wait(kWaitForever);
    });
    started.get_future().wait();
    event.set();
    EXPECT_TRUE(waiter.get());
    EXPECT_FALSE(event.isSignalled()) << "the waiter consumed the signal";
}

TEST(KernelReadWriteLock, OneThreadMayTakeTheSharedSideAgain)
{
    ReadWriteLock lock;
    ASSERT_TRUE(lock.lockShared());
    ASSERT_TRUE(lock.lockShared(0)) << "a handed-out tile read again by its holder";
    EXPECT_EQ(lock.sharedCount(), 2);

    EXPECT_FALSE(lock.lockExclusive(kWaitForever)) << "waiting on its own readers would never end";
    EXPECT_FALSE(lock.isLockedExclusive());
    EXPECT_EQ(lock.sharedCount(), 2) << "the refusal leaves the count alone";

    EXPECT_TRUE(lock.unlockShared());
    EXPECT_TRUE(lock.unlockShared());
    EXPECT_FALSE(lock.unlockShared()) << "releasing more than was taken is refused";
    EXPECT_EQ(lock.sharedCount(), 0);
    EXPECT_TRUE(lock.lockExclusive(0));
    EXPECT_TRUE(lock.unlockExclusive());
}

TEST(KernelReadWriteLock, TheWriterIsRefusedEverythingElseOnItsThread)
{
    ReadWriteLock lock;
    ASSERT_TRUE(lock.lockExclusive(0));
    EXPECT_FALSE(lock.lockShared(kWaitForever));
    EXPECT_FALSE(lock.lockExclusive(kWaitForever)) << "the writer side is not recursive";
    EXPECT_EQ(lock.sharedCount(), 0);
    EXPECT_FALSE(onOtherThread([&] { return lock.unlockExclusive(); }));
    EXPECT_TRUE(lock.unlockExclusive());
    EXPECT_FALSE(lock.unlockExclusive());
}

TEST(KernelReadWriteLock, TimeoutsAreFailuresThatLeaveNoTrace)
{
    ReadWriteLock lock;
    ASSERT_TRUE(lock.lockExclusive());
    EXPECT_FALSE(onOtherThread([&] { return lock.lockShared(0); }));
    EXPECT_FALSE(onOtherThread([&] { return lock.lockShared(15); }));
    EXPECT_FALSE(onOtherThread([&] { return lock.lockExclusive(15); }));
    EXPECT_EQ(lock.sharedCount(), 0) << "no reader count left raised by a timed-out wait";
    ASSERT_TRUE(lock.unlockExclusive());

    ASSERT_TRUE(lock.lockShared());
    EXPECT_FALSE(onOtherThread([&] { return lock.lockExclusive(15); }));
    EXPECT_TRUE(onOtherThread([&] { return lock.lockShared(0) && lock.unlockShared(); }))
        << "two readers at once";
    EXPECT_EQ(lock.sharedCount(), 1);
    ASSERT_TRUE(lock.unlockShared());
    EXPECT_TRUE(onOtherThread([&] { return lock.lockExclusive(0) && lock.unlockExclusive(); }));
}

TEST(KernelReadWriteLock, AReaderReentersWhileAWriterWaits)
{
    ReadWriteLock lock;
    ASSERT_TRUE(lock.lockShared());
    std::atomic<bool> writerIn{false};
    std::promise<void> started;
    auto writer = std::async(std::launch::async, [&] {
        started.set_value();
        const bool got = lock.lockExclusive(kWaitForever);
        writerIn = got;
        return got && lock.unlockExclusive();
    });
    started.get_future().wait();
    EXPECT_TRUE(lock.lockShared(0)) << "must not queue behind the waiting writer";
    EXPECT_FALSE(writerIn.load());
    EXPECT_TRUE(lock.unlockShared());
    EXPECT_TRUE(lock.unlockShared());
    EXPECT_TRUE(writer.get()) << "the writer enters once the last reader leaves";
}
