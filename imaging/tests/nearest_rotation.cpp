// The nearest-neighbour rotation: the worked quarter turn, quarter turns of
// every data type against the orientation numbering, any angle against the
// exact rotation (every pixel a copy of a source pixel at most one pixel
// from where the rotation puts it), long rows, and the matrices it refuses.
#include "PixelGrids.h"
#include "RowSources.h"
#include "TiledImageFixtures.h"

#include "imaging/OMVIException.h"
#include "imaging/geometry/Matrix2d.h"
#include "imaging/geometry/Point2d.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbPaletteModel.h"
#include "imaging/transforms/NearestNeighborRotate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

using namespace Omvi;
using OmviTest::Grid;
using OmviTest::thrownCode;

namespace
{
using NearestRotationTest = OmviTest::TiledImageTest;
constexpr double kPi = 3.14159265358979323846;

DataModel plainModel(std::int32_t dataType)
{
    return DataModel(1, dataType, bitsPerPixelOf(dataType));
}

Matrix2d turn(double angle)
{
    return Matrix2d::rotationAbout(angle, Point2d(0.0, 0.0));
}

// A 32-bit value that names its place: 1 + y * 65536 + x (0 stays free for
// the clear pixel).
std::uint64_t placeValue(int x, int y)
{
    return 1u + static_cast<std::uint64_t>(y) * 65536u + static_cast<std::uint64_t>(x);
}
} // namespace

TEST_F(NearestRotationTest, QuarterTurnOfFiftyByHundredHasTheWorkedSizeAndStep)
{
    start();
    const DataModel model = plainModel(1);
    NearestNeighborRotate rotate(OmviTest::patternRows(model, 50, 100).release(), turn(kPi / 2.0),
                                 ImagePixel(kPixelEightBit, 0));
    EXPECT_EQ(rotate.size(), (PixelPair{101, 51}));
    // Along an output row the walk runs up the source's rows.
    EXPECT_EQ(rotate.stepX(), 0);
    EXPECT_EQ(rotate.stepY(), 64887);
    EXPECT_EQ(rotate.signY(), -1);
    // One row of tiles down the source (the walk runs along a column).
    EXPECT_EQ(rotate.cachedTiles(), 1);
    // The source corner (0, 0) lands at the output's top-right corner.
    PixelPair corner{0, 0};
    rotate.adjustOffset(corner);
    EXPECT_EQ(corner, (PixelPair{100, 0}));
    PixelPair far{50, 100};
    rotate.adjustOffset(far);
    EXPECT_EQ(far, (PixelPair{0, 50}));
}

TEST_F(NearestRotationTest, QuarterTurnsOfEveryDataTypeKeepEveryValue)
{
    start();
    struct Turn
    {
        double angle;
        Orientation view;
        int left, top; // where the view lies in the output
    };
    const Turn turns[] = {{kPi / 2.0, Orientation::QuarterTurnRight, 0, 0},
                          {kPi, Orientation::HalfTurn, 0, 0},
                          {-kPi / 2.0, Orientation::QuarterTurnLeft, 0, 0}};
    for (std::int32_t dataType = 0; dataType <= 4; ++dataType)
    {
        const DataModel model = plainModel(dataType);
        const int width = 37;
        const int height = 23;
        const Grid grid = OmviTest::gridOf(width, height, [&](int x, int y) { return OmviTest::patternPixel(dataType, x, y); });
        for (const Turn& t : turns)
        {
            NearestNeighborRotate rotate(OmviTest::patternRows(model, width, height).release(), turn(t.angle),
                                         ImagePixel(dataType, 0));
            const Grid out = OmviTest::pullGrid(rotate);
            const Grid view = OmviTest::viewOf(grid, t.view);
            const int viewW = static_cast<int>(view[0].size());
            const int viewH = static_cast<int>(view.size());
            ASSERT_EQ(rotate.size(), (PixelPair{viewW + 1, viewH + 1}));
            EXPECT_GRID_EQ(OmviTest::regionOf(out, t.left, t.top, viewW, viewH), view)
                << "data type " << dataType << " angle " << t.angle;
            // The extra row and column are clear.
            const int clearColumn = t.left == 1 ? 0 : viewW;
            const int clearRow = t.top == 1 ? 0 : viewH;
            for (int y = 0; y <= viewH; ++y)
                EXPECT_EQ(out[std::size_t(y)][std::size_t(clearColumn)], 0u);
            for (int x = 0; x <= viewW; ++x)
                EXPECT_EQ(out[std::size_t(clearRow)][std::size_t(x)], 0u);
        }
    }
}

