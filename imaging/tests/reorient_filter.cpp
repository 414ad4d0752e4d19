// The reorienting filter: every build order against the pixel map of the
// orientation numbering and against ImageMagick's flips and rotations
// (compare -metric AE = 0), the filters that cannot be made, and the
// descriptor's scaled rows of a frame stored in another orientation.
#include "DescriptorFixtures.h"
#include "MagickCompare.h"
#include "PixelGrids.h"

#include "imaging/OMVIException.h"
#include "imaging/descriptors/FileReadDescriptor.h"
#include "imaging/filters/ReorientFilter.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"

#include <gtest/gtest.h>

using namespace Omvi;
using OmviTest::Bytes;
using OmviTest::Grid;
using OmviTest::thrownCode;

namespace
{
using ReorientFilterTest = OmviTest::DescriptorTest;

// What the filter should deliver: the image built in `order` from rows
// showing `grid`.
Grid builtFrom(const Grid& grid, std::int32_t order)
{
    const int width = static_cast<int>(grid[0].size());
    const int height = static_cast<int>(grid.size());
    const BuildOrder build = *buildOrderFromCode(order);
    const PixelPosition size = builtSize(build, width, height);
    return OmviTest::gridOf(size.x, size.y, [&](int x, int y) {
        const PixelPosition from = providerPixel(build, width, height, x, y);
        return grid[std::size_t(from.y)][std::size_t(from.x)];
    });
}

// The ImageMagick operation that turns a picture as each build order does.
const char* const kToolOperation[] = {"",           "-flop",      "-flip",       "-rotate 180",
                                      "-transpose", "-rotate 90", "-rotate 270", "-transverse"};

} // namespace

TEST_F(ReorientFilterTest, EveryOrderOfEveryDataType)
{
    for (std::int32_t dataType = 0; dataType <= 4; ++dataType)
    {
        const DataModel model(0, dataType, bitsPerPixelOf(dataType));
        const Grid grid = OmviTest::gridOf(67, 45, [&](int x, int y) { return OmviTest::patternPixel(dataType, x, y); });
        for (std::int32_t order = 0; order < 8; ++order)
        {
            ReorientFilter filter(OmviTest::gridRows(model, grid).release(), order);
            ASSERT_TRUE(filter.isValid());
            const PixelPair expected = order >= 4 ? PixelPair{45, 67} : PixelPair{67, 45};
            EXPECT_EQ(filter.size(), expected);
            EXPECT_EQ(filter.rowsRemaining(), expected.y);
            EXPECT_TRUE(filter.dataModel() == model);
            EXPECT_GRID_EQ(OmviTest::pullGrid(filter), builtFrom(grid, order))
                << "data type " << dataType << ", order " << order;
            DataBuffer row(filter.bytesPerRow());
            EXPECT_EQ(filter.getNextRow(row), 0) << "past the last row";
            EXPECT_EQ(filter.rowsRemaining(), 0);
        }
    }
}

TEST_F(ReorientFilterTest, FiltersThatCannotBeMadeAreNotValid)
{
    const RgbGrayModel gray;
    // An order outside 0-7: not valid, the source deleted.
    auto deleted = std::make_shared<bool>(false);
    auto* rows = new OmviTest::MemoryRows(gray, 3, 3, 8);
    rows->watchDeletion(deleted);
    ReorientFilter bad(rows, 8);
    EXPECT_TRUE(*deleted);
    EXPECT_FALSE(bad.isValid());
    DataBuffer row(8);
    EXPECT_EQ(bad.getNextRow(row), 0);
    EXPECT_EQ(thrownCode<ImageFilterException>([&] { bad.size(); }), 0);

    // A source whose rows cannot be read into an image (no pixels, or rows
    // that fail): not valid either.
    ReorientFilter empty(new OmviTest::MemoryRows(gray, 0, 3, 8), 4);
    EXPECT_FALSE(empty.isValid());
    ReorientFilter none(nullptr, 2);
    EXPECT_FALSE(none.isValid());
    struct Failing : OmviTest::GeneratedRows
    {
        using GeneratedRows::GeneratedRows;
        std::int32_t getNextRow(DataBuffer& out) override
        {
            if (rowsRemaining() == 1)
                throw new FileIOException("broken", FileIOException::kEndOfFile);
            return GeneratedRows::getNextRow(out);
        }
    };
    ReorientFilter broken(new Failing(gray, 4, 5, [](std::int32_t, std::uint8_t* r) { std::memset(r, 1, 4); }), 5);
    EXPECT_FALSE(broken.isValid());
    EXPECT_EQ(broken.getNextRow(row), 0);
    // The source's failure is kept for the caller to say why.
    ASSERT_NE(broken.failure(), nullptr);
    EXPECT_EQ(broken.failure()->code(), FileIOException::kEndOfFile);
    EXPECT_EQ(std::string(broken.failure()->getMessage().text()), "broken");
    EXPECT_EQ(bad.failure(), nullptr);
}

