#include "imaging/platform/Heap.h"
#include "imaging/platform/Locks.h"
#include "platform_fixtures.h"

#include "platform/kernel/Memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <vector>

using namespace Omvi;
using namespace imaging_testing;

TEST(WinReadWriteLock, TimeoutsAndSelfDeadlocksAreFailuresNotSuccess)
{
    WinReadWriteLock lock;
    ASSERT_TRUE(lock.readLock(kInfinite));
    EXPECT_TRUE(lock.readLock(0)) << "a tile handed out and loaded again by the same thread";
    EXPECT_EQ(lock.readerCount(), 2);
    EXPECT_FALSE(lock.writeLock(kInfinite)) << "the writer would wait on its own readers";
    EXPECT_EQ(lock.readerCount(), 2);
    EXPECT_FALSE(std::async(std::launch::async, [&] { return lock.writeLock(10); }).get());
    lock.readUnlock();
    lock.readUnlock();
    EXPECT_EQ(lock.readerCount(), 0);

    ASSERT_TRUE(lock.writeLock(0));
    // A copy check asks for the shared side with no wait: it must be told no.
    EXPECT_FALSE(std::async(std::launch::async, [&] { return lock.readLock(0); }).get());
    EXPECT_EQ(lock.readerCount(), 0) << "the refused reader left no count behind";
    EXPECT_FALSE(lock.readLock(kInfinite)) << "a writable context re-reading its own tile";
    lock.writeUnlock();
    EXPECT_FALSE(lock.isWriteLocked());
    EXPECT_TRUE(std::async(std::launch::async, [&] {
                    const bool in = lock.readLock(0);
                    lock.readUnlock();
                    return in;
                }).get());
}

TEST(WinEvent, ResetAfterSetClosesIt)
{
    WinEvent event;
    EXPECT_FALSE(event.wait(0)) << "created not signalled";
    event.set(true);
    EXPECT_TRUE(event.wait(0));
    EXPECT_TRUE(event.wait()) << "manual reset: still signalled";
    event.set(false);
    EXPECT_FALSE(event.wait(0));
    EXPECT_FALSE(event.wait(5));
}

namespace
{
std::unique_ptr<WinHeap> heapOf(std::int32_t blockKb, std::int32_t blocks)
{
    ScopedMemory memory(1ull << 30, 512ull << 20, 8ull << 30);
    return WinHeap::create(blockKb, blocks);
}
} // namespace

TEST(WinHeap, RegionsAreSplitFreedAndMerged)
{
    auto heap = heapOf(64, 16);
    ASSERT_TRUE(heap);
    EXPECT_EQ(heap->blockCount(), 16);
    EXPECT_EQ(heap->blockSize(), 65536);
    EXPECT_EQ(heap->freeBlocks(), 16);

    auto* a = static_cast<std::uint8_t*>(heap->allocate(4));
    auto* b = static_cast<std::uint8_t*>(heap->allocate(12));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(b, a + 4 * 65536) << "first fit in address order";
    std::memset(a, 1, 4 * 65536);
    std::memset(b, 2, 12 * 65536);
    EXPECT_EQ(heap->allocate(1), nullptr) << "full";
    EXPECT_EQ(heap->freeBlocks(), 0);
    EXPECT_EQ(heap->allocate(0), nullptr);

    heap->free(a);
    EXPECT_EQ(heap->freeBlocks(), 4);
    EXPECT_EQ(heap->allocate(5), nullptr);
    void* moved = b;
    heap->slideDown(moved);
    EXPECT_EQ(moved, a) << "slid into the free region before it";
    std::memset(moved, 3, 12 * 65536); // committed at its new place
    EXPECT_EQ(heap->freeBlocks(), 4);
    void* tail = heap->allocate(4);
    EXPECT_EQ(tail, a + 12 * 65536);

    heap->discardContents(moved);
    EXPECT_EQ(static_cast<std::uint8_t*>(moved)[100], 0);
    heap->free(moved);
    heap->free(tail);
    EXPECT_EQ(heap->freeBlocks(), 16);
    EXPECT_EQ(heap->regionCount(), 1) << "freed neighbours merge";
    heap->free(tail); // unknown or free address: nothing happens
    void* first = heap->allocate(16);
    EXPECT_EQ(first, a);
}

TEST(WinHeap, TheRegionTableHoldsSixtyFour)
{
    auto heap = heapOf(16, 100);
    ASSERT_TRUE(heap);
    std::vector<void*> regions;
    while (void* region = heap->allocate(1))
        regions.push_back(region);
    EXPECT_EQ(heap->regionCount(), WinHeap::kMaxRegions);
    EXPECT_EQ(regions.size(), 63u) << "the last record holds the rest, still free";
    EXPECT_EQ(heap->freeBlocks(), 37);
}

TEST(WinHeap, RequestsAreCappedByTheMachinesMemory)
{
    {
        // 0.75 of 8 MB of address space is 6 MB, capped at 0.8 of 4 MB.
        ScopedMemory memory(4ull << 20, 4ull << 20, 8ull << 20);
        auto heap = WinHeap::create(64, 1000);
        ASSERT_TRUE(heap);
        EXPECT_EQ(heap->blockCount(), static_cast<std::int32_t>(3276 / 64));
    }
    {
        // Nothing asked: half the address space, capped at 0.3 of memory.
        ScopedMemory memory(64ull << 20, 64ull << 20, 1ull << 30);
        auto heap = WinHeap::create(64, 0);
        ASSERT_TRUE(heap);
        EXPECT_EQ(heap->blockCount(), static_cast<std::int32_t>(19660 / 64));
    }
    {
        ScopedMemory memory(64ull << 20, 64ull << 20);
        EXPECT_FALSE(WinHeap::create(3, 10)) << "3 KB blocks do not nest with pages";
        EXPECT_FALSE(WinHeap::create(-1, 10));
        EXPECT_FALSE(WinHeap::create(64, -1));
    }
}
