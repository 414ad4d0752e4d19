#include "imaging/codecs/cals/CalsStreamIo.h"

#include "dwfcore/RegularFile.h"
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/codec/CodecFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Omvi
{

CalsStreamIo::CalsStreamIo() = default;

CalsStreamIo::CalsStreamIo(const FileSpecifier& file)
{
    openFile(file, false);
}

CalsStreamIo::~CalsStreamIo()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

bool CalsStreamIo::openFile(const FileSpecifier& file, bool forWriting)
{
    if (mode_ != 0 || descriptor_ >= 0)
        return false;
    const auto path = CodecFile::nativePath(file);
    if (!path)
        return false;
    if (forWriting)
    {
        descriptor_ = ::open(path->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor_ < 0)
            return false;
        createdPath_ = *path;
        return open(kWrite);
    }
    const int descriptor = DWFCore::openRegularFile(*path);
    if (descriptor < 0)
        return false;
    descriptor_ = descriptor;
    return open(kRead);
}

void CalsStreamIo::read(std::int32_t count, void* buffer, std::int32_t* bytesRead)
{
    if (mode_ != kRead || descriptor_ < 0)
    {
        if (bytesRead)
            *bytesRead = -1;
        return;
    }
    std::int32_t done = 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (done < count && out != nullptr)
    {
        if (position_ == filled_)
        {
            if (static_cast<std::size_t>(count - done) >= kBufferSize)
            {
                // Large reads go straight into the caller's memory.
                const ssize_t got = ::read(descriptor_, out + done, static_cast<std::size_t>(count - done));
                if (got < 0 && errno == EINTR)
                    continue;
                if (got <= 0)
                    break;
                done += static_cast<std::int32_t>(got);
                continue;
            }
            buffer_.resize(kBufferSize);
            const ssize_t got = ::read(descriptor_, buffer_.data(), kBufferSize);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            position_ = 0;
            filled_ = static_cast<std::size_t>(got);
        }
        const std::size_t take = std::min(filled_ - position_, static_cast<std::size_t>(count - done));
        std::memcpy(out + done, buffer_.data() + position_, take);
        position_ += take;
        done += static_cast<std::int32_t>(take);
    }
    if (bytesRead)
        *bytesRead = done;
}

bool CalsStreamIo::write(std::int32_t count, const void* buffer)
{
    if (mode_ != kWrite || descriptor_ < 0 || count < 0 || (count > 0 && buffer == nullptr))
        return false;
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < static_cast<std::size_t>(count))
    {
        const ssize_t written = ::write(descriptor_, bytes + done, static_cast<std::size_t>(count) - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

bool CalsStreamIo::open(std::int32_t mode)
{
    if (mode_ != 0 || descriptor_ < 0 || (mode != kRead && mode != kWrite))
        return false;
    mode_ = mode;
    return true;
}

bool CalsStreamIo::rewind()
{
    if (mode_ != kRead || descriptor_ < 0 || ::lseek(descriptor_, 0, SEEK_SET) != 0)
        return false;
    position_ = 0;
    filled_ = 0;
    return true;
}

void CalsStreamIo::close()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = -1;
    mode_ = 0;
    position_ = 0;
    filled_ = 0;
}

void CalsStreamIo::discardCreatedFile()
{
    close();
    if (!createdPath_.empty())
        ::unlink(createdPath_.c_str());
    createdPath_.clear();
}

} // namespace Omvi
