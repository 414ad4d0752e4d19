#include "imaging/codecs/codec/SubRegionRowIterator.h"

#include <algorithm>

namespace Omvi
{

SubRegionRowIterator::SubRegionRowIterator(std::int32_t imageHeight, std::int32_t imageWidth)
    : imageHeight_(std::max(imageHeight, 0)), imageWidth_(std::max(imageWidth, 0))
{
    selectWholeImage();
}

std::int32_t SubRegionRowIterator::rowCount() const
{
    return imageHeight_ < 1 ? 0 : std::max(bottom_ - top_ + 1, 0);
}

std::int32_t SubRegionRowIterator::width() const
{
    return imageWidth_ < 1 ? 0 : std::max(right_ - left_ + 1, 0);
}

void SubRegionRowIterator::selectWholeImage()
{
    top_ = 0;
    left_ = 0;
    bottom_ = std::max(imageHeight_ - 1, 0);
    right_ = std::max(imageWidth_ - 1, 0);
}

std::int32_t SubRegionRowIterator::clampRow(int row) const
{
    return std::clamp<std::int32_t>(row, 0, std::max(imageHeight_ - 1, 0));
}

std::int32_t SubRegionRowIterator::clampColumn(int column) const
{
    return std::clamp<std::int32_t>(column, 0, std::max(imageWidth_ - 1, 0));
}

void SubRegionRowIterator::setTopLeft(int row, int column)
{
    top_ = clampRow(row);
    left_ = clampColumn(column);
}

void SubRegionRowIterator::getTopLeft(int* row, int* column) const
{
    if (row)
        *row = top_;
    if (column)
        *column = left_;
}

void SubRegionRowIterator::setBottomRight(int row, int column)
{
    bottom_ = clampRow(row);
    right_ = clampColumn(column);
}

void SubRegionRowIterator::getBottomRight(int* row, int* column) const
{
    if (row)
        *row = bottom_;
    if (column)
        *column = right_;
}

} // namespace Omvi
