#pragma once
// Whole-pixel geometry of images and tiles: integer pairs (a position or a
// width and height) and inclusive rectangles, both corners inside.
#include <cstdint>

namespace Omvi
{

class Point2d;

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
    PixelPair size() const { return {x1 - x0 + 1, y1 - y0 + 1}; }

    // The smallest rectangle holding the `count` points (one point gives a
    // one-pixel rectangle); the empty rectangle (0, 0, 0, 0) for none.
    static PixelRect boundingBox(int count, const PixelPair* points);
    // Clips the closed polygon of `count` points (a last point equal to the
    // first is dropped) to this rectangle, taken as the window [x0, x1] x
    // [y0, y1] of doubles, and answers whether more than two vertices
    // remain; `result` then becomes the pixels the clipped polygon covers:
    // its least corner truncated toward zero, its greatest rounded half up.
    // A polygon with a coordinate that is not finite clips to nothing.
    bool clipPolygon(int count, const Point2d* points, PixelRect& result) const;
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
