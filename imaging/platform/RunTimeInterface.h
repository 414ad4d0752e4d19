#pragma once
// The library's gateway to the operating system: memory and disk figures,
// files addressed by small integer ids, page transfers that hand back
// tickets, the synchronisation objects, block heaps, an assertion hook and
// the logging switch.
#include "imaging/FileSpecifier.h"
#include "imaging/platform/Heap.h"
#include "imaging/platform/Locks.h"

#include <cstdint>

namespace Omvi
{

// The ticket of one transfer. Transfers run to their end before the ticket
// is handed back, so `wait` answers at once.
class FileIOTicket
{
public:
    enum State : std::int32_t
    {
        kFailed = 0,
        kComplete = 1,
        kPending = 2
    };
    enum Error : std::int32_t
    {
        kNoError = 0,
        kNoSuchFile = 1,
        kEndOfFile = 2, // a read met the end of the file
        kDiskFull = 3,  // a write found no room
        kOtherError = 4 // anything else, a full ticket table included
    };

    virtual ~FileIOTicket() = default;
    // The caller's buffer; null marks a free ticket (a failed one is free
    // again at once).
    virtual const void* buffer() const = 0;
    // True when the transfer completed.
    virtual bool wait(std::uint32_t timeoutMs) = 0;
    virtual bool wait() = 0;
    virtual std::int32_t state() const = 0;
    virtual std::int32_t errorCode() const = 0;
    // How far the transfer got, and the system error number that stopped it.
    virtual std::uint64_t bytesTransferred() const = 0;
    virtual int systemError() const = 0;
};

class RunTimeInterface
{
public:
    static constexpr std::int32_t kNoFile = -1;

    virtual ~RunTimeInterface() = default;
    virtual double hypotenuse(double x, double y) = 0;
    virtual ReadManyWriteOneLock* createReadWriteLock() = 0;
    virtual MutexLock* createMutexLock() = 0;
    virtual Event* createEvent() = 0;
    // Total and available physical memory in KB.
    virtual bool getMemoryStatus(std::uint32_t& totalKilobytes, std::uint32_t& availableKilobytes) = 0;
    virtual Heap* createHeap(std::int32_t blockKilobytes, std::int32_t blockCount) = 0;
    // Bytes free on the volume of the specifier's path, within what one file
    // of that volume can hold.
    virtual std::uint64_t getFreeDiskSpace(const FileSpecifier& file) = 0;
    virtual std::int32_t openFileForRead(const FileSpecifier& file) = 0;
    // A new file; an existing one is not touched (kNoFile).
    virtual std::int32_t createFileForWrite(const FileSpecifier& file) = 0;
    // A scratch file that disappears when it is closed.
    virtual std::int32_t createTemporaryFile(const FileSpecifier& file) = 0;
    // Sets the file's length and answers the length it now has; -1 for an
    // unknown id or a negative size.
    virtual std::int64_t setFileSize(std::int32_t fileId, std::int64_t size) = 0;
    virtual void closeFile(std::int32_t fileId) = 0;
    virtual FileIOTicket* readAsync(void* buffer, std::uint32_t count, std::uint32_t offsetLow,
                                    std::uint32_t offsetHigh, std::int32_t fileId) = 0;
    virtual FileIOTicket* writeAsync(const void* buffer, std::uint32_t count, std::uint32_t offsetLow,
                                     std::uint32_t offsetHigh, std::int32_t fileId) = 0;
    virtual void releaseTicket(FileIOTicket* ticket) = 0;
    // Reports a failed internal check and returns; it never ends the host.
    virtual void assertFailed(const char* expression, const char* fileName, int line) = 0;
    // True when the environment variable "OMVILOGGING" is exactly "1".
    virtual bool isLoggingEnabled() = 0;
};

} // namespace Omvi
