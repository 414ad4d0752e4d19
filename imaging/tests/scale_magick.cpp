// Our nearest-neighbour scale beside ImageMagick's -sample at whole ratios:
// the pictures must be identical (compare -metric AE = 0). Skipped when
// ImageMagick is not installed.
#include "MagickCompare.h"

#include "imaging/filters/Scale.h"

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
    Scale scale(OmviTest::rowsOfPicture(picture), {width, height});
    return OmviTest::pictureOfRows(scale, picture.channels);
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
