#include "imaging/codecs/codec/CodecFile.h"

#include "dwfcore/RegularFile.h"
#include "platform/kernel/Path.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Omvi
{

std::optional<std::string> CodecFile::nativePath(const FileSpecifier& file)
{
    if (file.kind() != FileSpecifier::kFile || file.path().size() < 2)
        return std::nullopt;
    const std::string path = file.nativePath();
    if (path.empty())
        return std::nullopt;
    return platform::path::toNative(platform::path::fromNative(path));
}

bool CodecFile::open(const FileSpecifier& file)
{
    const auto path = nativePath(file);
    if (!path)
    {
        close();
        return false;
    }
    return open(*path);
}

CodecFile::~CodecFile()
{
    close();
}

bool CodecFile::open(const std::string& nativePath)
{
    close();
    const int descriptor = DWFCore::openRegularFile(nativePath);
    if (descriptor < 0)
        return false;
    struct stat status;
    if (::fstat(descriptor, &status) != 0)
    {
        ::close(descriptor);
        return false;
    }
    descriptor_ = descriptor;
    size_ = status.st_size;
    return true;
}

void CodecFile::close()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = -1;
    size_ = 0;
}

std::size_t CodecFile::readSomeAt(std::int64_t offset, void* buffer, std::size_t count) const
{
    if (descriptor_ < 0 || offset < 0 || buffer == nullptr)
        return 0;
    std::size_t done = 0;
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (done < count)
    {
        const ssize_t got = ::pread(descriptor_, bytes + done, count - done, static_cast<off_t>(offset) +
                                                                                 static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

bool CodecFile::readAt(std::int64_t offset, void* buffer, std::size_t count) const
{
    return readSomeAt(offset, buffer, count) == count;
}

} // namespace Omvi
