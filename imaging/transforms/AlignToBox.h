#pragma once
// Cuts or pads an input into a box of a given size: the box's top-left
// pixel is the input's pixel at `offset` (which may lie outside it), and
// every box pixel the input does not cover takes the clear pixel. The spans
// of each row (left fill, copy, right fill) are worked out once; rows are
// pulled lazily, one input row per output row at most, and input rows above
// the box are pulled and dropped.
#include "imaging/DataBuffer.h"
#include "imaging/kernels/PixelCopier.h"
#include "imaging/models/ImagePixel.h"
#include "imaging/pipeline/ImageFilter.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class AlignToBox : public ImageFilter
{
public:
    // Takes `input` over; `clear` is given in the input's model. A null
    // input throws ImageFilterException 1, a box without pixels code 5;
    // `input` then stays the caller's.
    AlignToBox(RowProviderInterface* input, const PixelPair& offset, const PixelPair& box, ImagePixel clear);
    ~AlignToBox() override;

    std::int32_t getNextRow(DataBuffer& row) override;
    std::int32_t rowsRemaining() const override { return box_.y - nextRow_; }

    // The spans of every row that shows an input row.
    std::int32_t leftFill() const { return leftFill_; }
    std::int32_t sourceStart() const { return sourceStart_; }
    std::int32_t copyCount() const { return copyCount_; }
    std::int32_t rightFillStart() const { return rightFillStart_; }
    std::int32_t rightFill() const { return rightFill_; }

private:
    void construct(RowProviderInterface* input);

    PixelPair offset_;
    PixelPair box_;
    PixelPair inputSize_;
    std::int32_t nextRow_ = 0;
    std::int32_t leftFill_ = 0;
    std::int32_t destinationStart_ = 0;
    std::int32_t sourceStart_ = 0;
    std::int32_t copyCount_ = 0;
    std::int32_t rightFillStart_ = 0;
    std::int32_t rightFill_ = 0;
    DataBuffer inputRow_;
    ImagePixel clear_;
    std::unique_ptr<PixelCopier> copier_;
};

} // namespace Omvi
