// What a failure tells its reader (the operation, the file, the system's
// reason, the ZIP format's limits), and the list of temporary files that an
// interrupted process removes.
#include "dwfcore/StreamFileDescriptor.h"
#include "dwfcore/SystemError.h"
#include "dwfcore/TempFile.h"
#include "dwfcore/TempFileRegistry.h"
#include "dwfcore/zip/Format.h"
#include "dwfcore/zip/ZipFileDescriptor.h"

#include "ZipTestSupport.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <optional>
#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace DWFCore;
using namespace ziptest;

namespace
{

std::string utf8(const char16_t* text)
{
    return DWFString(text).toUTF8();
}

// Runs `body` in a child process; answers its wait status.
template <class Body> int InChild(Body body)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0)
    {
        body();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

TEST(SystemError, NamesTheOperationTheFileAndTheReason)
{
    EXPECT_EQ(describeSystemError(u"File write error", "/data/out.dwf", ENOSPC).toUTF8(),
              "File write error '/data/out.dwf': No space left on device");
    EXPECT_EQ(describeSystemError(u"Failed to open", EACCES).toUTF8(),
              "Failed to open: Permission denied");
    // A call that failed without an errno is no success.
    EXPECT_EQ(describeSystemError(u"File close error", "/data/out.dwf", 0).toUTF8(),
              "File close error '/data/out.dwf': Input/output error");

    // A path too long for the message keeps its start, its end and the reason.
    const std::string path = "/start" + std::string(2000, 'm') + "/the-file.dwf";
    const std::string text = describeSystemError(u"File write error", path, EROFS).toUTF8();
    EXPECT_LE(DWFString(text.c_str()).chars(), DWFException::kMessageCapacity - 1);
    EXPECT_EQ(text.rfind("File write error '/start", 0), 0u) << text;
    EXPECT_NE(text.find("...m"), std::string::npos) << text;
    EXPECT_NE(text.find("/the-file.dwf': Read-only file system"), std::string::npos) << text;
    // ... and the whole text goes into an exception without being cut.
    try
    {
        DWFCORE_THROW_SYSTEM(DWFIOException, u"File write error", path, EROFS, "test");
    }
    catch (const DWFException& e)
    {
        EXPECT_EQ(utf8(e.message()), text);
    }
}

TEST(SystemError, FileFailuresCarryPathAndReason)
{
    ScratchDir dir;
    const std::string missing = dir.file("none/x.bin");
    DWFStreamFileDescriptor reader(DWFFile(missing.c_str()), DWFString(u"rb"));
    try
    {
        reader.open();
        ADD_FAILURE() << "opened a missing file";
    }
    catch (const DWFIOException& e)
    {
        EXPECT_EQ(utf8(e.message()),
                  "Failed to open file '" + missing + "': No such file or directory");
    }

    if (!fileExists("/dev/full"))
    {
        GTEST_SKIP() << "/dev/full is not available";
    }
    DWFStreamFileDescriptor full(DWFFile("/dev/full"), DWFString(u"wb"));
    full.open();
    full.write("x", 1);
    try
    {
        full.flush();
        ADD_FAILURE() << "flushed into a full device";
    }
    catch (const DWFIOException& e)
    {
        EXPECT_EQ(utf8(e.message()), "File flush error '/dev/full': No space left on device");
    }

    // A ZIP archive on a full device closes with the device's reason.
    DWFZipFileDescriptor zip(DWFFile("/dev/full"), 6);
    zip.open();
    try
    {
        std::unique_ptr<DWFZippingOutputStream> entry(zip.zip(DWFString(u"a")));
        entry->write("abc", 3);
        entry->close();
        zip.close();
        ADD_FAILURE() << "closed an archive on a full device";
    }
    catch (const DWFIOException& e)
    {
        EXPECT_NE(utf8(e.message()).find("'/dev/full': No space left on device"),
                  std::string::npos)
            << utf8(e.message());
    }
}

TEST(SystemError, AShortWriteFailsWithTheErrnoOfItsCall)
{
    // A stream whose room ends mid-write: the C library takes what fits and
    // reports fewer bytes. Whatever the stream's error flag says, the bytes
    // not taken are a failure, with the call's errno or, when it set none,
    // an I/O error.
    char room[8];
    FILE* memory = ::fmemopen(room, sizeof room, "wb");
    ASSERT_NE(memory, nullptr);
    std::setvbuf(memory, nullptr, _IONBF, 0);
    DWFStreamFileDescriptor small(DWFFile("/memory/room"), DWFString(u"wb"), memory);
    errno = 0;
    try
    {
        small.write("twelve bytes", 12);
        ADD_FAILURE() << "a short write passed";
    }
    catch (const DWFIOException& e)
    {
        const std::string message = utf8(e.message());
        EXPECT_TRUE(message == "File write error '/memory/room': No space left on device" ||
                    message == "File write error '/memory/room': Input/output error")
            << message;
    }
}

class TemporaryFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("TMPDIR"))
            _saved = old;
        ::setenv("TMPDIR", _dir.path().c_str(), 1);
    }
    void TearDown() override
    {
        if (_saved)
            ::setenv("TMPDIR", _saved->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }
    std::string listing() const { return runTool("ls -A '" + _dir.path() + "'").output; }

    ScratchDir _dir;
    std::optional<std::string> _saved;
};

