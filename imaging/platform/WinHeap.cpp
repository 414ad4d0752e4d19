#include "imaging/platform/Heap.h"

#include "platform/kernel/Memory.h"

#include <algorithm>
#include <cmath>

namespace Omvi
{

std::unique_ptr<WinHeap> WinHeap::create(std::int32_t blockKilobytes, std::int32_t blockCount)
{
    if (blockKilobytes < 1 || blockKilobytes > INT32_MAX / 1024 || blockCount < 0)
        return nullptr;
    // Blocks and pages must nest: the larger a multiple of the smaller.
    const std::uint64_t page = platform::pageSize();
    const std::uint64_t block = std::uint64_t(blockKilobytes) * 1024;
    if (std::max(page, block) % std::min(page, block) != 0)
        return nullptr;

    const platform::MemoryStatus memory = platform::memoryStatus();
    const double virtualKb = static_cast<double>(memory.availableVirtual / 1024);
    const double physicalKb = static_cast<double>(memory.totalPhysical / 1024);
    double kilobytes = static_cast<double>(blockCount) * blockKilobytes;
    if (blockCount == 0)
        kilobytes = std::min(std::floor(0.5 * virtualKb), std::trunc(0.3 * physicalKb));
    else if (kilobytes > 0.75 * virtualKb)
        kilobytes = std::min(std::floor(0.75 * virtualKb), std::trunc(0.8 * physicalKb));

    const double blocks = std::floor(kilobytes / blockKilobytes);
    if (blocks < 1 || blocks > INT32_MAX)
        return nullptr;
    const auto count = static_cast<std::int32_t>(blocks);
    auto* base = static_cast<std::uint8_t*>(platform::reserveAddressSpace(std::size_t(count) * block));
    if (!base)
        return nullptr;
    return std::unique_ptr<WinHeap>(new WinHeap(base, blockKilobytes, count));
}

WinHeap::WinHeap(std::uint8_t* base, std::int32_t blockKilobytes, std::int32_t blockCount)
    : base_(base), blockKilobytes_(blockKilobytes), blockCount_(blockCount)
{
    regions_[0] = Region{base_, blockCount_, false};
}

WinHeap::~WinHeap()
{
    platform::releaseAddressSpace(base_, bytesOf(blockCount_));
}

std::size_t WinHeap::bytesOf(std::int32_t blocks) const
{
    return std::size_t(blocks) * std::size_t(blockKilobytes_) * 1024;
}

int WinHeap::find(const void* address) const
{
    for (int i = 0; i < regionCount_; ++i)
        if (regions_[i].address == address)
            return i;
    return -1;
}

void WinHeap::removeRegion(int index)
{
    for (int i = index; i + 1 < regionCount_; ++i)
        regions_[i] = regions_[i + 1];
    --regionCount_;
}

void* WinHeap::allocate(std::int32_t blocks, std::uint32_t timeoutMs)
{
    platform::MutexHolder hold(mutex_, timeoutMs);
    if (!hold.owns() || blocks < 1 || regionCount_ >= kMaxRegions)
        return nullptr;
    int chosen = -1;
    for (int i = 0; i < regionCount_ && chosen < 0; ++i)
        if (!regions_[i].inUse && regions_[i].blocks >= blocks)
            chosen = i;
    if (chosen < 0)
        return nullptr;
    Region& region = regions_[chosen];
    if (!platform::commitPages(region.address, bytesOf(blocks)))
        return nullptr;
    if (region.blocks > blocks)
    {
        for (int i = regionCount_; i > chosen + 1; --i)
            regions_[i] = regions_[i - 1];
        ++regionCount_;
        regions_[chosen + 1] = Region{region.address + bytesOf(blocks), region.blocks - blocks, false};
        region.blocks = blocks;
    }
    region.inUse = true;
    return region.address;
}

void* WinHeap::allocate(std::int32_t blocks)
{
    return allocate(blocks, kInfinite);
}

void WinHeap::slideDown(void*& address)
{
    platform::MutexHolder hold(mutex_);
    const int index = find(address);
    if (index <= 0 || !regions_[index].inUse || regions_[index - 1].inUse)
        return;
    Region& before = regions_[index - 1];
    Region& region = regions_[index];
    const std::int32_t size = region.blocks;
    const std::int32_t gap = before.blocks;
    std::uint8_t* const target = before.address;
    if (!platform::commitPages(target, bytesOf(size)))
        return;
    before = Region{target, size, true};
    region = Region{target + bytesOf(size), gap, false};
    platform::decommitPages(region.address, bytesOf(gap));
    // The freed stretch may now touch a free region behind it.
    if (index + 1 < regionCount_ && !regions_[index + 1].inUse)
    {
        region.blocks += regions_[index + 1].blocks;
        removeRegion(index + 1);
    }
    address = target;
}

void WinHeap::discardContents(void* address)
{
    platform::MutexHolder hold(mutex_);
    const int index = find(address);
    if (index >= 0 && regions_[index].inUse)
        platform::discardPages(regions_[index].address, bytesOf(regions_[index].blocks));
}

void WinHeap::free(void* address)
{
    platform::MutexHolder hold(mutex_);
    int index = find(address);
    if (index < 0 || !regions_[index].inUse)
        return;
    platform::decommitPages(regions_[index].address, bytesOf(regions_[index].blocks));
    regions_[index].inUse = false;
    if (index > 0 && !regions_[index - 1].inUse)
    {
        regions_[index - 1].blocks += regions_[index].blocks;
        removeRegion(index);
        --index;
    }
    if (index + 1 < regionCount_ && !regions_[index + 1].inUse)
    {
        regions_[index].blocks += regions_[index + 1].blocks;
        removeRegion(index + 1);
    }
}

std::int32_t WinHeap::freeBlocks()
{
    platform::MutexHolder hold(mutex_);
    std::int32_t total = 0;
    for (int i = 0; i < regionCount_; ++i)
        if (!regions_[i].inUse)
            total += regions_[i].blocks;
    return total;
}

std::int32_t WinHeap::blockCount()
{
    return blockCount_;
}

std::int32_t WinHeap::blockSize()
{
    return blockKilobytes_ * 1024;
}

int WinHeap::regionCount()
{
    platform::MutexHolder hold(mutex_);
    return regionCount_;
}

} // namespace Omvi
