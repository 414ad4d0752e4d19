#include "imaging/platform/BlockPool.h"

#include "platform/kernel/Memory.h"

#include <new>

namespace Omvi
{

namespace
{
constexpr std::uint64_t kReserveStep = 65536;

std::uint64_t granuleFor(std::uint64_t page)
{
    if (page >= BlockPool::kBlockBytes)
        return page;
    return (BlockPool::kBlockBytes + page - 1) / page * page;
}
} // namespace

BlockPool::~BlockPool()
{
    clear();
}

void BlockPool::clear()
{
    platform::releaseAddressSpace(base_, reserved_);
    base_ = nullptr;
    reserved_ = 0;
    used_.clear();
    granuleUsers_.clear();
    blocksInUse_ = 0;
}

bool BlockPool::setUp(std::int64_t kilobytes)
{
    if (kilobytes < 0)
        return false;
    const std::uint64_t granule = granuleFor(platform::pageSize());
    const std::uint64_t blocks = (static_cast<std::uint64_t>(kilobytes) + 15) >> 4;
    const std::uint64_t granules = (blocks * kBlockBytes + granule - 1) / granule;
    const std::uint64_t reserve = (granules * granule + kReserveStep - 1) / kReserveStep * kReserveStep;

    std::uint8_t* base = nullptr;
    std::vector<std::uint8_t> used;
    std::vector<std::uint32_t> users;
    if (reserve > 0)
    {
        base = static_cast<std::uint8_t*>(platform::reserveAddressSpace(reserve));
        if (!base)
            return false;
        try
        {
            used.assign(reserve / kBlockBytes, 0);
            users.assign(reserve / granule, 0);
        }
        catch (const std::bad_alloc&)
        {
            platform::releaseAddressSpace(base, reserve);
            return false;
        }
    }
    clear();
    base_ = base;
    reserved_ = reserve;
    granule_ = granule;
    used_ = std::move(used);
    granuleUsers_ = std::move(users);
    return true;
}

std::uint8_t* BlockPool::allocate(std::int64_t blocks)
{
    const std::int64_t count = blockCount();
    if (blocks < 1 || blocks > count)
        return nullptr;
    std::int64_t start = 0;
    while (start + blocks <= count)
    {
        std::int64_t run = 0;
        while (run < blocks && !used_[static_cast<std::size_t>(start + run)])
            ++run;
        if (run == blocks)
            break;
        start += run + 1; // past the used block that ended the run
    }
    if (start + blocks > count)
        return nullptr;

    const std::uint64_t perGranule = blocksPerGranule();
    for (std::int64_t b = start; b < start + blocks; ++b)
    {
        const std::uint64_t g = static_cast<std::uint64_t>(b) / perGranule;
        if (granuleUsers_[g] == 0 && !platform::commitPages(base_ + g * granule_, granule_))
        {
            release(base_ + static_cast<std::uint64_t>(start) * kBlockBytes, b - start);
            return nullptr;
        }
        ++granuleUsers_[g];
        used_[static_cast<std::size_t>(b)] = 1;
        ++blocksInUse_;
    }
    return base_ + static_cast<std::uint64_t>(start) * kBlockBytes;
}

void BlockPool::release(std::uint8_t* address, std::int64_t blocks)
{
    if (!contains(address) || blocks < 1)
        return;
    const std::uint64_t first = static_cast<std::uint64_t>(address - base_) / kBlockBytes;
    const std::uint64_t perGranule = blocksPerGranule();
    for (std::uint64_t b = first; b < first + static_cast<std::uint64_t>(blocks) && b < used_.size(); ++b)
    {
        if (!used_[b])
            continue;
        used_[b] = 0;
        --blocksInUse_;
        const std::uint64_t g = b / perGranule;
        if (--granuleUsers_[g] == 0)
            platform::decommitPages(base_ + g * granule_, granule_);
    }
}

bool BlockPool::contains(const std::uint8_t* address) const
{
    return base_ && address >= base_ && address < base_ + reserved_;
}

} // namespace Omvi
