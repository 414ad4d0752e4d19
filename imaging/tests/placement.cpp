// Image placement, first as the texture conversion calls it (Mitchell, two
// stages, interpolating rotation), against placements worked out pixel by
// pixel in the tests: the eight axis-aligned orientations at several
// scales, rotated parallelograms, the nearest-neighbour mode, the
// point-by-point fallback, tiny and hugely magnified sources, reduced reads
// from the file, the clear colour in the chain's model, and geometry that
// shows nothing or is not a geometry at all.
#include "DescriptorFixtures.h"
#include "PixelGrids.h"
#include "PlacementReference.h"
#include "ResamplingReference.h"
#include "TiledImageFixtures.h"

#include "imaging/OMVIException.h"
#include "imaging/descriptors/FileReadDescriptor.h"
#include "imaging/images/Image.h"
#include "imaging/images/ImageRep.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/models/RgbPaletteModel.h"
#include "imaging/placement/DeadmanImageRowProvider.h"
#include "imaging/placement/ImagePlacement.h"
#include "imaging/resampling/ResamplingKind.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>

using namespace Omvi;
using OmviTest::Grid;
using OmviTest::Parallelogram;
using ResamplingReference::resizeGrid;

namespace
{
using Provider = std::unique_ptr<RowProviderInterface>;
constexpr double kPi = 3.14159265358979323846;
constexpr std::uint64_t kClear = 77;

class PlacementTest : public OmviTest::DescriptorTest
{
protected:
    // A tiled image of a grid of gray levels whose clear colour is kClear.
    std::unique_ptr<Image> grayImage(const Grid& grid)
    {
        auto image = std::make_unique<Image>(OmviTest::gridRows(RgbGrayModel(), grid).release(),
                                             BuildOrder::RowsTopDown, kOrganisationDefault);
        image->representation()->setClearColor(ImagePixel(kPixelGray, kClear));
        return image;
    }
};

Grid grayPattern(int width, int height)
{
    return OmviTest::gridOf(width, height, [](int x, int y) { return std::uint64_t((x * 37 + y * 11 + x * y) % 251); });
}

Grid smoothPattern(int width, int height)
{
    return OmviTest::gridOf(width, height, [](int x, int y) {
        return std::uint64_t(std::lround(128.0 + 90.0 * std::sin(x / 6.0) * std::cos(y / 9.0)));
    });
}

Provider render(Image& image, const PixelPair& destination, const Parallelogram& p, std::int32_t kind = 6,
                bool twoStage = true, std::int32_t mode = 0)
{
    ImagePlacement placement(&image, destination);
    placement.setDestination(Point2d(p.originX, p.originY), Vector2d(p.widthX, p.widthY),
                             Vector2d(p.heightX, p.heightY));
    return Provider(placement.render(kind, twoStage, mode));
}

// The parallelogram that shows a W x H source in orientation `code` at
// `scale`, `margin` pixels in from the destination's edges (a negative
// margin cuts into the source), and the destination's size.
Parallelogram oriented(std::int32_t code, double scale, int w, int h, double margin, PixelPair& destination)
{
    const double sw = scale * w, sh = scale * h;
    Parallelogram p;
    switch (code)
    {
    case 4: p = {margin, margin, sw, 0, 0, sh}; break;
    case 5: p = {margin + sw, margin, -sw, 0, 0, sh}; break;
    case 6: p = {margin, margin + sh, sw, 0, 0, -sh}; break;
    case 7: p = {margin + sw, margin + sh, -sw, 0, 0, -sh}; break;
    case 0: p = {margin, margin, 0, sw, sh, 0}; break;
    case 1: p = {margin, margin + sw, 0, -sw, sh, 0}; break;
    case 2: p = {margin + sh, margin, 0, sw, -sh, 0}; break;
    default: p = {margin + sh, margin + sw, 0, -sw, -sh, 0}; break;
    }
    const bool swap = code < 4;
    destination = {static_cast<std::int32_t>(std::lround((swap ? sh : sw) + 2 * margin)),
                   static_cast<std::int32_t>(std::lround((swap ? sw : sh) + 2 * margin))};
    return p;
}

// `inner` padded by `margin` pixels of the clear colour.
Grid padded(const Grid& inner, int margin)
{
    const int w = static_cast<int>(inner[0].size()), h = static_cast<int>(inner.size());
    return OmviTest::gridOf(w + 2 * margin, h + 2 * margin, [&](int x, int y) {
        const int ix = x - margin, iy = y - margin;
        return ix >= 0 && iy >= 0 && ix < w && iy < h ? inner[std::size_t(iy)][std::size_t(ix)] : kClear;
    });
}
} // namespace

