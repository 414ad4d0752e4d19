#pragma once
// A heap of equal blocks over one reserved address range, handed out as
// regions of consecutive blocks whose pages are committed while in use.
#include "imaging/platform/Locks.h"

#include "platform/kernel/Sync.h"

#include <array>
#include <cstdint>
#include <memory>

namespace Omvi
{

class Heap
{
public:
    virtual ~Heap() = default;
    // A region of `blocks` blocks, or null when the heap's lock is not
    // obtained within the timeout, no free region is large enough, or the
    // region table is full.
    virtual void* allocate(std::int32_t blocks, std::uint32_t timeoutMs) = 0;
    virtual void* allocate(std::int32_t blocks) = 0;
    // Moves the region at `address` down into the free region before it
    // (its contents are not kept) and updates `address`.
    virtual void slideDown(void*& address) = 0;
    // The region's contents are no longer needed; it stays allocated.
    virtual void discardContents(void* address) = 0;
    virtual void free(void* address) = 0;
    virtual std::int32_t freeBlocks() = 0;
    virtual std::int32_t blockCount() = 0;
    // Bytes per block.
    virtual std::int32_t blockSize() = 0;
};

class WinHeap : public Heap
{
public:
    static constexpr int kMaxRegions = 64;

    // Blocks of `blockKilobytes` KB; `blockCount` of them, fewer when the
    // machine's memory figures cap the request (0 asks for a share of what
    // is free). Null when the sizes do not suit the page size or the range
    // cannot be reserved.
    static std::unique_ptr<WinHeap> create(std::int32_t blockKilobytes, std::int32_t blockCount);
    ~WinHeap() override;

    void* allocate(std::int32_t blocks, std::uint32_t timeoutMs) override;
    void* allocate(std::int32_t blocks) override;
    void slideDown(void*& address) override;
    void discardContents(void* address) override;
    void free(void* address) override;
    std::int32_t freeBlocks() override;
    std::int32_t blockCount() override;
    std::int32_t blockSize() override;

    // Regions in address order (free ones included).
    int regionCount();

private:
    struct Region
    {
        std::uint8_t* address = nullptr;
        std::int32_t blocks = 0;
        bool inUse = false;
    };

    WinHeap(std::uint8_t* base, std::int32_t blockKilobytes, std::int32_t blockCount);
    std::size_t bytesOf(std::int32_t blocks) const;
    int find(const void* address) const;
    void removeRegion(int index);

    std::uint8_t* base_;
    platform::Mutex mutex_;
    std::int32_t blockKilobytes_;
    std::int32_t blockCount_;
    int regionCount_ = 1;
    std::array<Region, kMaxRegions> regions_{};
};

} // namespace Omvi
