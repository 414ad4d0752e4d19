#include "imaging/platform/PagingVolume.h"

#include "imaging/OMVIException.h"
#include "imaging/platform/ScratchFile.h"
#include "imaging/platform/WindowsRunTime.h"

#include "platform/kernel/FileTransfer.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Volume.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace Omvi
{

namespace
{
constexpr std::uint64_t kUnlimited = static_cast<std::uint64_t>(INT64_MAX);

void insertByOffset(std::vector<std::unique_ptr<Extent>>& list, std::unique_ptr<Extent> extent)
{
    const auto at = std::lower_bound(list.begin(), list.end(), extent->offset,
                                     [](const std::unique_ptr<Extent>& e, std::uint64_t offset) {
                                         return e->offset < offset;
                                     });
    list.insert(at, std::move(extent));
}

// A failed transfer names the paging file and the system's reason.
[[noreturn]] void throwTransferFailure(bool reading, const platform::TransferResult& result, const std::string& path)
{
    const std::string file = " of the paging file '" + path + "': ";
    if (reading)
    {
        if (result.error == 0)
            throw new FileIOException(("Unable to read a page" + file + "the file ends before it").c_str(),
                                      FileIOException::kEndOfFile);
        throw new FileIOException(("Unable to read a page" + file + std::strerror(result.error)).c_str(),
                                  FileIOException::kOtherFailure);
    }
    const bool full = result.error == ENOSPC || result.error == EDQUOT || result.error == EFBIG;
    throw new FileIOException(("Unable to write a page" + file + std::strerror(result.error)).c_str(),
                              full ? FileIOException::kDiskFull : FileIOException::kOtherFailure);
}

// Holds the shared side of an extent's gate for one transfer.
class SharedGate
{
public:
    explicit SharedGate(Extent& extent) : extent_(extent)
    {
        if (!extent_.gate.lockShared(platform::kWaitForever))
            throw new FileIOException("A page is being moved by this thread", FileIOException::kOtherFailure);
    }
    ~SharedGate() { extent_.gate.unlockShared(); }

private:
    Extent& extent_;
};
} // namespace

PagingVolume::PagingVolume(const FileSpecifier& file) : path_(file.nativePath())
{
    const std::string& path = path_;
    if (path.empty())
        throw new TemporaryFilePagingSystemException("Unable to create file.",
                                                     TemporaryFilePagingSystemException::kPathNotFound);
    int error = 0;
    fd_ = openScratchFile(path, error);
    if (fd_ < 0)
    {
        const std::string message =
            "Unable to create the paging file '" + path + "': " + platform::systemReason(error);
        throw new TemporaryFilePagingSystemException(message.c_str(), creationFailureCode(error), error);
    }
    capacity_ = kUnlimited;
    if (const auto figures = platform::volumeFigures(path))
        capacity_ = std::min(capacity_, clampedFreeSpace(*figures));
    sizeLimit_ = capacity_;
}

PagingVolume::~PagingVolume()
{
    if (fd_ >= 0)
        ::close(fd_);
}

Extent* PagingVolume::allocate(std::int64_t count, std::int32_t pageSize)
{
    if (count < 1 || pageSize < 1)
        return nullptr;
    std::uint64_t need = 0;
    if (__builtin_mul_overflow(static_cast<std::uint64_t>(count), static_cast<std::uint64_t>(pageSize), &need) ||
        need > kUnlimited)
        return nullptr;

    std::lock_guard<std::mutex> hold(mutex_);
    if (freeBytes_ > kCompactionThreshold && static_cast<double>(end_) / static_cast<double>(freeBytes_) < 4.0)
        compact();

    // Best fit among the free extents: the smallest surplus, the lowest
    // offset on ties. Only a close fit (less than a page over) is reused.
    auto best = freeList_.end();
    for (auto it = freeList_.begin(); it != freeList_.end(); ++it)
    {
        const Extent& candidate = **it;
        if (candidate.size < need || candidate.size - need >= kMaxSurplus)
            continue;
        if (best == freeList_.end() || candidate.size - need < (*best)->size - need)
            best = it;
    }
    if (best != freeList_.end() && (*best)->size - need < static_cast<std::uint64_t>(pageSize))
    {
        std::unique_ptr<Extent> taken = std::move(*best);
        freeList_.erase(best);
        taken->pageSize = pageSize;
        taken->pageCount = count;
        freeBytes_ -= taken->size;
        Extent* result = taken.get();
        insertByOffset(inUse_, std::move(taken));
        return result;
    }

    // A new extent at the end, which must stay below the size limit.
    if (need >= sizeLimit_ || end_ >= sizeLimit_ - need)
        return nullptr;
    auto extent = std::make_unique<Extent>();
    extent->offset = end_;
    extent->size = need;
    extent->pageSize = pageSize;
    extent->pageCount = count;
    end_ += need;
    Extent* result = extent.get();
    inUse_.push_back(std::move(extent));
    return result;
}

void PagingVolume::release(Extent* extent)
{
    std::lock_guard<std::mutex> hold(mutex_);
    const auto found = std::find_if(inUse_.begin(), inUse_.end(),
                                    [&](const std::unique_ptr<Extent>& e) { return e.get() == extent; });
    if (found == inUse_.end())
        return;
    std::unique_ptr<Extent> freed = std::move(*found);
    inUse_.erase(found);
    freed->pageCount = 0;
    freeBytes_ += freed->size;
    insertByOffset(freeList_, std::move(freed));
}

bool PagingVolume::setSize(std::int64_t size)
{
    if (size < 0 || static_cast<std::uint64_t>(size) > capacity_)
        return false;
    std::lock_guard<std::mutex> hold(mutex_);
    if (static_cast<std::uint64_t>(size) <= end_)
    {
        sizeLimit_ = end_;
        return false;
    }
    sizeLimit_ = static_cast<std::uint64_t>(size);
    return ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
}

void PagingVolume::read(Extent& extent, std::uint64_t offset, void* destination, std::uint64_t bytes)
{
    SharedGate gate(extent);
    const platform::TransferResult result = platform::readAt(fd_, destination, bytes, extent.offset + offset);
    if (!result.complete(bytes))
        throwTransferFailure(true, result, path_);
}

void PagingVolume::write(Extent& extent, std::uint64_t offset, const void* source, std::uint64_t bytes)
{
    SharedGate gate(extent);
    const platform::TransferResult result = platform::writeAt(fd_, source, bytes, extent.offset + offset);
    if (!result.complete(bytes))
        throwTransferFailure(false, result, path_);
}

void PagingVolume::compact()
{
    // 1. Merge free neighbours.
    for (std::size_t i = 0; i + 1 < freeList_.size();)
    {
        Extent& here = *freeList_[i];
        const Extent& next = *freeList_[i + 1];
        if (here.offset + here.size == next.offset)
        {
            here.size += next.size;
            freeList_.erase(freeList_.begin() + static_cast<std::ptrdiff_t>(i + 1));
        }
        else
            ++i;
    }
    if (freeList_.empty())
        return;

    // 2. Move every extent in use above the lowest free one down into it;
    // the free stretch climbs past each moved extent and absorbs the free
    // ones it meets.
    Extent& hole = *freeList_.front();
    for (auto& owned : inUse_)
    {
        Extent& extent = *owned;
        if (extent.offset < hole.offset)
            continue;
        if (!extent.gate.lockExclusive(platform::kWaitForever))
            return; // held by a transfer of this thread: leave the rest in place
        try
        {
            copyDown(extent, hole.offset);
        }
        catch (...)
        {
            extent.gate.unlockExclusive();
            throw;
        }
        extent.offset = hole.offset;
        hole.offset += extent.size;
        extent.gate.unlockExclusive();
        while (freeList_.size() > 1 && hole.offset + hole.size == freeList_[1]->offset)
        {
            hole.size += freeList_[1]->size;
            freeList_.erase(freeList_.begin() + 1);
        }
    }

    // 3. The one free stretch left lies at the top: cut the file there.
    if (freeList_.size() == 1 && hole.offset + hole.size == end_)
    {
        end_ = hole.offset;
        freeList_.clear();
        freeBytes_ = 0;
        [[maybe_unused]] const bool cut = ::ftruncate(fd_, static_cast<off_t>(end_)) == 0;
    }
}

void PagingVolume::copyDown(Extent& extent, std::uint64_t target)
{
    struct stat info{};
    const std::uint64_t fileLength = ::fstat(fd_, &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
    // Bytes past the end of the file were never written: nothing to carry.
    const std::uint64_t stored =
        fileLength > extent.offset ? std::min(extent.size, fileLength - extent.offset) : 0;
    std::vector<unsigned char> buffer(static_cast<std::size_t>(std::min(stored, kCopyChunk)));
    // Ascending chunks are safe: the target lies below the source.
    for (std::uint64_t done = 0; done < stored;)
    {
        const std::uint64_t chunk = std::min(stored - done, kCopyChunk);
        const platform::TransferResult in = platform::readAt(fd_, buffer.data(), chunk, extent.offset + done);
        if (!in.complete(chunk))
            throwTransferFailure(true, in, path_);
        const platform::TransferResult out = platform::writeAt(fd_, buffer.data(), chunk, target + done);
        if (!out.complete(chunk))
            throwTransferFailure(false, out, path_);
        done += chunk;
    }
}

std::uint64_t PagingVolume::sizeLimit() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return sizeLimit_;
}

std::uint64_t PagingVolume::end() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return end_;
}

std::uint64_t PagingVolume::freeBytes() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return freeBytes_;
}

std::uint64_t PagingVolume::fileSize() const
{
    struct stat info{};
    return ::fstat(fd_, &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

std::size_t PagingVolume::extentsInUse() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return inUse_.size();
}

std::size_t PagingVolume::freeExtents() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return freeList_.size();
}

} // namespace Omvi
