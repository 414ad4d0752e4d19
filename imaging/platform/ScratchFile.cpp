#include "imaging/platform/ScratchFile.h"

#include "imaging/OMVIException.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Path.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace Omvi
{

namespace
{
std::vector<ScratchFileLeft>& scratchFilesLeft()
{
    static std::vector<ScratchFileLeft> left;
    return left;
}
} // namespace

int openScratchFile(const std::string& path, int& error)
{
    error = 0;
    if (path.empty())
    {
        error = ENOENT;
        return -1;
    }
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST)
    {
        // Adopt an empty placeholder that the caller made for us; anything
        // else that is already there stays untouched.
        fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        struct stat info{};
        if (fd >= 0 && !(::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size == 0 &&
                         info.st_uid == ::geteuid() && info.st_nlink == 1))
        {
            ::close(fd);
            fd = -1;
            errno = EEXIST;
        }
    }
    if (fd < 0)
    {
        error = errno;
        return -1;
    }
    // Gone from the folder and from the list of the process's temporary
    // files (a placeholder made for us is on it): the descriptor is all.
    // A name that stays stays listed, and is remembered to be told.
    if (::unlink(path.c_str()) == 0 || errno == ENOENT)
        platform::forgetTemporaryFile(path);
    else
        scratchFilesLeft().push_back({path, errno});
    return fd;
}

std::vector<ScratchFileLeft> takeScratchFilesLeft()
{
    return std::exchange(scratchFilesLeft(), {});
}

FileSpecifier makeScratchFileSpecifier(const char* prefix)
{
    const auto name = platform::createTemporaryFile(prefix ? prefix : "");
    if (!name)
    {
        // Which folder and why: a full disk, no inodes left, no such folder.
        const int error = errno;
        const std::string message = "Unable to create temporary file in '" +
                                    platform::temporaryFolder() +
                                    "/': " + platform::systemReason(error);
        throw new FileIOException(message.c_str(),
                                  temporaryFileExceptionCode(creationFailureCode(error)));
    }
    return fileSpecifierFromPath(*name);
}

std::int32_t creationFailureCode(int error)
{
    switch (error)
    {
    case ENOENT:
    case ENOTDIR:
        return 0;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EEXIST:
    case ETXTBSY:
        return 1;
    case EROFS:
        return 2;
    default:
        return 3;
    }
}

std::int32_t temporaryFileExceptionCode(std::int32_t creationFailure)
{
    switch (creationFailure)
    {
    case TemporaryFilePagingSystemException::kPathNotFound:
        return 1;
    case TemporaryFilePagingSystemException::kAccessDenied:
        return 3;
    case TemporaryFilePagingSystemException::kWriteProtected:
        return 9;
    default:
        return 10;
    }
}

} // namespace Omvi
