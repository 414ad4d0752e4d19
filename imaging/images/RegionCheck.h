#pragma once
// The one region check of the image representations: a region of
// `regionSize` pixels whose first pixel is `origin` lies in an image of
// `imageSize` when both sizes are at least 1 and its first and last pixels
// are inside the image. Worked out in 64 bits, so no origin or size can
// wrap around into the image.
#include "imaging/geometry/PixelRect.h"

namespace Omvi
{

bool regionInside(const PixelPair& imageSize, const PixelPair& regionSize, const PixelPair& origin);
// Throws ImageException code 0 with `message` (for example
// "Image::read: Region Out Of Bounds") when the region is not inside.
void requireRegionInside(const PixelPair& imageSize, const PixelPair& regionSize, const PixelPair& origin,
                         const char* message);

} // namespace Omvi
