#include "imaging/FileSpecifier.h"

#include "platform/kernel/Path.h"

#include <cstring>

namespace Omvi
{

FileSpecifier::FileSpecifier() = default;

FileSpecifier::FileSpecifier(const StringBuffer& path, std::int32_t kind) : kind_(kind)
{
    path_ = path;
}

FileSpecifier::FileSpecifier(const FileSpecifier& other) : kind_(other.kind_)
{
    path_ = other.path_;
}

FileSpecifier::~FileSpecifier() = default;

std::int32_t FileSpecifier::kind() const
{
    return kind_;
}

const StringBuffer& FileSpecifier::path() const
{
    return path_;
}

FileSpecifier& FileSpecifier::operator=(const FileSpecifier& other)
{
    if (this != &other)
    {
        path_ = other.path_;
        kind_ = other.kind_;
    }
    return *this;
}

bool FileSpecifier::operator==(const FileSpecifier& other) const
{
    if (kind_ != other.kind_ || path_.encoding() != other.path_.encoding())
        return false;
    const std::int32_t count = path_.size();
    const std::int32_t otherCount = other.path_.size();
    if (count < 1 && otherCount < 1)
        return true;
    if (count != otherCount || !path_.data() || !other.path_.data())
        return false;
    return std::memcmp(path_.data(), other.path_.data(), static_cast<std::size_t>(count)) == 0;
}

bool FileSpecifier::operator!=(const FileSpecifier& other) const
{
    return !(*this == other);
}

void FileSpecifier::set(const StringBuffer& path, std::int32_t kind)
{
    path_ = path;
    kind_ = kind;
}

bool FileSpecifier::isUsable() const
{
    return kind_ == kFile && !path_.isEmpty();
}

std::string FileSpecifier::nativePath() const
{
    return path_.text();
}

FileSpecifier fileSpecifierFromPath(std::u16string_view path)
{
    return FileSpecifier(AsciiStringBuffer(platform::path::toNative(path)), FileSpecifier::kFile);
}

} // namespace Omvi
