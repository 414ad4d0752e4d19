#include "imaging/codecs/codec/CodecOutputFile.h"

#include "imaging/OMVIException.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Omvi
{
namespace
{

[[noreturn]] void throwWriteFailure(int error)
{
    throw new FileIOException("Unable to write the image file", error == ENOSPC || error == EDQUOT
                                                                    ? FileIOException::kDiskFull
                                                                    : FileIOException::kOtherFailure);
}

} // namespace

CodecOutputFile::~CodecOutputFile()
{
    discard();
}

bool CodecOutputFile::create(const std::string& nativePath, Creation creation)
{
    discard();
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (creation == Creation::kExclusive ? O_EXCL : O_TRUNC);
    descriptor_ = ::open(nativePath.c_str(), flags, 0644);
    if (descriptor_ < 0)
        return false;
    path_ = nativePath;
    struct stat status;
    removable_ = ::fstat(descriptor_, &status) == 0 && S_ISREG(status.st_mode);
    failed_ = false;
    error_ = 0;
    buffer_.clear();
    buffer_.reserve(kBufferSize);
    return true;
}

void CodecOutputFile::writeAt(std::int64_t offset, const void* bytes, std::size_t count)
{
    if (descriptor_ < 0)
        throw new FileIOException("The image file is not open", FileIOException::kOtherFailure);
    if (!flush())
        fail(error_);
    const auto* data = static_cast<const unsigned char*>(bytes);
    std::size_t done = 0;
    while (done < count)
    {
        const ssize_t written =
            ::pwrite(descriptor_, data + done, count - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            fail(written < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(written);
    }
}

void CodecOutputFile::complete()
{
    if (descriptor_ < 0)
        return;
    if (!finish())
        throwWriteFailure(error_);
}

bool CodecOutputFile::write(const void* bytes, std::size_t count)
{
    if (descriptor_ < 0)
        return false;
    const auto* data = static_cast<const std::uint8_t*>(bytes);
    while (count > 0 && !failed_)
    {
        if (buffer_.size() == kBufferSize && !flush())
            break;
        const std::size_t take = std::min(count, kBufferSize - buffer_.size());
        buffer_.insert(buffer_.end(), data, data + take);
        data += take;
        count -= take;
    }
    return !failed_;
}

bool CodecOutputFile::flush()
{
    std::size_t done = 0;
    while (done < buffer_.size() && !failed_)
    {
        const ssize_t written = ::write(descriptor_, buffer_.data() + done, buffer_.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
        {
            failed_ = true;
            error_ = written < 0 ? errno : ENOSPC;
        }
        else
            done += static_cast<std::size_t>(written);
    }
    buffer_.clear();
    return !failed_;
}

bool CodecOutputFile::finish()
{
    if (descriptor_ < 0)
        return false;
    flush();
    if (::close(descriptor_) != 0 && !failed_)
    {
        failed_ = true;
        error_ = errno;
    }
    descriptor_ = -1;
    if (failed_)
    {
        if (removable_)
            std::remove(path_.c_str());
        return false;
    }
    path_.clear();
    return true;
}

void CodecOutputFile::discard()
{
    if (descriptor_ >= 0)
    {
        ::close(descriptor_);
        descriptor_ = -1;
        if (removable_)
            std::remove(path_.c_str());
    }
    path_.clear();
    buffer_.clear();
}

void CodecOutputFile::fail(int error)
{
    discard();
    throwWriteFailure(error);
}

} // namespace Omvi
