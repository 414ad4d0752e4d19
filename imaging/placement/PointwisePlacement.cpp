// ImagePlacement::mapPointwise: the destination made one pixel at a time.
#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/conversions/ColorModelRule.h"
#include "imaging/geometry/Matrix2d.h"
#include "imaging/images/Image.h"
#include "imaging/images/ImageContextRep.h"
#include "imaging/images/ImageRep.h"
#include "imaging/kernels/KernelFactories.h"
#include "imaging/models/DataModel.h"
#include "imaging/placement/DeadmanImageRowProvider.h"
#include "imaging/placement/ImagePlacement.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace Omvi
{

namespace
{
// The destination's rows, each pixel read from the source where the
// destination frame maps it; a source pixel outside the source reads as
// its clear colour.
class PointwiseRows : public RowProviderInterface
{
public:
    PointwiseRows(ImageContextRep& source, const Matrix2d& map, const PixelPair& size, const DataModel& model)
        : source_(source), map_(map), size_(size), model_(model.clone()),
          copier_(createPixelCopier(model.dataType()))
    {
        const std::int64_t bytes = model_->bytesPerRow(size.x);
        if (!copier_ || bytes < 1 || bytes > std::numeric_limits<std::int32_t>::max())
            throw static_cast<OMVIException*>(
                new ImageFilterException("Invalid image size", ImageFilterException::kInvalidSize));
        bytesPerRow_ = static_cast<std::int32_t>(bytes);
    }

    std::int32_t getNextRow(DataBuffer& row) override
    {
        if (next_ >= size_.y)
            return 0;
        if (row.size() < bytesPerRow_)
            throw static_cast<OMVIException*>(
                new ImageFilterException("Row buffer too small", ImageFilterException::kRowBufferTooSmall));
        std::uint8_t* out = row.data();
        for (std::int32_t x = 0; x < size_.x; ++x)
        {
            Point2d p(x, next_);
            p.transformBy(map_);
            // Nearest by rounding half up (floor, so that positions left of
            // or above the source do not round onto its first pixel).
            copier_->fill(out, x, source_.getPixel(roundToInt(p.x), roundToInt(p.y)), 1);
        }
        ++next_;
        return size_.y - next_;
    }
    std::int32_t rowsRemaining() const override { return size_.y - next_; }
    PixelPair size() const override { return size_; }
    const DataModel& dataModel() const override { return *model_; }
    std::int32_t bytesPerRow() const override { return bytesPerRow_; }
    bool isValid() const override { return true; }

private:
    ImageContextRep& source_;
    Matrix2d map_;
    PixelPair size_;
    std::unique_ptr<DataModel> model_;
    std::unique_ptr<PixelCopier> copier_;
    std::int32_t bytesPerRow_ = 0;
    std::int32_t next_ = 0;
};

// Enough tile copies for a row of the destination to cross the source once.
std::int32_t readCacheFor(const ImageRep& image)
{
    std::int32_t down = 0;
    std::int32_t across = 0;
    image.tileGrid(down, across);
    return std::max(4, 2 * std::max(down, across));
}
} // namespace

RowProviderInterface* ImagePlacement::mapPointwise(Image* source, const PixelPair& destination, const Point2d& origin,
                                                   const Vector2d& widthAxis, const Vector2d& heightAxis,
                                                   bool keepModel)
{
    if (source == nullptr || destination.x < 1 || destination.y < 1)
        return nullptr;
    ImageRep* image = source->representation();
    if (image == nullptr || !image->isConstructed() || image->dataModel() == nullptr)
        return nullptr;
    const PixelPair size = image->size();
    Matrix2d map;
    if (!Matrix2d::frameToFrame(origin, widthAxis, heightAxis, Point2d(0.0, 0.0), Vector2d(size.x, 0.0),
                                Vector2d(0.0, size.y), map))
        return nullptr;
    for (double value : map.m)
        if (!std::isfinite(value))
            return nullptr;

    const ImagePixel clear = image->clearColor();
    std::unique_ptr<ImageContextRep> context = image->createContext(0, size, {0, 0}, readCacheFor(*image));
    context->setOutOfBoundsException(false);
    context->setOutOfBoundsPixel(clear);

    // The source is read whole now: the result owns its own image.
    std::unique_ptr<RowProviderInterface> rows =
        std::make_unique<PointwiseRows>(*context, map, destination, *image->dataModel());
    auto result = std::make_unique<Image>(rows, BuildOrder::RowsTopDown, kOrganisationDefault);
    rows.reset();
    context.reset();
    result->representation()->setClearColor(clear);

    std::unique_ptr<RowProviderInterface> provider = std::make_unique<DeadmanImageRowProvider>(result.release());
    if (provider->isValid() && !keepModel)
    {
        RowProviderInterface* original = provider.get();
        RowProviderInterface* converted = applyColorModelRule(original);
        if (converted != original)
        {
            static_cast<void>(provider.release());
            provider.reset(converted);
        }
    }
    return provider.release();
}

} // namespace Omvi