TEST_F(PlacementTest, TexturePathShowsEveryOrientationPixelForPixel)
{
    const int w = 23, h = 17;
    const Grid source = grayPattern(w, h);
    auto image = grayImage(source);
    for (std::int32_t code = 0; code < 8; ++code)
        for (double scale : {1.0, 2.0})
            for (double margin : {3.0, -4.0})
            {
                PixelPair destination;
                const Parallelogram p = oriented(code, scale, w, h, margin, destination);
                Provider placed = render(*image, destination, p);
                ASSERT_NE(placed, nullptr) << code;
                ASSERT_EQ(placed->size(), destination);
                EXPECT_GRID_EQ(OmviTest::pullGrid(*placed),
                               OmviTest::nearestPlacement(source, p, destination.x, destination.y, kClear))
                    << "code " << code << " scale " << scale << " margin " << margin;
            }
}

TEST_F(PlacementTest, TexturePathMagnifiesWithMitchellInEveryOrientation)
{
    // Four times is past the nearest-neighbour range of the two stages:
    // the view of the source is filtered up (down the columns first, as
    // the width grows).
    const int w = 13, h = 9;
    const Grid source = grayPattern(w, h);
    auto image = grayImage(source);
    for (std::int32_t code = 0; code < 8; ++code)
    {
        PixelPair destination;
        const Parallelogram p = oriented(code, 4.0, w, h, 2.0, destination);
        Provider placed = render(*image, destination, p);
        ASSERT_NE(placed, nullptr);
        const Grid view = OmviTest::viewOf(source, *orientationFromCode(code));
        const int vw = static_cast<int>(view[0].size()), vh = static_cast<int>(view.size());
        EXPECT_GRID_EQ(OmviTest::pullGrid(*placed),
                       padded(resizeGrid(view, 4 * vw, 4 * vh, kResampleMitchell, true), 2))
            << "code " << code;
    }
}

TEST_F(PlacementTest, TexturePathReducesWithMitchellInEveryOrientation)
{
    // A quarter: filtered across, then down. Views that exchange width and
    // height are reduced first and turned afterwards (far fewer pixels to
    // turn); the others are read turned.
    const int w = 48, h = 40;
    const Grid source = grayPattern(w, h);
    auto image = grayImage(source);
    for (std::int32_t code = 0; code < 8; ++code)
    {
        PixelPair destination;
        const Parallelogram p = oriented(code, 0.25, w, h, 2.0, destination);
        Provider placed = render(*image, destination, p);
        ASSERT_NE(placed, nullptr);
        const Orientation orientation = *orientationFromCode(code);
        const Grid expected =
            swapsAxes(orientation)
                ? OmviTest::viewOf(resizeGrid(source, w / 4, h / 4, kResampleMitchell, false), orientation)
                : resizeGrid(OmviTest::viewOf(source, orientation), w / 4, h / 4, kResampleMitchell, false);
        EXPECT_GRID_EQ(OmviTest::pullGrid(*placed), padded(expected, 2)) << "code " << code;
    }
}

