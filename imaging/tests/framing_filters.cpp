// The orientation and framing filters: Orient against the orientation
// numbering for every data type, the buffers it picks, AlignToBox's spans
// (with offsets far outside the input), BlankSource, ConvertModel, and
// OrientedRotate against an orientation followed by a rotation.
#include "PixelGrids.h"
#include "RowSources.h"
#include "TiledImageFixtures.h"

#include "imaging/OMVIException.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/models/RgbPaletteModel.h"
#include "imaging/shears/Rotate.h"
#include "imaging/transforms/AlignToBox.h"
#include "imaging/transforms/BlankSource.h"
#include "imaging/transforms/ConvertModel.h"
#include "imaging/transforms/Orient.h"
#include "imaging/transforms/OrientedRotate.h"

#include <gtest/gtest.h>

#include <memory>

using namespace Omvi;
using OmviTest::Grid;
using OmviTest::thrownCode;

namespace
{
using FramingTest = OmviTest::TiledImageTest;

DataModel plainModel(std::int32_t dataType)
{
    return DataModel(1, dataType, bitsPerPixelOf(dataType));
}

// Rows of a grid that count their pulls and tell when they are deleted.
std::unique_ptr<OmviTest::MemoryRows> watchedRows(const DataModel& model, const Grid& grid,
                                                  std::shared_ptr<bool> deleted = nullptr)
{
    const int width = static_cast<int>(grid[0].size());
    auto generated = OmviTest::gridRows(model, grid);
    std::vector<OmviTest::Row> rows = OmviTest::pullAll(*generated);
    auto memory = std::make_unique<OmviTest::MemoryRows>(model, width, std::move(rows));
    if (deleted)
        memory->watchDeletion(std::move(deleted));
    return memory;
}

Grid patternGrid(std::int32_t dataType, int width, int height)
{
    return OmviTest::gridOf(width, height, [dataType](int x, int y) { return OmviTest::patternPixel(dataType, x, y); });
}
} // namespace

TEST_F(FramingTest, OrientShowsEveryOrientationOfEveryDataType)
{
    start();
    for (std::int32_t dataType = 0; dataType <= 4; ++dataType)
    {
        const DataModel model = plainModel(dataType);
        const Grid grid = patternGrid(dataType, 67, 45);
        for (std::int32_t code = 0; code < 8; ++code)
        {
            const Orientation orientation = *orientationFromCode(code);
            Orient orient(OmviTest::patternRows(model, 67, 45).release(), orientation);
            ASSERT_TRUE(orient.isValid());
            EXPECT_EQ(orient.rowsRemaining(), swapsAxes(orientation) ? 67 : 45);
            EXPECT_GRID_EQ(OmviTest::pullGrid(orient), OmviTest::viewOf(grid, orientation))
                << "data type " << dataType << " code " << code;
            EXPECT_EQ(orient.rowsRemaining(), 0);
        }
    }
}

TEST_F(FramingTest, OrientBuffersSmallInputsInOneBlockAndPassesTheIdentityThrough)
{
    start();
    const RgbGrayModel gray;
    // The identity never buffers: nothing is pulled until rows are asked.
    auto rows = watchedRows(gray, patternGrid(1, 20, 6));
    OmviTest::MemoryRows* source = rows.get();
    Orient identity(rows.release(), Orientation::Identity);
    EXPECT_FALSE(identity.isBuffered());
    EXPECT_EQ(source->pulls, 0);
    DataBuffer row(identity.bytesPerRow());
    identity.getNextRow(row);
    EXPECT_EQ(source->pulls, 1);

    // 8-bit tiles are 256 pixels: 600 / 256 = 2.34 pages, 512 / 256 = 2.0
    // stays in one block.
    Orient wide(OmviTest::patternRows(gray, 600, 100).release(), Orientation::HalfTurn);
    EXPECT_TRUE(wide.isBuffered());
    EXPECT_FALSE(wide.isBufferedStatically());
    Orient square(OmviTest::patternRows(gray, 512, 512).release(), Orientation::HalfTurn);
    EXPECT_TRUE(square.isBufferedStatically());
    EXPECT_GRID_EQ(OmviTest::pullGrid(wide), OmviTest::viewOf(patternGrid(1, 600, 100), Orientation::HalfTurn));
    EXPECT_GRID_EQ(OmviTest::pullGrid(square), OmviTest::viewOf(patternGrid(1, 512, 512), Orientation::HalfTurn));

    EXPECT_EQ(thrownCode<ImageFilterException>([] { Orient none(nullptr, Orientation::Transpose); }), 1);
}

