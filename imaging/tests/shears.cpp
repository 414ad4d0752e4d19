// The shear filters and the three-shear rotation: each shear against the
// reference written out here (every output pixel the table blend of the two
// input pixels it covers, the clear colour or background beyond the image),
// the worked shifts, dropped rows, the dispatchers (1-bit samples are never
// read as bytes), the point maps against where the filters really put a
// pixel, and the rotation against an exact rotation with bilinear sampling.
#include "RowSources.h"
#include "Thrown.h"

#include "imaging/OMVIException.h"
#include "imaging/geometry/PixelRect.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/DataModel.h"
#include "imaging/models/RgbColor.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/models/RgbPaletteModel.h"
#include "imaging/shears/HorizontalShears.h"
#include "imaging/shears/Rotate.h"
#include "imaging/shears/ShearPoints.h"
#include "imaging/shears/VerticalShears.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>

using namespace Omvi;
using OmviTest::MemoryRows;
using OmviTest::randomRows;
using OmviTest::Row;
using OmviTest::thrownCode;
using Image = std::vector<Row>;

namespace
{
// The reference horizontal shear of one row of `channels`-byte pixels: the
// row extended with the clear pixel on both sides, each output pixel p the
// blend X[p - n] - t[X[p - n]] + t[X[p - n + 1]] (byte by byte), or a plain
// move by round(shift) when the fraction is below 1/255.
Row referenceXShear(const Row& in, int width, int channels, int outWidth, double shift, const Row& clear)
{
    const int n = static_cast<int>(std::ceil(shift));
    const double f = n - shift;
    auto X = [&](int k, int c) {
        return k >= 0 && k < width ? in[static_cast<std::size_t>(k * channels + c)] : clear[static_cast<std::size_t>(c)];
    };
    Row out(static_cast<std::size_t>(outWidth * channels));
    if (f * 255 < 1.0)
    {
        const int m = static_cast<int>(std::floor(shift + 0.5));
        for (int p = 0; p < outWidth; ++p)
            for (int c = 0; c < channels; ++c)
                out[static_cast<std::size_t>(p * channels + c)] = X(p - m, c);
        return out;
    }
    std::uint8_t t[256];
    for (int v = 0; v < 256; ++v)
        t[v] = static_cast<std::uint8_t>(std::floor(v * f + 0.5));
    for (int p = 0; p < outWidth; ++p)
        for (int c = 0; c < channels; ++c)
        {
            const int a = X(p - n, c), b = X(p - n + 1, c);
            out[static_cast<std::size_t>(p * channels + c)] = static_cast<std::uint8_t>(a - t[a] + t[b]);
        }
    return out;
}

// The reference vertical shear: column x moves down by (extra - s) lines,
// s = (r - w + x) * factor, its fraction blended with the line above through
// t[v] = trunc(v * (ceil(s) - s)); beyond the input, the background.
// `blended` bytes of each pixel are blended, the others only moved.
Image referenceYShear(const Image& in, int width, int channels, double factor, const Row& background, int blended)
{
    const int height = static_cast<int>(in.size());
    const double i = factor >= 0 ? width - 1.0 : 1.0 - width;
    const int extra = static_cast<int>(std::ceil(i * factor));
    const int r = factor >= 0 ? width : 1;
    Image out(static_cast<std::size_t>(height + extra), Row(static_cast<std::size_t>(width * channels)));
    for (int x = 0; x < width; ++x)
    {
        const double s = (r - width + x) * factor;
        const int n = static_cast<int>(std::ceil(s));
        const double weight = n - s;
        const int D = extra - n;
        for (int c = 0; c < channels; ++c)
        {
            auto V = [&](int k) {
                return k >= 0 && k < height ? in[static_cast<std::size_t>(k)][static_cast<std::size_t>(x * channels + c)]
                                            : background[static_cast<std::size_t>(c)];
            };
            for (int y = 0; y < height + extra; ++y)
            {
                const int v = V(y - D), above = V(y - D - 1);
                const int tv = c < blended ? static_cast<int>(v * weight) : 0;
                const int ta = c < blended ? static_cast<int>(above * weight) : 0;
                out[static_cast<std::size_t>(y)][static_cast<std::size_t>(x * channels + c)] =
                    static_cast<std::uint8_t>(v - tv + ta);
            }
        }
    }
    return out;
}

Image pull(RowProviderInterface& provider) { return OmviTest::pullAll(provider); }

// The rows still to come.
Image pullRest(RowProviderInterface& provider)
{
    Image rows;
    DataBuffer buffer(provider.bytesPerRow());
    const auto length = static_cast<std::size_t>(pixelBytes(provider.size().x, provider.dataModel().dataType()));
    while (provider.rowsRemaining() > 0)
    {
        provider.getNextRow(buffer);
        rows.emplace_back(buffer.data(), buffer.data() + length);
    }
    return rows;
}
} // namespace

