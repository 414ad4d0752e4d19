#include "imaging/transforms/ConvertModel.h"

#include "imaging/OMVIException.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"

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

ConvertModel::ConvertModel(RowProviderInterface* input, bool grayAsRgb)
{
    if (input == nullptr)
        refuse();
    const DataModel& model = input->dataModel();
    RowProviderInterface* connected = input;
    bool accepted = false;
    switch (model.colorSpace())
    {
    case kColorSpaceBitonal:
        accepted = connectInput(connected, RgbGrayModel());
        break;
    case kColorSpaceGray:
    {
        const auto* gray = dynamic_cast<const RgbGrayModel*>(&model);
        if (grayAsRgb && gray != nullptr && !gray->isOpaque())
            accepted = connectInput(connected, RgbModel(32));
        else
            accepted = connectInput(connected, RgbGrayModel());
        break;
    }
    case kColorSpacePalette:
    case kColorSpaceRgb:
        accepted = connectInput(connected, RgbModel(32));
        break;
    default:
        accepted = connectInput(connected);
        break;
    }
    if (!accepted)
        refuse();
    constructGivingBack(input, [&] { init(connected->size()); });
}

ConvertModel::~ConvertModel() = default;

std::int32_t ConvertModel::getNextRow(DataBuffer& row)
{
    requireRowBytes(row, bytesPerRow());
    return input(0)->getNextRow(row);
}

std::int32_t ConvertModel::rowsRemaining() const
{
    return input(0)->rowsRemaining();
}

} // namespace Omvi
