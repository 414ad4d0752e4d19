#pragma once
// What the multi-bit kernels share: pixel loads and stores that need no
// alignment, and the three transparency rules a kernel can follow.
#include "imaging/models/ImagePixel.h"
#include "imaging/models/RgbColor.h"

#include <cstdint>
#include <cstring>

namespace Omvi
{

namespace PixelAccess
{

using Byte = std::uint8_t;

template <class Pixel>
inline Pixel load(const Byte* at)
{
    Pixel pixel;
    std::memcpy(&pixel, at, sizeof pixel);
    return pixel;
}

template <class Pixel>
inline void store(Byte* at, Pixel pixel)
{
    std::memcpy(at, &pixel, sizeof pixel);
}

template <class Pixel>
inline void move(Byte* to, const Byte* from)
{
    std::memcpy(to, from, sizeof(Pixel));
}

// The stored form of a fill value: the low bits of its size, in the machine's
// byte order; an RGB colour (kind 8) is laid out as its row bytes.
template <class Pixel>
inline Pixel storedValue(const ImagePixel& value)
{
    if (sizeof(Pixel) == 4 && value.kind == kPixelRgb)
        return static_cast<Pixel>(RgbColor(static_cast<std::uint32_t>(value.value)).rowWord());
    return static_cast<Pixel>(value.value);
}

// Every pixel is written.
struct Opaque
{
    static constexpr bool kSkips = false;
    bool transparent(const Byte*) const { return false; }
};

// Pixels equal to the key are left out.
template <class Pixel>
struct KeyTransparency
{
    static constexpr bool kSkips = true;
    explicit KeyTransparency(Pixel keyValue = 0) : key(keyValue) {}
    bool transparent(const Byte* pixel) const { return load<Pixel>(pixel) == key; }
    Pixel key;
};

// 32-bit RGBA pixels whose alpha byte (the fourth) is 0 are left out.
struct AlphaTransparency
{
    static constexpr bool kSkips = true;
    bool transparent(const Byte* pixel) const { return pixel[3] == 0; }
};

} // namespace PixelAccess

} // namespace Omvi
