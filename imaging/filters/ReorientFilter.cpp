#include "imaging/filters/ReorientFilter.h"

#include "imaging/OMVIException.h"
#include "imaging/images/ImageRep.h"
#include "imaging/models/DataModel.h"

namespace Omvi
{

ReorientFilter::ReorientFilter(RowProviderInterface* source, std::int32_t orientation)
{
    std::unique_ptr<RowProviderInterface> owned(source);
    const std::optional<BuildOrder> order = buildOrderFromCode(orientation);
    if (!owned || !order)
        return;
    try
    {
        build(owned, *order);
    }
    catch (OMVIException* error)
    {
        // The filter is left without an image: not valid, no rows; the
        // failure is kept for whoever asks why.
        failure_.reset(error);
        rows_.reset();
        image_.reset();
        rowsLeft_ = 0;
    }
}

void ReorientFilter::build(std::unique_ptr<RowProviderInterface>& source, BuildOrder order)
{
    image_ = std::make_unique<Image>(source, order, kOrganisationDefault);
    ImageRep& image = *image_->representation();
    const PixelPair size = image.size();
    rows_ = image.read(size, {0, 0});
    if (!rows_)
    {
        image_.reset();
        return;
    }
    rowsLeft_ = size.y;
    init(size, *image.dataModel());
}

ReorientFilter::~ReorientFilter()
{
    rows_.reset();
    image_.reset();
}

std::int32_t ReorientFilter::getNextRow(DataBuffer& row)
{
    if (rowsLeft_ <= 0 || !rows_)
        return 0;
    const std::int32_t answer = rows_->getNextRow(row);
    --rowsLeft_;
    return answer;
}

bool ReorientFilter::isValid() const
{
    return rows_ != nullptr && image_ != nullptr && isInitialised();
}

} // namespace Omvi
