#include "imaging/images/TileGeometry.h"

#include "imaging/models/DataModel.h"

namespace Omvi
{

bool TileGeometry::of(std::int32_t organisation, std::int32_t dataType, const PixelPair& size, TileGeometry& out)
{
    const std::int32_t edge = tileSizeOfOrganisation(organisation);
    const std::int64_t lineBytes = rowBytes(edge, dataType);
    if (edge < 1 || lineBytes < 1 || size.x < 1 || size.y < 1)
        return false;
    const std::int64_t across = (std::int64_t{size.x} + edge - 1) / edge;
    const std::int64_t down = (std::int64_t{size.y} + edge - 1) / edge;
    if (across * down > kMaxTileCount)
        return false;
    TileGeometry geometry;
    geometry.organisation = organisation;
    geometry.edge = edge;
    geometry.lineBytes = static_cast<std::int32_t>(lineBytes);
    geometry.tileBytes = static_cast<std::int32_t>(lineBytes * edge);
    geometry.tilesDown = static_cast<std::int32_t>(down);
    geometry.tilesAcross = static_cast<std::int32_t>(across);
    geometry.tileCount = static_cast<std::int32_t>(across * down);
    out = geometry;
    return true;
}

} // namespace Omvi