TEST(HorizontalShears, FractionTable)
{
    std::uint8_t table[256];
    buildFractionTable(table, 0.5);
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[1], 1); // 0.5 rounds up
    EXPECT_EQ(table[3], 2);
    EXPECT_EQ(table[255], 128);
    buildFractionTable(table, 0.0);
    for (int v = 0; v < 256; ++v)
        EXPECT_EQ(table[v], 0);
    buildFractionTable(table, 0.999);
    EXPECT_EQ(table[255], 255);
    EXPECT_EQ(table[100], 100);
}

TEST(HorizontalShears, WorkedShiftsAndTheReference)
{
    // s = 0.5 over 3 rows: shifts 0, 0.5 and 1; the width grows by 2.
    const Image rows = {{10, 20, 30, 40}, {50, 60, 70, 80}, {90, 100, 110, 120}};
    GrayXShear shear(new MemoryRows(RgbGrayModel(), 4, rows), 0.5, ImagePixel(kPixelGray, 200));
    EXPECT_EQ(shear.size(), (PixelPair{6, 3}));
    EXPECT_EQ(shear.clearPixel(), ImagePixel(kPixelGray, 200));
    const Image out = pull(shear);
    EXPECT_EQ(out[0], (Row{10, 20, 30, 40, 200, 200}));
    EXPECT_EQ(out[2], (Row{200, 90, 100, 110, 120, 200}));
    // Row 1 blended half and half, its edges with the clear colour.
    EXPECT_EQ(out[1], (Row{125, 55, 65, 75, 140, 200}));
    EXPECT_EQ(out[1], referenceXShear(rows[1], 4, 1, 6, 0.5, {200}));

    // Random rows and factors, both signs, gray and RGB (every byte of an
    // RGB row sheared, not a quarter of it).
    std::mt19937 random(4);
    for (double factor : {0.0, 0.3, -0.3, 0.5, -0.77, 1.0, 1.6, -2.25, 0.004})
    {
        for (int channels : {1, 4})
        {
            const int width = 37, height = 9;
            const Image image = randomRows(random, width * channels, height);
            const RgbColor clearColour(1, 2, 3, 4);
            RowProviderInterface* input;
            std::unique_ptr<HorizontalShear> filter;
            Row clear;
            if (channels == 1)
            {
                input = new MemoryRows(RgbGrayModel(), width, image);
                filter = std::make_unique<GrayXShear>(input, factor, ImagePixel(kPixelGray, 77));
                clear = {77};
            }
            else
            {
                input = new MemoryRows(RgbModel(32), width, image);
                filter = std::make_unique<RgbXShear>(input, factor, ImagePixel(kPixelRgb, clearColour.value), false);
                clear = {1, 2, 3, 4};
            }
            const int outWidth = width + static_cast<int>(std::ceil((height - 1) * std::fabs(factor))) + 1;
            ASSERT_EQ(filter->size(), (PixelPair{outWidth, height}));
            const Image out = pull(*filter);
            for (int y = 0; y < height; ++y)
            {
                const double shift = factor >= 0 ? y * factor : (y - (height - 1)) * factor;
                EXPECT_EQ(out[static_cast<std::size_t>(y)],
                          referenceXShear(image[static_cast<std::size_t>(y)], width, channels, outWidth, shift, clear))
                    << "factor " << factor << " channels " << channels << " row " << y;
            }
        }
    }
}