TEST_F(FramingTest, AlignToBoxPadsAndCutsWithTheWorkedOffsets)
{
    start();
    const RgbGrayModel gray;
    const Grid input = OmviTest::gridOf(4, 4, [](int x, int y) { return std::uint64_t(10 * (y + 1) + x + 1); });
    auto rows = watchedRows(gray, input);
    OmviTest::MemoryRows* source = rows.get();
    AlignToBox box(rows.release(), {-3, -2}, {10, 5}, ImagePixel(kPixelGray, 0));
    EXPECT_EQ(box.size(), (PixelPair{10, 5}));
    EXPECT_EQ(box.leftFill(), 3);
    EXPECT_EQ(box.copyCount(), 4);
    EXPECT_EQ(box.rightFillStart(), 7);
    EXPECT_EQ(box.rightFill(), 3);
    const Grid expected = OmviTest::gridOf(10, 5, [&](int x, int y) -> std::uint64_t {
        const int r = y - 2;
        const int c = x - 3;
        return r >= 0 && c >= 0 && c < 4 ? input[std::size_t(r)][std::size_t(c)] : 0;
    });
    EXPECT_GRID_EQ(OmviTest::pullGrid(box), expected);
    // Input row 3 is never pulled.
    EXPECT_EQ(source->pulls, 3);
}

TEST_F(FramingTest, AlignToBoxKeepsOffsetsFarOutsideTheInputInsideTheRow)
{
    start();
    const RgbGrayModel gray;
    const Grid input = patternGrid(1, 4, 4);
    const ImagePixel clear(kPixelGray, 7);
    const Grid allClear = OmviTest::gridOf(10, 5, [](int, int) { return std::uint64_t{7}; });

    // Offset x at or beyond the input width: clear rows, the rows in range
    // still pulled.
    auto beyond = watchedRows(gray, input);
    OmviTest::MemoryRows* beyondSource = beyond.get();
    AlignToBox right(beyond.release(), {4, 1}, {10, 5}, clear);
    EXPECT_EQ(right.copyCount(), 0);
    EXPECT_EQ(right.rightFill(), 10);
    EXPECT_GRID_EQ(OmviTest::pullGrid(right), allClear);
    EXPECT_EQ(beyondSource->pulls, 4);

    // Left of the box by more than its width: the fill stops at the box.
    AlignToBox left(watchedRows(gray, input).release(), {-50, 0}, {10, 5}, clear);
    EXPECT_EQ(left.leftFill(), 10);
    EXPECT_EQ(left.copyCount(), 0);
    EXPECT_EQ(left.rightFill(), 0);
    EXPECT_GRID_EQ(OmviTest::pullGrid(left), allClear);
    AlignToBox farLeft(watchedRows(gray, input).release(), {-2147483647 - 1, 0}, {10, 5}, clear);
    EXPECT_GRID_EQ(OmviTest::pullGrid(farLeft), allClear);

    // Below the input: at most the input's rows are pulled and dropped.
    auto below = watchedRows(gray, input);
    OmviTest::MemoryRows* belowSource = below.get();
    AlignToBox under(below.release(), {0, 100}, {10, 5}, clear);
    EXPECT_EQ(belowSource->pulls, 4);
    EXPECT_GRID_EQ(OmviTest::pullGrid(under), allClear);
    EXPECT_EQ(belowSource->pulls, 4);

    // A window inside the input.
    AlignToBox inside(watchedRows(gray, input).release(), {1, 2}, {2, 2}, clear);
    EXPECT_GRID_EQ(OmviTest::pullGrid(inside), OmviTest::regionOf(input, 1, 2, 2, 2));

    // 1-bit rows at offsets that do not fall on byte boundaries.
    const BitonalModel bitonal;
    const Grid bits = patternGrid(0, 21, 6);
    AlignToBox bitBox(watchedRows(bitonal, bits).release(), {-5, 1}, {19, 7}, ImagePixel(kPixelBitonal, 1));
    const Grid expected = OmviTest::gridOf(19, 7, [&](int x, int y) -> std::uint64_t {
        const int r = y + 1;
        const int c = x - 5;
        return r < 6 && c >= 0 && c < 21 ? bits[std::size_t(r)][std::size_t(c)] : 1;
    });
    EXPECT_GRID_EQ(OmviTest::pullGrid(bitBox), expected);

    // A box without pixels is refused; the input stays the caller's.
    auto deleted = std::make_shared<bool>(false);
    auto kept = watchedRows(gray, input, deleted);
    EXPECT_EQ(thrownCode<ImageFilterException>([&] { AlignToBox bad(kept.get(), {0, 0}, {0, 3}, clear); }), 5);
    EXPECT_FALSE(*deleted);
}

