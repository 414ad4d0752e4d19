#pragma once
// Row iterators that deliver a region of the frame, and those that also
// sub-sample. Every corner takes and gives the row first; setters clamp into
// the image. With a region set, rowCount answers bottom - top + 1 and width
// right - left + 1.
#include "imaging/pipeline/RowIteratorInterface.h"

namespace Omvi
{

class SubRegionRowIteratorInterface : public RowIteratorInterface
{
public:
    // 8: top 0, left 0, bottom height - 1, right width - 1.
    virtual void selectWholeImage() = 0;
    // 9-12: the inclusive corners.
    virtual void setTopLeft(int row, int column) = 0;
    virtual void getTopLeft(int* row, int* column) const = 0;
    virtual void setBottomRight(int row, int column) = 0;
    virtual void getBottomRight(int* row, int* column) const = 0;
};

class SubSamplingRowIteratorInterface : public SubRegionRowIteratorInterface
{
public:
    // 13: the sub-sampling, set before the corners.
    virtual void setSubSampling(int subSampling) = 0;
};

} // namespace Omvi