TEST(HorizontalShears, NegativeFactorsAndSkippedRows)
{
    // A negative factor leaves the bottom row in place and moves the top one
    // by (H - 1) * |s|.
    const Image rows = {{1, 2}, {3, 4}, {5, 6}};
    GrayXShear shear(new MemoryRows(RgbGrayModel(), 2, rows), -1.0, ImagePixel(kPixelGray, 0));
    const Image out = pull(shear);
    EXPECT_EQ(out[0], (Row{0, 0, 1, 2, 0}));
    EXPECT_EQ(out[2], (Row{5, 6, 0, 0, 0}));

    // Skipped rows are taken as delivered: the next row is shifted as the
    // third, though it is the input's first.
    GrayXShear skipping(new MemoryRows(RgbGrayModel(), 2, rows), 1.0, ImagePixel(kPixelGray, 0));
    EXPECT_EQ(skipping.skipRows(2), 2);
    EXPECT_EQ(skipping.rowsRemaining(), 1);
    DataBuffer row(skipping.bytesPerRow());
    EXPECT_EQ(skipping.getNextRow(row), 0);
    EXPECT_EQ(Row(row.data(), row.data() + 5), (Row{0, 0, 1, 2, 0}));
    EXPECT_EQ(skipping.getNextRow(row), 0);
}

TEST(HorizontalShears, ClearPixelsAndDispatch)
{
    // The clear pixel is converted through the chain: an RGB input behind a
    // gray shear takes a gray clear level.
    GrayXShear fromRgb(new MemoryRows(RgbModel(24), 3, {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}), 0.2,
                       ImagePixel(kPixelRgb, RgbColor(255, 255, 255, 255).value));
    EXPECT_EQ(fromRgb.clearPixel(), ImagePixel(kPixelGray, 255));
    // A clear pixel that does not become a gray level: code 2, named.
    std::string message;
    auto* gray = new MemoryRows(RgbGrayModel(), 3, {{1, 2, 3}});
    EXPECT_EQ(thrownCode<OMVIException>([&] { GrayXShear(gray, 0.5, ImagePixel(kPixelPalette, 3)); }, &message), 2);
    EXPECT_EQ(message, "GrayXShear");
    EXPECT_EQ(thrownCode<OMVIException>([&] { GrayXShear(gray, std::nan(""), ImagePixel(kPixelGray, 3)); }), 2);
    delete gray; // still ours after every refusal
    const DataModel plain16(1, kDataTypeSixteenBit, 16);
    auto* words = new MemoryRows(plain16, 3, {{1, 2, 3, 4, 5, 6}});
    EXPECT_EQ(thrownCode<OMVIException>([&] { RgbXShear(words, 0.5, ImagePixel(kPixelRgb, 0), false); }), 1);
    EXPECT_EQ(thrownCode<OMVIException>([&] { GrayXShear(words, 0.5, ImagePixel(kPixelGray, 0)); }), 1);
    EXPECT_EQ(makeXShear(words, 0.5, ImagePixel(kPixelGray, 0), false, false), nullptr);
    delete words;
    // A gray input behind an RGB shear: its clear level becomes a colour.
    RgbXShear fromGray(new MemoryRows(RgbGrayModel(), 3, {{1, 2, 3}}), 0.5, ImagePixel(kPixelGray, 255), true);
    EXPECT_EQ(fromGray.clearPixel().kind, kPixelRgb);
    EXPECT_EQ(RgbColor(static_cast<std::uint32_t>(fromGray.clearPixel().value)).red(), 255);

    auto made = [](RowProviderInterface* input, bool grayAsRgb, ImagePixel clear = ImagePixel(kPixelGray, 0)) {
        return std::unique_ptr<RowProviderInterface>(makeXShear(input, 0.25, clear, grayAsRgb, false));
    };
    const DataModel plain8(1, kDataTypeEightBit, 8);
    const DataModel plain1(1, kDataTypeOneBit, 1);
    auto shear = made(new MemoryRows(plain8, 3, {{1, 2, 3}}), false);
    ASSERT_NE(dynamic_cast<GrayXShear*>(shear.get()), nullptr);
    EXPECT_EQ(dynamic_cast<GrayXShear*>(shear.get())->clearPixel().kind, kPixelGray);
    EXPECT_EQ(shear->dataModel().colorSpace(), kColorSpaceNone);
    // Plain 1-bit rows have no levels: no shear, and the input stays ours.
    auto* bits = new MemoryRows(plain1, 9, {{0xFF, 0x80}});
    EXPECT_EQ(makeXShear(bits, 0.25, ImagePixel(kPixelOneBit, 0), false, false), nullptr);
    delete bits;
    const RgbColor colours[] = {RgbColor(255, 0, 0, 255), RgbColor(0, 255, 0, 255)};
    shear = made(new MemoryRows(RgbPaletteModel(2, colours), 3, {{0, 1, 0}}), false, ImagePixel(kPixelPalette, 1));
    ASSERT_NE(dynamic_cast<RgbXShear*>(shear.get()), nullptr);
    EXPECT_EQ(dynamic_cast<RgbXShear*>(shear.get())->clearPixel(), ImagePixel(kPixelRgb, colours[1].value));
    shear = made(new MemoryRows(BitonalModel(), 9, {{0xFF, 0x80}}), false, ImagePixel(kPixelBitonal, 0));
    EXPECT_NE(dynamic_cast<GrayXShear*>(shear.get()), nullptr);
    EXPECT_EQ(pull(*shear)[0][0], 0); // ink is black
    shear = made(new MemoryRows(RgbGrayModel(), 3, {{1, 2, 3}}), true);
    EXPECT_NE(dynamic_cast<GrayXShear*>(shear.get()), nullptr); // every level opaque
    RgbGrayModel seeThrough;
    seeThrough.setAlpha(7, 0);
    shear = made(new MemoryRows(seeThrough, 3, {{1, 2, 3}}), true);
    EXPECT_NE(dynamic_cast<RgbXShear*>(shear.get()), nullptr);
}