TEST_F(PlacementTest, TexturePathTurnsRotatedParallelogramsAsTheExactRotation)
{
    const int w = 60, h = 44;
    const Grid source = smoothPattern(w, h);
    auto image = grayImage(source);
    // A turn of 20 degrees from upright, and one of 110 degrees (a quarter
    // turn and 20 degrees: oriented first, then rotated), mirrored too.
    struct Case
    {
        double degrees;
        double side;
    };
    for (const Case& c : {Case{20.0, 1.0}, Case{110.0, 1.0}, Case{-160.0, -1.0}, Case{-35.0, 1.0}})
    {
        const double a = c.degrees * kPi / 180.0;
        Parallelogram p;
        p.widthX = w * std::cos(a);
        p.widthY = w * std::sin(a);
        p.heightX = -h * std::sin(a) * c.side;
        p.heightY = h * std::cos(a) * c.side;
        // Centred in a destination that holds the whole turned image.
        const PixelPair destination{100, 100};
        p.originX = 50 - (p.widthX + p.heightX) / 2;
        p.originY = 50 - (p.widthY + p.heightY) / 2;
        Provider placed = render(*image, destination, p);
        ASSERT_NE(placed, nullptr) << c.degrees;
        ASSERT_EQ(placed->size(), destination);
        const Grid out = OmviTest::pullGrid(*placed);
        double squares = 0;
        long inside = 0;
        for (int y = 0; y < destination.y; ++y)
            for (int x = 0; x < destination.x; ++x)
            {
                double sx = 0, sy = 0;
                OmviTest::sourcePosition(p, w, h, x + 0.5, y + 0.5, sx, sy);
                const std::uint64_t value = out[std::size_t(y)][std::size_t(x)];
                if (sx < -2.5 || sy < -2.5 || sx > w + 2.5 || sy > h + 2.5)
                {
                    EXPECT_EQ(value, kClear) << c.degrees << " at " << x << "," << y;
                    continue;
                }
                if (sx < 2 || sy < 2 || sx > w - 2 || sy > h - 2)
                    continue;
                const double d = static_cast<double>(value) - OmviTest::bilinearAt(source, sx, sy);
                squares += d * d;
                ++inside;
            }
        ASSERT_GT(inside, 1500);
        const double psnr = 10.0 * std::log10(255.0 * 255.0 / (squares / inside));
        EXPECT_GT(psnr, 34.0) << c.degrees;
        RecordProperty("psnr_" + std::to_string(static_cast<int>(c.degrees)), std::to_string(psnr));
    }
}

TEST_F(PlacementTest, NearestNeighbourModeCopiesPixelsAndHonoursMirroredAxes)
{
    // Raw 32-bit samples that name their place: never blended, so the
    // rotation is by exact copies even in the interpolating mode.
    const int w = 40, h = 30;
    const DataModel raw(1, kDataTypeThirtyTwoBit, 32);
    Image image(OmviTest::rowsFrom(raw, w, h, [](int x, int y) { return std::uint64_t(1 + y * 1000 + x); }).release(),
                BuildOrder::RowsTopDown, kOrganisationDefault);
    for (std::int32_t mode : {0, 1})
        for (double side : {1.0, -1.0})
            for (double degrees : {25.0, -60.0, 180.0})
            {
                const double a = degrees * kPi / 180.0;
                Parallelogram p;
                p.widthX = w * std::cos(a);
                p.widthY = w * std::sin(a);
                p.heightX = -h * std::sin(a) * side;
                p.heightY = h * std::cos(a) * side;
                p.originX = 40 - (p.widthX + p.heightX) / 2;
                p.originY = 40 - (p.widthY + p.heightY) / 2;
                Provider placed = render(image, {80, 80}, p, 6, true, mode);
                ASSERT_NE(placed, nullptr);
                const Grid out = OmviTest::pullGrid(*placed);
                long checked = 0;
                for (int y = 0; y < 80; ++y)
                    for (int x = 0; x < 80; ++x)
                    {
                        double sx = 0, sy = 0;
                        OmviTest::sourcePosition(p, w, h, x + 0.5, y + 0.5, sx, sy);
                        if (sx < 2 || sy < 2 || sx > w - 2 || sy > h - 2)
                            continue;
                        const std::uint64_t value = out[std::size_t(y)][std::size_t(x)];
                        ASSERT_NE(value, 0u) << degrees << " " << side << " at " << x << "," << y;
                        const double px = (value - 1) % 1000 + 0.5, py = double((value - 1) / 1000) + 0.5;
                        EXPECT_LE(std::fabs(px - sx), 1.6) << degrees << " " << side << " " << mode;
                        EXPECT_LE(std::fabs(py - sy), 1.6) << degrees << " " << side << " " << mode;
                        ++checked;
                    }
                EXPECT_GT(checked, 600);
            }
}

