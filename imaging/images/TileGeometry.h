#pragma once
// How an image of a given size and data type is cut into square tiles: the
// tile edge of its organisation code (64 << code pixels), the bytes of one
// tile line (the padded row of an edge of pixels) and of one tile, and the
// grid. Tiles at the right and bottom edges are full tiles; their pixels
// beyond the image are carried but never shown.
#include "imaging/geometry/PixelRect.h"

#include <cstdint>

namespace Omvi
{

struct TileGeometry
{
    // A grid of more tiles than this is refused: every tile costs a record,
    // a lock and a page whatever its pixels, and sizes come from files.
    static constexpr std::int64_t kMaxTileCount = std::int64_t{1} << 22;

    std::int32_t organisation = 5; // 0-4; 5 for no geometry
    std::int32_t edge = 0;
    std::int32_t lineBytes = 0;
    std::int32_t tileBytes = 0;
    std::int32_t tilesDown = 0;
    std::int32_t tilesAcross = 0;
    std::int32_t tileCount = 0;

    // The geometry of an image of `size` pixels; false (and `out` left
    // alone) for an organisation outside 0-4, a data type outside 0-4, a
    // width or height below 1, or a grid beyond kMaxTileCount.
    static bool of(std::int32_t organisation, std::int32_t dataType, const PixelPair& size, TileGeometry& out);
};

} // namespace Omvi
