#pragma once
// The resampling dispatcher: resizes any row provider to a target size with
// the resampler pair that suits its model and the kind asked for, falling
// back to nearest-neighbour scaling (Scale) where a kernel would gain
// nothing or cannot work (sizes of 1, windows wider than the source, changes
// below a tenth, raw 1-bit samples). With `twoStage`, far reductions are
// halved by nearest neighbour first, far enlargements resampled to half the
// target and then scaled, and mild changes scaled outright.
#include "imaging/geometry/PixelRect.h"

#include <cstdint>

namespace Omvi
{

class RowProviderInterface;

// Takes `source` over in every case and answers a provider of `target`
// size over it, `source` itself when it already has that size, or null
// (and `source` deleted) when `noData` is given and the model is not plain
// 32-bit float data, when the model has no resampler pair, or when the
// target has no pixels. `kind` is a ResamplingKind; `grayAsRgb` resamples a
// gray model with a transparent level as RGB; unless `keepModel`, a plain
// model with a colour face is first converted (applyColorModelRule).
// `noData` (may be null) is the float value that marks missing samples.
// The filters' exceptions pass through, and `source` is then deleted.
class DataModel;

// Whether resampleToSize finds a way to resize rows of `model` (a resampler
// pair, or nearest neighbour for raw bits) rather than answering null.
bool hasResamplerPair(const DataModel& model, bool grayAsRgb);

RowProviderInterface* resampleToSize(RowProviderInterface* source, const PixelPair& target, std::int32_t kind,
                                     bool twoStage, bool grayAsRgb, bool keepModel, const float* noData);

} // namespace Omvi
