#include "platform/kernel/Files.h"

#include "platform/kernel/Path.h"

#include "dwfcore/RegularFile.h"
#include "dwfcore/TempFileRegistry.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <cstdlib>
#include <unistd.h>

namespace platform
{

namespace
{
std::u16string& moduleOverride()
{
    static std::u16string path;
    return path;
}
} // namespace

std::string temporaryFolder()
{
    const char* folder = std::getenv("TMPDIR");
    return folder && *folder ? folder : "/tmp";
}

std::string systemReason(int error)
{
    return DWFCore::fileErrorText(error);
}

std::optional<std::u16string> createTemporaryFile(const std::string& prefix,
                                                  const std::string& suffix)
{
    std::string name = temporaryFolder() + "/" + prefix + "XXXXXX" + suffix;
    const int fd = DWFCore::DWFTempFileRegistry::create(name, static_cast<int>(suffix.size()));
    if (fd < 0)
        return std::nullopt;
    ::close(fd);
    return path::fromNative(name);
}

bool removeTemporaryFile(std::u16string_view path)
{
    if (path.empty())
        return true;
    return DWFCore::DWFTempFileRegistry::remove(path::toNative(path));
}

void forgetTemporaryFile(const std::string& path)
{
    DWFCore::DWFTempFileRegistry::forget(path);
}

std::u16string moduleFileName()
{
    if (!moduleOverride().empty())
        return moduleOverride();
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return {};
    return path::fromNative(std::string(buffer, static_cast<std::size_t>(length)));
}

void setModuleFileName(std::u16string path)
{
    moduleOverride() = std::move(path);
}

} // namespace platform
