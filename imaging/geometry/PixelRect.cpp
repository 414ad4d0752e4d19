#include "imaging/geometry/PixelRect.h"

#include <cmath>
#include <limits>

namespace Omvi
{

namespace
{
constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();

std::int32_t clampToInt(std::int64_t value)
{
    return static_cast<std::int32_t>(value < kMin ? kMin : value > kMax ? kMax : value);
}

std::int32_t clampToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value <= static_cast<double>(kMin))
        return static_cast<std::int32_t>(kMin);
    if (value >= static_cast<double>(kMax))
        return static_cast<std::int32_t>(kMax);
    return static_cast<std::int32_t>(value);
}
} // namespace

PixelRect PixelRect::fromOriginAndSize(std::int32_t x, std::int32_t y, std::int32_t width,
                                       std::int32_t height)
{
    const PixelPair last = lastPixel({x, y}, {width, height});
    return PixelRect{x, y, last.x, last.y};
}

PixelPair lastPixel(const PixelPair& origin, const PixelPair& size)
{
    // Summed in 64 bits so that corners near the edge of the range saturate
    // instead of wrapping.
    return {clampToInt(std::int64_t{origin.x} + size.x - 1),
            clampToInt(std::int64_t{origin.y} + size.y - 1)};
}

bool rectContainsRect(const PixelRect& outer, const PixelRect& inner)
{
    const auto inside = [&outer](std::int32_t x, std::int32_t y) {
        return x >= outer.x0 && y >= outer.y0 && x <= outer.x1 && y <= outer.y1;
    };
    return inside(inner.x0, inner.y0) && inside(inner.x1, inner.y1);
}

std::int32_t roundToInt(double value)
{
    return clampToInt(std::floor(value + 0.5));
}

std::int32_t ceilToInt(double value)
{
    return clampToInt(std::ceil(value));
}

} // namespace Omvi
