#include "imaging/shears/Rotate.h"

#include "imaging/OMVIException.h"
#include "imaging/kernels/RowRoutines.h"
#include "imaging/models/DataModel.h"
#include "imaging/resampling/ResamplingInput.h"
#include "imaging/shears/HorizontalShears.h"
#include "imaging/shears/ShearInterface.h"
#include "imaging/shears/ShearPoints.h"
#include "imaging/shears/VerticalShears.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace Omvi
{

namespace
{
[[noreturn]] void noShear()
{
    throw static_cast<OMVIException*>(
        new ImageFilterException("No valid inputs", ImageFilterException::kNoValidInputs));
}

double converted(double value, int convert)
{
    if (convert == 1)
        return std::trunc(value);
    if (convert == 2)
        return roundToInt(value);
    return value;
}
} // namespace

Rotate::Rotate(RowProviderInterface* input, const double& angle, ImagePixel clear, bool grayAsRgb)
    : angle_(angle)
{
    construct(input, clear, grayAsRgb);
}

void Rotate::construct(RowProviderInterface* input, ImagePixel clear, bool grayAsRgb)
{
    if (!std::isfinite(angle_))
        throwInvalidArgument("Rotate");
    if (input == nullptr)
        noShear();
    a_ = -std::tan(angle_ / 2.0);
    b_ = std::sin(angle_);
    inputSize_ = input->size();

    // The chain is built stage by stage; when a stage cannot be made, the
    // stages made so far give the input back and are deleted, so that it
    // stays the caller's.
    RowProviderInterface* firstStage = makeXShear(input, a_, clear, grayAsRgb, false);
    if (firstStage == nullptr)
        noShear();
    auto* first = static_cast<ImageFilter*>(firstStage);
    std::unique_ptr<RowProviderInterface> head(firstStage);
    RowProviderInterface* last = nullptr;
    try
    {
        firstSize_ = first->size();
        first->convertSourcePixel(clear);
        RowProviderInterface* secondStage = makeYShear(head.get(), -b_, clear, grayAsRgb);
        if (secondStage == nullptr)
            noShear();
        static_cast<void>(head.release());
        head.reset(secondStage);
        secondSize_ = secondStage->size();
        static_cast<ImageFilter*>(secondStage)->convertSourcePixel(clear);
        last = makeXShear(secondStage, a_, clear, grayAsRgb, false);
        if (last == nullptr)
            noShear();
        static_cast<void>(head.release());
        head.reset(last);

        // The output box: the input's corners through the three stages,
        // truncated for the near corner and rounded for the far one.
        const double w = inputSize_.x;
        const double h = inputSize_.y;
        const Point2d corners[4] = {Point2d(0.0, 0.0), Point2d(w - 1.0, 0.0), Point2d(w - 1.0, h - 1.0),
                                    Point2d(0.0, h - 1.0)};
        double x1 = std::numeric_limits<double>::max();
        double y1 = x1;
        double x2 = std::numeric_limits<double>::lowest();
        double y2 = x2;
        for (const Point2d& corner : corners)
        {
            Point2d low = corner;
            shearPoint(low, 1);
            Point2d high = corner;
            shearPoint(high, 2);
            x1 = std::min(x1, low.x);
            y1 = std::min(y1, low.y);
            x2 = std::max(x2, high.x);
            y2 = std::max(y2, high.y);
        }
        // Kept inside what the last stage delivers.
        const PixelPair lastSize = last->size();
        rect_.x0 = std::clamp(static_cast<std::int32_t>(x1), 0, lastSize.x - 1);
        rect_.y0 = std::clamp(static_cast<std::int32_t>(y1), 0, lastSize.y - 1);
        rect_.x1 = std::clamp(roundToInt(x2), rect_.x0, lastSize.x - 1);
        rect_.y1 = std::clamp(roundToInt(y2), rect_.y0, lastSize.y - 1);

        init({rect_.x1 - rect_.x0 + 1, rect_.y1 - rect_.y0 + 1}, last->dataModel());
        RowProviderInterface* connected = last;
        if (!connectInput(connected))
            noShear();
        // Connected: the chain is this filter's now.
        static_cast<void>(head.release());
    }
    catch (...)
    {
        // Nothing is connected to this filter yet: `head` still holds the
        // stages, and the first one lets go of the input before they go.
        first->returnInput(input);
        throw;
    }

    if (rect_.y0 > 0)
    {
        if (auto* shear = dynamic_cast<ShearInterface*>(last))
        {
            // Only the last stage is an input of ours; the vertical stage is
            // the last stage's input.
            if (auto* middle = dynamic_cast<ShearInterface*>(static_cast<ImageFilter*>(last)->input(0)))
                middle->skipRows(rect_.y0);
            shear->skipRows(rect_.y0);
        }
    }
    rowBuffer_.resize(last->bytesPerRow());
    bytesPerPixel_ = bitsPerPixelOf(dataModel().dataType()) / 8;
    leftByteOffset_ = rect_.x0 * bytesPerPixel_;
    rowByteCount_ = size().x * bytesPerPixel_;
    rowsLeft_ = size().y;
}

Rotate::~Rotate() = default;

void Rotate::shearPoint(Point2d& point, int convert) const
{
    xShearPoint(inputSize_, a_, point);
    point = Point2d(converted(point.x, convert), converted(point.y, convert));
    yShearPoint(firstSize_, b_, point);
    point = Point2d(converted(point.x, convert), converted(point.y, convert));
    xShearPoint(secondSize_, a_, point);
    point = Point2d(converted(point.x, convert), converted(point.y, convert));
}

void Rotate::mapPoint(Point2d& point, bool rounding) const
{
    shearPoint(point, rounding ? 2 : 1);
    point.x -= rect_.x0;
    point.y -= rect_.y0;
}

void Rotate::adjustOffset(PixelPair& offset) const
{
    Point2d point(offset.x, offset.y);
    adjustOffset(point);
    offset.x = roundToInt(point.x);
    offset.y = roundToInt(point.y);
}

void Rotate::adjustOffset(Point2d& point) const
{
    shearPoint(point, 0);
    point.x -= rect_.x0;
    point.y -= rect_.y0;
}

std::int32_t Rotate::getNextRow(DataBuffer& row)
{
    if (rowsLeft_ <= 0)
        return 0;
    requireRowBytes(row, bytesPerRow());
    input(0)->getNextRow(rowBuffer_);
    copyRowBytes(row.data(), rowBuffer_.data() + leftByteOffset_, rowByteCount_);
    return --rowsLeft_;
}

} // namespace Omvi
