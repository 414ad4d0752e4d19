#include "imaging/transforms/BlankSource.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/kernels/KernelFactories.h"

#include <limits>

namespace Omvi
{

BlankSource::BlankSource(const PixelPair& size, ImagePixel pixel, const DataModel& model)
    : size_(size), rowsLeft_(size.y), model_(model.clone()), pixel_(pixel)
{
    const std::int64_t bytes = model_->bytesPerRow(size.x);
    if (size.x < 1 || size.y < 1 || bytes < 1 || bytes > std::numeric_limits<std::int32_t>::max())
        throw static_cast<OMVIException*>(
            new ImageFilterException("Invalid image size", ImageFilterException::kInvalidSize));
    bytesPerRow_ = static_cast<std::int32_t>(bytes);
    copier_.reset(createPixelCopier(model_->dataType()));
    if (!copier_)
        throw static_cast<OMVIException*>(
            new ImageFilterException("No valid inputs", ImageFilterException::kNoValidInputs));
}

BlankSource::~BlankSource() = default;

std::int32_t BlankSource::getNextRow(DataBuffer& row)
{
    if (rowsLeft_ <= 0)
        return 0;
    if (row.size() < bytesPerRow_)
        throw static_cast<OMVIException*>(
            new ImageFilterException("Row buffer too small", ImageFilterException::kRowBufferTooSmall));
    copier_->fill(row.data(), 0, pixel_, size_.x);
    return --rowsLeft_;
}

} // namespace Omvi
