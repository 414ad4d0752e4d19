#include "addin/texture/TextureFileIdentity.h"

#include "dwfcore/RegularFile.h"
#include "platform/kernel/Path.h"

#include <sys/stat.h>
#include <unistd.h>

namespace
{
TextureFileIdentity identityOf(const struct stat& status)
{
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
            static_cast<std::int64_t>(status.st_ctim.tv_sec),
            static_cast<std::int64_t>(status.st_ctim.tv_nsec)};
}
} // namespace

std::optional<TextureFileIdentity> IdentifyOpenFile(int descriptor)
{
    struct stat status;
    if (descriptor < 0 || ::fstat(descriptor, &status) != 0)
        return std::nullopt;
    return identityOf(status);
}

HeldTextureFile::HeldTextureFile(const std::u16string& path) : path_(path)
{
    if (path_.empty())
        return;
    descriptor_ = DWFCore::openRegularFile(platform::path::toNative(path_));
    identity_ = IdentifyOpenFile(descriptor_);
}

HeldTextureFile::~HeldTextureFile()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

TextureFileKey HeldTextureFile::key() const
{
    if (identity_)
        return *identity_;
    return path_;
}

bool HeldTextureFile::unchanged() const
{
    if (!identity_)
        return true;
    // The readers follow links as stat does.
    struct stat status;
    return ::stat(platform::path::toNative(path_).c_str(), &status) == 0 &&
           identityOf(status) == *identity_;
}
