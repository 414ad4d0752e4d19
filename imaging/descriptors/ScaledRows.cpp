#include "imaging/descriptors/ScaledRows.h"

#include "imaging/filters/Scale.h"
#include "imaging/pipeline/RowProviderInterface.h"
#include "imaging/placement/ResampleToSize.h"
#include "imaging/resampling/ResamplingKind.h"

namespace Omvi
{

std::unique_ptr<RowProviderInterface> resizeRows(std::unique_ptr<RowProviderInterface> source, const PixelPair& size,
                                                 std::int32_t resamplingKind)
{
    if (source->size() == size)
        return source;
    // A caller that names a kernel wants it whatever the ratio, so the
    // dispatch runs in one stage. Rows no kernel takes are scaled.
    if (resamplingKind != kResampleNearest && size.x > 0 && size.y > 0 &&
        hasResamplerPair(source->dataModel(), false))
        return std::unique_ptr<RowProviderInterface>(
            resampleToSize(source.release(), size, resamplingKind, false, false, false, nullptr));
    auto scaled = std::make_unique<Scale>(source.get(), size);
    static_cast<void>(source.release());
    return scaled;
}

} // namespace Omvi
