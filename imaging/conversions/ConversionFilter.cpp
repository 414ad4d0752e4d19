#include "imaging/conversions/ConversionFilter.h"

#include "imaging/OMVIException.h"
#include "imaging/models/DataModel.h"

#include <algorithm>

namespace Omvi
{

namespace
{
[[noreturn]] void noValidInputs()
{
    throw static_cast<OMVIException*>(
        new ImageFilterException("No valid inputs", ImageFilterException::kNoValidInputs));
}
} // namespace

ConversionFilter::ConversionFilter(std::int32_t colorSpace) : colorSpace_(colorSpace) {}

ConversionFilter::~ConversionFilter()
{
    if (complete_ || inputCount() == 0)
        return;
    // Construction failed after the input was connected: hand it back. When
    // a conversion was put in front of it, that conversion lets go of it and
    // is deleted with this filter.
    RowProviderInterface* connected = input(0);
    if (connected == original_)
        releaseInputs();
    else if (auto* inserted = dynamic_cast<ConversionFilter*>(connected))
        inserted->releaseInputs();
}

const DataModel& ConversionFilter::connectDirectly(RowProviderInterface* input, std::int32_t expected)
{
    if (input == nullptr || input->dataModel().colorSpace() != expected)
        noValidInputs();
    original_ = input;
    RowProviderInterface* connected = input;
    if (!connectInput(connected))
        noValidInputs();
    return connected->dataModel();
}

const DataModel& ConversionFilter::connectAs(RowProviderInterface* input, const DataModel& required)
{
    if (input == nullptr)
        noValidInputs();
    original_ = input;
    RowProviderInterface* connected = input;
    if (!connectInput(connected, required))
        noValidInputs();
    return connected->dataModel();
}

void ConversionFilter::complete(const DataModel& output, bool inPlace)
{
    RowProviderInterface* source = input(0);
    const PixelPair size = source->size();
    init(size, output);
    width_ = size.x;
    rowsLeft_ = size.y;
    inPlace_ = inPlace;
    inputRowBytes_ = source->bytesPerRow();
    if (!inPlace_)
        inputRow_.resize(inputRowBytes_);
    complete_ = true;
}

std::int32_t ConversionFilter::getNextRow(DataBuffer& row)
{
    if (rowsLeft_ <= 0)
        return 0;
    RowProviderInterface* source = input(0);
    if (inPlace_)
    {
        requireRowBytes(row, std::max(bytesPerRow(), inputRowBytes_));
        source->getNextRow(row);
        convertRow(row.data(), row.data());
    }
    else
    {
        requireRowBytes(row, bytesPerRow());
        source->getNextRow(inputRow_);
        convertRow(inputRow_.data(), row.data());
    }
    return --rowsLeft_;
}

void ConversionFilter::convertSourcePixel(ImagePixel& pixel)
{
    ImageFilter::convertSourcePixel(pixel);
    convertPixel(pixel);
}

} // namespace Omvi
