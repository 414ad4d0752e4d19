#pragma once
// The region part of sub-region row iterators: the inclusive corners
// (row first), clamped into the image, and the row count and width they
// give. A codec's iterator derives from it and delivers the rows.
#include "imaging/codecs/SubRegionRowIteratorInterface.h"

#include <cstdint>

namespace Omvi
{

class SubRegionRowIterator : public SubRegionRowIteratorInterface
{
public:
    // bottom - top + 1 and right - left + 1 (0 for an empty image or crossed
    // corners).
    std::int32_t rowCount() const override;
    std::int32_t width() const override;

    void selectWholeImage() override;
    // Each coordinate is clamped: rows into [0, height - 1], columns into
    // [0, width - 1].
    void setTopLeft(int row, int column) override;
    void getTopLeft(int* row, int* column) const override;
    void setBottomRight(int row, int column) override;
    void getBottomRight(int* row, int* column) const override;

    std::int32_t imageHeight() const { return imageHeight_; }
    std::int32_t imageWidth() const { return imageWidth_; }
    std::int32_t top() const { return top_; }
    std::int32_t left() const { return left_; }
    std::int32_t bottom() const { return bottom_; }
    std::int32_t right() const { return right_; }

protected:
    // The whole image is selected to start with.
    SubRegionRowIterator(std::int32_t imageHeight, std::int32_t imageWidth);

private:
    std::int32_t clampRow(int row) const;
    std::int32_t clampColumn(int column) const;

    std::int32_t imageHeight_;
    std::int32_t imageWidth_;
    std::int32_t top_ = 0;
    std::int32_t left_ = 0;
    std::int32_t bottom_ = 0;
    std::int32_t right_ = 0;
};

} // namespace Omvi
