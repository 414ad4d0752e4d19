#include "imaging/composers/TiledRowComposers.h"

namespace Omvi
{

TiledRowComposerTopDown::TiledRowComposerTopDown(TiledImage& image, const PixelPair& regionSize,
                                                 const PixelPair& origin, std::int32_t direction)
    : TiledRowComposerBase(image, regionSize, origin, direction == 1 ? 1 : 0, false, false)
{
}

TiledRowComposerBottomUp::TiledRowComposerBottomUp(TiledImage& image, const PixelPair& regionSize,
                                                   const PixelPair& origin, std::int32_t direction)
    : TiledRowComposerBase(image, regionSize, origin, direction == 1 ? 1 : 0, false, true)
{
}

TiledRowComposerLeftRight::TiledRowComposerLeftRight(TiledImage& image, const PixelPair& regionSize,
                                                     const PixelPair& origin, std::int32_t direction)
    : TiledRowComposerBase(image, regionSize, origin, direction == 3 ? 3 : 2, true, false)
{
}

TiledRowComposerRightLeft::TiledRowComposerRightLeft(TiledImage& image, const PixelPair& regionSize,
                                                     const PixelPair& origin, std::int32_t direction)
    : TiledRowComposerBase(image, regionSize, origin, direction == 3 ? 3 : 2, true, true)
{
}

} // namespace Omvi