TEST(VerticalShears, MatchTheReference)
{
    std::mt19937 random(12);
    for (double factor : {0.0, 0.25, -0.25, 0.5, -0.6, 1.0, -1.0, 0.37, 2.5})
    {
        for (int channels : {1, 4})
        {
            for (bool alpha : {false, true})
            {
                if (channels == 1 && alpha)
                    continue;
                const int width = 23, height = 7;
                const Image image = randomRows(random, width * channels, height);
                std::unique_ptr<VerticalShear> shear;
                Row background;
                if (channels == 1)
                {
                    shear = std::make_unique<GrayYShear>(new MemoryRows(RgbGrayModel(), width, image), factor,
                                                         ImagePixel(kPixelGray, 33));
                    background = {33};
                }
                else
                {
                    shear = std::make_unique<RgbYShear>(new MemoryRows(RgbModel(32), width, image), factor,
                                                        ImagePixel(kPixelRgb, RgbColor(9, 8, 7, 6).value), alpha);
                    background = {9, 8, 7, 6};
                }
                const Image expected =
                    referenceYShear(image, width, channels, factor, background, channels == 1 ? 1 : alpha ? 4 : 3);
                ASSERT_EQ(shear->size(), (PixelPair{width, static_cast<int>(expected.size())}));
                EXPECT_TRUE(pull(*shear) == expected) << "factor " << factor << " channels " << channels
                                                   << " alpha " << alpha;
            }
        }
    }
}

