#pragma once
// Where the shear filters move a point: the rotation maps the corners of its
// input through its three stages with these to find its output extent.
// `size` is that of the image entering the stage.
#include "imaging/geometry/PixelRect.h"
#include "imaging/geometry/Point2d.h"

#include <cstdint>

namespace Omvi
{

// The horizontal shear by `factor`: x += y * factor when the factor is 0 or
// more, else x += (y - (height - 1)) * factor; y stays.
void xShearPoint(const PixelPair& size, double factor, Point2d& point);

// The vertical shear that createYShear makes with the negated factor: with
// E the rows it adds (verticalShearExtraRows), y becomes
// y + E + factor * (x - (width - 1)) when the factor is above 0 and
// y + E + factor * x otherwise; x stays.
void yShearPoint(const PixelPair& size, double factor, Point2d& point);

// The rows a vertical shear of `factor` adds to an image `width` pixels
// wide: ceil((width - 1) * |factor|), or -1 when that is not a number or
// does not fit an int32.
std::int32_t verticalShearExtraRows(std::int32_t width, double factor);
// The columns a horizontal shear of `factor` adds to an image `height` rows
// high: ceil((height - 1) * |factor|) + 1, or -1 as above.
std::int32_t horizontalShearExtraColumns(std::int32_t height, double factor);

} // namespace Omvi
