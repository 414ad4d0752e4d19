// Files that are read only when they are regular files: a FIFO, a device or
// a folder in their place is refused at once, with a reason a message can
// give, and never read or waited on.
#include "dwfcore/RegularFile.h"
#include "dwfcore/StreamFileDescriptor.h"
#include "dwfcore/SystemError.h"

#include "ZipTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace DWFCore;
using namespace ziptest;

namespace
{

class RegularFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(_dir.path().empty());
        _file = _dir.file("plain.txt");
        std::ofstream(_file) << "plain bytes";
        _link = _dir.file("link.txt");
        ASSERT_EQ(::symlink(_file.c_str(), _link.c_str()), 0);
        _fifo = _dir.file("fifo");
        ASSERT_EQ(::mkfifo(_fifo.c_str(), 0600), 0);
        _folder = _dir.file("folder");
        ASSERT_EQ(::mkdir(_folder.c_str(), 0700), 0);
        _device = _dir.file("device");
        ASSERT_EQ(::symlink("/dev/zero", _device.c_str()), 0);
    }

    // What `body` answers, run in a child that an alarm ends: an open that
    // waits fails the test (-1) instead of hanging it.
    static int guarded(const std::function<int()>& body)
    {
        int pipe[2];
        if (::pipe(pipe) != 0)
            return -1;
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child == 0)
        {
            ::alarm(20);
            const int answer = body();
            ::_exit(::write(pipe[1], &answer, sizeof answer) == sizeof answer ? 0 : 1);
        }
        ::close(pipe[1]);
        int answer = -1;
        if (::read(pipe[0], &answer, sizeof answer) != sizeof answer)
            answer = -1;
        ::close(pipe[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status)) << "the open waited (status " << status << ")";
        return answer;
    }
    // The errno of a refused open, 0 when it opened.
    static int refusal(const std::function<bool()>& open)
    {
        return guarded(
            [&]
            {
                errno = 0;
                return open() ? 0 : errno;
            });
    }

    ScratchDir _dir;
    std::string _file, _link, _fifo, _folder, _device;
};

TEST_F(RegularFiles, ARegularFileOrALinkToOneOpensBlockingAndCloseOnExec)
{
    for (const std::string& path : {_file, _link})
    {
        SCOPED_TRACE(path);
        const int fd = openRegularFile(path);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(::fcntl(fd, F_GETFL) & (O_NONBLOCK | O_ACCMODE), O_RDONLY);
        EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
        char bytes[32] = {};
        EXPECT_EQ(::read(fd, bytes, sizeof bytes), 11);
        EXPECT_STREQ(bytes, "plain bytes");
        ::close(fd);

        std::FILE* stream = openRegularFileStream(path);
        ASSERT_NE(stream, nullptr);
        char line[32] = {};
        EXPECT_NE(std::fgets(line, sizeof line, stream), nullptr);
        EXPECT_STREQ(line, "plain bytes");
        std::fclose(stream);
    }
}

TEST_F(RegularFiles, AnythingElseIsRefusedAtOnceWithItsReason)
{
    const std::pair<std::string, int> cases[] = {
        {_fifo, kNotRegularFile},
        {_device, kNotRegularFile},
        {"/dev/null", kNotRegularFile},
        {_folder, EISDIR},
        {_dir.file("gone"), ENOENT},
        {_file + "/below", ENOTDIR},
    };
    for (const auto& [path, error] : cases)
    {
        SCOPED_TRACE(path);
        EXPECT_EQ(refusal([&] { return openRegularFile(path) >= 0; }), error);
        EXPECT_EQ(refusal([&] { return openRegularFileStream(path) != nullptr; }), error);
    }
    EXPECT_EQ(fileErrorText(kNotRegularFile), "Not a regular file");
    EXPECT_EQ(fileErrorText(EISDIR), "Is a directory");
    EXPECT_EQ(fileErrorText(0), "Input/output error");
    EXPECT_EQ(describeSystemError(u"Failed to open file", "/a/fifo", kNotRegularFile).toUTF8(),
              "Failed to open file '/a/fifo': Not a regular file");
}

TEST_F(RegularFiles, AStreamOpenedToBeReadRefusesAFifoAndOneToWriteIsUnchanged)
{
    const auto failure = [](const std::string& path, const char16_t* mode) -> std::string
    {
        DWFStreamFileDescriptor descriptor(DWFFile(DWFString(path.c_str())), DWFString(mode));
        try
        {
            descriptor.open();
        }
        catch (const DWFIOException& e)
        {
            return DWFString(e.message()).toUTF8();
        }
        return "";
    };
    for (const char16_t* mode : {u"rb", u"r"})
    {
        const std::string fifo = "Failed to open file '" + _fifo + "': Not a regular file";
        EXPECT_EQ(guarded([&] { return failure(_fifo, mode) == fifo ? 1 : 0; }), 1);
        EXPECT_EQ(failure(_folder, mode), "Failed to open file '" + _folder + "': Is a directory");
        EXPECT_EQ(failure(_link, mode), "");
    }
    // A file written (or updated) is the caller's own: its kind is not asked.
    EXPECT_EQ(failure(_dir.file("written"), u"wb"), "");
    EXPECT_EQ(failure("/dev/null", u"wb"), "");
    EXPECT_EQ(failure(_file, u"r+b"), "");
}

TEST_F(RegularFiles, AFileIsReadWholeUpToItsLimit)
{
    const auto read = [](const std::string& path, std::size_t limit, off_t from,
                         std::vector<std::uint8_t>& bytes)
    {
        const int fd = openRegularFile(path);
        if (fd < 0)
            return -1;
        bytes.assign(3, 'x'); // replaced, never appended to
        errno = 0;
        const bool whole = ::lseek(fd, from, SEEK_SET) == from && readWholeFile(fd, limit, bytes);
        const int error = whole ? 0 : errno;
        // The descriptor is still the caller's.
        EXPECT_EQ(::close(fd), 0);
        return error;
    };
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(read(_file, 11, 0, bytes), 0);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "plain bytes");
    EXPECT_EQ(read(_file, 11, 6, bytes), 0);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "bytes");
    // Refused by its size before a byte is read.
    EXPECT_EQ(read(_file, 10, 0, bytes), EFBIG);
    EXPECT_TRUE(bytes.empty());
    const std::string empty = _dir.file("empty");
    std::ofstream(empty).flush();
    EXPECT_EQ(read(empty, 0, 0, bytes), 0);
    EXPECT_TRUE(bytes.empty());

    // A many-chunk file, and one whose size says nothing: it is held to the
    // limit by what it yields.
    const std::string large = _dir.file("large");
    std::string content(200000, 'q');
    content[199999] = 'z';
    std::ofstream(large, std::ios::binary) << content;
    EXPECT_EQ(read(large, content.size(), 0, bytes), 0);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), content);
    struct stat status;
    ASSERT_EQ(::stat("/proc/self/maps", &status), 0);
    ASSERT_EQ(status.st_size, 0);
    EXPECT_EQ(read("/proc/self/maps", 16, 0, bytes), EFBIG);
    EXPECT_EQ(read("/proc/self/maps", 1 << 24, 0, bytes), 0);
    EXPECT_GT(bytes.size(), 16u);
}

} // namespace
