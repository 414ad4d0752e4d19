#pragma once
// The runtime over the platform's kernel stand-ins. Transfers are
// synchronous: the ticket comes back complete, or failed with its error code
// and already free again. A full ticket table yields a failed ticket instead
// of a wait.
#include "imaging/platform/RunTimeInterface.h"

#include "platform/kernel/Volume.h"

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Omvi
{

class WinFileIOTicket : public FileIOTicket
{
public:
    const void* buffer() const override;
    bool wait(std::uint32_t timeoutMs) override;
    bool wait() override;
    std::int32_t state() const override;
    std::int32_t errorCode() const override;
    std::uint64_t bytesTransferred() const override;
    int systemError() const override;

private:
    friend class WindowsRunTime;

    const void* buffer_ = nullptr;
    std::uint64_t offset_ = 0;
    std::int32_t state_ = kPending;
    std::int32_t error_ = kNoError;
    std::uint64_t bytes_ = 0;
    int systemError_ = 0;
};

// Open files by id: ids freed by closing are handed out again.
class FileIdTable
{
public:
    std::int32_t insert(int fd, std::string path);
    // The file's descriptor, or -1 for an id not in the table.
    int lookup(std::int32_t id) const;
    // Removes the id and answers its descriptor (-1 when absent).
    int remove(std::int32_t id);
    std::vector<int> removeAll();

private:
    struct OpenFileRecord
    {
        int fd = -1;
        std::string path;
    };

    mutable std::mutex lock_;
    std::map<std::int32_t, OpenFileRecord> files_;
    std::vector<std::int32_t> spareIds_;
    std::int32_t lastId_ = 0;
};

class WindowsRunTime : public RunTimeInterface
{
public:
    static constexpr int kTicketCount = 200;

    WindowsRunTime();
    ~WindowsRunTime() override;

    double hypotenuse(double x, double y) override;
    ReadManyWriteOneLock* createReadWriteLock() override;
    MutexLock* createMutexLock() override;
    Event* createEvent() override;
    bool getMemoryStatus(std::uint32_t& totalKilobytes, std::uint32_t& availableKilobytes) override;
    Heap* createHeap(std::int32_t blockKilobytes, std::int32_t blockCount) override;
    std::uint64_t getFreeDiskSpace(const FileSpecifier& file) override;
    std::int32_t openFileForRead(const FileSpecifier& file) override;
    std::int32_t createFileForWrite(const FileSpecifier& file) override;
    std::int32_t createTemporaryFile(const FileSpecifier& file) override;
    std::int64_t setFileSize(std::int32_t fileId, std::int64_t size) override;
    void closeFile(std::int32_t fileId) override;
    FileIOTicket* readAsync(void* buffer, std::uint32_t count, std::uint32_t offsetLow,
                            std::uint32_t offsetHigh, std::int32_t fileId) override;
    FileIOTicket* writeAsync(const void* buffer, std::uint32_t count, std::uint32_t offsetLow,
                             std::uint32_t offsetHigh, std::int32_t fileId) override;
    void releaseTicket(FileIOTicket* ticket) override;
    void assertFailed(const char* expression, const char* fileName, int line) override;
    bool isLoggingEnabled() override;

    // Tickets taken and not yet released.
    int ticketsInUse() const;

private:
    WinFileIOTicket* takeTicket(const void* buffer, std::uint64_t offset);
    FileIOTicket* transfer(void* readInto, const void* writeFrom, std::uint32_t count, std::uint32_t offsetLow,
                           std::uint32_t offsetHigh, std::int32_t fileId);
    std::int32_t remember(int fd, const FileSpecifier& file);

    mutable std::mutex ticketLock_;
    std::array<WinFileIOTicket, kTicketCount> tickets_;
    // Handed out when every ticket is taken: failed, never in the table.
    WinFileIOTicket exhausted_;
    FileIdTable files_;
};

// Free bytes within what one file of the volume can hold: FAT volumes stop
// a file just short of 2 GB (FAT16) or 4 GB (FAT32).
std::uint64_t clampedFreeSpace(const platform::VolumeFigures& figures);

std::unique_ptr<RunTimeInterface> createWindowsRunTime();

} // namespace Omvi
