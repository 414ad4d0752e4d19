#pragma once
// A directory of a TIFF file as the reader found it when it walked the
// file's chain of directories: its place in the chain (counted from 0) and
// the byte offset it starts at. Handles go to a directory by its offset
// (TiffHandle::openDirectory), in work that does not grow with its place.
#include <cstdint>

namespace Omvi
{

struct TiffDirectory
{
    int index = 0;
    std::uint64_t offset = 0;
};

} // namespace Omvi