TEST_F(PlacementTest, TinyAndShearedDestinationsAreMadePointByPoint)
{
    const int w = 20, h = 15;
    const Grid source = grayPattern(w, h);
    auto image = grayImage(source);
    // Where the point-by-point rule puts each pixel: the source pixel
    // nearest to where the pixel's corner lands, the clear colour outside.
    const auto pointwise = [&](const Parallelogram& p, int width, int height) {
        return OmviTest::gridOf(width, height, [&](int x, int y) {
            double sx = 0, sy = 0;
            OmviTest::sourcePosition(p, w, h, x, y, sx, sy);
            const double fx = std::floor(sx + 0.5), fy = std::floor(sy + 0.5);
            return fx < 0 || fy < 0 || fx >= w || fy >= h ? kClear : source[std::size_t(fy)][std::size_t(fx)];
        });
    };

    // Two pixels wide: never the rotation filters.
    const Parallelogram narrow{-3.0, 2.0, 30.0, 10.0, -5.0, 40.0};
    Provider column = render(*image, {2, 100}, narrow);
    ASSERT_NE(column, nullptr);
    EXPECT_GRID_EQ(OmviTest::pullGrid(*column), pointwise(narrow, 2, 100));

    // Axes that are not at a right angle, whatever the size.
    const Parallelogram sheared{4.13, 3.07, 40.0, 0.0, 12.0, 30.0};
    Provider skew = render(*image, {60, 40}, sheared);
    ASSERT_NE(skew, nullptr);
    EXPECT_GRID_EQ(OmviTest::pullGrid(*skew), pointwise(sheared, 60, 40));

    // Pixels left of the source are clear, not its first column: a corner
    // at x = -0.6 rounds to -1.
    const Parallelogram shifted{0.6, 0.0, 20.0, 0.0, 0.0, 15.0};
    Provider edge(ImagePlacement::mapPointwise(image.get(), {2, 15}, Point2d(0.6, 0.0), Vector2d(20.0, 0.0),
                                               Vector2d(0.0, 15.0), false));
    ASSERT_NE(edge, nullptr);
    const Grid edgeGrid = OmviTest::pullGrid(*edge);
    EXPECT_GRID_EQ(edgeGrid, pointwise(shifted, 2, 15));
    EXPECT_EQ(edgeGrid[0][0], kClear);
    EXPECT_EQ(edgeGrid[0][1], source[0][0]);

    // Far outside the source every pixel is clear; nothing throws.
    Provider away(ImagePlacement::mapPointwise(image.get(), {5, 5}, Point2d(1e6, -1e6), Vector2d(3.0, 0.0),
                                               Vector2d(0.0, 3.0), false));
    ASSERT_NE(away, nullptr);
    EXPECT_GRID_EQ(OmviTest::pullGrid(*away), OmviTest::gridOf(5, 5, [](int, int) { return kClear; }));
    // The result owns its image: the source may go first.
    Provider kept(ImagePlacement::mapPointwise(image.get(), {2, 3}, Point2d(0.0, 0.0), Vector2d(20.0, 0.0),
                                               Vector2d(0.0, 15.0), true));
    EXPECT_NE(dynamic_cast<DeadmanImageRowProvider*>(kept.get()), nullptr);
    image.reset();
    EXPECT_EQ(OmviTest::pullGrid(*kept)[0][0], source[0][0]);

    // Degenerate frames and empty destinations give nothing.
    auto other = grayImage(source);
    EXPECT_EQ(ImagePlacement::mapPointwise(other.get(), {5, 5}, Point2d(), Vector2d(3.0, 1.0), Vector2d(6.0, 2.0),
                                           false),
              nullptr);
    EXPECT_EQ(ImagePlacement::mapPointwise(other.get(), {0, 5}, Point2d(), Vector2d(3.0, 0.0), Vector2d(0.0, 2.0),
                                           false),
              nullptr);
    EXPECT_EQ(ImagePlacement::mapPointwise(nullptr, {5, 5}, Point2d(), Vector2d(3.0, 0.0), Vector2d(0.0, 2.0), false),
              nullptr);
}

