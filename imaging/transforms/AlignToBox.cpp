#include "imaging/transforms/AlignToBox.h"

#include "imaging/OMVIException.h"
#include "imaging/kernels/KernelFactories.h"
#include "imaging/models/DataModel.h"

#include <algorithm>

namespace Omvi
{

namespace
{
[[noreturn]] void fail(const char* message, std::int32_t code)
{
    throw static_cast<OMVIException*>(new ImageFilterException(message, code));
}
} // namespace

AlignToBox::AlignToBox(RowProviderInterface* input, const PixelPair& offset, const PixelPair& box, ImagePixel clear)
    : offset_(offset), box_(box), clear_(clear)
{
    if (input == nullptr)
        fail("No valid inputs", ImageFilterException::kNoValidInputs);
    if (box.x < 1 || box.y < 1)
        fail("Invalid image size", ImageFilterException::kInvalidSize);
    constructGivingBack(input, [&] { construct(input); });
}

void AlignToBox::construct(RowProviderInterface* input)
{
    RowProviderInterface* connected = input;
    if (!connectInput(connected))
        fail("No valid inputs", ImageFilterException::kNoValidInputs);
    init(box_);
    inputSize_ = input->size();
    inputRow_.resize(input->bytesPerRow());
    copier_.reset(createPixelCopier(input->dataModel().dataType()));
    if (!copier_)
        fail("No valid inputs", ImageFilterException::kNoValidInputs);

    // Columns, in 64 bits: an offset far outside the input must neither
    // wrap nor make a span longer than the box or shorter than nothing.
    const std::int64_t box = box_.x;
    const std::int64_t width = inputSize_.x;
    std::int64_t left = 0;
    std::int64_t start = offset_.x;
    if (offset_.x < 0)
    {
        left = std::min<std::int64_t>(-static_cast<std::int64_t>(offset_.x), box);
        start = 0;
    }
    leftFill_ = static_cast<std::int32_t>(left);
    destinationStart_ = leftFill_;
    if (start < width)
    {
        sourceStart_ = static_cast<std::int32_t>(start);
        std::int64_t copy = width - start;
        if (copy + left > box)
        {
            copy = box - left;
            rightFillStart_ = static_cast<std::int32_t>(box);
            rightFill_ = 0;
        }
        else
        {
            rightFillStart_ = static_cast<std::int32_t>(copy + left);
            rightFill_ = static_cast<std::int32_t>(box - (copy + left));
        }
        copyCount_ = static_cast<std::int32_t>(copy);
    }
    else
    {
        sourceStart_ = 0;
        copyCount_ = 0;
        rightFillStart_ = leftFill_;
        rightFill_ = static_cast<std::int32_t>(box - left);
    }

    // Rows above the box are pulled and dropped, never more than the input
    // has.
    const std::int32_t above = std::min(std::max(offset_.y, 0), inputSize_.y);
    for (std::int32_t i = 0; i < above; ++i)
        input->getNextRow(inputRow_);
}

AlignToBox::~AlignToBox() = default;

std::int32_t AlignToBox::getNextRow(DataBuffer& row)
{
    if (nextRow_ >= box_.y)
        return 0;
    requireRowBytes(row, bytesPerRow());
    const std::int64_t r = static_cast<std::int64_t>(offset_.y) + nextRow_;
    std::uint8_t* out = row.data();
    if (r < 0 || r >= inputSize_.y)
    {
        copier_->fill(out, 0, clear_, box_.x);
    }
    else
    {
        input(0)->getNextRow(inputRow_);
        copier_->fill(out, 0, clear_, leftFill_);
        copier_->copy(out, destinationStart_, inputRow_.data(), sourceStart_, copyCount_);
        copier_->fill(out, rightFillStart_, clear_, rightFill_);
    }
    ++nextRow_;
    return box_.y - nextRow_;
}

} // namespace Omvi
