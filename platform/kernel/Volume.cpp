#include "platform/kernel/Volume.h"

#include "dwfcore/RegularFile.h"

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>

#include <mutex>

namespace platform
{

namespace
{
std::mutex overrideGuard;
std::optional<VolumeFigures> fixedFigures;

constexpr long kMsdosMagic = 0x4d44;

// The path itself when it is a folder, else the folder that holds it.
std::string folderOf(const std::string& path)
{
    struct stat info{};
    if (!path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return path;
    return DWFCore::folderOf(path);
}
} // namespace

std::optional<VolumeFigures> volumeFigures(const std::string& nativePath)
{
    {
        std::lock_guard<std::mutex> hold(overrideGuard);
        if (fixedFigures)
            return fixedFigures;
    }
    const std::string folder = folderOf(nativePath);
    struct statvfs space{};
    if (::statvfs(folder.c_str(), &space) != 0)
        return std::nullopt;
    VolumeFigures figures;
    figures.freeBytes = static_cast<std::uint64_t>(space.f_bavail) * static_cast<std::uint64_t>(space.f_frsize);
    struct statfs system{};
    if (::statfs(folder.c_str(), &system) == 0 && static_cast<long>(system.f_type) == kMsdosMagic)
        figures.kind = FileSystemKind::Fat32;
    return figures;
}

void overrideVolumeFigures(std::optional<VolumeFigures> figures)
{
    std::lock_guard<std::mutex> hold(overrideGuard);
    fixedFigures = figures;
}

} // namespace platform
