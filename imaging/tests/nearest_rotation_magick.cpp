// The nearest-neighbour rotation against ImageMagick: quarter turns equal
// `-rotate 90|180|270` exactly once the output's extra column and row are
// cut off, and a 30-degree turn agrees with `-filter point +distort SRT 30`
// (nearest-neighbour resampling of the exact rotation) on nearly every
// pixel.
#include "MagickCompare.h"
#include "PixelGrids.h"
#include "TiledImageFixtures.h"

#include "imaging/geometry/Matrix2d.h"
#include "imaging/geometry/Point2d.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/transforms/NearestNeighborRotate.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Omvi;

namespace
{
using NearestRotationMagickTest = OmviTest::TiledImageTest;
constexpr double kPi = 3.14159265358979323846;

OmviTest::Picture patternPicture(int width, int height, int channels)
{
    OmviTest::Picture picture{width, height, channels, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                picture.samples.push_back(static_cast<std::uint8_t>(1 + (x * 7 + y * 13 + c * 71 + (x * y) % 11) % 254));
    return picture;
}

// The picture's rows, gray or 32-bit RGB.
std::unique_ptr<RowProviderInterface> rowsOf(const OmviTest::Picture& picture)
{
    if (picture.channels == 1)
        return OmviTest::rowsFrom(RgbGrayModel(), picture.width, picture.height,
                                  [&picture](int x, int y) { return std::uint64_t(picture.at(x, y, 0)); });
    return OmviTest::rowsFrom(RgbModel(32), picture.width, picture.height, [&picture](int x, int y) {
        return std::uint64_t(picture.at(x, y, 0)) | std::uint64_t(picture.at(x, y, 1)) << 8 |
               std::uint64_t(picture.at(x, y, 2)) << 16 | std::uint64_t(0xFF) << 24;
    });
}

// `width` x `height` pixels of the rotation's output from (x0, y0).
OmviTest::Picture pictureOf(RowProviderInterface& rows, int channels, int x0, int y0, int width, int height)
{
    const OmviTest::Grid grid = OmviTest::pullGrid(rows);
    OmviTest::Picture picture{width, height, channels, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const std::uint64_t value = grid[std::size_t(y0 + y)][std::size_t(x0 + x)];
            for (int c = 0; c < channels; ++c)
                picture.samples.push_back(static_cast<std::uint8_t>(value >> (8 * c)));
        }
    return picture;
}
} // namespace

TEST_F(NearestRotationMagickTest, QuarterTurnsEqualTheToolsRotations)
{
    OMVI_REQUIRE_TOOL("convert");
    OMVI_REQUIRE_TOOL("compare");
    start();
    OmviTest::ScratchFolder folder;
    ASSERT_TRUE(folder.valid());
    for (int channels : {1, 3})
    {
        const OmviTest::Picture source = patternPicture(53, 37, channels);
        for (int degrees : {90, 180, 270})
        {
            NearestNeighborRotate rotate(rowsOf(source).release(),
                                         Matrix2d::rotationAbout(degrees * kPi / 180.0, Point2d(0.0, 0.0)),
                                         channels == 1 ? ImagePixel(kPixelGray, 0) : ImagePixel(kPixelRgb, 0));
            const int width = degrees == 180 ? source.width : source.height;
            const int height = degrees == 180 ? source.height : source.width;
            ASSERT_EQ(rotate.size(), (PixelPair{width + 1, height + 1}));
            const OmviTest::Picture ours = pictureOf(rotate, channels, 0, 0, width, height);
            const OmviTest::Picture tool =
                OmviTest::magickConvert(folder, source, "-rotate " + std::to_string(degrees));
            ASSERT_EQ(tool.width, width);
            EXPECT_EQ(OmviTest::magickDifference(folder, ours, tool), 0) << degrees << " degrees, " << channels;
        }
    }
}

TEST_F(NearestRotationMagickTest, ThirtyDegreesAgreesWithThePointFilteredDistortion)
{
    OMVI_REQUIRE_TOOL("convert");
    start();
    OmviTest::ScratchFolder folder;
    ASSERT_TRUE(folder.valid());
    // Red and green name the source column and row of every pixel.
    OmviTest::Picture source{64, 48, 3, {}};
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            source.samples.insert(source.samples.end(), {std::uint8_t(1 + 3 * x), std::uint8_t(1 + 4 * y), 128});
    NearestNeighborRotate rotate(rowsOf(source).release(), Matrix2d::rotationAbout(kPi / 6.0, Point2d(0.0, 0.0)),
                                 ImagePixel(kPixelRgb, 0));
    const OmviTest::Picture ours = pictureOf(rotate, 3, 0, 0, rotate.size().x, rotate.size().y);
    const OmviTest::Picture tool =
        OmviTest::magickConvert(folder, source,
                                "-interpolate nearest -filter point -background black -virtual-pixel background "
                                "+distort SRT 30 +repage");
    ASSERT_GT(tool.width, 0);
    // The tool's frame holds the turned image with a pixel to spare.
    EXPECT_LE(std::abs(tool.width - ours.width), 2);
    EXPECT_LE(std::abs(tool.height - ours.height), 2);

    // The two frames may be shifted by a pixel or two: the best shift.
    struct Agreement
    {
        long covered = 0, same = 0, farther = 0;
    } best;
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx)
        {
            Agreement here;
            for (int y = 0; y < ours.height; ++y)
                for (int x = 0; x < ours.width; ++x)
                {
                    const int tx = x + dx, ty = y + dy;
                    if (tx < 0 || ty < 0 || tx >= tool.width || ty >= tool.height)
                        continue;
                    // Pixels both take from the source.
                    if (ours.at(x, y, 2) != 128 || tool.at(tx, ty, 2) != 128)
                        continue;
                    ++here.covered;
                    const int columns = (ours.at(x, y, 0) - tool.at(tx, ty, 0)) / 3;
                    const int rows = (ours.at(x, y, 1) - tool.at(tx, ty, 1)) / 4;
                    here.same += columns == 0 && rows == 0;
                    here.farther += std::abs(columns) > 1 || std::abs(rows) > 1;
                }
            if (here.same > best.same)
                best = here;
        }
    ASSERT_GT(best.covered, 2500);
    RecordProperty("same_source_pixel", std::to_string(best.same) + " of " + std::to_string(best.covered));
    // Over half the pixels are the very same source pixel; the others are
    // its neighbours (the walk's step is a little short of the exact one).
    EXPECT_GE(best.same * 100, best.covered * 45);
    EXPECT_EQ(best.farther, 0);
}
