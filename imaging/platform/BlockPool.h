#pragma once
// The job manager's memory: one reserved address range of 16 KB blocks whose
// pages are committed a granule at a time while any block of the granule is
// in use, and given back to the system when none is.
#include <cstdint>
#include <vector>

namespace Omvi
{

class BlockPool
{
public:
    static constexpr std::uint64_t kBlockBytes = 16384;

    BlockPool() = default;
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;
    ~BlockPool();

    // A pool for `kilobytes` KB (rounded up to whole blocks, granules and
    // 64 KB). False (the pool unchanged) when the range cannot be reserved.
    bool setUp(std::int64_t kilobytes);
    // First fit of `blocks` consecutive free blocks; null when none.
    std::uint8_t* allocate(std::int64_t blocks);
    // Gives back `blocks` blocks from `address`.
    void release(std::uint8_t* address, std::int64_t blocks);

    std::int64_t blockCount() const { return static_cast<std::int64_t>(used_.size()); }
    std::int64_t blocksInUse() const { return blocksInUse_; }
    std::uint64_t granuleBytes() const { return granule_; }
    bool contains(const std::uint8_t* address) const;

private:
    void clear();
    std::uint64_t blocksPerGranule() const { return granule_ / kBlockBytes; }

    std::uint8_t* base_ = nullptr;
    std::uint64_t reserved_ = 0;
    std::uint64_t granule_ = 0;
    std::vector<std::uint8_t> used_;            // one flag per block
    std::vector<std::uint32_t> granuleUsers_;   // blocks in use per granule
    std::int64_t blocksInUse_ = 0;
};

} // namespace Omvi