TEST_F(ReorientFilterTest, OrdersEqualImageMagicksFlipsAndRotations)
{
    OMVI_REQUIRE_TOOL("convert");
    OMVI_REQUIRE_TOOL("compare");
    OmviTest::ScratchFolder scratch;
    ASSERT_TRUE(scratch.valid());
    for (int channels : {1, 3})
    {
        OmviTest::Picture source{23, 14, channels, {}};
        for (int i = 0; i < 23 * 14 * channels; ++i)
            source.samples.push_back(static_cast<std::uint8_t>(i * 37 + i / 7));
        for (std::int32_t order = 0; order < 8; ++order)
        {
            ReorientFilter filter(OmviTest::rowsOfPicture(source), order);
            const OmviTest::Picture ours = OmviTest::pictureOfRows(filter, channels);
            const OmviTest::Picture theirs = OmviTest::magickConvert(scratch, source, kToolOperation[order]);
            ASSERT_EQ(theirs.width, ours.width) << "order " << order;
            EXPECT_EQ(OmviTest::magickDifference(scratch, ours, theirs), 0)
                << "order " << order << " (" << kToolOperation[order] << "), " << channels << " channels";
        }
    }
}

TEST_F(ReorientFilterTest, ScaledRowsOfAnOrientedFrameComeUpright)
{
    const Bytes pixels = OmviTest::mapPixels('5', 10, 6);
    const auto stored = OmviTest::deliveredRows('5', 10, 6, pixels);
    const Grid storedGrid = OmviTest::gridOf(10, 6, [&](int x, int y) { return std::uint64_t{stored[std::size_t(y)][std::size_t(x)]}; });
    const FileSpecifier spec = file("o.pgm", OmviTest::pnmBytes('5', 10, 6, pixels));
    for (std::int32_t orientation = 0; orientation < 8; ++orientation)
    {
        codec.orientation = orientation;
        FileReadDescriptor descriptor(spec);
        EXPECT_EQ(descriptor.representation().orientation(), orientation);
        const PixelPair upright = orientation >= 4 ? PixelPair{6, 10} : PixelPair{10, 6};
        EXPECT_EQ(descriptor.representation().orientedSize(), upright);
        std::unique_ptr<RowProviderInterface> rows(descriptor.representation().scaledRowProvider(1.0, 0));
        EXPECT_EQ(rows->size(), upright);
        EXPECT_EQ(orientation != 0, dynamic_cast<ReorientFilter*>(rows.get()) != nullptr);
        EXPECT_GRID_EQ(OmviTest::pullGrid(*rows), builtFrom(storedGrid, orientation)) << "orientation " << orientation;

        // Scaled first, in the stored frame, then turned.
        std::unique_ptr<RowProviderInterface> half(descriptor.representation().scaledRowProvider(0.5, 0));
        EXPECT_EQ(half->size(), orientation >= 4 ? (PixelPair{3, 5}) : (PixelPair{5, 3}));
    }
}