TEST_F(TemporaryFolder, AMissingFolderIsNamedWithTheReason)
{
    const std::string gone = _dir.file("gone");
    ::setenv("TMPDIR", gone.c_str(), 1);
    try
    {
        std::unique_ptr<DWFTempFile> temp(DWFTempFile::Create(DWFString(u"p"), true));
        ADD_FAILURE() << "created a file in a missing folder";
    }
    catch (const DWFIOException& e)
    {
        EXPECT_EQ(utf8(e.message()), "Failed to create a temporary file in '" + gone +
                                         "/': No such file or directory");
    }
    EXPECT_EQ(DWFTempFileRegistry::count(), 0u);
}

TEST_F(TemporaryFolder, TemporaryFilesAreListedWhileTheyExist)
{
    const std::size_t before = DWFTempFileRegistry::count();
    std::string kept;
    {
        std::unique_ptr<DWFTempFile> removed(DWFTempFile::Create(DWFString(u"gone"), true));
        std::unique_ptr<DWFTempFile> keep(DWFTempFile::Create(DWFString(u"kept"), false));
        kept = keep->file().nativePath();
        EXPECT_TRUE(DWFTempFileRegistry::listed(removed->file().nativePath()));
        EXPECT_TRUE(DWFTempFileRegistry::listed(kept));
        EXPECT_EQ(DWFTempFileRegistry::count(), before + 2);
    }
    // A kept file is the caller's from then on: off the list, still there.
    EXPECT_EQ(DWFTempFileRegistry::count(), before);
    EXPECT_FALSE(DWFTempFileRegistry::listed(kept));
    EXPECT_TRUE(fileExists(kept));
    std::remove(kept.c_str());

    // Made, renamed over a target and removed, each in one step.
    std::string a = _dir.file("a-XXXXXX.txt");
    const int fd = DWFTempFileRegistry::create(a, 4);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(a.substr(a.size() - 4), ".txt");
    EXPECT_TRUE(DWFTempFileRegistry::listed(a));
    const std::string target = _dir.file("target");
    ASSERT_TRUE(DWFTempFileRegistry::renameOver(a, target));
    EXPECT_FALSE(DWFTempFileRegistry::listed(a));
    EXPECT_TRUE(fileExists(target));

    std::string b = _dir.file("b-XXXXXX");
    ::close(DWFTempFileRegistry::create(b));
    EXPECT_FALSE(DWFTempFileRegistry::renameOver(b, _dir.file("no/such/folder")));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_TRUE(DWFTempFileRegistry::listed(b));
    EXPECT_TRUE(DWFTempFileRegistry::remove(b));
    EXPECT_FALSE(fileExists(b));
    // Removing what is already gone is no failure.
    EXPECT_TRUE(DWFTempFileRegistry::remove(b));
    EXPECT_EQ(DWFTempFileRegistry::count(), before);

    std::string bad = _dir.file("none/c-XXXXXX");
    EXPECT_EQ(DWFTempFileRegistry::create(bad), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(DWFTempFileRegistry::count(), before);
}

TEST_F(TemporaryFolder, ManyFilesAreListedAndRemovedInAnyOrder)
{
    const std::size_t before = DWFTempFileRegistry::count();
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i)
    {
        names.push_back(_dir.file("m-XXXXXX"));
        ::close(DWFTempFileRegistry::create(names.back()));
    }
    EXPECT_EQ(DWFTempFileRegistry::count(), before + 300);
    // Every other one first, then the rest from the front.
    for (std::size_t i = 1; i < names.size(); i += 2)
        EXPECT_TRUE(DWFTempFileRegistry::remove(names[i]));
    EXPECT_EQ(DWFTempFileRegistry::count(), before + 150);
    for (std::size_t i = 0; i < names.size(); i += 2)
    {
        EXPECT_TRUE(DWFTempFileRegistry::listed(names[i]));
        EXPECT_TRUE(DWFTempFileRegistry::remove(names[i]));
    }
    EXPECT_EQ(DWFTempFileRegistry::count(), before);
    EXPECT_EQ(listing(), "");
}