TEST_F(NearestRotationTest, AnyAngleCopiesTheSourcePixelUnderEachOutputPixel)
{
    start();
    const DataModel model = plainModel(3);
    const int width = 90;
    const int height = 61;
    for (double degrees : {30.0, -12.5, 45.0, 100.0, -170.0, 3.0})
    {
        const double angle = degrees * kPi / 180.0;
        NearestNeighborRotate rotate(OmviTest::rowsFrom(model, width, height, placeValue).release(), turn(angle),
                                     ImagePixel(kPixelThirtyTwoBit, 0));
        const Grid out = OmviTest::pullGrid(rotate);
        // Independently: the turned corners, moved to start at (0, 0) and
        // rounded, frame the output; each output pixel centre is carried
        // back through that frame (solved by Cramer's rule).
        const double cornersX[4] = {0.0, double(width), double(width), 0.0};
        const double cornersY[4] = {0.0, 0.0, double(height), double(height)};
        double minX = 1e300, minY = 1e300;
        for (int k = 0; k < 4; ++k)
        {
            minX = std::min(minX, cornersX[k] * std::cos(angle) - cornersY[k] * std::sin(angle));
            minY = std::min(minY, cornersX[k] * std::sin(angle) + cornersY[k] * std::cos(angle));
        }
        double rx[4], ry[4];
        for (int k = 0; k < 4; ++k)
        {
            rx[k] = std::floor(cornersX[k] * std::cos(angle) - cornersY[k] * std::sin(angle) - minX + 0.5);
            ry[k] = std::floor(cornersX[k] * std::sin(angle) + cornersY[k] * std::cos(angle) - minY + 0.5);
        }
        const double ax = rx[1] - rx[0], ay = ry[1] - ry[0], bx = rx[3] - rx[0], by = ry[3] - ry[0];
        const double det = ax * by - ay * bx;
        const auto back = [&](double qx, double qy, double& sx, double& sy) {
            const double dx = qx - rx[0], dy = qy - ry[0];
            sx = (dx * by - dy * bx) / det * width;
            sy = (ax * dy - ay * dx) / det * height;
        };
        long inside = 0, exact = 0;
        for (int y = 0; y < rotate.size().y; ++y)
            for (int x = 0; x < rotate.size().x; ++x)
            {
                double sx = 0.0, sy = 0.0;
                back(x + 0.5, y + 0.5, sx, sy);
                const std::uint64_t value = out[std::size_t(y)][std::size_t(x)];
                const bool wellInside = sx > 1.5 && sy > 1.5 && sx < width - 1.5 && sy < height - 1.5;
                const bool wellOutside = sx < -1.5 || sy < -1.5 || sx > width + 1.5 || sy > height + 1.5;
                if (wellOutside)
                {
                    EXPECT_EQ(value, 0u) << degrees << " at " << x << "," << y;
                }
                if (!wellInside)
                    continue;
                ++inside;
                ASSERT_NE(value, 0u) << degrees << " at " << x << "," << y;
                const double px = static_cast<double>((value - 1) % 65536) + 0.5;
                const double py = static_cast<double>((value - 1) / 65536) + 0.5;
                EXPECT_LE(std::fabs(px - sx), 1.01) << degrees << " at " << x << "," << y;
                EXPECT_LE(std::fabs(py - sy), 1.01) << degrees << " at " << x << "," << y;
                exact += static_cast<long>(std::floor(sx)) + 0.5 == px && static_cast<long>(std::floor(sy)) + 0.5 == py;
            }
        // The step is a little short of the exact one, so the walk is half
        // a pixel ahead at the start of a row and behind at its end: still,
        // a good share of the pixels are the very pixel under the centre.
        EXPECT_GT(exact, inside / 3) << degrees;
    }
}