TEST_F(PlacementTest, TinySourcesAndHugeMagnificationsShowConstantColours)
{
    // One source pixel, placed small inside a larger destination: a square
    // of its colour where the parallelogram lies.
    auto dot = grayImage(OmviTest::gridOf(1, 1, [](int, int) { return 200; }));
    const Parallelogram square{10.0, 12.0, 5.0, 0.0, 0.0, 5.0};
    Provider placed = render(*dot, {30, 30}, square);
    ASSERT_NE(placed, nullptr);
    EXPECT_GRID_EQ(OmviTest::pullGrid(*placed), OmviTest::nearestPlacement(OmviTest::gridOf(1, 1, [](int, int) { return 200; }),
                                                                          square, 30, 30, kClear));
    // Turned, it covers its turned square.
    const double a = 0.5;
    const Parallelogram turned{20.0 - 8 * std::cos(a) + 8 * std::sin(a), 20.0 - 8 * std::sin(a) - 8 * std::cos(a),
                               16 * std::cos(a), 16 * std::sin(a), -16 * std::sin(a), 16 * std::cos(a)};
    Provider tilted = render(*dot, {40, 40}, turned);
    ASSERT_NE(tilted, nullptr);
    const Grid tiltedGrid = OmviTest::pullGrid(*tilted);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
        {
            double sx = 0, sy = 0;
            OmviTest::sourcePosition(turned, 1, 1, x + 0.5, y + 0.5, sx, sy);
            const std::uint64_t value = tiltedGrid[std::size_t(y)][std::size_t(x)];
            if (sx > 0.15 && sy > 0.15 && sx < 0.85 && sy < 0.85)
            {
                EXPECT_EQ(value, 200u) << x << "," << y;
            }
            else if (sx < -0.15 || sy < -0.15 || sx > 1.15 || sy > 1.15)
            {
                EXPECT_EQ(value, kClear) << x << "," << y;
            }
        }

    // A destination that shows about one pixel of a larger source: the
    // colour of the pixel at the crop's origin, everywhere.
    const Grid source = grayPattern(50, 50);
    auto image = grayImage(source);
    const Parallelogram close{-20.3 * 400, -30.2 * 400, 50.0 * 400, 0.0, 0.0, 50.0 * 400};
    Provider zoomed = render(*image, {200, 200}, close);
    ASSERT_NE(zoomed, nullptr);
    const Grid zoomedGrid = OmviTest::pullGrid(*zoomed);
    EXPECT_EQ(zoomedGrid[0][0], source[30][20]);
    EXPECT_GRID_EQ(zoomedGrid, OmviTest::gridOf(200, 200, [&](int, int) { return source[30][20]; }));

    // A destination inside one corner pixel of the source, in the last
    // column and row of the view: that pixel, upright, mirrored and turned,
    // in both rotation modes (a mirrored view turned half round, in the
    // nearest-neighbour mode, crops two pixels of which the first shows).
    const Grid small = grayPattern(3, 2);
    auto smallImage = grayImage(small);
    const struct
    {
        Parallelogram p;
        std::uint64_t shown;
    } farCorner[] = {
        {{-22.0, -12.0, 30.0, 0.0, 0.0, 20.0}, small[1][2]}, // upright: stored (2, 1)
        {{8.0, -12.0, -30.0, 0.0, 0.0, 20.0}, small[1][0]},  // mirrored left to right: (0, 1)
        {{-22.0, 8.0, 30.0, 0.0, 0.0, -20.0}, small[0][2]},  // mirrored top to bottom: (2, 0)
        {{-12.0, 8.0, 0.0, -30.0, 20.0, 0.0}, small[1][0]},  // a quarter turn: (0, 1)
    };
    for (const auto& c : farCorner)
        for (std::int32_t mode : {0, 1})
        {
            Provider edge = render(*smallImage, {6, 6}, c.p, 6, true, mode);
            ASSERT_NE(edge, nullptr) << "origin " << c.p.originX << "," << c.p.originY << " mode " << mode;
            EXPECT_GRID_EQ(OmviTest::pullGrid(*edge), OmviTest::gridOf(6, 6, [&](int, int) { return c.shown; }))
                << "origin " << c.p.originX << "," << c.p.originY << " mode " << mode;
        }

    // Two-thirds of a source pixel over a destination, blown up past one
    // and a half times the destination's side: built smaller and centred,
    // every pixel between the levels of the pixels around.
    const Grid smooth = smoothPattern(20, 20);
    auto smoothImage = grayImage(smooth);
    // 0.62 of a source pixel across the 30-pixel destination, from 10.9:
    // the crop is pixels 10 to 12, magnified 47 times (beyond 1.5 x 30).
    const double k = 47.0;
    const Parallelogram extreme{-10.9 * k, -10.9 * k, 20 * k, 0.0, 0.0, 20 * k};
    Provider blown = render(*smoothImage, {30, 30}, extreme);
    ASSERT_NE(blown, nullptr);
    ASSERT_EQ(blown->size(), (PixelPair{30, 30}));
    std::uint64_t low = 255, high = 0;
    for (int y = 9; y <= 12; ++y)
        for (int x = 9; x <= 12; ++x)
        {
            low = std::min(low, smooth[std::size_t(y)][std::size_t(x)]);
            high = std::max(high, smooth[std::size_t(y)][std::size_t(x)]);
        }
    for (const auto& row : OmviTest::pullGrid(*blown))
        for (std::uint64_t v : row)
        {
            EXPECT_GE(v + 2, low);
            EXPECT_LE(v, high + 2);
        }
}

