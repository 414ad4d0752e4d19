#include "imaging/platform/ScratchFile.h"
#include "imaging/platform/WindowsRunTime.h"
#include "platform_fixtures.h"

#include "platform/kernel/Files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace Omvi;
using namespace imaging_testing;

namespace
{
// A fresh file in the temporary folder with the given contents, removed at
// the end of the scope.
struct TempFile
{
    FileSpecifier spec;
    explicit TempFile(const std::string& contents = "")
    {
        spec = makeScratchFileSpecifier("rtt");
        std::ofstream(spec.nativePath(), std::ios::binary) << contents;
    }
    ~TempFile() { ::unlink(spec.nativePath().c_str()); }
    std::string contents() const
    {
        std::ifstream in(spec.nativePath(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

FileSpecifier specOf(const std::string& path)
{
    return FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile);
}
} // namespace

TEST(WindowsRunTime, FilesAreOpenedByIdAndIdsComeBackAfterClosing)
{
    WindowsRunTime runtime;
    TempFile file("0123456789");
    EXPECT_EQ(runtime.openFileForRead(FileSpecifier()), -1) << "a stream specifier names no file";
    EXPECT_EQ(runtime.openFileForRead(FileSpecifier(AsciiStringBuffer(file.spec.nativePath()), 1)), -1);
    EXPECT_EQ(runtime.openFileForRead(specOf(file.spec.nativePath() + ".none")), -1);
    EXPECT_EQ(runtime.openFileForRead(specOf("/tmp")), -1) << "a folder is not a file";

    const std::int32_t first = runtime.openFileForRead(file.spec);
    const std::int32_t second = runtime.openFileForRead(file.spec);
    EXPECT_GE(first, 1);
    EXPECT_NE(first, second);
    runtime.closeFile(first);
    runtime.closeFile(first); // closing twice does nothing
    runtime.closeFile(12345);
    EXPECT_EQ(runtime.openFileForRead(file.spec), first) << "a closed id is handed out again";
}

TEST(WindowsRunTime, CreatingNeverTouchesAnExistingFile)
{
    WindowsRunTime runtime;
    TempFile existing("keep me");
    EXPECT_EQ(runtime.createFileForWrite(existing.spec), -1);
    EXPECT_EQ(runtime.createTemporaryFile(existing.spec), -1) << "not an empty placeholder";
    EXPECT_EQ(existing.contents(), "keep me");

    const std::string link = existing.spec.nativePath() + ".lnk";
    ASSERT_EQ(::symlink(existing.spec.nativePath().c_str(), link.c_str()), 0);
    EXPECT_EQ(runtime.createTemporaryFile(specOf(link)), -1) << "a link is not followed";
    EXPECT_EQ(runtime.createFileForWrite(specOf(link)), -1);
    ::unlink(link.c_str());
    EXPECT_EQ(existing.contents(), "keep me");

    const std::string fresh = existing.spec.nativePath() + ".new";
    const std::int32_t id = runtime.createFileForWrite(specOf(fresh));
    EXPECT_GE(id, 1);
    struct stat info{};
    EXPECT_EQ(::stat(fresh.c_str(), &info), 0);
    runtime.closeFile(id);
    ::unlink(fresh.c_str());
}

TEST(WindowsRunTime, TemporaryFilesVanishAsSoonAsTheyAreMade)
{
    WindowsRunTime runtime;
    const FileSpecifier placeholder = makeScratchFileSpecifier("IMG");
    ASSERT_TRUE(placeholder.isUsable());
    EXPECT_TRUE(fileExists(placeholder));
    const std::int32_t id = runtime.createTemporaryFile(placeholder);
    ASSERT_GE(id, 1);
    EXPECT_FALSE(fileExists(placeholder)) << "deleted while open, like a delete-on-close file";

    const char data[] = "page data";
    FileIOTicket* written = runtime.writeAsync(data, sizeof data, 0, 0, id);
    EXPECT_TRUE(written->wait());
    runtime.releaseTicket(written);
    char back[sizeof data] = {};
    FileIOTicket* read = runtime.readAsync(back, sizeof back, 0, 0, id);
    EXPECT_TRUE(read->wait(0));
    EXPECT_STREQ(back, "page data");
    runtime.releaseTicket(read);
    runtime.closeFile(id);

    EXPECT_EQ(runtime.createTemporaryFile(specOf("/no/such/folder/IMG1")), -1);
}

TEST(WindowsRunTime, FileSizesAreSetAndUnknownIdsRefused)
{
    WindowsRunTime runtime;
    const std::int32_t id = runtime.createTemporaryFile(makeScratchFileSpecifier("IMG"));
    ASSERT_GE(id, 1);
    EXPECT_EQ(runtime.setFileSize(id, 100000), 100000);
    EXPECT_EQ(runtime.setFileSize(id, 10), 10);
    EXPECT_EQ(runtime.setFileSize(id, -1), -1);
    EXPECT_EQ(runtime.setFileSize(999, 10), -1) << "an unknown id is answered, not followed";
    runtime.closeFile(id);
    EXPECT_EQ(runtime.setFileSize(id, 10), -1);
}

TEST(WindowsRunTime, TransferFailuresAreReportedOnTheirTickets)
{
    WindowsRunTime runtime;
    TempFile file("0123456789");
    const std::int32_t id = runtime.openFileForRead(file.spec);
    ASSERT_GE(id, 1);

    char buffer[32] = {};
    FileIOTicket* ok = runtime.readAsync(buffer, 10, 0, 0, id);
    EXPECT_EQ(ok->state(), FileIOTicket::kComplete);
    EXPECT_EQ(ok->errorCode(), FileIOTicket::kNoError);
    EXPECT_EQ(ok->bytesTransferred(), 10u);
    EXPECT_EQ(ok->buffer(), buffer) << "held until released";
    EXPECT_EQ(std::memcmp(buffer, "0123456789", 10), 0);
    runtime.releaseTicket(ok);
    EXPECT_EQ(ok->buffer(), nullptr);

    FileIOTicket* shortRead = runtime.readAsync(buffer, 32, 4, 0, id);
    EXPECT_EQ(shortRead->state(), FileIOTicket::kFailed);
    EXPECT_EQ(shortRead->errorCode(), FileIOTicket::kEndOfFile);
    EXPECT_EQ(shortRead->bytesTransferred(), 6u) << "what was there was read";
    EXPECT_FALSE(shortRead->wait(kInfinite)) << "answers at once";
    EXPECT_EQ(shortRead->buffer(), nullptr) << "a failed ticket is free again";

    FileIOTicket* farAway = runtime.readAsync(buffer, 4, 0, 1, id);
    EXPECT_EQ(farAway->errorCode(), FileIOTicket::kEndOfFile) << "offset 4 GB lies past the end";
    EXPECT_EQ(farAway->bytesTransferred(), 0u);

    FileIOTicket* noFile = runtime.readAsync(buffer, 4, 0, 0, 77);
    EXPECT_EQ(noFile->errorCode(), FileIOTicket::kNoSuchFile);
    EXPECT_FALSE(noFile->wait());

    FileIOTicket* readOnly = runtime.writeAsync("x", 1, 0, 0, id);
    EXPECT_EQ(readOnly->errorCode(), FileIOTicket::kOtherError) << "the file is open for reading only";
    EXPECT_EQ(runtime.ticketsInUse(), 0);
    runtime.closeFile(id);
}

TEST(WindowsRunTime, AFullDiskIsErrorThreeWithWhatFitted)
{
    WindowsRunTime runtime;
    const std::int32_t id = runtime.createTemporaryFile(makeScratchFileSpecifier("IMG"));
    ASSERT_GE(id, 1);
    std::vector<char> data(8192, 'd');
    FileSizeLimit limit(4096);
    FileIOTicket* ticket = runtime.writeAsync(data.data(), 8192, 1024, 0, id);
    EXPECT_EQ(ticket->state(), FileIOTicket::kFailed);
    EXPECT_EQ(ticket->errorCode(), FileIOTicket::kDiskFull);
    EXPECT_EQ(ticket->bytesTransferred(), 3072u);
    EXPECT_NE(ticket->systemError(), 0);
    runtime.closeFile(id);
}

TEST(WindowsRunTime, AFullTicketTableFailsTheNextTransferInsteadOfWaiting)
{
    WindowsRunTime runtime;
    TempFile file(std::string(4096, 'a'));
    const std::int32_t id = runtime.openFileForRead(file.spec);
    std::vector<char> buffer(WindowsRunTime::kTicketCount + 1);
    std::vector<FileIOTicket*> held;
    for (int i = 0; i < WindowsRunTime::kTicketCount; ++i)
    {
        held.push_back(runtime.readAsync(&buffer[static_cast<std::size_t>(i)], 1, static_cast<std::uint32_t>(i), 0, id));
        ASSERT_EQ(held.back()->state(), FileIOTicket::kComplete);
    }
    EXPECT_EQ(runtime.ticketsInUse(), WindowsRunTime::kTicketCount);
    FileIOTicket* refused = runtime.readAsync(&buffer[200], 1, 0, 0, id);
    EXPECT_EQ(refused->state(), FileIOTicket::kFailed);
    EXPECT_EQ(refused->errorCode(), FileIOTicket::kOtherError);
    EXPECT_FALSE(refused->wait());
    runtime.releaseTicket(refused); // harmless

    runtime.releaseTicket(held[17]);
    FileIOTicket* next = runtime.readAsync(&buffer[200], 1, 0, 0, id);
    EXPECT_EQ(next, held[17]) << "the freed ticket is taken again";
    EXPECT_TRUE(next->wait());
    for (FileIOTicket* ticket : held)
        runtime.releaseTicket(ticket);
    EXPECT_EQ(runtime.ticketsInUse(), 0);
    runtime.closeFile(id);
}

TEST(WindowsRunTime, FreeSpaceIsClampedOnFatVolumes)
{
    WindowsRunTime runtime;
    const FileSpecifier somewhere = specOf("/tmp/IMGx");
    {
        ScopedVolume fat32(platform::FileSystemKind::Fat32, 50ull << 30);
        EXPECT_EQ(runtime.getFreeDiskSpace(somewhere), 0xFFFFFFFEull);
    }
    {
        ScopedVolume fat16(platform::FileSystemKind::Fat16, 50ull << 30);
        EXPECT_EQ(runtime.getFreeDiskSpace(somewhere), 0x7FFFFFFEull);
    }
    {
        ScopedVolume small(platform::FileSystemKind::Fat32, 1000);
        EXPECT_EQ(runtime.getFreeDiskSpace(somewhere), 1000u);
    }
    {
        ScopedVolume other(platform::FileSystemKind::Other, 50ull << 30);
        EXPECT_EQ(runtime.getFreeDiskSpace(somewhere), 50ull << 30);
    }
    EXPECT_EQ(runtime.getFreeDiskSpace(FileSpecifier()), 0u);
    EXPECT_GT(runtime.getFreeDiskSpace(somewhere), 0u) << "measured";
}

TEST(WindowsRunTime, MemoryFiguresAreInKilobytesAndSaturate)
{
    WindowsRunTime runtime;
    std::uint32_t total = 0, available = 0;
    {
        ScopedMemory memory(256ull << 20, 64ull << 20);
        EXPECT_TRUE(runtime.getMemoryStatus(total, available));
        EXPECT_EQ(total, 262144u);
        EXPECT_EQ(available, 65536u);
    }
    {
        ScopedMemory huge(1ull << 50, 1ull << 50);
        runtime.getMemoryStatus(total, available);
        EXPECT_EQ(total, UINT32_MAX) << "more than 32 bits of KB saturate instead of wrapping";
    }
}

TEST(WindowsRunTime, LoggingIsOnlyForExactlyOne)
{
    WindowsRunTime runtime;
    const char* saved = std::getenv("OMVILOGGING");
    const std::string keep = saved ? saved : "";
    struct Case
    {
        const char* value;
        bool on;
    };
    for (const Case& c : {Case{"1", true}, Case{"1 ", false}, Case{"11", false}, Case{"", false}, Case{"0", false},
                          Case{" 1", false}})
    {
        ::setenv("OMVILOGGING", c.value, 1);
        EXPECT_EQ(runtime.isLoggingEnabled(), c.on) << "\"" << c.value << "\"";
    }
    ::unsetenv("OMVILOGGING");
    EXPECT_FALSE(runtime.isLoggingEnabled());
    if (saved)
        ::setenv("OMVILOGGING", keep.c_str(), 1);
}

TEST(WindowsRunTime, ServicesAndFactories)
{
    const std::unique_ptr<RunTimeInterface> runtime = createWindowsRunTime();
    EXPECT_DOUBLE_EQ(runtime->hypotenuse(3, 4), 5);
    std::unique_ptr<ReadManyWriteOneLock> rw(runtime->createReadWriteLock());
    std::unique_ptr<MutexLock> mutex(runtime->createMutexLock());
    std::unique_ptr<Event> event(runtime->createEvent());
    ASSERT_TRUE(rw && mutex && event);
    EXPECT_EQ(mutex->lock(), MutexLock::kAcquired);
    EXPECT_EQ(mutex->lock(), MutexLock::kAcquired) << "recursive for its owner";
    mutex->unlock();
    mutex->unlock();

    testing::internal::CaptureStderr();
    runtime->assertFailed("rows > 0", "TiledImage.cpp", 42);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("rows > 0"), std::string::npos);
    EXPECT_NE(said.find("42"), std::string::npos);

    std::unique_ptr<Heap> heap(runtime->createHeap(64, 4));
    ASSERT_TRUE(heap);
    EXPECT_EQ(heap->blockSize(), 65536);
    EXPECT_EQ(runtime->createHeap(0, 4), nullptr);
}

TEST(ScratchFile, CreationFailuresMapToTheirCodes)
{
    EXPECT_EQ(creationFailureCode(ENOENT), 0);
    EXPECT_EQ(creationFailureCode(EACCES), 1);
    EXPECT_EQ(creationFailureCode(EPERM), 1);
    EXPECT_EQ(creationFailureCode(EBUSY), 1);
    EXPECT_EQ(creationFailureCode(EROFS), 2);
    EXPECT_EQ(creationFailureCode(EIO), 3);
    EXPECT_EQ(creationFailureCode(ENOSPC), 3);
}
