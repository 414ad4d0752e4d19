#pragma once
// Rotation without interpolation: every output pixel is a copy of one input
// pixel (or the clear pixel), so it works for every data model - bitonal,
// palette and raw samples included - and keeps values exactly.
//
// The input is buffered in a private tiled image. Each output row is a
// straight walk through it in 16.16 fixed-point steps: the start is where
// the inverse map puts the centre of the row's first pixel, the step the
// inverse map's change along the row divided by the output width (a little
// short of the exact step). The part of the row that falls inside the input
// is worked out before the walk, in integers, so the walk never leaves the
// input; the rest of the row is the clear pixel. A quarter turn copies every
// input pixel exactly once; the output's extra last column and row (its
// size counts the turned corners inclusively) are clear.
#include "imaging/geometry/Matrix2d.h"
#include "imaging/geometry/PixelRect.h"
#include "imaging/geometry/Point2d.h"
#include "imaging/kernels/PixelCopier.h"
#include "imaging/models/DataModel.h"
#include "imaging/models/ImagePixel.h"
#include "imaging/pipeline/RowProviderInterface.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class DirectTileContextImp;
class TiledImage;

class NearestNeighborRotate : public RowProviderInterface
{
public:
    // Takes `input` over in every case and reads it whole before returning.
    // `rotation` maps input positions to output positions before the output
    // is moved to start at (0, 0) (the placement passes
    // Matrix2d::rotationAbout(angle, (0, 0))); `clear` is in the input's
    // model. Throws ImageFilterException 1 for a null input, 2 for a matrix
    // that is not finite or maps the input onto a line, 5 for an input
    // without pixels or an output too large to be addressed; the image's
    // errors pass through. The input is then deleted.
    NearestNeighborRotate(RowProviderInterface* input, const Matrix2d& rotation, ImagePixel clear);
    // The context goes before its image.
    ~NearestNeighborRotate() override;

    // Writes output row r into `row` (at least bytesPerRow bytes, else
    // ImageFilterException 6); answers the rows still to come.
    std::int32_t getNextRow(DataBuffer& row) override;
    std::int32_t rowsRemaining() const override { return outputSize_.y - currentRow_; }
    PixelPair size() const override { return outputSize_; }
    const DataModel& dataModel() const override { return *model_; }
    std::int32_t bytesPerRow() const override { return bytesPerRow_; }
    bool isValid() const override { return true; }

    // Moves a point given in the input's frame into the output frame (the
    // inverse of the inverse map), each coordinate rounded half up.
    void adjustOffset(PixelPair& offset) const;
    // The same without rounding: a position (pixel corners at whole
    // numbers) in the input's frame carried into the output's.
    void mapPoint(Point2d& point) const;

    // The inverse map (output pixel position to input position) and the
    // steps along an output row: magnitudes in 16.16 fixed point, and signs.
    const Matrix2d& inverseMap() const { return inverse_; }
    std::int32_t stepX() const { return dx_; }
    std::int32_t stepY() const { return dy_; }
    std::int32_t signX() const { return sx_; }
    std::int32_t signY() const { return sy_; }
    std::int32_t cachedTiles() const;

    // The output columns of row `r` that show input pixels (first > last
    // when none do).
    void spanOfRow(std::int32_t r, std::int32_t& first, std::int32_t& last) const;

private:
    struct Walk;
    Walk walkOfRow(std::int32_t r) const;
    // Whether the accumulator moves on when it reaches a whole pixel (the
    // one- and four-byte members) or only beyond it (the others).
    bool movesAtWholePixel() const;

    std::unique_ptr<TiledImage> image_;
    std::unique_ptr<DirectTileContextImp> context_;
    std::unique_ptr<DataModel> model_;
    std::unique_ptr<PixelCopier> copier_;
    std::int32_t lastColumn_ = 0;
    std::int32_t lastRow_ = 0;
    std::int32_t dx_ = 0;
    std::int32_t dy_ = 0;
    std::int32_t sx_ = 1;
    std::int32_t sy_ = 1;
    Matrix2d inverse_;
    Matrix2d outputMap_;
    PixelPair outputSize_;
    std::int32_t currentRow_ = 0;
    std::int32_t bytesPerRow_ = 0;
    std::int32_t dataType_ = 0;
    ImagePixel clear_;
};

} // namespace Omvi
