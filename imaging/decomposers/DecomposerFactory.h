#pragma once
// The decomposer that writes a provider's rows into a tiled image so that
// reading the covered region back in the same orientation gives the rows
// again (RowComposerFactory.h reads them):
//
//   orientation            decomposer                              direction
//   0 Transpose            TiledImageLeftRightColumnDecomposer     2
//   1 QuarterTurnLeft      TiledImageRightLeftColumnDecomposer     2
//   2 QuarterTurnRight     TiledImageLeftRightColumnDecomposer     3
//   3 Transverse           TiledImageRightLeftColumnDecomposer     3
//   4 Identity             TiledImageTopDownRowDecomposer          0
//   5 MirrorLeftRight      TiledImageTopDownRowDecomposer          1
//   6 MirrorTopBottom      TiledImageBottomUpRowDecomposer         0
//   7 HalfTurn             TiledImageBottomUpRowDecomposer         1
//
// Null when the target is not a tiled image; errors of the decomposer's
// construction (region, data type) are thrown.
#include "imaging/Orientation.h"
#include "imaging/geometry/PixelRect.h"
#include "imaging/models/ImagePixel.h"

#include <memory>

namespace Omvi
{

class DataModel;
class ImageRep;
class RowProviderInterface;
class TiledImageDecomposer;

std::unique_ptr<TiledImageDecomposer> createDecomposer(ImageRep& target, RowProviderInterface& source,
                                                       const PixelPair& origin, Orientation orientation,
                                                       bool useKeyColor, const ImagePixel& keyColor);

// Whether pixels of the model can be transparent: RGB with 32 bits used, a
// gray table with a level of alpha 0, a palette with one of its entries (up
// to its count) of alpha 0. Plain and bitonal models cannot.
bool hasTransparency(const DataModel& model);

} // namespace Omvi