TEST_F(TemporaryFolder, FoldersAndTheNamesClaimedInThemGoWithASignal)
{
    const std::size_t before = DWFTempFileRegistry::count();
    // Listed while they exist, each step undone on failure.
    std::string folder = _dir.file("f-XXXXXX");
    ASSERT_TRUE(DWFTempFileRegistry::createFolder(folder));
    EXPECT_TRUE(DWFTempFileRegistry::listed(folder));
    const std::string inner = folder + "/1";
    ASSERT_TRUE(DWFTempFileRegistry::makeFolder(inner));
    EXPECT_FALSE(DWFTempFileRegistry::makeFolder(inner));
    EXPECT_EQ(errno, EEXIST);
    const std::string file = inner + "/t.jpg";
    EXPECT_TRUE(DWFTempFileRegistry::claim(file));
    EXPECT_TRUE(DWFTempFileRegistry::claim(file)); // listed once
    EXPECT_EQ(DWFTempFileRegistry::count(), before + 3);
    std::string missing = _dir.file("none/f-XXXXXX");
    EXPECT_FALSE(DWFTempFileRegistry::createFolder(missing));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(DWFTempFileRegistry::count(), before + 3);
    // A folder that is not empty stays, and stays listed.
    std::ofstream(file) << "converted";
    EXPECT_FALSE(DWFTempFileRegistry::removeFolder(inner));
    EXPECT_TRUE(DWFTempFileRegistry::listed(inner));
    EXPECT_TRUE(DWFTempFileRegistry::remove(file));
    EXPECT_TRUE(DWFTempFileRegistry::removeFolder(inner));
    EXPECT_TRUE(DWFTempFileRegistry::removeFolder(folder));
    EXPECT_EQ(DWFTempFileRegistry::count(), before);
    EXPECT_EQ(listing(), "");

    for (int signal : {SIGINT, SIGTERM, SIGHUP})
    {
        SCOPED_TRACE(signal);
        const int status = InChild(
            [&]
            {
                std::signal(signal, SIG_DFL);
                DWFTempFileRegistry::removeOnSignals();
                // A folder holding a file and a subfolder with files, one
                // claimed name never created.
                std::string top = _dir.file("tex-XXXXXX");
                DWFTempFileRegistry::createFolder(top);
                DWFTempFileRegistry::claim(top + "/a.jpg");
                std::ofstream(top + "/a.jpg") << "a";
                DWFTempFileRegistry::makeFolder(top + "/1");
                DWFTempFileRegistry::claim(top + "/1/a.jpg");
                std::ofstream(top + "/1/a.jpg") << "a";
                DWFTempFileRegistry::claim(top + "/1/b.jpg");
                std::string stream = _dir.file("w3d-XXXXXX");
                ::close(DWFTempFileRegistry::create(stream));
                ::raise(signal);
                ::_exit(3); // never reached
            });
        ASSERT_TRUE(WIFSIGNALED(status)) << status;
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_EQ(listing(), "");
    }
}

TEST_F(TemporaryFolder, EachSignalRemovesTheListedFilesAndEndsTheProcess)
{
    std::string outside = _dir.file("not-ours");
    std::ofstream(outside) << "kept";
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
    {
        SCOPED_TRACE(signal);
        const int status = InChild(
            [&]
            {
                // Whatever the test runner set, the signal starts at its default.
                std::signal(signal, SIG_DFL);
                DWFTempFileRegistry::removeOnSignals();
                std::unique_ptr<DWFTempFile> sheet(DWFTempFile::Create(DWFString(u"s"), true));
                sheet->getOutputStream()->write("abc", 3);
                std::string other = _dir.file("pending-XXXXXX");
                ::close(DWFTempFileRegistry::create(other));
                ::raise(signal);
                ::_exit(3); // never reached
            });
        ASSERT_TRUE(WIFSIGNALED(status)) << status;
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_EQ(listing(), "not-ours\n");
    }

    // A signal that the process was started to ignore stays ignored.
    const int status = InChild(
        [&]
        {
            std::signal(SIGHUP, SIG_IGN);
            DWFTempFileRegistry::removeOnSignals();
            std::string file = _dir.file("ignored-XXXXXX");
            ::close(DWFTempFileRegistry::create(file));
            ::raise(SIGHUP);
            DWFTempFileRegistry::remove(file);
            ::_exit(7);
        });
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 7);
    EXPECT_EQ(listing(), "not-ours\n");
}

