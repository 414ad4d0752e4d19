#include "imaging/codecs/pict/PictRowIterator.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/pict/PictPicture.h"

#include <cstring>

namespace Omvi
{

PictRowIterator::PictRowIterator(std::shared_ptr<PictPicture> picture)
    : picture_(std::move(picture))
{
}

PictRowIterator::~PictRowIterator() = default;

std::int32_t PictRowIterator::bytesPerRow() const
{
    return picture_->bytesPerRow();
}

void PictRowIterator::getRow(DataBuffer& row)
{
    if (row.size() < bytesPerRow())
        throw new ImageFilterException("Row buffer too small",
                                       ImageFilterException::kRowBufferTooSmall);
    if (currentRow_ < 0 || currentRow_ >= picture_->height())
    {
        if (row.size() > 0)
            std::memset(row.data(), 0, static_cast<std::size_t>(row.size()));
        return;
    }
    picture_->render();
    picture_->copyRow(currentRow_, row.data());
}

bool PictRowIterator::next()
{
    ++currentRow_;
    return true;
}

std::int32_t PictRowIterator::rowCount() const
{
    return picture_->height();
}

std::int32_t PictRowIterator::width() const
{
    return picture_->width();
}

} // namespace Omvi