TEST_F(NearestRotationTest, PaletteIndicesAndBitonalInkAreCopiedNotBlended)
{
    start();
    RgbColor colors[4] = {RgbColor(0, 0, 0, 255), RgbColor(255, 0, 0, 255), RgbColor(0, 255, 0, 255),
                          RgbColor(0, 0, 255, 255)};
    const RgbPaletteModel palette(4, colors);
    NearestNeighborRotate rotated(OmviTest::rowsFrom(palette, 40, 30, [](int x, int y) { return (x / 3 + y / 5) % 4; }).release(),
                                  turn(0.4), ImagePixel(kPixelPalette, 3));
    EXPECT_EQ(rotated.dataModel().colorSpace(), kColorSpacePalette);
    for (const auto& row : OmviTest::pullGrid(rotated))
        for (std::uint64_t index : row)
            EXPECT_LT(index, 4u);

    // A clear pixel of ink fills both the rows the source misses wholly and
    // the ends of the others.
    NearestNeighborRotate bits(OmviTest::rowsFrom(BitonalModel(), 17, 9, [](int, int) { return 0; }).release(),
                               turn(kPi / 2.0), ImagePixel(kPixelBitonal, 1));
    const Grid out = OmviTest::pullGrid(bits);
    for (int y = 0; y < bits.size().y; ++y)
        for (int x = 0; x < bits.size().x; ++x)
            EXPECT_EQ(out[std::size_t(y)][std::size_t(x)], (x == 9 || y == 17) ? 1u : 0u) << x << "," << y;
}

TEST_F(NearestRotationTest, LongRowsWalkWithoutOverflowAndStayInsideTheSource)
{
    start();
    // Past 32,768 output columns a 32-bit product of column and step would
    // wrap. Each 16-bit sample names its column.
    const DataModel model = plainModel(2);
    const int width = 40000;
    const int height = 3;
    NearestNeighborRotate rotate(
        OmviTest::rowsFrom(model, width, height, [](int x, int) { return std::uint64_t(x + 1); }).release(),
        turn(0.002), ImagePixel(kPixelSixteenBit, 0));
    ASSERT_GT(rotate.size().x, 40000);
    DataBuffer row(rotate.bytesPerRow());
    long copied = 0;
    for (int y = 0; y < rotate.size().y; ++y)
    {
        rotate.getNextRow(row);
        std::int32_t first = 0, last = -1;
        rotate.spanOfRow(y, first, last);
        for (int x = 0; x < rotate.size().x; ++x)
        {
            std::uint16_t value = 0;
            std::memcpy(&value, row.data() + 2 * std::size_t(x), 2);
            if (x < first || x > last)
            {
                EXPECT_EQ(value, 0u);
                continue;
            }
            ASSERT_NE(value, 0u) << x << "," << y;
            ++copied;
            // Each pixel comes from near where the exact turn puts it.
            EXPECT_LE(std::fabs((value - 1) + 0.5 - (x + 0.5) * std::cos(0.002)), 2.0) << x << "," << y;
        }
    }
    // About the source's area is shown.
    EXPECT_GT(copied, 110000L);
    EXPECT_LT(copied, 130000L);
}

