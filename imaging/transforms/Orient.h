#pragma once
// Reorders a whole input into one of the eight axis-aligned orientations
// (Orientation.h): the input is read into a private image, whose region
// reader then hands out the oriented view. Small inputs (at most twice the
// model's tile edge each way) go into one block of memory as a static
// image, larger ones into a tiled image that can page. The identity passes
// the input through without buffering.
#include "imaging/Orientation.h"
#include "imaging/pipeline/ImageFilter.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Omvi
{

class ImageRep;

class Orient : public ImageFilter
{
public:
    // Takes `input` over in every case; the whole input is read before the
    // constructor returns. A null input throws ImageFilterException 1; the
    // errors of building and filling the image pass through (the input is
    // then deleted).
    Orient(RowProviderInterface* input, Orientation orientation);
    // The reader goes before the image, the image before its memory.
    ~Orient() override;

    std::int32_t getNextRow(DataBuffer& row) override;
    std::int32_t rowsRemaining() const override { return rowsLeft_; }
    bool isValid() const override;

    Orientation orientation() const { return orientation_; }
    // Whether the input was buffered, and in which kind of image.
    bool isBuffered() const { return image_ != nullptr; }
    bool isBufferedStatically() const { return !memory_.empty(); }

private:
    void buffer(std::unique_ptr<RowProviderInterface>& input);

    Orientation orientation_;
    std::vector<std::uint8_t> memory_;
    std::unique_ptr<ImageRep> image_;
    std::unique_ptr<RowProviderInterface> rows_;
    std::int32_t rowsLeft_ = 0;
};

} // namespace Omvi
