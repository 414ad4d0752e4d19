#pragma once
// Rows of one constant pixel: the picture of a source so small (or so
// magnified) that one of its pixels covers the whole intermediate image.
#include "imaging/kernels/PixelCopier.h"
#include "imaging/models/DataModel.h"
#include "imaging/models/ImagePixel.h"
#include "imaging/pipeline/RowProviderInterface.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class BlankSource : public RowProviderInterface
{
public:
    // `size.x` by `size.y` pixels of `pixel` in (a clone of) `model`. A width
    // or height below 1, or a row too long to be held, throws
    // ImageFilterException 5; a model of no known data type code 1.
    BlankSource(const PixelPair& size, ImagePixel pixel, const DataModel& model);
    ~BlankSource() override;

    // Fills the row's pixels with the pixel (at least bytesPerRow bytes,
    // else ImageFilterException 6); past the last row nothing is written.
    std::int32_t getNextRow(DataBuffer& row) override;
    std::int32_t rowsRemaining() const override { return rowsLeft_; }
    PixelPair size() const override { return size_; }
    const DataModel& dataModel() const override { return *model_; }
    std::int32_t bytesPerRow() const override { return bytesPerRow_; }
    bool isValid() const override { return true; }

    const ImagePixel& pixel() const { return pixel_; }

private:
    PixelPair size_;
    std::int32_t rowsLeft_;
    std::int32_t bytesPerRow_ = 0;
    std::unique_ptr<DataModel> model_;
    std::unique_ptr<PixelCopier> copier_;
    ImagePixel pixel_;
};

} // namespace Omvi
