#pragma once
// An axis-aligned reorientation followed by an interpolating rotation: the
// input, put into the model the shears work on (ConvertModel), is written
// oriented into a private tiled image, and a Rotate over that image turns
// it by the residual angle. Used where a parallelogram's axes are neither
// upright nor a quarter turn away from it.
#include "imaging/Orientation.h"
#include "imaging/geometry/Point2d.h"
#include "imaging/models/ImagePixel.h"
#include "imaging/pipeline/ImageFilter.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class Rotate;
class TiledImage;

class OrientedRotate : public ImageFilter
{
public:
    // Takes `input` over in every case and reads it whole before returning;
    // `clear` is given in the input's model. The errors of the conversion,
    // the image and the rotation pass through (the input is then deleted).
    OrientedRotate(RowProviderInterface* input, Orientation orientation, const double& angle, ImagePixel clear,
                   bool grayAsRgb);
    // The rotation goes before the image it reads.
    ~OrientedRotate() override;

    std::int32_t getNextRow(DataBuffer& row) override;
    std::int32_t rowsRemaining() const override { return rowsLeft_; }

    // Moves an offset given in the oriented frame into the output frame
    // (Rotate::adjustOffset).
    void adjustOffset(PixelPair& offset) const;
    void adjustOffset(Point2d& point) const;

    double angle() const { return angle_; }
    // The clear pixel in the model of the rows handed out.
    const ImagePixel& clearPixel() const { return clear_; }

private:
    void build(std::unique_ptr<RowProviderInterface>& input, Orientation orientation, bool grayAsRgb);

    double angle_;
    std::unique_ptr<TiledImage> image_;
    ImagePixel clear_;
    Rotate* rotate_ = nullptr;
    std::int32_t rowsLeft_ = 0;
};

} // namespace Omvi
