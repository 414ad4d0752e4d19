#include "imaging/descriptors/ScaledRows.h"

#include "imaging/filters/Scale.h"
#include "imaging/pipeline/RowProviderInterface.h"

namespace Omvi
{

std::unique_ptr<RowProviderInterface> resizeRows(std::unique_ptr<RowProviderInterface> source, const PixelPair& size,
                                                 std::int32_t)
{
    if (source->size() == size)
        return source;
    auto scaled = std::make_unique<Scale>(source.get(), size);
    static_cast<void>(source.release());
    return scaled;
}

} // namespace Omvi
