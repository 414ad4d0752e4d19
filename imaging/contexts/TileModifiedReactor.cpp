#include "imaging/contexts/TileModifiedReactor.h"

#include "imaging/OMVIException.h"
#include "imaging/images/TiledImage.h"

#include <new>

namespace Omvi
{

TileModifiedReactor::TileModifiedReactor(TiledImage& image) : image_(&image)
{
    image.tileGrid(rows_, columns_);
    length_ = std::int64_t{rows_} * columns_;
    flags_.reset(new (std::nothrow) std::atomic<std::uint8_t>[static_cast<std::size_t>(length_ > 0 ? length_ : 1)]);
    if (!flags_)
        throw new SystemException("Out of memory", SystemException::kOutOfMemory);
    for (std::int64_t i = 0; i < length_; ++i)
        flags_[i].store(0);
    image.addReactor(this);
}

TileModifiedReactor::~TileModifiedReactor()
{
    if (!image_)
        return;
    try
    {
        image_->removeReactor(this);
    }
    catch (OMVIException* error)
    {
        delete error;
    }
    catch (...)
    {
    }
}

std::int64_t TileModifiedReactor::indexOf(std::int32_t tileRow, std::int32_t tileColumn) const
{
    if (tileRow < 0 || tileRow >= rows_ || tileColumn < 0 || tileColumn >= columns_)
        return -1;
    return std::int64_t{tileRow} * columns_ + tileColumn;
}

void TileModifiedReactor::tileModified(std::int32_t tileRow, std::int32_t tileColumn)
{
    const std::int64_t index = indexOf(tileRow, tileColumn);
    if (index >= 0)
        flags_[index].store(1);
}

bool TileModifiedReactor::isModified(std::int32_t tileRow, std::int32_t tileColumn) const
{
    const std::int64_t index = indexOf(tileRow, tileColumn);
    return index >= 0 && flags_[index].load() != 0;
}

void TileModifiedReactor::clear(std::int32_t tileRow, std::int32_t tileColumn)
{
    const std::int64_t index = indexOf(tileRow, tileColumn);
    if (index >= 0)
        flags_[index].store(0);
}

} // namespace Omvi