TEST_F(NearestRotationTest, ASliverWhoseCornersRoundOntoOneLineStillTurns)
{
    start();
    // A column one pixel wide: at these angles its turned corners round so
    // that the width edge vanishes, and the frame between the rounded
    // corners has no inverse.
    const DataModel model = plainModel(3);
    const int height = 12;
    for (double degrees : {17.0, 27.5, -117.75, 112.25})
    {
        const double angle = degrees * kPi / 180.0;
        NearestNeighborRotate rotate(OmviTest::rowsFrom(model, 1, height, placeValue).release(), turn(angle),
                                     ImagePixel(kPixelThirtyTwoBit, 0));
        const Grid out = OmviTest::pullGrid(rotate);
        EXPECT_EQ(rotate.rowsRemaining(), 0);
        // Where the turn puts the centre of source row r, moved as the
        // output is.
        double minX = 0.0, minY = 0.0;
        for (const auto& corner : {std::make_pair(1.0, 0.0), std::make_pair(1.0, double(height)),
                                   std::make_pair(0.0, double(height))})
        {
            minX = std::min(minX, corner.first * std::cos(angle) - corner.second * std::sin(angle));
            minY = std::min(minY, corner.first * std::sin(angle) + corner.second * std::cos(angle));
        }
        long shown = 0;
        for (int y = 0; y < rotate.size().y; ++y)
            for (int x = 0; x < rotate.size().x; ++x)
            {
                const std::uint64_t value = out[std::size_t(y)][std::size_t(x)];
                if (value == 0)
                    continue;
                ++shown;
                ASSERT_EQ((value - 1) % 65536, 0u) << degrees << " at " << x << "," << y;
                const double r = static_cast<double>((value - 1) / 65536) + 0.5;
                ASSERT_LT(r, height) << degrees;
                const double cx = 0.5 * std::cos(angle) - r * std::sin(angle) - minX;
                const double cy = 0.5 * std::sin(angle) + r * std::cos(angle) - minY;
                EXPECT_LE(std::hypot(cx - (x + 0.5), cy - (y + 0.5)), 2.0) << degrees << " at " << x << "," << y;
            }
        EXPECT_GE(shown, height / 2) << degrees;
    }
}

TEST_F(NearestRotationTest, MatricesThatCannotTurnAndInputsThatCannotBeHeldAreRefused)
{
    start();
    const DataModel model = plainModel(1);
    const auto refused = [&](const Matrix2d& m, ImagePixel clear, int width = 8, int height = 8) {
        auto deleted = std::make_shared<bool>(false);
        auto rows = std::make_unique<OmviTest::MemoryRows>(model, width, std::vector<OmviTest::Row>(
                                                                              std::size_t(height), OmviTest::Row(8, 1)));
        rows->watchDeletion(deleted);
        const std::int32_t code = thrownCode<OMVIException>(
            [&] { NearestNeighborRotate rotate(rows.release(), m, clear); });
        EXPECT_TRUE(*deleted);
        return code;
    };
    const ImagePixel clear(kPixelEightBit, 0);
    // An axis squashed onto a line: no inverse, no NaN walk.
    EXPECT_EQ(refused(Matrix2d(1, 0, 0, 0, 0, 0, 0, 0, 1), clear), ImageFilterException::kInvalidArgument);
    EXPECT_EQ(refused(Matrix2d(std::numeric_limits<double>::quiet_NaN(), 0, 0, 0, 1, 0, 0, 0, 1), clear),
              ImageFilterException::kInvalidArgument);
    // An output too wide to address.
    EXPECT_EQ(refused(Matrix2d(1e9, 0, 0, 0, 1, 0, 0, 0, 1), clear), ImageFilterException::kInvalidSize);
    EXPECT_EQ(refused(turn(0.5), clear, 0, 0), ImageFilterException::kInvalidSize);
    // A clear pixel of another kind than the input's pixels.
    EXPECT_EQ(refused(turn(0.5), ImagePixel(kPixelRgb, 0)), 1);
    EXPECT_EQ(thrownCode<ImageFilterException>(
                  [] { NearestNeighborRotate rotate(nullptr, turn(0.5), ImagePixel()); }),
              1);
}
