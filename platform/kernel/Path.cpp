#include "platform/kernel/Path.h"

#include "dwfcore/File.h"
#include "dwfcore/RegularFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::path
{

bool isSeparator(char16_t c)
{
    return c == u'\\' || c == u'/';
}

namespace
{
std::size_t lastSeparator(std::u16string_view path)
{
    for (std::size_t i = path.size(); i > 0; --i)
        if (isSeparator(path[i - 1]))
            return i - 1;
    return std::u16string_view::npos;
}

std::size_t extensionDot(std::u16string_view path)
{
    const std::size_t separator = lastSeparator(path);
    const std::size_t dot = path.rfind(u'.');
    if (dot == std::u16string_view::npos)
        return dot;
    if (separator != std::u16string_view::npos && dot < separator)
        return std::u16string_view::npos;
    return dot;
}
} // namespace

std::u16string lastComponent(std::u16string_view path)
{
    const std::size_t separator = lastSeparator(path);
    if (separator == std::u16string_view::npos)
        return std::u16string(path);
    return std::u16string(path.substr(separator + 1));
}

std::u16string cutLastComponent(std::u16string_view path)
{
    const std::size_t separator = lastSeparator(path);
    if (separator == std::u16string_view::npos)
        return {};
    return std::u16string(path.substr(0, separator));
}

std::u16string withoutExtension(std::u16string_view path)
{
    const std::size_t dot = extensionDot(path);
    if (dot == std::u16string_view::npos)
        return std::u16string(path);
    return std::u16string(path.substr(0, dot));
}

std::u16string extension(std::u16string_view path)
{
    const std::size_t dot = extensionDot(path);
    if (dot == std::u16string_view::npos)
        return {};
    return std::u16string(path.substr(dot + 1));
}

bool hasExtension(std::u16string_view path)
{
    return extensionDot(path) != std::u16string_view::npos;
}

std::u16string normalized(std::u16string_view path)
{
    std::u16string out(path);
    for (auto& c : out)
        if (c == u'\\')
            c = u'/';
    return out;
}

std::u16string join(std::u16string_view folder, std::u16string_view relative)
{
    std::u16string head = normalized(folder);
    std::u16string tail = normalized(relative);
    if (head.empty())
        return tail;
    while (!head.empty() && head.back() == u'/' && head.size() > 1)
        head.pop_back();
    std::size_t start = 0;
    while (start < tail.size() && tail[start] == u'/')
        ++start;
    if (head == u"/")
        return head + tail.substr(start);
    return head + u'/' + tail.substr(start);
}

std::string toNative(std::u16string_view path)
{
    return DWFCore::encodeNativePath(normalized(path));
}

std::u16string fromNative(std::string_view path)
{
    return DWFCore::decodeNativePath(path);
}

std::string toNativeText(std::u16string_view text)
{
    return DWFCore::encodeNativePath(text);
}

bool nothingThere(int error)
{
    return error == ENOENT || error == ENOTDIR;
}

bool fileExists(std::u16string_view path, int* error)
{
    struct stat info
    {
    };
    const bool found = !path.empty() && ::stat(toNative(path).c_str(), &info) == 0;
    if (error != nullptr)
    {
        const int looked = errno;
        *error = found || path.empty() || nothingThere(looked) ? 0 : looked;
    }
    return found;
}

bool nameTaken(std::u16string_view path)
{
    struct stat info
    {
    };
    return !path.empty() && ::lstat(toNative(path).c_str(), &info) == 0;
}

namespace
{
// Looks at a name from within its folder, as the package is written there.
// Answers 0, or the reason the look failed.
int statInFolder(const std::string& path, struct stat& info)
{
    const int held = ::open(DWFCore::folderOf(path).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (held < 0)
        return errno;
    const int error = ::fstatat(held, DWFCore::nameOf(path).c_str(), &info, 0) == 0 ? 0 : errno;
    ::close(held);
    return error;
}
} // namespace

bool isReadOnlyFile(std::u16string_view path, int* error)
{
    if (error != nullptr)
        *error = 0;
    struct stat info
    {
    };
    if (path.empty())
        return false;
    if (const int failed = statInFolder(toNative(path), info))
    {
        // A link in a loop leads nowhere, as one to a missing file does.
        if (nothingThere(failed) || failed == ELOOP)
            return false;
        if (error != nullptr)
            *error = failed;
        return true;
    }
    if (!S_ISREG(info.st_mode))
        return false;
    // The attribute the dialogs test is the file's own write permission
    // bits, not whether this process could write it (root writes anything).
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool removeFile(std::u16string_view path)
{
    if (path.empty())
        return true;
    return ::unlink(toNative(path).c_str()) == 0 || errno == ENOENT;
}

} // namespace platform::path
