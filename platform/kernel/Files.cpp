#include "platform/kernel/Files.h"

#include "platform/kernel/Path.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>
#include <vector>

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

std::optional<std::u16string> createTemporaryFile(const std::string& prefix,
                                                  const std::string& suffix)
{
    const char* folder = std::getenv("TMPDIR");
    std::string pattern =
        std::string(folder && *folder ? folder : "/tmp") + "/" + prefix + "XXXXXX" + suffix;
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkstemps(buffer.data(), static_cast<int>(suffix.size()));
    if (fd < 0)
        return std::nullopt;
    ::close(fd);
    return path::fromNative(buffer.data());
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
