#include "imaging/shears/ShearPoints.h"

#include <cmath>
#include <limits>

namespace Omvi
{

namespace
{
std::int32_t ceilingOrNone(double value)
{
    const double ceiling = std::ceil(value);
    if (!(ceiling >= 0.0) || ceiling > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return -1;
    return static_cast<std::int32_t>(ceiling);
}
} // namespace

void xShearPoint(const PixelPair& size, double factor, Point2d& point)
{
    if (factor >= 0.0)
        point.x += point.y * factor;
    else
        point.x += (point.y - (size.y - 1)) * factor;
}

void yShearPoint(const PixelPair& size, double factor, Point2d& point)
{
    const std::int32_t extra = verticalShearExtraRows(size.x, factor);
    if (factor > 0.0)
        point.y += extra + factor * (point.x - (size.x - 1));
    else
        point.y += extra + factor * point.x;
}

std::int32_t verticalShearExtraRows(std::int32_t width, double factor)
{
    // As the filter computes it: ceil(i * factor), i = width - 1 for a
    // factor of 0 or more and 1 - width otherwise.
    const double i = factor >= 0.0 ? static_cast<double>(width) - 1.0 : 1.0 - static_cast<double>(width);
    return ceilingOrNone(i * factor);
}

std::int32_t horizontalShearExtraColumns(std::int32_t height, double factor)
{
    const std::int32_t extra = ceilingOrNone((static_cast<double>(height) - 1.0) * std::fabs(factor));
    if (extra < 0 || extra == std::numeric_limits<std::int32_t>::max())
        return -1;
    return extra + 1;
}

} // namespace Omvi
