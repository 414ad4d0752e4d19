#include "imaging/descriptors/ReadRowProviderImp.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/models/DataModel.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{

ReadRowProviderImp::ReadRowProviderImp(RowIteratorInterface* iterator, const DataModel& model)
    : iterator_(iterator), model_(model.clone())
{
    if (!iterator_)
        return;
    const std::int32_t width = iterator_->width();
    const std::int32_t height = iterator_->rowCount();
    const std::int64_t bytes = model_->bytesPerRow(width);
    const std::int32_t iteratorBytes = iterator_->bytesPerRow();
    if (width < 0 || height < 0 || bytes > INT32_MAX || iteratorBytes < 0 || iteratorBytes > bytes)
        throw new ImageFilterException("Invalid image size", ImageFilterException::kInvalidSize);
    width_ = width;
    height_ = height;
    bytesPerRow_ = static_cast<std::int32_t>(bytes);
    iteratorRowBytes_ = iteratorBytes;
    iterator_->start();
    rowsRemaining_ = height_;
}

ReadRowProviderImp::~ReadRowProviderImp()
{
    if (iterator_)
    {
        try
        {
            iterator_->finish();
        }
        catch (OMVIException* error)
        {
            delete error;
        }
        catch (...)
        {
        }
    }
}

std::int32_t ReadRowProviderImp::getNextRow(DataBuffer& row)
{
    if (!iterator_ || rowsRemaining_ < 1)
        return 0;
    if (stoppedEarly_)
        throw new FileIOException("Image data ended early", FileIOException::kEndOfFile);
    if (row.size() < iteratorRowBytes_)
        throw new ImageFilterException("Row buffer too small", ImageFilterException::kRowBufferTooSmall);
    iterator_->getRow(row);
    // The iterator hands out the unpadded row; the padding is cleared so
    // that rows compare and page deterministically.
    const std::int32_t padEnd = std::min(row.size(), bytesPerRow_);
    if (padEnd > iteratorRowBytes_)
        std::memset(row.data() + iteratorRowBytes_, 0, static_cast<std::size_t>(padEnd - iteratorRowBytes_));
    --rowsRemaining_;
    if (rowsRemaining_ > 0 && !iterator_->next())
        stoppedEarly_ = true;
    return rowsRemaining_;
}

std::int32_t ReadRowProviderImp::rowsRemaining() const
{
    return rowsRemaining_;
}

PixelPair ReadRowProviderImp::size() const
{
    return {width_, height_};
}

const DataModel& ReadRowProviderImp::dataModel() const
{
    return *model_;
}

std::int32_t ReadRowProviderImp::bytesPerRow() const
{
    return bytesPerRow_;
}

bool ReadRowProviderImp::isValid() const
{
    return iterator_ != nullptr;
}

} // namespace Omvi
