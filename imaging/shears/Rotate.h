#pragma once
// Rotation by any angle with interpolation, without ever holding the image:
// three shear filters (horizontal by a = -tan(angle / 2), vertical by
// sin(angle), horizontal by a again) each move pixels only along rows or
// along columns, and the sheared result is cropped to the bounding box of
// the turned image. A positive angle turns clockwise on the screen (rows
// running down). Pixels outside the turned image take the clear colour.
#include "imaging/DataBuffer.h"
#include "imaging/geometry/PixelRect.h"
#include "imaging/geometry/Point2d.h"
#include "imaging/models/ImagePixel.h"
#include "imaging/pipeline/ImageFilter.h"

#include <cstdint>

namespace Omvi
{

class Rotate : public ImageFilter
{
public:
    // Takes `input` over, turned by `angle` radians; `clear` is given in the
    // model of the input's chain. The shears convert the input to gray or
    // 32-bit RGB (gray with a transparent level to RGB when `grayAsRgb`).
    // Throws ImageFilterException code 1 for an input no shear takes, code 2
    // ("Rotate") for an angle that is not a number, and the shears'
    // exceptions; `input` then stays the caller's.
    Rotate(RowProviderInterface* input, const double& angle, ImagePixel clear, bool grayAsRgb);
    ~Rotate() override;

    std::int32_t getNextRow(DataBuffer& row) override;
    std::int32_t rowsRemaining() const override { return rowsLeft_ > 0 ? rowsLeft_ : 0; }

    // Moves an input point through the three shears, converting it to whole
    // pixels after each (truncating, or rounding half up when `rounding`),
    // into the output frame.
    void mapPoint(Point2d& point, bool rounding) const;
    // Moves an offset given in the input's frame into the output frame: the
    // three shears without conversion between them, then rounded half up.
    void adjustOffset(PixelPair& offset) const;
    // The same without rounding: a pixel position (pixel centres at whole
    // numbers) in the input's frame moved into the output's.
    void adjustOffset(Point2d& point) const;

    double angle() const { return angle_; }
    // The part of the last shear's output that is delivered (inclusive).
    const PixelRect& outputRect() const { return rect_; }

private:
    void construct(RowProviderInterface* input, ImagePixel clear, bool grayAsRgb);
    // The three shears on a point, each result converted when `convert`
    // (0: none, 1: truncating, 2: rounding); no frame offset taken off.
    void shearPoint(Point2d& point, int convert) const;

    double angle_;
    double a_ = 0.0;
    double b_ = 0.0;
    PixelPair inputSize_;
    PixelPair firstSize_;
    PixelPair secondSize_;
    PixelRect rect_;
    DataBuffer rowBuffer_;
    std::int32_t bytesPerPixel_ = 1;
    std::int32_t leftByteOffset_ = 0;
    std::int32_t rowByteCount_ = 0;
    std::int32_t rowsLeft_ = 0;
};

} // namespace Omvi
