// Our nearest-neighbour scale beside ImageMagick's -sample at whole ratios:
// the pictures must be identical (compare -metric AE = 0). Skipped when
// ImageMagick is not installed.
#include "MagickCompare.h"
#include "RowSources.h"

#include "imaging/filters/Scale.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"

#include <gtest/gtest.h>

using namespace Omvi;
using OmviTest::Picture;

namespace
{
Picture noise(int width, int height, int channels, unsigned seed)
{
    Picture picture{width, height, channels, {}};
    std::uint32_t state = seed;
    for (int i = 0; i < width * height * channels; ++i)
    {
        state = state * 1664525u + 1013904223u;
        picture.samples.push_back(static_cast<std::uint8_t>(state >> 24));
    }
    return picture;
}

// The picture through our Scale: gray as 8-bit rows, colour as 32-bit RGB.
Picture scaled(const Picture& picture, int width, int height)
{
    std::vector<OmviTest::Row> rows;
    for (int y = 0; y < picture.height; ++y)
    {
        OmviTest::Row row;
        for (int x = 0; x < picture.width; ++x)
        {
            for (int c = 0; c < picture.channels; ++c)
                row.push_back(picture.at(x, y, c));
            if (picture.channels == 3)
                row.push_back(255);
        }
        rows.push_back(row);
    }
    RowProviderInterface* input =
        picture.channels == 1 ? new OmviTest::MemoryRows(RgbGrayModel(), picture.width, rows)
                              : new OmviTest::MemoryRows(RgbModel(24), picture.width, rows);
    Scale scale(input, {width, height});
    Picture out{width, height, picture.channels, {}};
    for (const auto& row : OmviTest::pullAll(scale))
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < picture.channels; ++c)
                out.samples.push_back(row[static_cast<std::size_t>((picture.channels == 1 ? 1 : 4) * x + c)]);
    return out;
}
} // namespace

TEST(ScaleMagick, DoublingEqualsSample)
{
    OMVI_REQUIRE_TOOL("convert");
    OMVI_REQUIRE_TOOL("compare");
    OmviTest::ScratchFolder folder;
    ASSERT_TRUE(folder.valid());
    for (int channels : {1, 3})
    {
        const Picture source = noise(37, 23, channels, 36u + channels);
        const Picture ours = scaled(source, 74, 46);
        const Picture theirs = OmviTest::magickConvert(folder, source, "-sample 74x46!");
        ASSERT_EQ(theirs.width, 74);
        EXPECT_EQ(OmviTest::magickDifference(folder, ours, theirs), 0) << channels << " channels";
        EXPECT_EQ(ours.samples, theirs.samples);
    }
}

TEST(ScaleMagick, HalvingEqualsSampleAtTheRowCentres)
{
    OMVI_REQUIRE_TOOL("convert");
    OMVI_REQUIRE_TOOL("compare");
    OmviTest::ScratchFolder folder;
    ASSERT_TRUE(folder.valid());
    for (int channels : {1, 3})
    {
        const Picture source = noise(40, 26, channels, 7u + channels);
        const Picture ours = scaled(source, 20, 13);
        // Columns: both take each output column's left source column.
        // Rows: ours take the source row under the output row's centre
        // (floor((r + 0.5) * 2) = 2r + 1); the tool's default offset sits a
        // hair below the centre, so it would take 2r. Stating the same
        // centre for its rows (75 % of the output row: 2r + 1.5, truncated)
        // and the left edge for its columns gives the identical picture.
        const Picture theirs = OmviTest::magickConvert(folder, source, "-define sample:offset=10x75 -sample 20x13!");
        ASSERT_EQ(theirs.width, 20);
        EXPECT_EQ(OmviTest::magickDifference(folder, ours, theirs), 0) << channels << " channels";
        EXPECT_EQ(ours.samples, theirs.samples);

        // Without the offset, the tool's columns are ours all the same.
        const Picture plain = OmviTest::magickConvert(folder, source, "-sample 20x13!");
        ASSERT_EQ(plain.height, 13);
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 20; ++x)
                for (int c = 0; c < channels; ++c)
                    ASSERT_EQ(plain.at(x, y, c), source.at(2 * x, 2 * y, c)) << "tool takes row 2r, column 2x";
    }
}
