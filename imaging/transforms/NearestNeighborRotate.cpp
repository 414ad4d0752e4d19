#include "imaging/transforms/NearestNeighborRotate.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/contexts/DirectTileContextImp.h"
#include "imaging/geometry/Point2d.h"
#include "imaging/geometry/Vector2d.h"
#include "imaging/images/TiledImage.h"
#include "imaging/kernels/KernelFactories.h"

#include <cmath>
#include <algorithm>
#include <cstring>
#include <limits>

namespace Omvi
{

namespace
{
constexpr std::int64_t kOne = 65536;
// A row's walk starts this far (just under half a pixel) ahead of the first
// output pixel's centre, in the direction it walks. The step is 1 / w'
// short of the inverse map's, so the walk falls behind by up to one pixel
// over the row; starting half a pixel ahead halves the worst error and
// makes quarter turns land exactly on every pixel.
constexpr std::int64_t kLead = kOne / 2 - 1;

[[noreturn]] void fail(const char* message, std::int32_t code)
{
    throw static_cast<OMVIException*>(new ImageFilterException(message, code));
}

// Whole pixels moved once the accumulator has reached `total`.
std::int64_t movesFor(std::int64_t total, bool atWholePixel)
{
    if (atWholePixel)
        return total >> 16;
    return total <= kOne ? 0 : (total - 1) >> 16;
}

// The first x in [0, count) for which `holds` is true, `holds` being false
// then true along x; count when it never holds.
template <class Predicate>
std::int64_t firstWhere(std::int64_t count, Predicate holds)
{
    std::int64_t low = 0;
    std::int64_t high = count;
    while (low < high)
    {
        const std::int64_t middle = low + (high - low) / 2;
        if (holds(middle))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

// One axis of the walk along a row.
struct AxisWalk
{
    std::int64_t start = 0;   // position at output column 0
    std::int64_t initial = 0; // the part of a pixel already covered there
    std::int64_t step = 0;    // 16.16 magnitude
    std::int32_t sign = 1;
    std::int64_t last = 0;    // last valid position

    // From a position in 16.16 fixed point: the pixel it lies in, and how
    // far it is on towards the pixel's edge in the direction of the walk.
    AxisWalk(std::int64_t fixed, std::int64_t magnitude, std::int32_t direction, std::int64_t lastPosition)
        : step(magnitude), sign(direction), last(lastPosition)
    {
        start = fixed / kOne - (fixed % kOne < 0 ? 1 : 0);
        const std::int64_t fraction = fixed - start * kOne;
        initial = sign > 0 ? fraction : kOne - 1 - fraction;
    }

    std::int64_t positionAt(std::int64_t x, bool atWholePixel) const
    {
        return start + sign * movesFor(initial + x * step, atWholePixel);
    }
    // Narrows [first, lastColumn] to the columns whose position lies in
    // [0, last]; positions are monotone along the row.
    void narrow(std::int64_t count, bool atWholePixel, std::int64_t& first, std::int64_t& lastColumn) const
    {
        const auto below = [&](std::int64_t x) { return positionAt(x, atWholePixel) < 0; };
        const auto above = [&](std::int64_t x) { return positionAt(x, atWholePixel) > last; };
        std::int64_t from = 0;
        std::int64_t to = count - 1;
        if (sign > 0)
        {
            from = firstWhere(count, [&](std::int64_t x) { return !below(x); });
            to = firstWhere(count, above) - 1;
        }
        else
        {
            from = firstWhere(count, [&](std::int64_t x) { return !above(x); });
            to = firstWhere(count, below) - 1;
        }
        first = std::max(first, from);
        lastColumn = std::min(lastColumn, to);
    }
};
} // namespace

struct NearestNeighborRotate::Walk
{
    AxisWalk x;
    AxisWalk y;
};

namespace
{
// A coordinate in 16.16 fixed point, kept far inside 64 bits.
std::int64_t fixedPoint(double value)
{
    constexpr double kLimit = 4.0e18 / 65536.0;
    return static_cast<std::int64_t>(std::floor(std::clamp(value, -kLimit, kLimit) * 65536.0));
}
} // namespace

NearestNeighborRotate::NearestNeighborRotate(RowProviderInterface* input, const Matrix2d& rotation, ImagePixel clear)
    : clear_(clear)
{
    std::unique_ptr<RowProviderInterface> owned(input);
    if (!owned)
        fail("No valid inputs", ImageFilterException::kNoValidInputs);
    for (double value : rotation.m)
        if (!std::isfinite(value))
            fail("NearestNeighborRotate", ImageFilterException::kInvalidArgument);
    const PixelPair inputSize = owned->size();
    if (inputSize.x < 1 || inputSize.y < 1)
        fail("Invalid image size", ImageFilterException::kInvalidSize);
    lastColumn_ = inputSize.x - 1;
    lastRow_ = inputSize.y - 1;

    // The turned corners, moved so that the output starts at (0, 0).
    const double w = inputSize.x;
    const double h = inputSize.y;
    Point2d corners[4] = {Point2d(0.0, 0.0), Point2d(w, 0.0), Point2d(w, h), Point2d(0.0, h)};
    double minX = std::numeric_limits<double>::max();
    double minY = std::numeric_limits<double>::max();
    for (Point2d corner : corners)
    {
        corner.transformBy(rotation);
        minX = std::min(minX, corner.x);
        minY = std::min(minY, corner.y);
    }
    if (!std::isfinite(minX) || !std::isfinite(minY))
        fail("NearestNeighborRotate", ImageFilterException::kInvalidArgument);
    Matrix2d forward = Matrix2d::translation(Vector2d(-minX, -minY));
    forward.multiply(forward, rotation);

    PixelPair rounded[4];
    for (int k = 0; k < 4; ++k)
    {
        Point2d corner = corners[k];
        corner.transformBy(forward);
        rounded[k] = {roundToInt(corner.x), roundToInt(corner.y)};
    }
    const PixelRect box = PixelRect::boundingBox(4, rounded);
    const std::int64_t outWidth = std::int64_t{box.x1} - box.x0 + 1;
    const std::int64_t outHeight = std::int64_t{box.y1} - box.y0 + 1;
    model_ = owned->dataModel().clone();
    const std::int64_t rowBytes = model_->bytesPerRow(outWidth);
    if (outWidth > std::numeric_limits<std::int32_t>::max() || outHeight > std::numeric_limits<std::int32_t>::max() ||
        rowBytes < 1 || rowBytes > std::numeric_limits<std::int32_t>::max())
        fail("Invalid image size", ImageFilterException::kInvalidSize);
    outputSize_ = {static_cast<std::int32_t>(outWidth), static_cast<std::int32_t>(outHeight)};
    bytesPerRow_ = static_cast<std::int32_t>(rowBytes);

    // The inverse map sends each rounded output corner back onto its input
    // corner exactly. The corners of a sliver (an input a pixel or so wide,
    // turned) can round onto one line; the exact inverse of the turn then
    // serves, which is no worse than a pixel off anywhere.
    const Point2d origin(rounded[0].x, rounded[0].y);
    const Vector2d alongWidth(double(rounded[1].x) - rounded[0].x, double(rounded[1].y) - rounded[0].y);
    const Vector2d alongHeight(double(rounded[3].x) - rounded[0].x, double(rounded[3].y) - rounded[0].y);
    if (!Matrix2d::frameToFrame(origin, alongWidth, alongHeight, Point2d(0.0, 0.0), Vector2d(w, 0.0),
                                Vector2d(0.0, h), inverse_))
    {
        inverse_ = forward;
        if (!inverse_.inverse())
            fail("NearestNeighborRotate", ImageFilterException::kInvalidArgument);
    }
    outputMap_ = inverse_;
    if (!outputMap_.inverse())
        fail("NearestNeighborRotate", ImageFilterException::kInvalidArgument);

    // The input, buffered whole.
    image_ = std::make_unique<TiledImage>();
    image_->constructUnlocked(inputSize, *model_, clear, kOrganisationDefault);
    image_->paste(owned, {0, 0}, false);
    clear_ = image_->clearColor();
    dataType_ = model_->dataType();
    copier_.reset(createPixelCopier(dataType_));
    if (!copier_)
        fail("No valid inputs", ImageFilterException::kNoValidInputs);

    // One row of tiles along the direction the walk mostly travels, two
    // when it also drifts across them.
    Vector2d travel(outWidth, 0.0);
    travel.transformBy(inverse_);
    std::int32_t tilesDown = 0;
    std::int32_t tilesAcross = 0;
    image_->tileGrid(tilesDown, tilesAcross);
    std::int32_t cache = 0;
    if (std::fabs(travel.x) > std::fabs(travel.y))
        cache = travel.y == 0.0 ? tilesAcross : 2 * tilesAcross;
    else
        cache = travel.x == 0.0 ? tilesDown : 2 * tilesDown;
    context_ = std::make_unique<DirectTileContextImp>(*image_, cache);

    // The steps along an output row, divided by the output width.
    Point2d q0(0.0, 1.0);
    Point2d q1(outWidth - 1.0, 1.0);
    q0.transformBy(inverse_);
    q1.transformBy(inverse_);
    const double stepX = std::floor((q1.x - q0.x) / outWidth * 65536.0 + 0.5);
    const double stepY = std::floor((q1.y - q0.y) / outWidth * 65536.0 + 0.5);
    const double largest = std::numeric_limits<std::int32_t>::max();
    sx_ = stepX < 0.0 ? -1 : 1;
    sy_ = stepY < 0.0 ? -1 : 1;
    dx_ = static_cast<std::int32_t>(std::min(std::fabs(stepX), largest));
    dy_ = static_cast<std::int32_t>(std::min(std::fabs(stepY), largest));
}

NearestNeighborRotate::~NearestNeighborRotate()
{
    context_.reset();
    image_.reset();
}

std::int32_t NearestNeighborRotate::cachedTiles() const
{
    return context_ ? context_->cachedTiles() : 0;
}

bool NearestNeighborRotate::movesAtWholePixel() const
{
    return dataType_ == kDataTypeEightBit || dataType_ == kDataTypeThirtyTwoBit;
}

NearestNeighborRotate::Walk NearestNeighborRotate::walkOfRow(std::int32_t r) const
{
    // Where the centre of the row's first pixel lies in the input.
    Point2d p(0.5, r + 0.5);
    p.transformBy(inverse_);
    return Walk{AxisWalk(fixedPoint(p.x) + sx_ * kLead, dx_, sx_, lastColumn_),
                AxisWalk(fixedPoint(p.y) + sy_ * kLead, dy_, sy_, lastRow_)};
}

void NearestNeighborRotate::spanOfRow(std::int32_t r, std::int32_t& first, std::int32_t& last) const
{
    const Walk walk = walkOfRow(r);
    const bool whole = movesAtWholePixel();
    std::int64_t from = 0;
    std::int64_t to = std::int64_t{outputSize_.x} - 1;
    walk.x.narrow(outputSize_.x, whole, from, to);
    walk.y.narrow(outputSize_.x, whole, from, to);
    first = static_cast<std::int32_t>(from);
    last = static_cast<std::int32_t>(to);
}

namespace
{
// The walk along one row from column `first`: the position and the part of
// a pixel already covered, moved on one column at a time.
struct Cursor
{
    std::int64_t position;
    std::int64_t accumulator;
    std::int64_t step;
    std::int64_t sign;

    Cursor(const AxisWalk& axis, std::int64_t first, bool atWholePixel)
        : step(axis.step), sign(axis.sign)
    {
        const std::int64_t total = axis.initial + first * axis.step;
        const std::int64_t moves = movesFor(total, atWholePixel);
        position = axis.start + axis.sign * moves;
        accumulator = total - (moves << 16);
    }
    void advanceWhole()
    {
        accumulator += step;
        if (accumulator >= kOne)
        {
            const std::int64_t moves = accumulator >> 16;
            position += sign * moves;
            accumulator -= moves << 16;
        }
    }
    void advanceBeyond()
    {
        accumulator += step;
        if (accumulator > kOne)
        {
            const std::int64_t moves = (accumulator - 1) >> 16;
            position += sign * moves;
            accumulator -= moves << 16;
        }
    }
};

template <class Read, class Write>
void walkWhole(Cursor& x, Cursor& y, std::int32_t first, std::int32_t last, Read read, Write write)
{
    for (std::int32_t column = first; column <= last; ++column)
    {
        write(column, read(static_cast<std::int32_t>(x.position), static_cast<std::int32_t>(y.position)));
        x.advanceWhole();
        y.advanceWhole();
    }
}

template <class Read, class Write>
void walkBeyond(Cursor& x, Cursor& y, std::int32_t first, std::int32_t last, Read read, Write write)
{
    for (std::int32_t column = first; column <= last; ++column)
    {
        write(column, read(static_cast<std::int32_t>(x.position), static_cast<std::int32_t>(y.position)));
        x.advanceBeyond();
        y.advanceBeyond();
    }
}

template <class T>
void storeSample(std::uint8_t* out, std::int32_t column, T value)
{
    std::memcpy(out + static_cast<std::size_t>(column) * sizeof(T), &value, sizeof(T));
}
} // namespace

std::int32_t NearestNeighborRotate::getNextRow(DataBuffer& row)
{
    if (currentRow_ >= outputSize_.y)
        return 0;
    if (row.size() < bytesPerRow_)
        fail("Row buffer too small", ImageFilterException::kRowBufferTooSmall);
    std::uint8_t* out = row.data();
    // The clear pixel first: what the walk does not reach stays clear.
    copier_->fill(out, 0, clear_, outputSize_.x);

    std::int32_t first = 0;
    std::int32_t last = -1;
    spanOfRow(currentRow_, first, last);
    if (first <= last)
    {
        const Walk walk = walkOfRow(currentRow_);
        const bool whole = movesAtWholePixel();
        Cursor x(walk.x, first, whole);
        Cursor y(walk.y, first, whole);
        DirectTileContextImp& source = *context_;
        switch (dataType_)
        {
        case kDataTypeOneBit:
            walkBeyond(x, y, first, last, [&](std::int32_t px, std::int32_t py) { return source.get1(px, py); },
                       [out](std::int32_t column, bool set) {
                           const auto mask = static_cast<std::uint8_t>(0x80u >> (column & 7));
                           std::uint8_t& byte = out[column >> 3];
                           byte = static_cast<std::uint8_t>(set ? byte | mask : byte & ~mask);
                       });
            break;
        case kDataTypeEightBit:
            walkWhole(x, y, first, last, [&](std::int32_t px, std::int32_t py) { return source.get8(px, py); },
                      [out](std::int32_t column, std::uint8_t value) { out[column] = value; });
            break;
        case kDataTypeSixteenBit:
            walkBeyond(x, y, first, last, [&](std::int32_t px, std::int32_t py) { return source.get16(px, py); },
                       [out](std::int32_t column, std::uint16_t value) { storeSample(out, column, value); });
            break;
        case kDataTypeThirtyTwoBit:
            walkWhole(x, y, first, last, [&](std::int32_t px, std::int32_t py) { return source.get32(px, py); },
                      [out](std::int32_t column, std::uint32_t value) { storeSample(out, column, value); });
            break;
        default:
            walkBeyond(x, y, first, last, [&](std::int32_t px, std::int32_t py) { return source.get64(px, py); },
                       [out](std::int32_t column, std::uint64_t value) { storeSample(out, column, value); });
            break;
        }
    }
    ++currentRow_;
    return outputSize_.y - currentRow_;
}

void NearestNeighborRotate::adjustOffset(PixelPair& offset) const
{
    Point2d point(offset.x, offset.y);
    mapPoint(point);
    offset = {roundToInt(point.x), roundToInt(point.y)};
}

void NearestNeighborRotate::mapPoint(Point2d& point) const
{
    point.transformBy(outputMap_);
}

} // namespace Omvi
