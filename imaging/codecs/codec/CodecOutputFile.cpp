#include "imaging/codecs/codec/CodecOutputFile.h"

#include "imaging/OMVIException.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace Omvi
{

CodecOutputFile::~CodecOutputFile()
{
    discard();
}

bool CodecOutputFile::create(const std::string& nativePath)
{
    discard();
    const int descriptor = ::open(nativePath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (descriptor < 0)
        return false;
    descriptor_ = descriptor;
    path_ = nativePath;
    return true;
}

void CodecOutputFile::writeAt(std::int64_t offset, const void* bytes, std::size_t count)
{
    if (descriptor_ < 0)
        throw new FileIOException("The image file is not open", FileIOException::kOtherFailure);
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
    const int descriptor = descriptor_;
    descriptor_ = -1;
    if (::close(descriptor) != 0)
    {
        const int error = errno;
        descriptor_ = -1;
        ::unlink(path_.c_str());
        throw new FileIOException("Unable to write the image file",
                                  error == ENOSPC || error == EDQUOT ? FileIOException::kDiskFull
                                                                     : FileIOException::kOtherFailure);
    }
}

void CodecOutputFile::discard()
{
    if (descriptor_ < 0)
        return;
    ::close(descriptor_);
    descriptor_ = -1;
    ::unlink(path_.c_str());
}

void CodecOutputFile::fail(int error)
{
    discard();
    throw new FileIOException("Unable to write the image file",
                              error == ENOSPC || error == EDQUOT ? FileIOException::kDiskFull
                                                                 : FileIOException::kOtherFailure);
}

} // namespace Omvi
