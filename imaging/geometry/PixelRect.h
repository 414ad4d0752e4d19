#pragma once
// Whole-pixel geometry of images and tiles: integer pairs (a position or a
// width and height) and inclusive rectangles, both corners inside.
#include <cstdint>

namespace Omvi
{

struct PixelPair
{
    std::int32_t x = 0;
    std::int32_t y = 0;

    bool operator!=(const PixelPair& other) const { return x != other.x || y != other.y; }
    bool operator==(const PixelPair& other) const { return !(*this != other); }
};

struct PixelRect
{
    std::int32_t x0 = 0;
    std::int32_t y0 = 0;
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;

    // The rectangle of `width` by `height` pixels whose first pixel is (x, y).
    static PixelRect fromOriginAndSize(std::int32_t x, std::int32_t y, std::int32_t width,
                                       std::int32_t height);
    PixelPair origin() const { return {x0, y0}; }
};

// The inclusive far corner of `size` pixels from `origin`.
PixelPair lastPixel(const PixelPair& origin, const PixelPair& size);
// Both corners of `inner` lie inside `outer`.
bool rectContainsRect(const PixelRect& outer, const PixelRect& inner);
// floor(value + 0.5) and ceil(value), clamped to the signed 32-bit range (NaN
// gives 0).
std::int32_t roundToInt(double value);
std::int32_t ceilToInt(double value);

} // namespace Omvi
