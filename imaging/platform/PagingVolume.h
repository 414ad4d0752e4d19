#pragma once
// One scratch file of the temporary paging system, carved into extents:
// contiguous stretches that each hold the pages of one reservation. Freed
// extents are reused when a request fits one closely; when much of the file
// lies free, the extents in use are moved down and the file is cut short.
#include "imaging/FileSpecifier.h"

#include "platform/kernel/Sync.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Omvi
{

struct Extent
{
    std::uint64_t offset = 0;
    std::uint64_t size = 0; // bytes, at least pageSize × pageCount
    std::int32_t pageSize = 0;
    std::int64_t pageCount = 0;
    // Transfers hold the shared side; moving the extent takes the other.
    platform::ReadWriteLock gate;
};

class PagingVolume
{
public:
    static constexpr std::uint64_t kCompactionThreshold = 0x80000; // free bytes
    static constexpr std::uint64_t kMaxSurplus = 0x7FFFFFFF;
    static constexpr std::uint64_t kCopyChunk = 1048576;

    // Creates and unlinks the scratch file; throws
    // TemporaryFilePagingSystemException (codes 0-3) when it cannot.
    explicit PagingVolume(const FileSpecifier& file);
    ~PagingVolume();
    PagingVolume(const PagingVolume&) = delete;
    PagingVolume& operator=(const PagingVolume&) = delete;

    // Room for `count` pages of `pageSize` bytes, or null when the volume
    // cannot hold them. May compact the volume first (which can throw
    // FileIOException).
    Extent* allocate(std::int64_t count, std::int32_t pageSize);
    void release(Extent* extent);
    // Limits the volume's size (and sets the file to that length); false when
    // the size exceeds the volume's capacity or lies within what is already
    // allocated (the volume then takes no new extents at its end).
    bool setSize(std::int64_t size);

    // Transfers of `bytes` at `offset` within the extent; throw
    // FileIOException on a short read, a full disk or any other failure,
    // its message naming the volume's file and the system's reason.
    void read(Extent& extent, std::uint64_t offset, void* destination, std::uint64_t bytes);
    void write(Extent& extent, std::uint64_t offset, const void* source, std::uint64_t bytes);

    std::uint64_t capacity() const { return capacity_; }
    std::uint64_t sizeLimit() const;
    std::uint64_t end() const;
    std::uint64_t freeBytes() const;
    std::uint64_t fileSize() const;
    std::size_t extentsInUse() const;
    std::size_t freeExtents() const;

private:
    void compact(); // mutex_ held
    void copyDown(Extent& extent, std::uint64_t target); // mutex_ held

    std::string path_;  // the file's name when it was made (it is unlinked)
    int fd_ = -1;
    std::uint64_t end_ = 0;
    std::uint64_t sizeLimit_ = 0;
    std::uint64_t capacity_ = 0;
    std::uint64_t freeBytes_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<Extent>> inUse_;     // by offset
    std::vector<std::unique_ptr<Extent>> freeList_;  // by offset
};

} // namespace Omvi
