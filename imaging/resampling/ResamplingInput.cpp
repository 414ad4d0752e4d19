#include "imaging/resampling/ResamplingInput.h"

#include "imaging/OMVIException.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/DataModel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/pipeline/ImageFilter.h"

namespace Omvi
{

namespace
{
[[noreturn]] void refuse()
{
    throw static_cast<OMVIException*>(
        new ImageFilterException("No valid inputs", ImageFilterException::kNoValidInputs));
}
} // namespace

double resamplingEpsilon(SampleLayout layout)
{
    switch (layout)
    {
    case SampleLayout::Data16:
        return 0.000001;
    case SampleLayout::Float32:
        return 1e-10;
    default:
        return 0.0001;
    }
}

void connectResamplingInput(ImageFilter& filter, RowProviderInterface*& input, SampleLayout layout)
{
    if (input == nullptr)
        refuse();
    const DataModel& model = input->dataModel();
    const bool plain = model.colorSpace() == kColorSpaceNone;
    bool connected = false;
    switch (layout)
    {
    case SampleLayout::Bitonal:
        connected = filter.connectInput(input, BitonalModel());
        break;
    case SampleLayout::Gray:
        // Plain 8-bit samples are resampled as they are; plain 1-bit ones
        // have no levels to weigh and are refused.
        if (plain)
            connected = model.dataType() == kDataTypeEightBit && filter.connectInput(input);
        else
            connected = filter.connectInput(input, RgbGrayModel());
        break;
    case SampleLayout::Data16:
        connected = plain && model.dataType() == kDataTypeSixteenBit && filter.connectInput(input);
        break;
    case SampleLayout::Float32:
        connected = plain && model.dataType() == kDataTypeThirtyTwoBit && filter.connectInput(input);
        break;
    case SampleLayout::Rgb:
        connected = filter.connectInput(input, RgbModel(32));
        break;
    }
    if (!connected)
        refuse();
}

void throwInvalidArgument(const char* className)
{
    throw static_cast<OMVIException*>(new ImageFilterException(className, ImageFilterException::kInvalidArgument));
}

void throwInvalidSize()
{
    throw static_cast<OMVIException*>(
        new ImageFilterException("Invalid image size", ImageFilterException::kInvalidSize));
}

void throwOutOfMemory(const char* what)
{
    throw static_cast<OMVIException*>(new SystemException(what, SystemException::kOutOfMemory));
}

} // namespace Omvi
