#include "imaging/pipeline/ImageFilter.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/models/ColorModelInterface.h"
#include "imaging/models/DataModel.h"

#include <limits>

namespace Omvi
{

namespace
{
[[noreturn]] void fail(const char* message, std::int32_t code)
{
    throw static_cast<OMVIException*>(new ImageFilterException(message, code));
}

// Replaces `input` by a conversion of it into `required` when the two models
// differ; false when no conversion exists.
bool insertConversion(RowProviderInterface*& input, const DataModel& required)
{
    const DataModel& model = input->dataModel();
    if (!(required != model))
        return true;
    const ColorModelInterface* from = ColorModelInterface::of(model);
    const ColorModelInterface* to = ColorModelInterface::of(required);
    if (from == nullptr || to == nullptr)
        return false;
    if (from->canConvertTo(required))
        input = from->convertTo(required, input);
    else if (to->canConvertFrom(model))
        input = to->convertFrom(model, input);
    else
        return false;
    return true;
}
} // namespace

ImageFilter::ImageFilter()
{
    inputs_.reserve(static_cast<std::size_t>(capacity_));
}

ImageFilter::~ImageFilter() = default;

PixelPair ImageFilter::size() const
{
    if (!isInitialised())
        fail("Init has not been called", ImageFilterException::kInitNotCalled);
    return size_;
}

const DataModel& ImageFilter::dataModel() const
{
    if (!isInitialised())
        fail("Init has not been called", ImageFilterException::kInitNotCalled);
    return *model_;
}

std::int32_t ImageFilter::bytesPerRow() const
{
    if (!isInitialised())
        fail("Init has not been called", ImageFilterException::kInitNotCalled);
    return bytesPerRow_;
}

bool ImageFilter::isValid() const
{
    if (!isInitialised() || inputs_.empty())
        return false;
    for (const auto& input : inputs_)
        if (!input->isValid())
            return false;
    return true;
}

RowProviderInterface* ImageFilter::soleInputOfSameSize() const
{
    if (inputs_.size() != 1 || !isInitialised())
        return nullptr;
    RowProviderInterface* only = inputs_.front().get();
    return only->size() == size_ ? only : nullptr;
}

bool ImageFilter::hasSparseRows() const
{
    if (RowProviderInterface* only = soleInputOfSameSize())
        return only->hasSparseRows();
    return false;
}

bool ImageFilter::nextRun(std::int32_t& first, std::int32_t& count)
{
    if (RowProviderInterface* only = soleInputOfSameSize())
        return only->nextRun(first, count);
    first = 0;
    count = size_.x;
    return true;
}

void ImageFilter::restartRuns()
{
    if (inputs_.size() == 1)
        inputs_.front()->restartRuns();
}

std::int32_t ImageFilter::runCount() const
{
    if (RowProviderInterface* only = soleInputOfSameSize())
        return only->runCount();
    return 1;
}

void ImageFilter::convertSourcePixel(ImagePixel& pixel)
{
    for (const auto& input : inputs_)
    {
        if (auto* filter = dynamic_cast<ImageFilter*>(input.get()))
        {
            filter->convertSourcePixel(pixel);
            return;
        }
    }
}

void ImageFilter::append(RowProviderInterface* input)
{
    if (static_cast<std::int32_t>(inputs_.size()) == capacity_)
    {
        capacity_ += 5;
        inputs_.reserve(static_cast<std::size_t>(capacity_));
    }
    inputs_.emplace_back(input);
}

bool ImageFilter::connectInput(RowProviderInterface*& input)
{
    if (input == nullptr)
        return false;
    if (isInitialised())
        return connectInput(input, *model_);
    append(input);
    return true;
}

bool ImageFilter::connectInput(RowProviderInterface*& input, const DataModel& required)
{
    if (input == nullptr)
        return false;
    // Make room first: once a conversion filter owns the input, nothing may
    // fail before the filter is appended.
    if (static_cast<std::int32_t>(inputs_.size()) == capacity_)
    {
        capacity_ += 5;
        inputs_.reserve(static_cast<std::size_t>(capacity_));
    }
    if (!insertConversion(input, required))
        return false;
    append(input);
    return true;
}

void ImageFilter::init(const PixelPair& size)
{
    if (isInitialised())
        fail("Init has already been called", ImageFilterException::kAlreadyInitialised);
    if (inputs_.empty())
        fail("No valid inputs", ImageFilterException::kNoValidInputs);
    if (inputs_.size() > 1)
        fail("Too many connected inputs", ImageFilterException::kTooManyInputs);
    init(size, inputs_.front()->dataModel());
}

void ImageFilter::init(const PixelPair& size, const DataModel& model)
{
    if (isInitialised())
        fail("Init has already been called", ImageFilterException::kAlreadyInitialised);
    const std::int64_t bytes = model.bytesPerRow(size.x);
    if (size.x < 0 || size.y < 0 || bytes > std::numeric_limits<std::int32_t>::max())
        fail("Invalid image size", ImageFilterException::kInvalidSize);
    model_ = model.clone();
    size_ = size;
    bytesPerRow_ = static_cast<std::int32_t>(bytes);
}

RowProviderInterface* ImageFilter::input(std::int32_t index) const
{
    if (index < 0 || index >= inputCount())
        fail("No valid inputs", ImageFilterException::kNoValidInputs);
    return inputs_[static_cast<std::size_t>(index)].get();
}

void ImageFilter::releaseInputs()
{
    for (auto& input : inputs_)
        static_cast<void>(input.release());
    inputs_.clear();
}

void ImageFilter::returnInput(RowProviderInterface* original)
{
    for (auto it = inputs_.begin(); it != inputs_.end(); ++it)
    {
        if (it->get() == original)
        {
            static_cast<void>(it->release());
            inputs_.erase(it);
            return;
        }
        auto* inserted = dynamic_cast<ImageFilter*>(it->get());
        if (inserted != nullptr && inserted->inputs_.size() == 1 && inserted->inputs_.front().get() == original)
        {
            inserted->releaseInputs();
            inputs_.erase(it);
            return;
        }
    }
}

void ImageFilter::requireRowBytes(const DataBuffer& row, std::int64_t bytes)
{
    if (row.size() < bytes || (bytes > 0 && row.data() == nullptr))
        fail("Row buffer too small", ImageFilterException::kRowBufferTooSmall);
}

} // namespace Omvi
