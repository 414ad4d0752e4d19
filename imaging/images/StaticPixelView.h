#pragma once
// The pixels of an image held in one buffer (a static image): where they
// start, the bytes from one line to the next, and the image's size. The
// static row composer and the static form of a context's tile cache walk
// the buffer through it; the image owns (or borrows) the memory.
#include "imaging/geometry/PixelRect.h"

#include <cstdint>

namespace Omvi
{

struct StaticPixelView
{
    std::uint8_t* pixels = nullptr;
    std::int32_t bytesPerLine = 0;
    PixelPair size;
};

} // namespace Omvi
