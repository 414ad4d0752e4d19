#pragma once
// The row provider that reads a region of an image representation in an
// orientation (Orientation.h: 4 the region as it is, 0-3 its columns as
// rows). A tiled image gets one of the four tiled row composers, a static
// image the static one; any other representation none (null).
//
//   orientation            tiled composer              stitcher direction
//   0 Transpose            TiledRowComposerLeftRight   2
//   1 QuarterTurnLeft      TiledRowComposerRightLeft   2
//   2 QuarterTurnRight     TiledRowComposerLeftRight   3
//   3 Transverse           TiledRowComposerRightLeft   3
//   4 Identity             TiledRowComposerTopDown     0
//   5 MirrorLeftRight      TiledRowComposerTopDown     1
//   6 MirrorTopBottom      TiledRowComposerBottomUp    0
//   7 HalfTurn             TiledRowComposerBottomUp    1
//
// A region outside the image throws ImageException 0.
#include "imaging/Orientation.h"
#include "imaging/geometry/PixelRect.h"

#include <memory>

namespace Omvi
{

class ImageRep;
class RowProviderInterface;

std::unique_ptr<RowProviderInterface> createRowComposer(ImageRep& image, const PixelPair& regionSize,
                                                        const PixelPair& origin, Orientation orientation);

} // namespace Omvi
