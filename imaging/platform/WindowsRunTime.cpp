#include "imaging/platform/WindowsRunTime.h"

#include "imaging/platform/ScratchFile.h"

#include "dwfcore/RegularFile.h"
#include "platform/kernel/FileTransfer.h"
#include "platform/kernel/Memory.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace Omvi
{

namespace
{
constexpr std::uint64_t kFat16Limit = 0x7FFFFFFEull;
constexpr std::uint64_t kFat32Limit = 0xFFFFFFFEull;

std::uint32_t kilobytes32(std::uint64_t bytes)
{
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes >> 10, UINT32_MAX));
}

bool diskFull(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}
} // namespace

// ---- tickets ----

const void* WinFileIOTicket::buffer() const
{
    return buffer_;
}

bool WinFileIOTicket::wait(std::uint32_t)
{
    return state_ == kComplete;
}

bool WinFileIOTicket::wait()
{
    return wait(kInfinite);
}

std::int32_t WinFileIOTicket::state() const
{
    return state_;
}

std::int32_t WinFileIOTicket::errorCode() const
{
    return error_;
}

std::uint64_t WinFileIOTicket::bytesTransferred() const
{
    return bytes_;
}

int WinFileIOTicket::systemError() const
{
    return systemError_;
}

// ---- file table ----

std::int32_t FileIdTable::insert(int fd, std::string path)
{
    std::lock_guard<std::mutex> hold(lock_);
    std::int32_t id;
    if (!spareIds_.empty())
    {
        id = spareIds_.back();
        spareIds_.pop_back();
    }
    else
    {
        if (lastId_ == INT32_MAX)
            return RunTimeInterface::kNoFile;
        id = ++lastId_;
    }
    files_[id] = OpenFileRecord{fd, std::move(path)};
    return id;
}

int FileIdTable::lookup(std::int32_t id) const
{
    std::lock_guard<std::mutex> hold(lock_);
    const auto found = files_.find(id);
    return found == files_.end() ? -1 : found->second.fd;
}

int FileIdTable::remove(std::int32_t id)
{
    std::lock_guard<std::mutex> hold(lock_);
    const auto found = files_.find(id);
    if (found == files_.end())
        return -1;
    const int fd = found->second.fd;
    files_.erase(found);
    spareIds_.push_back(id);
    return fd;
}

std::vector<int> FileIdTable::removeAll()
{
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<int> fds;
    for (const auto& entry : files_)
        fds.push_back(entry.second.fd);
    files_.clear();
    spareIds_.clear();
    return fds;
}

// ---- runtime ----

WindowsRunTime::WindowsRunTime()
{
    exhausted_.state_ = FileIOTicket::kFailed;
    exhausted_.error_ = FileIOTicket::kOtherError;
    exhausted_.systemError_ = EAGAIN;
}

WindowsRunTime::~WindowsRunTime()
{
    for (int fd : files_.removeAll())
        if (fd >= 0)
            ::close(fd);
}

double WindowsRunTime::hypotenuse(double x, double y)
{
    return std::hypot(x, y);
}

ReadManyWriteOneLock* WindowsRunTime::createReadWriteLock()
{
    return new (std::nothrow) WinReadWriteLock();
}

MutexLock* WindowsRunTime::createMutexLock()
{
    return new (std::nothrow) WinMutexLock();
}

Event* WindowsRunTime::createEvent()
{
    return new (std::nothrow) WinEvent();
}

bool WindowsRunTime::getMemoryStatus(std::uint32_t& totalKilobytes, std::uint32_t& availableKilobytes)
{
    const platform::MemoryStatus status = platform::memoryStatus();
    totalKilobytes = kilobytes32(status.totalPhysical);
    availableKilobytes = kilobytes32(status.availablePhysical);
    return true;
}

