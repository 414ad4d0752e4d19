#include "imaging/placement/DeadmanImageRowProvider.h"

#include "imaging/OMVIException.h"
#include "imaging/images/Image.h"
#include "imaging/images/ImageRep.h"
#include "imaging/models/DataModel.h"

#include <limits>

namespace Omvi
{

DeadmanImageRowProvider::DeadmanImageRowProvider(Image* image) : image_(image)
{
    ImageRep* representation = image_ ? image_->representation() : nullptr;
    if (representation != nullptr && representation->isConstructed())
        rows_ = representation->read(representation->size(), {0, 0});
    if (!rows_)
        image_.reset();
}

DeadmanImageRowProvider::~DeadmanImageRowProvider()
{
    rows_.reset();
    image_.reset();
}

std::int32_t DeadmanImageRowProvider::getNextRow(DataBuffer& row)
{
    return rows_ ? rows_->getNextRow(row) : 0;
}

std::int32_t DeadmanImageRowProvider::rowsRemaining() const
{
    return rows_ ? rows_->rowsRemaining() : 0;
}

PixelPair DeadmanImageRowProvider::size() const
{
    return image_ ? image_->representation()->size() : PixelPair{};
}

const DataModel& DeadmanImageRowProvider::dataModel() const
{
    if (!image_)
        throw static_cast<OMVIException*>(
            new ImageFilterException("Init has not been called", ImageFilterException::kInitNotCalled));
    return *image_->representation()->dataModel();
}

std::int32_t DeadmanImageRowProvider::bytesPerRow() const
{
    if (!image_)
        return 0;
    const std::int64_t bytes = dataModel().bytesPerRow(size().x);
    return bytes > std::numeric_limits<std::int32_t>::max() ? 0 : static_cast<std::int32_t>(bytes);
}

} // namespace Omvi
