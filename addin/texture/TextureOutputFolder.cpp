#include "addin/texture/TextureOutputFolder.h"

#include "dwfcore/TempFileRegistry.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Path.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace
{

// Removes everything below the folder open as `folder` (never following a
// symbolic link), then closes it. False when something stayed: `left`
// then has the first reason and counts the files that stayed.
bool removeContents(int folder, TextureOutputFolder::Leftover& left)
{
    const auto stayed = [&left](int error)
    {
        if (left.error == 0)
            left.error = error;
        return false;
    };
    DIR* listing = ::fdopendir(folder);
    if (listing == nullptr)
    {
        const int error = errno;
        ::close(folder);
        return stayed(error);
    }
    bool clean = true;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(listing))
    {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    for (const std::string& name : names)
    {
        struct stat status;
        if (::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        {
            // Gone already, or there still, unseen.
            if (errno != ENOENT)
            {
                ++left.files;
                clean = stayed(errno);
            }
            continue;
        }
        if (S_ISDIR(status.st_mode))
        {
            const int inner =
                ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (inner < 0)
                clean = stayed(errno);
            else if (!removeContents(inner, left))
                clean = false;
            else if (::unlinkat(folder, name.c_str(), AT_REMOVEDIR) != 0)
                clean = stayed(errno);
        }
        else if (::unlinkat(folder, name.c_str(), 0) != 0 && errno != ENOENT)
        {
            ++left.files;
            clean = stayed(errno);
        }
    }
    ::closedir(listing);
    return clean;
}

// Makes a subfolder (listed with the process's temporary files), or takes
// the one an earlier name made there.
bool makeFolder(const std::string& path)
{
    if (DWFCore::DWFTempFileRegistry::makeFolder(path))
        return true;
    struct stat status;
    return errno == EEXIST && ::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

TextureOutputFolder::TextureOutputFolder() = default;

TextureOutputFolder::~TextureOutputFolder()
{
    try
    {
        remove();
    }
    catch (...)
    {
        // Nothing leaves a destructor; what stays is left to the system.
    }
}

const std::u16string& TextureOutputFolder::path()
{
    if (path_.empty())
    {
        // Listed from the moment it exists, as every name made in it will
        // be: an interrupted run removes the whole of it.
        std::string pattern = platform::temporaryFolder() + "/" + kPrefix + "XXXXXX";
        if (DWFCore::DWFTempFileRegistry::createFolder(pattern))
        {
            path_ = platform::path::fromNative(pattern);
            listed_.push_back(pattern);
        }
    }
    return path_;
}

std::u16string TextureOutputFolder::placeFor(const std::u16string& name)
{
    if (name.empty() || name == u"." || name == u".." ||
        platform::path::lastComponent(name).size() != name.size() || path().empty())
        return {};
    int& used = namesUsed_[name];
    std::u16string folder = path_;
    if (used > 0)
    {
        // A name taken by another source: a numbered subfolder of its own.
        folder = platform::path::join(path_, platform::path::fromNative(std::to_string(used)));
        const std::string native = platform::path::toNative(folder);
        if (!makeFolder(native))
            return {};
        listed_.push_back(native);
    }
    ++used;
    const std::u16string place = platform::path::join(folder, name);
    // Listed before anybody creates it.
    const std::string native = platform::path::toNative(place);
    if (!DWFCore::DWFTempFileRegistry::claim(native))
        return {};
    listed_.push_back(native);
    return place;
}

std::u16string TextureOutputFolder::convertedFrom(const TextureFileKey& source) const
{
    const auto found = converted_.find(source);
    if (found == converted_.end() || !platform::path::fileExists(found->second))
        return {};
    return found->second;
}

void TextureOutputFolder::remember(const TextureFileKey& source, const std::u16string& output)
{
    converted_[source] = output;
}

bool TextureOutputFolder::failedBefore(const TextureFileKey& source) const
{
    return failed_.count(source) != 0;
}

void TextureOutputFolder::rememberFailure(const TextureFileKey& source)
{
    failed_.insert(source);
}

const TextureOutputFolder::Reading*
TextureOutputFolder::readBefore(const TextureFileKey& source) const
{
    const auto found = read_.find(source);
    return found == read_.end() ? nullptr : &found->second;
}

void TextureOutputFolder::rememberRead(const TextureFileKey& source, Reading reading)
{
    read_[source] = std::move(reading);
}

bool TextureOutputFolder::remove(Leftover* left)
{
    converted_.clear();
    failed_.clear();
    read_.clear();
    namesUsed_.clear();
    if (path_.empty())
        return true;
    Leftover found;
    const std::string native = platform::path::toNative(path_);
    const int folder = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    bool clean = false;
    if (folder >= 0)
        clean = removeContents(folder, found);
    else if (errno == ENOENT)
        clean = true;
    else
        found.error = errno;
    if (clean && ::rmdir(native.c_str()) != 0 && errno != ENOENT)
    {
        found.error = errno;
        clean = false;
    }
    if (left)
        *left = found;
    if (clean)
    {
        path_.clear();
        for (const std::string& name : listed_)
            DWFCore::DWFTempFileRegistry::forget(name);
        listed_.clear();
    }
    return clean;
}