TEST(VerticalShears, WorkedCases)
{
    // Factor 0: one window line, no extra rows, the input itself.
    const Image rows = {{1, 2, 3}, {4, 5, 6}};
    GrayYShear still(new MemoryRows(RgbGrayModel(), 3, rows), 0.0, ImagePixel(kPixelGray, 0));
    EXPECT_EQ(still.windowHeight(), 1);
    EXPECT_EQ(pull(still), rows);

    // Whole-line shifts keep the values: a positive factor moves the first
    // column down by the whole extra height and leaves the last in place.
    GrayYShear down(new MemoryRows(RgbGrayModel(), 3, rows), 1.0, ImagePixel(kPixelGray, 0));
    EXPECT_EQ(down.size(), (PixelPair{3, 4}));
    EXPECT_EQ(pull(down), (Image{{0, 0, 3}, {0, 2, 6}, {1, 5, 0}, {4, 0, 0}}));
    GrayYShear up(new MemoryRows(RgbGrayModel(), 3, rows), -1.0, ImagePixel(kPixelGray, 0));
    EXPECT_EQ(up.size(), (PixelPair{3, 4}));
    EXPECT_EQ(pull(up), (Image{{1, 0, 0}, {4, 2, 0}, {0, 5, 3}, {0, 0, 6}}));

    // One input row gives 1 + extra rows.
    GrayYShear single(new MemoryRows(RgbGrayModel(), 5, {{9, 9, 9, 9, 9}}), 0.5, ImagePixel(kPixelGray, 0));
    EXPECT_EQ(single.size().y, 1 + 2);

    // A background of another kind is refused, by name; the input stays ours.
    std::string message;
    auto* gray = new MemoryRows(RgbGrayModel(), 3, rows);
    EXPECT_EQ(thrownCode<OMVIException>([&] { GrayYShear(gray, 0.5, ImagePixel(kPixelPalette, 0)); }, &message), 2);
    EXPECT_EQ(message, "GrayYShear");
    delete gray;
    auto* rgb = new MemoryRows(RgbModel(24), 1, {{1, 2, 3, 4}});
    EXPECT_EQ(thrownCode<OMVIException>([&] { RgbYShear(rgb, 0.5, ImagePixel(kPixelGray, 0), false); }, &message), 2);
    EXPECT_EQ(message, "RgbYShear");
    delete rgb;
}

TEST(VerticalShears, SkippedRowsLeaveTheFilterAsIfDelivered)
{
    std::mt19937 random(6);
    for (double factor : {0.37, -0.81, 1.4})
    {
        for (int channels : {1, 4})
        {
            const Image image = randomRows(random, 19 * channels, 11);
            auto make = [&]() -> std::unique_ptr<VerticalShear> {
                if (channels == 1)
                    return std::make_unique<GrayYShear>(new MemoryRows(RgbGrayModel(), 19, image), factor,
                                                        ImagePixel(kPixelGray, 200));
                return std::make_unique<RgbYShear>(new MemoryRows(RgbModel(32), 19, image), factor,
                                                   ImagePixel(kPixelRgb, 0xFF102030u), true);
            };
            const Image whole = pull(*make());
            for (int skip : {1, 4, 12})
            {
                auto shear = make();
                EXPECT_EQ(shear->skipRows(skip), skip);
                EXPECT_EQ(shear->rowsRemaining(), static_cast<int>(whole.size()) - skip);
                const Image rest = pullRest(*shear);
                EXPECT_TRUE(rest == Image(whole.begin() + skip, whole.end()))
                    << "factor " << factor << " channels " << channels << " skip " << skip;
            }
        }
    }
}

