#pragma once
// Resizing the rows of a frame to a requested size by a resampling kind
// (ResamplingKind.h): the last step of a descriptor's scaled rows.
#include "imaging/geometry/PixelRect.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class RowProviderInterface;

// A provider of `size` over `source` (which it then owns), or `source`
// itself when it already has that size. Kind 0, and rows of a model no
// kernel takes, are resized by nearest neighbour (Scale); the other kinds
// go through resampleToSize in one stage. The exceptions of the filters
// pass through, and `source` is then deleted.
std::unique_ptr<RowProviderInterface> resizeRows(std::unique_ptr<RowProviderInterface> source, const PixelPair& size,
                                                 std::int32_t resamplingKind);

} // namespace Omvi
