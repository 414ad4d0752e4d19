#include "imaging/filters/PromoteDataModel.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/models/DataModel.h"

namespace OmviFilters
{

using namespace Omvi;

bool PromoteDataModel::isPromotion(const DataModel& source, const DataModel& target)
{
    const std::int32_t from = source.colorSpace();
    const std::int32_t to = target.colorSpace();
    switch (from)
    {
    case kColorSpacePalette:
        return to == kColorSpaceRgb;
    case kColorSpaceGray:
        return to == kColorSpacePalette || to == kColorSpaceRgb;
    case kColorSpaceBitonal:
        return to == kColorSpaceGray || to == kColorSpacePalette || to == kColorSpaceRgb;
    default:
        return false;
    }
}

PromoteDataModel::PromoteDataModel(RowProviderInterface* input, const DataModel& target)
{
    if (input == nullptr)
        return;
    bool converted = false;
    if (isPromotion(input->dataModel(), target))
    {
        try
        {
            converted = connectInput(input, target);
        }
        catch (OMVIException* error)
        {
            // The conversion filter could not be made; the input is still
            // ours to connect as it is.
            delete error;
        }
    }
    if (converted)
    {
        valid_ = true;
    }
    else
    {
        // Unconverted rows are only right when they are already in the
        // target model; otherwise they would be labelled wrongly.
        const bool same = !(input->dataModel() != target);
        connectInput(input);
        valid_ = same;
    }
    if (!valid_)
        return;
    try
    {
        init(this->input(0)->size(), target);
    }
    catch (OMVIException* error)
    {
        // Rows of the target model too long to hold: invalid, as for a pair
        // that cannot be promoted.
        delete error;
        valid_ = false;
    }
}

std::int32_t PromoteDataModel::getNextRow(DataBuffer& row)
{
    if (!valid_)
        return 0;
    return input(0)->getNextRow(row);
}

std::int32_t PromoteDataModel::rowsRemaining() const
{
    return valid_ ? input(0)->rowsRemaining() : 0;
}

} // namespace OmviFilters
