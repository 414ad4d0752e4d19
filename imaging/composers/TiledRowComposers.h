#pragma once
// The four tiled row composers, one per walk over a region of a tiled
// image (see TiledRowComposerBase.h). Made by createRowComposer from an
// orientation; the stitcher direction says how each row is laid out:
// - TiledRowComposerTopDown: the region's lines from the top; direction 0
//   left to right, 1 mirrored.
// - TiledRowComposerBottomUp: the lines from the bottom; 0 or 1 as above.
// - TiledRowComposerLeftRight: the region's columns from the left, each
//   delivered as a row; direction 2 top to bottom, 3 bottom to top.
// - TiledRowComposerRightLeft: the columns from the right; 2 or 3.
#include "imaging/composers/TiledRowComposerBase.h"

namespace Omvi
{

class TiledRowComposerTopDown : public TiledRowComposerBase
{
public:
    TiledRowComposerTopDown(TiledImage& image, const PixelPair& regionSize, const PixelPair& origin,
                            std::int32_t direction);
};

class TiledRowComposerBottomUp : public TiledRowComposerBase
{
public:
    TiledRowComposerBottomUp(TiledImage& image, const PixelPair& regionSize, const PixelPair& origin,
                             std::int32_t direction);
};

class TiledRowComposerLeftRight : public TiledRowComposerBase
{
public:
    TiledRowComposerLeftRight(TiledImage& image, const PixelPair& regionSize, const PixelPair& origin,
                              std::int32_t direction);
};

class TiledRowComposerRightLeft : public TiledRowComposerBase
{
public:
    TiledRowComposerRightLeft(TiledImage& image, const PixelPair& regionSize, const PixelPair& origin,
                              std::int32_t direction);
};

} // namespace Omvi
