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
// itself when it already has that size. Every kind resizes by nearest
// neighbour (Scale) here. The exceptions of the filters pass through, and
// `source` is then deleted.
std::unique_ptr<RowProviderInterface> resizeRows(std::unique_ptr<RowProviderInterface> source, const PixelPair& size,
                                                 std::int32_t resamplingKind);

} // namespace Omvi