TEST_F(PlacementTest, PlacementsThatShowNothingOrAreNoGeometryGiveNull)
{
    const Grid source = grayPattern(30, 20);
    auto image = grayImage(source);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // Wholly outside the destination, beside it and past a corner.
    EXPECT_EQ(render(*image, {40, 40}, Parallelogram{50.0, 0.0, 30.0, 0.0, 0.0, 20.0}), nullptr);
    const double a = 0.7;
    EXPECT_EQ(render(*image, {40, 40},
                     Parallelogram{-10.0 - 30 * std::cos(a), -10.0, 30 * std::cos(a), 30 * std::sin(a),
                                   -20 * std::sin(a), 20 * std::cos(a)}),
              nullptr);
    // Axes without length, not finite, or a destination without pixels.
    EXPECT_EQ(render(*image, {40, 40}, Parallelogram{0.0, 0.0, 0.0, 0.0, 0.0, 20.0}), nullptr);
    EXPECT_EQ(render(*image, {40, 40}, Parallelogram{0.0, 0.0, 30.0, 0.0, 0.0, 0.0}), nullptr);
    EXPECT_EQ(render(*image, {40, 40}, Parallelogram{nan, 0.0, 30.0, 0.0, 0.0, 20.0}), nullptr);
    EXPECT_EQ(render(*image, {40, 40}, Parallelogram{0.0, 0.0, inf, 0.0, 0.0, 20.0}), nullptr);
    EXPECT_EQ(render(*image, {0, 40}, Parallelogram{0.0, 0.0, 30.0, 0.0, 0.0, 20.0}), nullptr);
    EXPECT_EQ(render(*image, {2, 40}, Parallelogram{0.0, 0.0, 30.0, 0.0, 60.0, 0.0}), nullptr);
    // Far away and huge: no overflow, nothing to show or a size too large.
    EXPECT_EQ(render(*image, {40, 40}, Parallelogram{1e300, 1e300, 30.0, 0.0, 0.0, 20.0}), nullptr);
    EXPECT_EQ(render(*image, {40, 40}, Parallelogram{-1e15, 0.0, 3e15, 0.0, 0.0, 20.0}), nullptr);
    // No image.
    ImagePlacement empty(nullptr, {10, 10});
    EXPECT_EQ(empty.render(6, true, 0), nullptr);
    Image none;
    ImagePlacement bare(&none, {10, 10});
    EXPECT_EQ(bare.render(6, true, 0), nullptr);
}