TEST(VerticalShears, DispatchNeverReadsBitsAsBytes)
{
    const DataModel plain1(1, kDataTypeOneBit, 1);
    const DataModel plain8(1, kDataTypeEightBit, 8);
    auto* bits = new MemoryRows(plain1, 20, {{0xFF, 0x00, 0xF0}});
    EXPECT_EQ(createYShear(bits, 0.5, ImagePixel(kPixelOneBit, 0), false), nullptr);
    delete bits;

    // Bitonal rows are made gray first (a 20-pixel bitonal row is 3 bytes,
    // never read as 20), and the background follows.
    std::unique_ptr<RowProviderInterface> shear(
        createYShear(new MemoryRows(BitonalModel(), 20, {{0xFF, 0x00, 0xF0}}), 0.0, ImagePixel(kPixelBitonal, 0), false));
    auto* gray = dynamic_cast<GrayYShear*>(shear.get());
    ASSERT_NE(gray, nullptr);
    EXPECT_EQ(gray->background(), ImagePixel(kPixelGray, 255));
    Row expected(20, 255);
    for (int i = 0; i < 8; ++i)
        expected[static_cast<std::size_t>(i)] = 0;
    for (int i = 16; i < 20; ++i)
        expected[static_cast<std::size_t>(i)] = 0;
    EXPECT_EQ(pull(*shear)[0], expected);

    shear.reset(createYShear(new MemoryRows(plain8, 3, {{1, 2, 3}}), 0.5, ImagePixel(kPixelEightBit, 4), false));
    ASSERT_NE(dynamic_cast<GrayYShear*>(shear.get()), nullptr);
    EXPECT_EQ(dynamic_cast<GrayYShear*>(shear.get())->background(), ImagePixel(kPixelGray, 4));
    const RgbColor colours[] = {RgbColor(255, 0, 0, 255), RgbColor(0, 255, 0, 255)};
    shear.reset(createYShear(new MemoryRows(RgbPaletteModel(2, colours), 3, {{0, 1, 0}}), 0.5,
                             ImagePixel(kPixelPalette, 1), false));
    auto* rgb = dynamic_cast<RgbYShear*>(shear.get());
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(rgb->background(), ImagePixel(kPixelRgb, colours[1].value));
    RgbGrayModel seeThrough;
    seeThrough.setAlpha(0, 0);
    shear.reset(makeYShear(new MemoryRows(seeThrough, 3, {{1, 2, 3}}), 0.5, ImagePixel(kPixelGray, 0), true));
    EXPECT_NE(dynamic_cast<RgbYShear*>(shear.get()), nullptr);
    shear.reset(makeYShear(new MemoryRows(seeThrough, 3, {{1, 2, 3}}), 0.5, ImagePixel(kPixelGray, 0), false));
    EXPECT_NE(dynamic_cast<GrayYShear*>(shear.get()), nullptr);
}

TEST(ShearPoints, FollowTheFilters)
{
    // A single lit pixel goes where the point maps say, for whole shifts.
    const int width = 9, height = 5;
    for (double factor : {0.5, -0.5, 2.0, -1.0})
    {
        for (int x : {0, 2, 4, 8})
        {
            for (int y : {0, 2, 4})
            {
                Image image(static_cast<std::size_t>(height), Row(static_cast<std::size_t>(width), 0));
                image[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = 255;
                // The vertical shear of the filter's factor is the point map
                // of the negated one.
                GrayYShear vertical(new MemoryRows(RgbGrayModel(), width, image), factor, ImagePixel(kPixelGray, 0));
                const Image out = pull(vertical);
                Point2d point(x, y);
                yShearPoint({width, height}, -factor, point);
                ASSERT_EQ(point.y, std::floor(point.y)) << "whole shifts only";
                EXPECT_EQ(out[static_cast<std::size_t>(point.y)][static_cast<std::size_t>(x)], 255)
                    << "factor " << factor << " at " << x << "," << y;
                EXPECT_EQ(point.x, x);

                GrayXShear horizontal(new MemoryRows(RgbGrayModel(), width, image), factor,
                                      ImagePixel(kPixelGray, 0));
                const Image across = pull(horizontal);
                Point2d moved(x, y);
                xShearPoint({width, height}, factor, moved);
                EXPECT_EQ(across[static_cast<std::size_t>(y)][static_cast<std::size_t>(moved.x)], 255)
                    << "factor " << factor << " at " << x << "," << y;
            }
        }
    }
    EXPECT_EQ(verticalShearExtraRows(9, 0.5), 4);
    EXPECT_EQ(verticalShearExtraRows(9, -0.5), 4);
    EXPECT_EQ(horizontalShearExtraColumns(3, 0.5), 2);
    EXPECT_EQ(horizontalShearExtraColumns(3, 0.0), 1);
    EXPECT_EQ(verticalShearExtraRows(2000000000, 3.0), -1);
    EXPECT_EQ(horizontalShearExtraColumns(10, std::nan("")), -1);
}
