#include "imaging/images/RegionCheck.h"

#include "imaging/OMVIException.h"

#include <cstdint>

namespace Omvi
{

namespace
{
bool spanInside(std::int64_t extent, std::int64_t start, std::int64_t length)
{
    return extent >= 1 && length >= 1 && start >= 0 && start + length - 1 <= extent - 1;
}
} // namespace

bool regionInside(const PixelPair& imageSize, const PixelPair& regionSize, const PixelPair& origin)
{
    return spanInside(imageSize.x, origin.x, regionSize.x) && spanInside(imageSize.y, origin.y, regionSize.y);
}

void requireRegionInside(const PixelPair& imageSize, const PixelPair& regionSize, const PixelPair& origin,
                         const char* message)
{
    if (!regionInside(imageSize, regionSize, origin))
        throw new ImageException(message, 0);
}

} // namespace Omvi