TEST_F(PlacementTest, ReducedReadsComeFromTheFileWhileTheImageIsUnchanged)
{
    codec.subSampling = true;
    OMVISession::get()->setIntegerSetting(1);
    const OmviTest::Bytes pixels = OmviTest::mapPixels('5', 64, 48);
    const Grid source = OmviTest::gridOf(64, 48, [&](int x, int y) { return std::uint64_t(pixels[std::size_t(y * 64 + x)]); });
    const FileSpecifier spec = file("r.pgm", OmviTest::pnmBytes('5', 64, 48, pixels));
    FileReadDescriptor descriptor(spec);
    Image image(descriptor, kOrganisationDefault);
    ASSERT_NE(image.representation()->sourceDescriptor(), nullptr);

    // A quarter: the file decodes every fourth row and column of the crop.
    for (std::int32_t code : {4, 6, 2})
    {
        PixelPair destination;
        const Parallelogram p = oriented(code, 0.25, 64, 48, 1.0, destination);
        Provider placed = render(image, destination, p);
        ASSERT_NE(placed, nullptr);
        const Grid everyFourth = OmviTest::gridOf(16, 12, [&](int x, int y) { return source[std::size_t(4 * y)][std::size_t(4 * x)]; });
        const Grid expected = OmviTest::viewOf(everyFourth, *orientationFromCode(code));
        const Grid out = OmviTest::pullGrid(*placed);
        EXPECT_GRID_EQ(OmviTest::regionOf(out, 1, 1, static_cast<int>(expected[0].size()), static_cast<int>(expected.size())),
                       expected)
            << "code " << code;
    }

    // Once the image has been written to, its pixels are no longer the
    // file's: the crop is read from the image and filtered.
    std::unique_ptr<RowProviderInterface> patch = OmviTest::rowsFrom(RgbGrayModel(), 2, 2, [](int, int) { return 3; });
    image.representation()->paste(patch, {0, 0}, false);
    PixelPair destination;
    const Parallelogram p = oriented(4, 0.25, 64, 48, 1.0, destination);
    Provider filtered = render(image, destination, p);
    ASSERT_NE(filtered, nullptr);
    Grid changed = source;
    changed[0][0] = changed[0][1] = changed[1][0] = changed[1][1] = 3;
    EXPECT_GRID_EQ(OmviTest::regionOf(OmviTest::pullGrid(*filtered), 1, 1, 16, 12),
                   resizeGrid(changed, 16, 12, kResampleMitchell, false));
}