TEST_F(FramingTest, BlankSourceDeliversOnePixelInEveryModel)
{
    start();
    BlankSource bits({13, 3}, ImagePixel(kPixelBitonal, 1), BitonalModel());
    EXPECT_GRID_EQ(OmviTest::pullGrid(bits), OmviTest::gridOf(13, 3, [](int, int) { return std::uint64_t{1}; }));
    BlankSource colour({5, 2}, ImagePixel(kPixelRgb, 0x80402010u), RgbModel(32));
    EXPECT_EQ(colour.rowsRemaining(), 2);
    EXPECT_GRID_EQ(OmviTest::pullGrid(colour),
                   OmviTest::gridOf(5, 2, [](int, int) { return std::uint64_t{0x80402010u}; }));
    EXPECT_EQ(colour.rowsRemaining(), 0);
    DataBuffer row(colour.bytesPerRow());
    EXPECT_EQ(colour.getNextRow(row), 0);
    BlankSource wide({3, 1}, ImagePixel(kPixelSixtyFourBit, 0x0102030405060708ull), plainModel(4));
    EXPECT_GRID_EQ(OmviTest::pullGrid(wide),
                   OmviTest::gridOf(3, 1, [](int, int) { return std::uint64_t{0x0102030405060708ull}; }));

    EXPECT_EQ(thrownCode<ImageFilterException>([] { BlankSource none({0, 4}, ImagePixel(), BitonalModel()); }), 5);
    EXPECT_EQ(thrownCode<ImageFilterException>(
                  [] { BlankSource huge({2147483647, 1}, ImagePixel(kPixelRgb, 0), RgbModel(32)); }),
              5);
    DataBuffer tooShort(4);
    BlankSource shortRows({9, 1}, ImagePixel(kPixelGray, 1), RgbGrayModel());
    EXPECT_EQ(thrownCode<ImageFilterException>([&] { shortRows.getNextRow(tooShort); }), 6);
}

TEST_F(FramingTest, ConvertModelPicksTheModelTheShearsWorkOn)
{
    start();
    const DataModel raw16 = plainModel(2);
    ConvertModel plain(OmviTest::patternRows(raw16, 7, 3).release(), false);
    EXPECT_EQ(plain.dataModel(), raw16);
    EXPECT_EQ(plain.dataModel().colorSpace(), kColorSpaceNone);
    EXPECT_GRID_EQ(OmviTest::pullGrid(plain), patternGrid(2, 7, 3));

    ConvertModel bitonal(OmviTest::patternRows(BitonalModel(), 9, 2).release(), true);
    EXPECT_EQ(bitonal.dataModel().colorSpace(), kColorSpaceGray);
    // Ink is black, paper white.
    const Grid bits = patternGrid(0, 9, 2);
    EXPECT_GRID_EQ(OmviTest::pullGrid(bitonal),
                   OmviTest::gridOf(9, 2, [&](int x, int y) -> std::uint64_t { return bits[y][x] ? 0 : 255; }));

    const RgbColor colors[2] = {RgbColor(10, 20, 30, 255), RgbColor(40, 50, 60, 255)};
    ConvertModel palette(OmviTest::rowsFrom(RgbPaletteModel(2, colors), 3, 1, [](int x, int) { return x % 2; }).release(),
                         false);
    EXPECT_EQ(palette.dataModel().colorSpace(), kColorSpaceRgb);
    EXPECT_EQ(palette.dataModel().dataType(), kDataTypeThirtyTwoBit);

    RgbGrayModel seeThrough;
    seeThrough.setAlpha(0, 0);
    ConvertModel asRgb(OmviTest::patternRows(seeThrough, 4, 2).release(), true);
    EXPECT_EQ(asRgb.dataModel().colorSpace(), kColorSpaceRgb);
    ConvertModel asGray(OmviTest::patternRows(seeThrough, 4, 2).release(), false);
    EXPECT_EQ(asGray.dataModel().colorSpace(), kColorSpaceGray);
    ConvertModel opaque(OmviTest::patternRows(RgbGrayModel(), 4, 2).release(), true);
    EXPECT_EQ(opaque.dataModel().colorSpace(), kColorSpaceGray);

    EXPECT_EQ(thrownCode<ImageFilterException>([] { ConvertModel none(nullptr, false); }), 1);
}

TEST_F(FramingTest, OrientedRotateEqualsTheOrientationFollowedByTheRotation)
{
    start();
    const RgbGrayModel gray;
    const double angle = 0.3;
    const ImagePixel clear(kPixelGray, 200);
    for (std::int32_t code = 0; code < 8; ++code)
    {
        const Orientation orientation = *orientationFromCode(code);
        OrientedRotate combined(OmviTest::patternRows(gray, 31, 17).release(), orientation, angle, clear, false);
        Rotate separate(new Orient(OmviTest::patternRows(gray, 31, 17).release(), orientation), angle, clear,
                        false);
        ASSERT_EQ(combined.size(), separate.size()) << code;
        EXPECT_GRID_EQ(OmviTest::pullGrid(combined), OmviTest::pullGrid(separate)) << code;
        PixelPair a{5, 9};
        PixelPair b{5, 9};
        combined.adjustOffset(a);
        separate.adjustOffset(b);
        EXPECT_EQ(a, b);
    }

    // A bitonal input is rotated as gray, and the clear pixel follows.
    OrientedRotate bits(OmviTest::patternRows(BitonalModel(), 20, 12).release(), Orientation::QuarterTurnLeft, 0.2,
                        ImagePixel(kPixelBitonal, 0), false);
    EXPECT_EQ(bits.dataModel().colorSpace(), kColorSpaceGray);
    EXPECT_EQ(bits.clearPixel(), ImagePixel(kPixelGray, 255));
    EXPECT_EQ(OmviTest::pullGrid(bits).size(), std::size_t(bits.size().y));

    EXPECT_EQ(thrownCode<ImageFilterException>(
                  [] { OrientedRotate none(nullptr, Orientation::Identity, 0.1, ImagePixel(), false); }),
              1);
}