TEST_F(TemporaryFolder, ASignalAfterTheTargetWasReplacedLetsTheRunEndWithItsOwnStatus)
{
    const std::string target = _dir.file("target.dwf");
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
    {
        SCOPED_TRACE(signal);
        std::ofstream(target) << "old";
        const int status = InChild(
            [&]
            {
                std::signal(signal, SIG_DFL);
                DWFTempFileRegistry::removeOnSignals();
                std::string package = _dir.file("target.dwf.XXXXXX");
                const int fd = DWFTempFileRegistry::create(package);
                const bool written = ::write(fd, "new", 3) == 3;
                ::close(fd);
                std::string stream = _dir.file("w3d-XXXXXX");
                ::close(DWFTempFileRegistry::create(stream));
                if (!written || !DWFTempFileRegistry::renameOver(package, target))
                    ::_exit(9);
                ::raise(signal);
                // The rest of the run still happens, and its status is the
                // process's.
                DWFTempFileRegistry::remove(stream);
                ::_exit(7);
            });
        ASSERT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), 7);
        EXPECT_EQ(listing(), "target.dwf\n");
        const Bytes replaced = readFile(target);
        EXPECT_EQ(std::string(replaced.begin(), replaced.end()), "new");
    }

    // Where no signal is handled a rename leaves the signals as they were.
    sigset_t before;
    sigset_t after;
    pthread_sigmask(SIG_BLOCK, nullptr, &before);
    std::string file = _dir.file("plain-XXXXXX");
    ::close(DWFTempFileRegistry::create(file));
    ASSERT_TRUE(DWFTempFileRegistry::renameOver(file, target));
    pthread_sigmask(SIG_BLOCK, nullptr, &after);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        EXPECT_EQ(sigismember(&after, signal), sigismember(&before, signal)) << signal;
}

// The ZIP format's limits, lowered for the test so that they are reached
// without writing gigabytes.
class ZipLimitsTest : public ::testing::Test
{
protected:
    void TearDown() override { zipio::setZipLimits(zipio::ZipLimits()); }

    static std::string failureOf(const std::function<void()>& step)
    {
        try
        {
            step();
        }
        catch (const DWFOverflowException& e)
        {
            return utf8(e.message());
        }
        catch (const DWFException& e)
        {
            return "other: " + utf8(e.message());
        }
        return "no failure";
    }
};

TEST_F(ZipLimitsTest, LimitsNeverRiseAboveTheFormat)
{
    zipio::setZipLimits({1u << 20, 1ull << 40});
    EXPECT_EQ(zipio::zipLimits().entries, zipio::kMaxEntries);
    EXPECT_EQ(zipio::zipLimits().bytes, zipio::kMaxSize);
    zipio::setZipLimits({3, 1000});
    EXPECT_EQ(zipio::zipLimits().entries, 3u);
    EXPECT_EQ(zipio::zipLimits().bytes, 1000u);
}

TEST_F(ZipLimitsTest, PassingALimitSaysWhichAndStopsAtOnce)
{
    ScratchDir dir;
    zipio::setZipLimits({3, 4096});
    {
        DWFZipFileDescriptor zip(DWFFile(dir.file("many.zip").c_str()), 6);
        zip.open();
        const std::string message = failureOf(
            [&]
            {
                for (int i = 0; i < 4; ++i)
                {
                    std::unique_ptr<DWFZippingOutputStream> entry(
                        zip.zip(DWFString(std::to_string(i).c_str())));
                    entry->close();
                }
            });
        EXPECT_EQ(message, "The package would pass the ZIP format's limit of 65,535 entries");
    }
    {
        // Stored bytes that do not compress pass the size limit while they
        // are written, not when the entry is finished.
        DWFZipFileDescriptor zip(DWFFile(dir.file("large.zip").c_str()), 0);
        zip.open();
        const Bytes noise = noiseBytes(1024);
        std::size_t written = 0;
        const std::string message = failureOf(
            [&]
            {
                std::unique_ptr<DWFZippingOutputStream> entry(zip.zip(DWFString(u"big")));
                for (int i = 0; i < 100; ++i)
                {
                    entry->write(noise.data(), noise.size());
                    written += noise.size();
                }
            });
        EXPECT_EQ(message,
                  "The package would pass the ZIP format's limit of 4 GiB for an entry or the "
                  "archive");
        EXPECT_LE(written, 5u * 1024u);
        EXPECT_THROW(zip.close(), DWFException);
    }
}

} // namespace
