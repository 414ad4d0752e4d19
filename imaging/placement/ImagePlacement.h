#pragma once
// Places a source image into any parallelogram of a destination raster:
// `render` answers a row provider of exactly the destination's size in which
// the source is mapped onto the parallelogram (origin = where its top-left
// corner lands, width axis = where its width lands, height axis = where its
// height lands) and every other pixel is the source's clear colour.
//
// The provider is a chain built for the placement: the part of the source
// the destination shows (read from the image, or from its file at a reduced
// size), resampled to the size it will show at, put in the nearest of the
// eight axis-aligned orientations, turned by what angle is left, and cut or
// padded into the destination box. Tiny destinations and parallelograms that
// are not rectangles are made point by point instead (mapPointwise).
#include "imaging/geometry/PixelRect.h"
#include "imaging/geometry/Point2d.h"
#include "imaging/geometry/Vector2d.h"
#include "imaging/models/ImagePixel.h"

#include <cstdint>

namespace Omvi
{

class Image;
class RowProviderInterface;

class ImagePlacement
{
public:
    // Rotation modes of render.
    enum : std::int32_t
    {
        kInterpolatingRotation = 0,  // shears (Rotate), orientations by region readers
        kNearestNeighborRotation = 1 // exact pixel copies (NearestNeighborRotate)
    };

    // The source is not owned and must outlive every chain rendered from
    // it. The placement starts as the identity: origin (0, 0), width axis
    // (W, 0), height axis (0, H).
    ImagePlacement(Image* source, const PixelPair& destination);
    ~ImagePlacement();

    void setDestination(const Point2d& origin, const Vector2d& widthAxis, const Vector2d& heightAxis);
    Vector2d heightAxis() const { return heightAxis_; }
    Vector2d widthAxis() const { return widthAxis_; }
    Point2d origin() const { return origin_; }
    const ImagePixel& clearPixel() const { return clear_; }

    // A new chain (owned by the caller) delivering the destination raster;
    // null when nothing of the source falls into the destination, when a
    // size would overflow, when the source has no pixels, or when the axes
    // are degenerate or not finite. `resamplingKind` is a ResamplingKind,
    // `twoStage` as resampleToSize; `rotationMode` 0 turns by interpolation,
    // any other mode by nearest neighbour. The filters' exceptions pass
    // through.
    RowProviderInterface* render(std::int32_t resamplingKind, bool twoStage, std::int32_t rotationMode);

    // The destination made pixel by pixel: each destination pixel (x, y)
    // shows the source pixel nearest to where (x, y) lands under the map
    // from the destination frame onto the source, the clear colour outside
    // the source. Null for a null source, a destination without pixels, or
    // axes that span no area.
    static RowProviderInterface* mapPointwise(Image* source, const PixelPair& destination, const Point2d& origin,
                                              const Vector2d& widthAxis, const Vector2d& heightAxis,
                                              bool keepModel);

    // After building, the placement's clear pixel becomes the one the
    // chain fills with, in the chain's output model.
    bool setsClearPixel = false;
    // Gray models with a transparent level are resampled and turned as RGB.
    bool grayAsRgb = false;
    // The data model is never converted; a plain model then forces
    // nearest-neighbour rotation.
    bool keepModel = false;

private:
    Image* source_;
    ImagePixel clear_;
    Point2d origin_;
    Vector2d widthAxis_;
    Vector2d heightAxis_;
    PixelPair sourceSize_;
    PixelPair destination_;
};

} // namespace Omvi
