#pragma once
// A directory of a TIFF file as the reader found it when it walked the
// file's chain of directories: the byte offset it starts at. Handles go to
// a directory by its offset (TiffHandle::openDirectory), in work that does
// not grow with its place in the chain.
#include <cstdint>

namespace Omvi
{

struct TiffDirectory
{
    std::uint64_t offset = 0;
};

} // namespace Omvi
