#pragma once
// Figures of the volume (file system) that holds a path.
#include <cstdint>
#include <optional>
#include <string>

namespace platform
{

enum class FileSystemKind
{
    Other,
    Fat16, // files below 2 GB
    Fat32  // files below 4 GB
};

struct VolumeFigures
{
    FileSystemKind kind = FileSystemKind::Other;
    std::uint64_t freeBytes = 0; // free to the calling user
};

// The volume of `nativePath` (a file that may not exist yet, or a folder).
// A FAT file system is reported as Fat32: the two cannot be told apart here.
std::optional<VolumeFigures> volumeFigures(const std::string& nativePath);
// Fixed figures for every path from now on; nothing restores the measured ones.
void overrideVolumeFigures(std::optional<VolumeFigures> figures);

} // namespace platform
