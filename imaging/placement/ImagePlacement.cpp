#include "imaging/placement/ImagePlacement.h"

#include "imaging/OMVIException.h"
#include "imaging/conversions/ColorModelRule.h"
#include "imaging/descriptors/FileReadDescriptor.h"
#include "imaging/descriptors/FileReadDescriptorImp.h"
#include "imaging/geometry/Matrix2d.h"
#include "imaging/images/Image.h"
#include "imaging/images/ImageContextRep.h"
#include "imaging/images/ImageRep.h"
#include "imaging/models/ColorModelInterface.h"
#include "imaging/models/DataModel.h"
#include "imaging/pipeline/ImageFilter.h"
#include "imaging/placement/OrientationFromAxes.h"
#include "imaging/placement/ResampleToSize.h"
#include "imaging/shears/Rotate.h"
#include "imaging/transforms/AlignToBox.h"
#include "imaging/transforms/BlankSource.h"
#include "imaging/transforms/NearestNeighborRotate.h"
#include "imaging/transforms/Orient.h"
#include "imaging/transforms/OrientedRotate.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>

namespace Omvi
{

namespace
{
using Provider = std::unique_ptr<RowProviderInterface>;
constexpr double kLargestInt = 2147483647.0;

// Puts the filter `make` builds over `current` in its place, for filters
// that leave their input with the caller when they throw.
template <class Make>
void wrap(Provider& current, Make make)
{
    RowProviderInterface* next = make(current.get());
    static_cast<void>(current.release());
    current.reset(next);
}

// The same for filters that take their input over in every case.
template <class Make>
void hand(Provider& current, Make make)
{
    RowProviderInterface* input = current.release();
    current.reset(make(input));
}

bool isFinite(const Point2d& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

bool isFinite(const Vector2d& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y);
}

// A pixel given in the model of the chain's source, converted through the
// chain into the model of its rows.
ImagePixel throughChain(RowProviderInterface& chain, ImagePixel pixel)
{
    if (auto* filter = dynamic_cast<ImageFilter*>(&chain))
        filter->convertSourcePixel(pixel);
    return pixel;
}

// Where the crop of an oriented view lies in the stored image of W x H.
PixelRect storedRect(Orientation orientation, const PixelRect& c, std::int32_t w, std::int32_t h)
{
    switch (orientation)
    {
    case Orientation::Transpose:
        return {c.y0, c.x0, c.y1, c.x1};
    case Orientation::QuarterTurnLeft:
        return {w - 1 - c.y1, c.x0, w - 1 - c.y0, c.x1};
    case Orientation::QuarterTurnRight:
        return {c.y0, h - 1 - c.x1, c.y1, h - 1 - c.x0};
    case Orientation::Transverse:
        return {w - 1 - c.y1, h - 1 - c.x1, w - 1 - c.y0, h - 1 - c.x0};
    case Orientation::Identity:
        return c;
    case Orientation::MirrorLeftRight:
        return {w - 1 - c.x1, c.y0, w - 1 - c.x0, c.y1};
    case Orientation::MirrorTopBottom:
        return {c.x0, h - 1 - c.y1, c.x1, h - 1 - c.y0};
    case Orientation::HalfTurn:
        return {w - 1 - c.x1, h - 1 - c.y1, w - 1 - c.x0, h - 1 - c.y0};
    }
    return c;
}

bool flipsX(Orientation o)
{
    return o == Orientation::MirrorLeftRight || o == Orientation::HalfTurn || o == Orientation::QuarterTurnRight ||
           o == Orientation::Transverse;
}

bool flipsY(Orientation o)
{
    return o == Orientation::MirrorTopBottom || o == Orientation::HalfTurn || o == Orientation::QuarterTurnLeft ||
           o == Orientation::Transverse;
}

std::int32_t clampedInt(double value)
{
    if (!(value > 0.0))
        return 0;
    return value >= kLargestInt ? std::numeric_limits<std::int32_t>::max() : static_cast<std::int32_t>(value);
}

// A provider that decodes the crop at a reduced size from the image's file,
// when the image still shows its file unchanged and the file can. The
// reduced size is weighed against reading the crop whole by how close each
// width comes to `wantedWidth`; null when the whole crop wins or nothing can
// be had.
Provider reducedCrop(ImageRep& image, const PixelPair& cropSize, const PixelPair& cropOrigin,
                     const PixelPair& request, std::int32_t wantedWidth)
{
    FileReadDescriptor* descriptor = image.isModified() ? nullptr : image.sourceDescriptor();
    if (descriptor == nullptr)
        return nullptr;
    auto* file = dynamic_cast<FileReadDescriptorImp*>(&descriptor->representation());
    // Only a frame stored as the image shows it: the file's regions are in
    // the frame's own layout.
    if (file == nullptr || !file->supportsAccess(FileReadDescriptorRep::kSubRegions) || file->orientation() != 0 ||
        file->size() != image.size())
        return nullptr;

    // The frame is asked for a whole-frame size in the proportion the crop
    // is wanted at.
    const PixelPair whole = image.size();
    std::int32_t width = clampedInt(std::ceil(static_cast<double>(whole.x) * request.x / cropSize.x));
    std::int32_t height = clampedInt(std::ceil(static_cast<double>(whole.y) * request.y / cropSize.y));
    std::int32_t subSampling = 0;
    if (width < 1 || height < 1 || !file->subSamplingFor(width, height, subSampling) || subSampling <= 1)
        return nullptr;
    const std::int64_t reducedWidth = (std::int64_t{cropSize.x} + subSampling - 1) / subSampling;
    if (!(std::abs(reducedWidth - wantedWidth) < std::abs(std::int64_t{cropSize.x} - wantedWidth)))
        return nullptr;
    Provider rows(file->subSampledRowProvider(cropSize, cropOrigin, subSampling));
    if (rows && !rows->isValid())
        rows.reset();
    return rows;
}
} // namespace

ImagePlacement::ImagePlacement(Image* source, const PixelPair& destination)
    : source_(source), destination_(destination)
{
    ImageRep* image = source_ ? source_->representation() : nullptr;
    if (image != nullptr && image->isConstructed())
    {
        clear_ = image->clearColor();
        sourceSize_ = image->size();
    }
    widthAxis_.set(sourceSize_.x, 0.0);
    heightAxis_.set(0.0, sourceSize_.y);
}

ImagePlacement::~ImagePlacement() = default;

void ImagePlacement::setDestination(const Point2d& origin, const Vector2d& widthAxis, const Vector2d& heightAxis)
{
    origin_ = origin;
    widthAxis_ = widthAxis;
    heightAxis_ = heightAxis;
}

RowProviderInterface* ImagePlacement::render(std::int32_t resamplingKind, bool twoStage, std::int32_t rotationMode)
{
    ImageRep* image = source_ ? source_->representation() : nullptr;
    if (image == nullptr || !image->isConstructed() || image->dataModel() == nullptr)
        return nullptr;
    const DataModel& model = *image->dataModel();
    const std::int32_t sourceW = sourceSize_.x;
    const std::int32_t sourceH = sourceSize_.y;
    if (sourceW < 1 || sourceH < 1 || destination_.x < 1 || destination_.y < 1)
        return nullptr;
    if (!isFinite(origin_) || !isFinite(widthAxis_) || !isFinite(heightAxis_))
        return nullptr;

    // Raw samples are never blended: without a colour model to convert to,
    // they are turned by exact pixel copies.
    if (rotationMode != kNearestNeighborRotation && model.colorSpace() == kColorSpaceNone &&
        (keepModel || ColorModelInterface::of(model) == nullptr))
        rotationMode = kNearestNeighborRotation;
    const bool interpolating = rotationMode == kInterpolatingRotation;

    if (destination_.x <= 2 || destination_.y <= 2)
        return mapPointwise(source_, destination_, origin_, widthAxis_, heightAxis_, keepModel);

    const double lengthW = widthAxis_.length();
    const double lengthH = heightAxis_.length();
    if (lengthW <= Vector2d::kTolerance || lengthH <= Vector2d::kTolerance)
        return nullptr;
    Vector2d across = widthAxis_.perpendicular();
    across.normalize();
    across *= lengthH;
    if (heightAxis_.dotProduct(across) < 0.0)
        across.negate();
    if (!across.isCodirectionalTo(heightAxis_))
        return mapPointwise(source_, destination_, origin_, widthAxis_, heightAxis_, keepModel);

    const Vector2d snapped = widthAxis_.axisAligned();
    Vector2d toRight(destination_.x - 1.0, 0.0);
    Vector2d toBottom(0.0, destination_.y - 1.0);
    Vector2d toCorner(-origin_.x, -origin_.y);

    Orientation orientation = Orientation::Identity;
    double angle = 0.0;
    if (interpolating)
    {
        orientationFromAxes(widthAxis_, heightAxis_, orientation, angle);
    }
    else
    {
        angle = widthAxis_.angle();
        // A mirrored parallelogram is the mirrored view turned by the
        // width axis's angle.
        if (heightAxis_.dotProduct(widthAxis_.perpendicular()) < 0.0)
            orientation = Orientation::MirrorTopBottom;
    }
    if (angle != 0.0)
    {
        toRight.rotateBy(-angle);
        toBottom.rotateBy(-angle);
        toCorner.rotateBy(-angle);
    }
    Point2d corner = Point2d(0.0, 0.0) + toCorner;

    // The oriented view of the source, and its scale in the destination:
    // along the destination's x lies the width axis, or for the exchanging
    // orientations the height axis.
    bool swap = swapsAxes(orientation);
    const std::int32_t viewW = swap ? sourceH : sourceW;
    const std::int32_t viewH = swap ? sourceW : sourceH;
    const double lengthX = swap ? lengthH : lengthW;
    const double lengthY = swap ? lengthW : lengthH;
    // The view's pixels cover [0, viewW] x [0, viewH]: pixel i spans
    // [i, i + 1). Clipping to the last pixels' corners instead would lose
    // a destination that shows only the far part of the last column or row.
    const PixelRect view{0, 0, viewW, viewH};
    const double sx = viewW / lengthX;
    const double sy = viewH / lengthY;
    const double kx = lengthX / viewW;
    const double ky = lengthY / viewH;
    if (flipsX(orientation))
        corner.x += lengthX;
    if (flipsY(orientation))
        corner.y += lengthY;

    // The part of the view the destination shows.
    PixelRect crop;
    if (sourceW > 1 || sourceH > 1)
    {
        const Point2d box[4] = {corner, corner + toRight, corner + toRight + toBottom, corner + toBottom};
        Point2d scaled[4];
        for (int k = 0; k < 4; ++k)
            scaled[k] = Point2d(box[k].x * sx, box[k].y * sy);
        if (!view.clipPolygon(4, scaled, crop))
            return nullptr;
        crop.x0 = std::min(crop.x0, viewW - 1);
        crop.y0 = std::min(crop.y0, viewH - 1);
        crop.x1 = std::min(crop.x1, viewW - 1);
        crop.y1 = std::min(crop.y1, viewH - 1);
    }
    const double cropW = std::int64_t{crop.x1} - crop.x0 + 1;
    const double cropH = std::int64_t{crop.y1} - crop.y0 + 1;
    // Where the destination's first pixel lies in the crop shown at its
    // size; kept unrounded until the last step, so that a rotation moves
    // the exact position and the offset is rounded once.
    Point2d offset(corner.x - crop.x0 * kx, corner.y - crop.y0 * ky);

    // The crop in the stored image.
    const PixelRect stored = storedRect(orientation, crop, sourceW, sourceH);
    const PixelPair cropSize = stored.size();
    const PixelPair cropOrigin = stored.origin();

    Provider provider;
    PixelPair shown;
    if (cropSize.x <= 2 && cropSize.y <= 2)
    {
        // One stored pixel stands for the whole crop, whatever its
        // orientation: a blank intermediate of its colour. Only the part
        // the destination can show is made, however far it is magnified.
        // The view's first crop pixel is one the destination shows (the far
        // ones come from rounding up); in a mirrored or turned view it need
        // not be the stored crop's origin.
        const PixelPosition first = storedPixel(orientation, sourceW, sourceH, crop.x0, crop.y0);
        std::unique_ptr<ImageContextRep> context = image->createContext(0, image->size(), {0, 0}, 1);
        const ImagePixel pixel = context->getPixel(first.x, first.y);
        context.reset();
        const Point2d box[4] = {offset, offset + toRight, offset + toRight + toBottom, offset + toBottom};
        const double limits[2] = {std::ceil(cropW * kx), std::ceil(cropH * ky)};
        double from[2] = {0.0, 0.0};
        double to[2] = {1.0, 1.0};
        for (int axis = 0; axis < 2; ++axis)
        {
            double low = axis == 0 ? box[0].x : box[0].y;
            double high = low;
            for (const Point2d& p : box)
            {
                low = std::min(low, axis == 0 ? p.x : p.y);
                high = std::max(high, axis == 0 ? p.x : p.y);
            }
            // A margin of two pixels keeps a turned intermediate's blended
            // edges off the destination.
            from[axis] = std::max(0.0, std::floor(low) - 2.0);
            to[axis] = std::min(limits[axis], std::floor(high) + 3.0);
            if (!(to[axis] > from[axis]))
            {
                from[axis] = 0.0;
                to[axis] = 1.0;
            }
        }
        offset.x -= from[0];
        offset.y -= from[1];
        shown = {clampedInt(to[0] - from[0]), clampedInt(to[1] - from[1])};
        provider = std::make_unique<BlankSource>(shown, pixel, model);
        orientation = Orientation::Identity;
        swap = false;
    }
    else
    {
        // The size the crop shows at.
        std::int64_t shownW = ceilToInt(cropW * kx);
        std::int64_t shownH = ceilToInt(cropH * ky);
        if (shownW <= 0 || shownH <= 0)
            return nullptr;

        // A destination that shows a fraction of a source pixel blown up
        // far beyond its own size is built from a smaller intermediate,
        // centred.
        const double destW = destination_.x;
        const double destH = destination_.y;
        const bool extreme = std::fabs(snapped.y) < std::fabs(snapped.x) ? (1.5 * destW < kx && 1.5 * destH < ky)
                                                                        : (1.5 * destH < kx && 1.5 * destW < ky);
        const bool overflows = cropW * kx > kLargestInt || cropH * ky > kLargestInt;
        if (extreme)
        {
            const double m = 1.5 * std::max(destW, destH);
            const double limitedW = std::trunc(cropW * m);
            const double limitedH = std::trunc(cropH * m);
            if (!(limitedW >= 1.0 && limitedH >= 1.0 && limitedW <= kLargestInt && limitedH <= kLargestInt))
                return nullptr;
            const std::int64_t w2 = static_cast<std::int64_t>(limitedW);
            const std::int64_t h2 = static_cast<std::int64_t>(limitedH);
            if (overflows)
            {
                offset = Point2d(static_cast<double>((w2 - destination_.x) >> 1),
                                 static_cast<double>((h2 - destination_.y) >> 1));
            }
            else
            {
                offset.x -= static_cast<double>((shownW - w2) / 2);
                offset.y -= static_cast<double>((shownH - h2) / 2);
            }
            shownW = w2;
            shownH = h2;
        }
        else if (overflows)
        {
            return nullptr;
        }
        shown = {static_cast<std::int32_t>(shownW), static_cast<std::int32_t>(shownH)};

        const PixelPair request = swap ? PixelPair{shown.y, shown.x} : shown;
        provider = reducedCrop(*image, cropSize, cropOrigin, request, shown.x);
        if (provider && interpolating && orientation != Orientation::Identity)
        {
            hand(provider, [&](RowProviderInterface* input) { return new Orient(input, orientation); });
            orientation = Orientation::Identity;
            swap = false;
        }
        if (!provider)
        {
            if (interpolating && (!swap || std::int64_t{cropSize.x} * cropSize.y <=
                                               std::int64_t{shown.x} * shown.y + ((std::int64_t{shown.x} * shown.y) >> 2)))
            {
                provider = image->read(cropSize, cropOrigin, orientation);
                orientation = Orientation::Identity;
                swap = false;
            }
            else
            {
                provider = image->read(cropSize, cropOrigin);
            }
            if (!provider)
                return nullptr;
        }
    }

    if (!keepModel)
    {
        RowProviderInterface* original = provider.get();
        RowProviderInterface* converted = applyColorModelRule(original);
        if (converted != original)
        {
            static_cast<void>(provider.release());
            provider.reset(converted);
        }
    }

    const PixelPair target = swap ? PixelPair{shown.y, shown.x} : shown;
    if (provider->size() != target)
    {
        hand(provider, [&](RowProviderInterface* input) {
            return resampleToSize(input, target, resamplingKind, twoStage, grayAsRgb, keepModel, nullptr);
        });
        if (!provider)
            return nullptr;
    }

    // What the chain fills with, in the model of its rows.
    ImagePixel fill = throughChain(*provider, clear_);
    // The shears move pixel positions (pixel centres at whole numbers):
    // the centre of the destination's first pixel, as it lies in the
    // unturned intermediate, less half a pixel.
    Vector2d toCentre(0.5, 0.5);
    toCentre.rotateBy(-angle);
    Point2d firstCentre(offset.x + toCentre.x - 0.5, offset.y + toCentre.y - 0.5);
    if (angle == 0.0)
    {
        if (orientation != Orientation::Identity)
            hand(provider, [&](RowProviderInterface* input) { return new Orient(input, orientation); });
    }
    else if (interpolating && orientation == Orientation::Identity)
    {
        Rotate* rotate = nullptr;
        wrap(provider, [&](RowProviderInterface* input) {
            rotate = new Rotate(input, angle, clear_, grayAsRgb);
            return rotate;
        });
        rotate->adjustOffset(firstCentre);
        offset = firstCentre;
        fill = throughChain(*rotate, clear_);
    }
    else if (interpolating)
    {
        OrientedRotate* rotate = nullptr;
        hand(provider, [&](RowProviderInterface* input) {
            rotate = new OrientedRotate(input, orientation, angle, clear_, grayAsRgb);
            return rotate;
        });
        rotate->adjustOffset(firstCentre);
        offset = firstCentre;
        fill = rotate->clearPixel();
    }
    else
    {
        if (orientation != Orientation::Identity)
            hand(provider, [&](RowProviderInterface* input) { return new Orient(input, orientation); });
        NearestNeighborRotate* rotate = nullptr;
        hand(provider, [&](RowProviderInterface* input) {
            rotate = new NearestNeighborRotate(input, Matrix2d::rotationAbout(angle, Point2d(0.0, 0.0)), fill);
            return rotate;
        });
        // Its map carries pixel corners: the destination's first corner.
        rotate->mapPoint(offset);
    }
    const PixelPair whole{roundToInt(offset.x), roundToInt(offset.y)};

    if (setsClearPixel && fill.kind != clear_.kind)
        clear_ = fill;

    if (whole != PixelPair{0, 0} || provider->size() != destination_)
        wrap(provider, [&](RowProviderInterface* input) { return new AlignToBox(input, whole, destination_, fill); });
    return provider.release();
}

} // namespace Omvi
