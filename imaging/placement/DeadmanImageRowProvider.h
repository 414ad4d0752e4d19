#pragma once
// A row provider that owns the image it reads: the rows of an image made
// for one chain (the point-by-point placement's result) are handed out, and
// the image goes with the provider.
#include "imaging/pipeline/RowProviderInterface.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class Image;

class DeadmanImageRowProvider : public RowProviderInterface
{
public:
    // Takes `image` over (it may be null). When the image yields no row
    // provider over its whole size, the image is dropped too, so that a
    // held image always comes with its provider.
    explicit DeadmanImageRowProvider(Image* image);
    // The provider goes before the image it reads.
    ~DeadmanImageRowProvider() override;

    // The image's rows; 0 and nothing written without an image.
    std::int32_t getNextRow(DataBuffer& row) override;
    std::int32_t rowsRemaining() const override;
    // The image's size; (0, 0) without an image.
    PixelPair size() const override;
    // The image's model. Code 0 of ImageFilterException without an image.
    const DataModel& dataModel() const override;
    std::int32_t bytesPerRow() const override;
    bool isValid() const override { return image_ != nullptr; }

    bool holdsImage() const { return image_ != nullptr; }

private:
    std::unique_ptr<Image> image_;
    std::unique_ptr<RowProviderInterface> rows_;
};

} // namespace Omvi
