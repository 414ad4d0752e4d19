#include "dwfcore/RegularFile.h"

#include "dwfcore/TempFileRegistry.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DWFCore
{

namespace
{
// Gives up a descriptor just opened: closes it and returns -1 with errno
// `error`, which the close must not overwrite.
int closeFailed(int fd, int error) noexcept
{
    ::close(fd);
    errno = error;
    return -1;
}
} // namespace

int openRegularFile(const std::string& path) noexcept
{
    // O_NONBLOCK keeps the open itself from waiting (a FIFO without a
    // writer, a device that must be ready); O_NOCTTY keeps a terminal from
    // becoming ours.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
    {
        return -1;
    }
    struct stat status;
    int error = 0;
    if (::fstat(fd, &status) != 0)
    {
        error = errno;
    }
    else if (S_ISDIR(status.st_mode))
    {
        error = EISDIR;
    }
    else if (!S_ISREG(status.st_mode))
    {
        error = kNotRegularFile;
    }
    else if (!DWFTempFileRegistry::isMadeFile(path, fd))
    {
        error = kReplacedFile;
    }
    else
    {
        // Readers of a regular file expect whole reads, never EAGAIN.
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        {
            error = errno;
        }
    }
    return error != 0 ? closeFailed(fd, error) : fd;
}

int openFileForWriting(const std::string& path) noexcept
{
    // A file of our own is there already: should its name be gone, nothing
    // is made in its place.
    const bool made = DWFTempFileRegistry::listed(path);
    const int fd = ::open(
        path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | (made ? 0 : O_CREAT), 0666);
    if (fd < 0)
    {
        return -1;
    }
    int error = 0;
    struct stat status;
    if (!DWFTempFileRegistry::isMadeFile(path, fd))
    {
        error = kReplacedFile;
    }
    else if (::fstat(fd, &status) != 0)
    {
        error = errno;
    }
    else if (S_ISREG(status.st_mode) && ::ftruncate(fd, 0) != 0)
    {
        error = errno;
    }
    return error != 0 ? closeFailed(fd, error) : fd;
}

std::FILE* openRegularFileStream(const std::string& path) noexcept
{
    const int fd = openRegularFile(path);
    if (fd < 0)
    {
        return nullptr;
    }
    std::FILE* stream = ::fdopen(fd, "rb");
    if (stream == nullptr)
    {
        closeFailed(fd, errno);
    }
    return stream;
}

bool readWholeFile(int fd, std::size_t limit, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    struct stat status;
    if (::fstat(fd, &status) != 0)
    {
        return false;
    }
    if (status.st_size > 0 && static_cast<std::uint64_t>(status.st_size) > limit)
    {
        errno = EFBIG;
        return false;
    }
    std::uint8_t chunk[65536];
    for (;;)
    {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
        {
            continue;
        }
        if (got <= 0)
        {
            return got == 0;
        }
        // A file that grows while it is read (or whose size says nothing,
        // as some system files) is held to the same limit.
        if (static_cast<std::size_t>(got) > limit - bytes.size())
        {
            errno = EFBIG;
            return false;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
}

std::string fileErrorText(int error)
{
    if (error == kNotRegularFile)
    {
        return "Not a regular file";
    }
    if (error == kReplacedFile)
    {
        return "Replaced by another file since this run made it";
    }
    char text[256];
    // The GNU form answers the text, in the buffer or a static string.
    return ::strerror_r(error != 0 ? error : EIO, text, sizeof text);
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
    {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool holdsFile(int folder, const char* name, const struct stat& file, int* error) noexcept
{
    struct stat named;
    if (::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) != 0)
    {
        if (error != nullptr)
        {
            *error = errno;
        }
        return false;
    }
    return named.st_dev == file.st_dev && named.st_ino == file.st_ino;
}

} // namespace DWFCore