TEST_F(PlacementTest, TheClearColourIsFilledInTheModelOfTheChain)
{
    // A bitonal source filtered down becomes gray: its paper fills the
    // margins as white.
    const Grid bits = OmviTest::gridOf(64, 48, [](int x, int y) { return std::uint64_t((x / 8 + y / 8) % 2); });
    Image image(OmviTest::gridRows(BitonalModel(), bits).release(), BuildOrder::RowsTopDown, kOrganisationDefault);
    image.representation()->setClearColor(ImagePixel(kPixelBitonal, 0));
    PixelPair destination;
    const Parallelogram p = oriented(4, 0.25, 64, 48, 2.0, destination);
    ImagePlacement placement(&image, destination);
    placement.setDestination(Point2d(p.originX, p.originY), Vector2d(p.widthX, p.widthY), Vector2d(p.heightX, p.heightY));
    Provider placed(placement.render(kResampleMitchell, true, 0));
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed->dataModel().colorSpace(), kColorSpaceGray);
    const Grid out = OmviTest::pullGrid(*placed);
    EXPECT_EQ(out[0][0], 255u);
    EXPECT_EQ(out[std::size_t(destination.y - 1)][0], 255u);
    // The placement's own clear pixel stays as it was unless asked.
    EXPECT_EQ(placement.clearPixel(), ImagePixel(kPixelBitonal, 0));
    placement.setsClearPixel = true;
    Provider again(placement.render(kResampleMitchell, true, 0));
    EXPECT_EQ(placement.clearPixel(), ImagePixel(kPixelGray, 255));

    // A palette source turned by shears is RGB: the margins show the
    // clear entry's colour.
    RgbColor colors[3] = {RgbColor(200, 10, 20, 255), RgbColor(0, 0, 0, 255), RgbColor(255, 255, 255, 255)};
    Image palette(OmviTest::rowsFrom(RgbPaletteModel(3, colors), 30, 20, [](int x, int y) { return 1 + (x + y) % 2; }).release(),
                  BuildOrder::RowsTopDown, kOrganisationDefault);
    palette.representation()->setClearColor(ImagePixel(kPixelPalette, 0));
    const double a = 0.3;
    Provider turned = render(palette, {60, 60},
                             Parallelogram{15.0, 10.0, 30 * std::cos(a), 30 * std::sin(a), -20 * std::sin(a),
                                           20 * std::cos(a)});
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(turned->dataModel().colorSpace(), kColorSpaceRgb);
    const Grid rgb = OmviTest::pullGrid(*turned);
    EXPECT_EQ(rgb[0][0] & 0xFFFFFFu, 0x140AC8u);
    EXPECT_EQ(rgb[59][59] & 0xFFFFFFu, 0x140AC8u);
}

TEST_F(PlacementTest, RandomPlacementsGiveTheDestinationOrNothing)
{
    const Grid source = grayPattern(37, 29);
    auto gray = grayImage(source);
    Image raw(OmviTest::patternRows(DataModel(1, kDataTypeSixteenBit, 16), 33, 21).release(), BuildOrder::RowsTopDown,
              kOrganisationDefault);
    Image bitonal(OmviTest::patternRows(BitonalModel(), 41, 19).release(), BuildOrder::RowsTopDown,
                  kOrganisationDefault);
    Image* images[] = {gray.get(), &raw, &bitonal};
    std::mt19937 random(38);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double specials[] = {0.0, -0.0, 1e-12, 1e12, -1e300, std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::infinity()};
    for (int i = 0; i < 300; ++i)
    {
        Image& image = *images[i % 3];
        const PixelPair destination{1 + static_cast<int>(unit(random) * 70), 1 + static_cast<int>(unit(random) * 70)};
        const double scale = std::exp((unit(random) - 0.5) * 6.0);
        const double angle = (unit(random) < 0.4 ? std::floor(unit(random) * 4) * kPi / 2 : unit(random) * 2 * kPi);
        const double side = unit(random) < 0.5 ? 1.0 : -1.0;
        const PixelPair size = image.representation()->size();
        Parallelogram p{(unit(random) - 0.3) * 80, (unit(random) - 0.3) * 80, size.x * scale * std::cos(angle),
                        size.x * scale * std::sin(angle), -size.y * scale * std::sin(angle) * side,
                        size.y * scale * std::cos(angle) * side};
        if (unit(random) < 0.1)
            p.heightX += unit(random) * 5; // not a rectangle
        if (unit(random) < 0.05)
            p.originX = specials[i % 7];
        if (unit(random) < 0.05)
            p.widthY = specials[(i / 7) % 7];
        const std::int32_t kind = static_cast<std::int32_t>(unit(random) * 7);
        const bool twoStage = unit(random) < 0.7;
        const std::int32_t mode = unit(random) < 0.7 ? 0 : 1;
        try
        {
            Provider placed = render(image, destination, p, kind, twoStage, mode);
            if (!placed)
                continue;
            ASSERT_EQ(placed->size(), destination) << i;
            DataBuffer row(placed->bytesPerRow());
            for (int y = 0; y < destination.y; ++y)
                placed->getNextRow(row);
            EXPECT_EQ(placed->rowsRemaining(), 0) << i;
        }
        catch (OMVIException* error)
        {
            OwnedException owned(error);
            ADD_FAILURE() << "placement " << i << " threw " << owned->getMessage().text();
        }
    }
}