Heap* WindowsRunTime::createHeap(std::int32_t blockKilobytes, std::int32_t blockCount)
{
    try
    {
        return WinHeap::create(blockKilobytes, blockCount).release();
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

std::uint64_t clampedFreeSpace(const platform::VolumeFigures& figures)
{
    switch (figures.kind)
    {
    case platform::FileSystemKind::Fat16:
        return std::min(figures.freeBytes, kFat16Limit);
    case platform::FileSystemKind::Fat32:
        return std::min(figures.freeBytes, kFat32Limit);
    default:
        return figures.freeBytes;
    }
}

std::uint64_t WindowsRunTime::getFreeDiskSpace(const FileSpecifier& file)
{
    if (!file.isUsable())
        return 0;
    const auto figures = platform::volumeFigures(file.nativePath());
    return figures ? clampedFreeSpace(*figures) : 0;
}

std::int32_t WindowsRunTime::remember(int fd, const FileSpecifier& file)
{
    if (fd < 0)
        return kNoFile;
    const std::int32_t id = files_.insert(fd, file.nativePath());
    if (id == kNoFile)
        ::close(fd);
    return id;
}

std::int32_t WindowsRunTime::openFileForRead(const FileSpecifier& file)
{
    if (!file.isUsable())
        return kNoFile;
    // A pipe or a device in place of a file would block the reader.
    return remember(DWFCore::openRegularFile(file.nativePath()), file);
}

std::int32_t WindowsRunTime::createFileForWrite(const FileSpecifier& file)
{
    if (!file.isUsable())
        return kNoFile;
    return remember(::open(file.nativePath().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666),
                    file);
}

std::int32_t WindowsRunTime::createTemporaryFile(const FileSpecifier& file)
{
    if (!file.isUsable())
        return kNoFile;
    int error = 0;
    return remember(openScratchFile(file.nativePath(), error), file);
}

std::int64_t WindowsRunTime::setFileSize(std::int32_t fileId, std::int64_t size)
{
    const int fd = files_.lookup(fileId);
    if (fd < 0 || size < 0)
        return -1;
    // A failed resize leaves the file as it was; the answer is its length either way.
    [[maybe_unused]] const bool resized = ::ftruncate(fd, static_cast<off_t>(size)) == 0;
    struct stat info{};
    if (::fstat(fd, &info) != 0)
        return -1;
    return static_cast<std::int64_t>(info.st_size);
}

void WindowsRunTime::closeFile(std::int32_t fileId)
{
    const int fd = files_.remove(fileId);
    if (fd >= 0)
        ::close(fd);
}

WinFileIOTicket* WindowsRunTime::takeTicket(const void* buffer, std::uint64_t offset)
{
    std::lock_guard<std::mutex> hold(ticketLock_);
    for (WinFileIOTicket& ticket : tickets_)
    {
        if (ticket.buffer_)
            continue;
        ticket.buffer_ = buffer;
        ticket.offset_ = offset;
        ticket.state_ = FileIOTicket::kPending;
        ticket.error_ = FileIOTicket::kNoError;
        ticket.bytes_ = 0;
        ticket.systemError_ = 0;
        return &ticket;
    }
    return nullptr;
}

FileIOTicket* WindowsRunTime::transfer(void* readInto, const void* writeFrom, std::uint32_t count,
                                       std::uint32_t offsetLow, std::uint32_t offsetHigh, std::int32_t fileId)
{
    const void* buffer = readInto ? static_cast<const void*>(readInto) : writeFrom;
    if (!buffer)
        return &exhausted_;
    const std::uint64_t offset = (std::uint64_t(offsetHigh) << 32) | offsetLow;
    WinFileIOTicket* ticket = takeTicket(buffer, offset);
    if (!ticket)
        return &exhausted_;

    const int fd = files_.lookup(fileId);
    if (fd < 0)
    {
        ticket->error_ = FileIOTicket::kNoSuchFile;
    }
    else
    {
        const platform::TransferResult result = readInto ? platform::readAt(fd, readInto, count, offset)
                                                         : platform::writeAt(fd, writeFrom, count, offset);
        ticket->bytes_ = result.bytes;
        ticket->systemError_ = result.error;
        if (result.complete(count))
            ticket->state_ = FileIOTicket::kComplete;
        else if (readInto)
            ticket->error_ = result.error == 0 ? FileIOTicket::kEndOfFile : FileIOTicket::kOtherError;
        else
            ticket->error_ = diskFull(result.error) ? FileIOTicket::kDiskFull : FileIOTicket::kOtherError;
    }
    if (ticket->error_ != FileIOTicket::kNoError)
    {
        // A failed transfer gives its ticket back at once; its state and
        // error stay readable until the ticket is taken again.
        std::lock_guard<std::mutex> hold(ticketLock_);
        ticket->state_ = FileIOTicket::kFailed;
        ticket->buffer_ = nullptr;
    }
    return ticket;
}

FileIOTicket* WindowsRunTime::readAsync(void* buffer, std::uint32_t count, std::uint32_t offsetLow,
                                        std::uint32_t offsetHigh, std::int32_t fileId)
{
    return transfer(buffer, nullptr, count, offsetLow, offsetHigh, fileId);
}

FileIOTicket* WindowsRunTime::writeAsync(const void* buffer, std::uint32_t count, std::uint32_t offsetLow,
                                         std::uint32_t offsetHigh, std::int32_t fileId)
{
    return transfer(nullptr, buffer, count, offsetLow, offsetHigh, fileId);
}

void WindowsRunTime::releaseTicket(FileIOTicket* ticket)
{
    std::lock_guard<std::mutex> hold(ticketLock_);
    for (WinFileIOTicket& own : tickets_)
    {
        if (&own == ticket)
        {
            own.buffer_ = nullptr;
            own.offset_ = 0;
            return;
        }
    }
}

void WindowsRunTime::assertFailed(const char* expression, const char* fileName, int line)
{
    std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", expression ? expression : "?",
                 fileName ? fileName : "?", line);
}

bool WindowsRunTime::isLoggingEnabled()
{
    const char* value = std::getenv("OMVILOGGING");
    return value && std::strcmp(value, "1") == 0;
}

int WindowsRunTime::ticketsInUse() const
{
    std::lock_guard<std::mutex> hold(ticketLock_);
    return static_cast<int>(std::count_if(tickets_.begin(), tickets_.end(),
                                          [](const WinFileIOTicket& t) { return t.buffer_ != nullptr; }));
}

std::unique_ptr<RunTimeInterface> createWindowsRunTime()
{
    return std::make_unique<WindowsRunTime>();
}

} // namespace Omvi
