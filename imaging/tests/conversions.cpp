// The conversion filters against references computed here, independently of
// the library's tables: every 24-bit colour for the RGB paths, every level,
// index and bit pattern for the others, rows and single pixels alike.
#include "RowSources.h"
#include "Thrown.h"

#include "imaging/OMVIException.h"
#include "imaging/conversions/ConvertBitonalTo.h"
#include "imaging/conversions/ConvertGrayTo.h"
#include "imaging/conversions/ConvertPaletteTo.h"
#include "imaging/conversions/ConvertToGray.h"
#include "imaging/conversions/ConvertToPalette.h"
#include "imaging/conversions/ConvertToRgb.h"
#include "imaging/conversions/GrayToBitonal.h"
#include "imaging/conversions/RgbToGray.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/models/RgbPaletteModel.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <vector>

using namespace Omvi;
using OmviTest::thrownBy;
using OmviTest::GeneratedRows;
using OmviTest::MemoryRows;
using OmviTest::Row;

namespace
{
// The gray formula as written: rows add green, red, blue; ConvertToGray's
// single pixels add green, blue, red.
int referenceGray(int r, int g, int b)
{
    return static_cast<int>(0.587 * g + 0.299 * r + 0.114 * b + 0.5);
}
int referencePixelGray(int r, int g, int b)
{
    return static_cast<int>(0.587 * g + 0.114 * b + 0.299 * r + 0.5);
}

int bitAt(const Row& row, int i)
{
    return (row[static_cast<std::size_t>(i / 8)] >> (7 - i % 8)) & 1;
}

// One row of every byte value, as 8-bit pixels or as 2048 bits.
Row everyByte()
{
    Row row(256);
    for (int i = 0; i < 256; ++i)
        row[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    return row;
}

std::unique_ptr<RowProviderInterface> source(const DataModel& model, std::int32_t width, std::vector<Row> rows)
{
    return std::make_unique<MemoryRows>(model, width, std::move(rows));
}

RgbGrayModel translucentGray()
{
    RgbGrayModel gray;
    for (int g = 0; g < 256; g += 3)
        gray.setAlpha(static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(255 - g));
    return gray;
}

BitonalModel bitonalWithAlphas(std::uint8_t paper, std::uint8_t ink)
{
    BitonalModel model;
    model.setAlpha(0, paper);
    model.setAlpha(1, ink);
    return model;
}

std::vector<RgbColor> randomPalette(int count, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<RgbColor> colors;
    for (int i = 0; i < count; ++i)
    {
        const std::uint32_t v = random();
        colors.emplace_back(static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                            static_cast<std::uint8_t>(v >> 16), i % 5 == 0 ? 128 : 255);
    }
    return colors;
}

// The converted row of a filter built over `input`, or the rows.
std::vector<Row> convert(RowProviderInterface& filter)
{
    return OmviTest::pullAll(filter);
}

Row rgbaOf(RgbColor c)
{
    return Row{c.red(), c.green(), c.blue(), c.alpha()};
}
} // namespace

TEST(Conversions, RgbToGrayMatchesTheFormulaForEveryColour)
{
    // 4096 rows of 4096 pixels hold each 24-bit colour once; the alpha byte
    // varies and must not matter.
    const int side = 4096;
    auto fill = [side](std::int32_t y, std::uint8_t* row) {
        for (int x = 0; x < side; ++x)
        {
            const std::uint32_t index = static_cast<std::uint32_t>(y) * side + static_cast<std::uint32_t>(x);
            row[4 * x] = static_cast<std::uint8_t>(index);
            row[4 * x + 1] = static_cast<std::uint8_t>(index >> 8);
            row[4 * x + 2] = static_cast<std::uint8_t>(index >> 16);
            row[4 * x + 3] = static_cast<std::uint8_t>(x * 7);
        }
    };
    for (int which = 0; which < 2; ++which)
    {
        auto* rgb = new GeneratedRows(RgbModel(32), side, side, fill);
        std::unique_ptr<ConversionFilter> filter;
        if (which == 0)
            filter = std::make_unique<RgbToGray>(rgb);
        else
            filter = std::make_unique<ConvertToGray>(rgb, kColorSpaceRgb);
        EXPECT_TRUE(filter->dataModel() == RgbGrayModel());
        EXPECT_TRUE(static_cast<const RgbGrayModel&>(filter->dataModel()).isOpaque());
        DataBuffer out(filter->bytesPerRow());
        long mismatches = 0;
        for (int y = 0; y < side; ++y)
        {
            EXPECT_EQ(filter->getNextRow(out), side - 1 - y);
            for (int x = 0; x < side; ++x)
            {
                const std::uint32_t index = static_cast<std::uint32_t>(y) * side + static_cast<std::uint32_t>(x);
                const int expected = referenceGray(index & 255, (index >> 8) & 255, index >> 16);
                mismatches += out.data()[x] != expected;
            }
        }
        EXPECT_EQ(mismatches, 0) << (which == 0 ? "RgbToGray" : "ConvertToGray");
    }
}

TEST(Conversions, SinglePixelsKeepTheirOwnSummingOrder)
{
    auto rgbToGray = std::make_unique<RgbToGray>(source(RgbModel(), 1, {Row(4)}).release());
    auto toGray = std::make_unique<ConvertToGray>(source(RgbModel(), 1, {Row(4)}).release(), kColorSpaceRgb);
    long rowOrderMismatches = 0;
    long pixelOrderMismatches = 0;
    long ordersDiffer = 0;
    for (std::uint32_t color = 0; color < (1u << 24); ++color)
    {
        const int r = color & 255, g = (color >> 8) & 255, b = color >> 16;
        ImagePixel a(kPixelRgb, color | 0xFF000000u);
        rgbToGray->convertPixel(a);
        ImagePixel p(kPixelRgb, color);
        toGray->convertPixel(p);
        rowOrderMismatches += a.kind != kPixelGray || a.value != static_cast<std::uint64_t>(referenceGray(r, g, b));
        pixelOrderMismatches +=
            p.kind != kPixelGray || p.value != static_cast<std::uint64_t>(referencePixelGray(r, g, b));
        ordersDiffer += a.value != p.value;
    }
    EXPECT_EQ(rowOrderMismatches, 0);
    EXPECT_EQ(pixelOrderMismatches, 0);
    // The two orders are not interchangeable.
    EXPECT_GT(ordersDiffer, 0);
}

TEST(Conversions, PrimaryColoursAndTheNineWideBitonalRow)
{
    const Row rgb = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    RgbToGray gray(source(RgbModel(), 4, {rgb}).release());
    EXPECT_EQ(convert(gray)[0], (Row{76, 150, 29, 255}));

    const Row levels = {0, 255, 0, 255, 0, 255, 100, 200, 10};
    GrayToBitonal bitonal(source(RgbGrayModel(), 9, {levels}).release());
    EXPECT_EQ(bitonal.bytesPerRow(), 8);
    DataBuffer out(8);
    bitonal.getNextRow(out);
    // Pixels 0-7 in the first byte (ink where dark), pixel 8 in the top bit
    // of the second with zeros below.
    EXPECT_EQ(out.data()[0], 0xAA);
    EXPECT_EQ(out.data()[1], 0x80);
}

TEST(Conversions, GrayToRgbPaletteAndBitonal)
{
    const RgbGrayModel translucent = translucentGray();
    const Row levels = everyByte();

    // To RGB: 32 bits used with a translucent level, 24 when all are opaque.
    for (const RgbGrayModel& model : {translucent, RgbGrayModel()})
    {
        ConvertGrayTo toRgb(source(model, 256, {levels, Row(levels.rbegin(), levels.rend())}).release(),
                            kColorSpaceRgb);
        EXPECT_EQ(toRgb.dataModel().bitsUsedPerPixel(), model.isOpaque() ? 24 : 32);
        const std::vector<Row> rows = convert(toRgb);
        for (int g = 0; g < 256; ++g)
        {
            const auto level = static_cast<std::uint8_t>(g);
            EXPECT_EQ(Row(rows[0].begin() + 4 * g, rows[0].begin() + 4 * g + 4),
                      (Row{level, level, level, model.alpha(level)}));
            EXPECT_EQ(rows[1][static_cast<std::size_t>(4 * (255 - g))], level);
        }
    }

    // To a palette: the levels are the indices; the ramp carries the alphas.
    ConvertGrayTo toPalette(source(translucent, 256, {levels}).release(), kColorSpacePalette);
    const auto& palette = static_cast<const RgbPaletteModel&>(toPalette.dataModel());
    EXPECT_EQ(palette.numEntries(), 256);
    for (int g = 0; g < 256; ++g)
    {
        const auto level = static_cast<std::uint8_t>(g);
        EXPECT_EQ(palette.entry(level), RgbColor(level, level, level, translucent.alpha(level)));
    }
    EXPECT_EQ(convert(toPalette)[0], levels);

    // ConvertToPalette makes an opaque ramp whatever the alphas.
    ConvertToPalette ramp(source(translucent, 256, {levels}).release(), kColorSpaceGray);
    const auto& opaque = static_cast<const RgbPaletteModel&>(ramp.dataModel());
    EXPECT_TRUE(opaque.isOpaque());
    EXPECT_EQ(opaque.entry(77), RgbColor(77, 77, 77, 255));
    EXPECT_EQ(convert(ramp)[0], levels);

    // To bitonal, by both filters: levels below 128 are ink; ink takes the
    // alpha of level 0, paper that of level 255.
    RgbGrayModel ends;
    ends.setAlpha(0, 10);
    ends.setAlpha(255, 20);
    ConvertGrayTo viaGray(source(ends, 256, {levels}).release(), kColorSpaceBitonal);
    GrayToBitonal direct(source(ends, 256, {levels}).release());
    for (ConversionFilter* filter : {static_cast<ConversionFilter*>(&viaGray), static_cast<ConversionFilter*>(&direct)})
    {
        const auto& model = static_cast<const BitonalModel&>(filter->dataModel());
        EXPECT_EQ(model.colorSpace(), kColorSpaceBitonal);
        EXPECT_EQ(model.inkAlpha(), 10);
        EXPECT_EQ(model.paperAlpha(), 20);
        const Row bits = convert(*filter)[0];
        ASSERT_EQ(bits.size(), 32u);
        for (int g = 0; g < 256; ++g)
            EXPECT_EQ(bitAt(bits, g), g < 128 ? 1 : 0) << g;
    }
}

TEST(Conversions, PaletteToRgbAndGray)
{
    const std::vector<RgbColor> colors = randomPalette(200, 7);
    const RgbPaletteModel palette(200, colors.data());
    const Row indices = everyByte();
    auto expectedColor = [&](int i) { return i < 200 ? colors[static_cast<std::size_t>(i)] : RgbColor(); };

    ConvertPaletteTo toRgb(source(palette, 256, {indices}).release(), kColorSpaceRgb);
    ConvertToRgb viaRgb(source(palette, 256, {indices}).release(), kColorSpacePalette);
    EXPECT_EQ(toRgb.dataModel().bitsUsedPerPixel(), 32);
    EXPECT_EQ(viaRgb.dataModel().bitsUsedPerPixel(), 32);
    const Row a = convert(toRgb)[0];
    const Row b = convert(viaRgb)[0];
    for (int i = 0; i < 256; ++i)
    {
        const Row want = rgbaOf(expectedColor(i));
        EXPECT_EQ(Row(a.begin() + 4 * i, a.begin() + 4 * i + 4), want) << i;
        EXPECT_EQ(Row(b.begin() + 4 * i, b.begin() + 4 * i + 4), want) << i;
    }

    std::vector<RgbColor> opaqueColors = colors;
    for (RgbColor& c : opaqueColors)
        c = RgbColor(c.red(), c.green(), c.blue(), 255);
    ConvertPaletteTo opaque(source(RgbPaletteModel(200, opaqueColors.data()), 256, {indices}).release(),
                            kColorSpaceRgb);
    EXPECT_EQ(opaque.dataModel().bitsUsedPerPixel(), 24);

    ConvertPaletteTo toGray(source(palette, 256, {indices}).release(), kColorSpaceGray);
    ConvertToGray viaGray(source(palette, 256, {indices}).release(), kColorSpacePalette);
    for (ConversionFilter* filter : {static_cast<ConversionFilter*>(&toGray), static_cast<ConversionFilter*>(&viaGray)})
    {
        const Row levels = convert(*filter)[0];
        std::vector<int> alphaAt(256, 255);
        for (int i = 0; i < 200; ++i)
        {
            const RgbColor c = colors[static_cast<std::size_t>(i)];
            alphaAt[static_cast<std::size_t>(referenceGray(c.red(), c.green(), c.blue()))] = c.alpha();
        }
        for (int i = 0; i < 256; ++i)
        {
            const RgbColor c = expectedColor(i);
            EXPECT_EQ(levels[static_cast<std::size_t>(i)], referenceGray(c.red(), c.green(), c.blue())) << i;
        }
        const auto& gray = static_cast<const RgbGrayModel&>(filter->dataModel());
        for (int level = 0; level < 256; ++level)
            EXPECT_EQ(gray.alpha(static_cast<std::uint8_t>(level)), alphaAt[static_cast<std::size_t>(level)])
                << level;
    }
}

TEST(Conversions, BitonalToRgbPaletteAndGray)
{
    const BitonalModel model = bitonalWithAlphas(200, 100);
    // Every bit pattern, and a row of 13 pixels whose last byte is partial.
    const Row patterns = everyByte();
    const Row partial = {0xA5, 0xF8};
    const RgbColor paper(255, 255, 255, 200);
    const RgbColor ink(0, 0, 0, 100);

    using Make = std::function<ConversionFilter*(RowProviderInterface*)>;
    using ValueOf = std::function<Row(int)>;
    // Converts both rows with filters made by `make`, checks every pixel and
    // returns the filter of the wide row.
    auto run = [&](const Make& make, int bytesPerPixel, const ValueOf& valueOf) {
        std::unique_ptr<ConversionFilter> wide(make(source(model, 2048, {patterns}).release()));
        std::unique_ptr<ConversionFilter> narrow(make(source(model, 13, {partial}).release()));
        const Row a = convert(*wide)[0];
        const Row b = convert(*narrow)[0];
        for (int i = 0; i < 2048; ++i)
            EXPECT_EQ(Row(a.begin() + bytesPerPixel * i, a.begin() + bytesPerPixel * (i + 1)),
                      valueOf(bitAt(patterns, i)))
                << i;
        for (int i = 0; i < 13; ++i)
            EXPECT_EQ(Row(b.begin() + bytesPerPixel * i, b.begin() + bytesPerPixel * (i + 1)),
                      valueOf(bitAt(partial, i)))
                << i;
        return wide;
    };

    const ValueOf rgbOf = [&](int bit) { return rgbaOf(bit ? ink : paper); };
    const ValueOf indexOf = [](int bit) { return Row{static_cast<std::uint8_t>(bit)}; };
    const ValueOf levelOf = [](int bit) { return Row{static_cast<std::uint8_t>(bit ? 0 : 255)}; };

    EXPECT_EQ(run([](RowProviderInterface* in) { return new ConvertBitonalTo(in, kColorSpaceRgb); }, 4, rgbOf)
                  ->dataModel()
                  .bitsUsedPerPixel(),
              32);
    run([](RowProviderInterface* in) { return new ConvertToRgb(in, kColorSpaceBitonal); }, 4, rgbOf);

    const Make palettes[] = {[](RowProviderInterface* in) { return new ConvertBitonalTo(in, kColorSpacePalette); },
                             [](RowProviderInterface* in) { return new ConvertToPalette(in, kColorSpaceBitonal); }};
    for (const Make& make : palettes)
    {
        const auto filter = run(make, 1, indexOf);
        const auto& entries = static_cast<const RgbPaletteModel&>(filter->dataModel());
        EXPECT_EQ(entries.numEntries(), 2);
        EXPECT_EQ(entries.entry(0), paper);
        EXPECT_EQ(entries.entry(1), ink);
    }

    const Make grays[] = {[](RowProviderInterface* in) { return new ConvertBitonalTo(in, kColorSpaceGray); },
                          [](RowProviderInterface* in) { return new ConvertToGray(in, kColorSpaceBitonal); }};
    for (const Make& make : grays)
    {
        const auto filter = run(make, 1, levelOf);
        const auto& alphas = static_cast<const RgbGrayModel&>(filter->dataModel());
        EXPECT_EQ(alphas.alpha(0), 100);
        EXPECT_EQ(alphas.alpha(255), 200);
        EXPECT_EQ(alphas.alpha(128), 255);
    }
}

TEST(Conversions, GrayToRgbToGrayRoundTripsAndBitonalSurvivesGray)
{
    // Gray levels survive a trip through RGB; bits survive a trip through
    // gray.
    const Row levels = everyByte();
    RowProviderInterface* rgb = new ConvertGrayTo(source(RgbGrayModel(), 256, {levels}).release(), kColorSpaceRgb);
    RgbToGray back(rgb);
    EXPECT_EQ(convert(back)[0], levels);

    const Row bits = everyByte();
    RowProviderInterface* gray = new ConvertBitonalTo(source(BitonalModel(), 2048, {bits}).release(), kColorSpaceGray);
    GrayToBitonal again(gray);
    EXPECT_EQ(convert(again)[0], bits);
}

TEST(Conversions, PixelValuesOfEveryFilter)
{
    const RgbGrayModel gray = translucentGray();
    const std::vector<RgbColor> colors = randomPalette(256, 11);
    const RgbPaletteModel palette(256, colors.data());
    const BitonalModel bitonal = bitonalWithAlphas(7, 9);
    const RgbColor paper(255, 255, 255, 7);
    const RgbColor ink(0, 0, 0, 9);

    auto converted = [](ConversionFilter& filter, std::int32_t kind, std::uint64_t value) {
        ImagePixel pixel(kind, value);
        filter.convertPixel(pixel);
        return pixel;
    };

    ConvertGrayTo grayToRgb(source(gray, 1, {Row(1)}).release(), kColorSpaceRgb);
    ConvertGrayTo grayToPalette(source(gray, 1, {Row(1)}).release(), kColorSpacePalette);
    ConvertGrayTo grayToBitonal(source(gray, 1, {Row(1)}).release(), kColorSpaceBitonal);
    GrayToBitonal grayToBits(source(gray, 1, {Row(1)}).release());
    ConvertToRgb grayRgb(source(gray, 1, {Row(1)}).release(), kColorSpaceGray);
    ConvertToPalette grayPalette(source(gray, 1, {Row(1)}).release(), kColorSpaceGray);
    ConvertPaletteTo paletteToRgb(source(palette, 1, {Row(1)}).release(), kColorSpaceRgb);
    ConvertPaletteTo paletteToGray(source(palette, 1, {Row(1)}).release(), kColorSpaceGray);
    ConvertToGray paletteGray(source(palette, 1, {Row(1)}).release(), kColorSpacePalette);
    ConvertToRgb paletteRgb(source(palette, 1, {Row(1)}).release(), kColorSpacePalette);
    for (int v = 0; v < 256; ++v)
    {
        const auto level = static_cast<std::uint8_t>(v);
        const RgbColor ramp(level, level, level, gray.alpha(level));
        EXPECT_EQ(converted(grayToRgb, kPixelGray, level), ImagePixel(kPixelRgb, ramp.value));
        EXPECT_EQ(converted(grayRgb, kPixelGray, level), ImagePixel(kPixelRgb, ramp.value));
        EXPECT_EQ(converted(grayToPalette, kPixelGray, level), ImagePixel(kPixelPalette, level));
        EXPECT_EQ(converted(grayPalette, kPixelGray, level), ImagePixel(kPixelPalette, level));
        const ImagePixel bit(kPixelBitonal, v < 128 ? 1u : 0u);
        EXPECT_EQ(converted(grayToBitonal, kPixelGray, level), bit);
        EXPECT_EQ(converted(grayToBits, kPixelGray, level), bit);

        const RgbColor entry = colors[static_cast<std::size_t>(v)];
        const ImagePixel entryLevel(kPixelGray, static_cast<std::uint64_t>(
                                                    referenceGray(entry.red(), entry.green(), entry.blue())));
        EXPECT_EQ(converted(paletteToRgb, kPixelPalette, level), ImagePixel(kPixelRgb, entry.value));
        EXPECT_EQ(converted(paletteRgb, kPixelPalette, level), ImagePixel(kPixelRgb, entry.value));
        EXPECT_EQ(converted(paletteToGray, kPixelPalette, level), entryLevel);
        EXPECT_EQ(converted(paletteGray, kPixelPalette, level), entryLevel);
    }

    ConvertBitonalTo bitsToRgb(source(bitonal, 1, {Row(1)}).release(), kColorSpaceRgb);
    ConvertBitonalTo bitsToPalette(source(bitonal, 1, {Row(1)}).release(), kColorSpacePalette);
    ConvertBitonalTo bitsToGray(source(bitonal, 1, {Row(1)}).release(), kColorSpaceGray);
    ConvertToRgb bitsRgb(source(bitonal, 1, {Row(1)}).release(), kColorSpaceBitonal);
    ConvertToGray bitsGray(source(bitonal, 1, {Row(1)}).release(), kColorSpaceBitonal);
    ConvertToPalette bitsPalette(source(bitonal, 1, {Row(1)}).release(), kColorSpaceBitonal);
    for (std::uint64_t bit : {0u, 1u})
    {
        const RgbColor color = bit ? ink : paper;
        EXPECT_EQ(converted(bitsToRgb, kPixelBitonal, bit), ImagePixel(kPixelRgb, color.value));
        EXPECT_EQ(converted(bitsRgb, kPixelBitonal, bit), ImagePixel(kPixelRgb, color.value));
        EXPECT_EQ(converted(bitsToPalette, kPixelBitonal, bit), ImagePixel(kPixelPalette, bit));
        EXPECT_EQ(converted(bitsPalette, kPixelBitonal, bit), ImagePixel(kPixelPalette, bit));
        EXPECT_EQ(converted(bitsToGray, kPixelBitonal, bit), ImagePixel(kPixelGray, bit ? 0u : 255u));
        EXPECT_EQ(converted(bitsGray, kPixelBitonal, bit), ImagePixel(kPixelGray, bit ? 0u : 255u));
    }

    // Pixels already in the output model, or of a kind the filter does not
    // read, are left as they are.
    EXPECT_EQ(converted(bitsGray, kPixelGray, 42), ImagePixel(kPixelGray, 42));
    EXPECT_EQ(converted(bitsPalette, kPixelPalette, 3), ImagePixel(kPixelPalette, 3));
    EXPECT_EQ(converted(paletteRgb, kPixelRgb, 0x12345678), ImagePixel(kPixelRgb, 0x12345678));
    EXPECT_EQ(converted(grayToRgb, kPixelPalette, 5), ImagePixel(kPixelPalette, 5));
    EXPECT_EQ(converted(bitsToRgb, kPixelGray, 5), ImagePixel(kPixelGray, 5));
}

TEST(Conversions, SourcePixelsAreConvertedThroughTheWholeChain)
{
    const std::vector<RgbColor> colors = randomPalette(16, 3);
    RowProviderInterface* indices = source(RgbPaletteModel(16, colors.data()), 4, {Row(4)}).release();
    RowProviderInterface* toGray = new ConvertPaletteTo(indices, kColorSpaceGray);
    ConvertGrayTo toRgb(toGray, kColorSpaceRgb);
    for (int i = 0; i < 16; ++i)
    {
        ImagePixel pixel(kPixelPalette, static_cast<std::uint64_t>(i));
        toRgb.convertSourcePixel(pixel);
        const RgbColor c = colors[static_cast<std::size_t>(i)];
        const auto level = static_cast<std::uint8_t>(referenceGray(c.red(), c.green(), c.blue()));
        const auto& gray = static_cast<const RgbGrayModel&>(toGray->dataModel());
        EXPECT_EQ(pixel, ImagePixel(kPixelRgb, RgbColor(level, level, level, gray.alpha(level)).value)) << i;
    }
}

TEST(Conversions, RowsAreCountedAndGuarded)
{
    ConvertGrayTo filter(source(RgbGrayModel(), 3, {Row{1, 2, 3}, Row{4, 5, 6}, Row{7, 8, 9}}).release(),
                         kColorSpaceRgb);
    EXPECT_EQ(filter.rowsRemaining(), 3);
    DataBuffer tooShort(filter.bytesPerRow() - 1);
    OwnedException error = thrownBy([&] { filter.getNextRow(tooShort); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), ImageFilterException::kRowBufferTooSmall);
    EXPECT_EQ(filter.rowsRemaining(), 3);

    DataBuffer row(filter.bytesPerRow());
    EXPECT_EQ(filter.getNextRow(row), 2);
    EXPECT_EQ(filter.getNextRow(row), 1);
    EXPECT_EQ(filter.getNextRow(row), 0);
    EXPECT_EQ(row.data()[0], 7);
    EXPECT_EQ(row.data()[8], 9);
    // Past the end nothing is pulled and the buffer is left alone.
    row.data()[0] = 99;
    EXPECT_EQ(filter.getNextRow(row), 0);
    EXPECT_EQ(row.data()[0], 99);
    EXPECT_EQ(filter.rowsRemaining(), 0);
}

TEST(Conversions, AFilterThatCannotBeBuiltLeavesItsInputToTheCaller)
{
    struct Case
    {
        const char* what;
        std::function<RowProviderInterface*()> makeSource;
        std::function<void(RowProviderInterface*)> build;
        std::int32_t code;
    };
    const Case cases[] = {
        {"wrong source colour space", [] { return source(RgbGrayModel(), 4, {Row(4)}).release(); },
         [](RowProviderInterface* in) { ConvertToRgb f(in, kColorSpaceBitonal); },
         ImageFilterException::kNoValidInputs},
        {"unsupported pair", [] { return source(RgbGrayModel(), 4, {Row(4)}).release(); },
         [](RowProviderInterface* in) { ConvertToRgb f(in, kColorSpaceRgb); },
         ImageFilterException::kUnsupportedConversion},
        {"no conversion to the required model", [] { return source(RgbModel(), 4, {Row(16)}).release(); },
         [](RowProviderInterface* in) { ConvertBitonalTo f(in, kColorSpaceGray); },
         ImageFilterException::kNoValidInputs},
        // 600 million gray pixels make RGB rows of 2.4 GB: init refuses them
        // after the input was connected.
        {"output rows too long",
         [] { return new MemoryRows(RgbGrayModel(), 600'000'000, 1, 8); },
         [](RowProviderInterface* in) { ConvertGrayTo f(in, kColorSpaceRgb); },
         ImageFilterException::kInvalidSize},
        // The same after a palette-to-gray conversion was put in front.
        {"output rows too long behind an inserted conversion",
         [] { return new MemoryRows(RgbPaletteModel(4), 600'000'000, 1, 8); },
         [](RowProviderInterface* in) { ConvertGrayTo f(in, kColorSpaceRgb); },
         ImageFilterException::kInvalidSize},
    };
    for (const Case& c : cases)
    {
        auto deleted = std::make_shared<bool>(false);
        RowProviderInterface* input = c.makeSource();
        static_cast<MemoryRows*>(input)->watchDeletion(deleted);
        OwnedException error = thrownBy([&] { c.build(input); });
        ASSERT_TRUE(error) << c.what;
        EXPECT_EQ(error->code(), c.code) << c.what;
        EXPECT_FALSE(*deleted) << c.what;
        delete input;
        EXPECT_TRUE(*deleted);
    }
}

TEST(ConversionGraph, WhoConvertsToWhomAndWithWhichFilter)
{
    const RgbModel rgb;
    const RgbPaletteModel palette(4);
    const RgbGrayModel gray;
    const BitonalModel bitonal;
    const DataModel plain(1, kDataTypeEightBit, 8);
    const DataModel* models[] = {&rgb, &palette, &gray, &bitonal};
    // [from][to] by colour space 1-4.
    const bool to[4][4] = {
        {true, false, true, false},  // RGB: to RGB (no filter) and gray
        {true, false, true, false},  // palette: to RGB and gray
        {true, true, false, true},   // gray: to RGB, palette, bitonal
        {true, true, true, false},   // bitonal: to RGB, palette, gray
    };
    const bool from[4][4] = {
        {true, true, true, true},     // RGB: from everything
        {false, false, true, true},   // palette: from gray and bitonal
        {true, true, false, true},    // gray: from RGB, palette, bitonal
        {false, false, true, false},  // bitonal: from gray
    };
    for (int a = 0; a < 4; ++a)
    {
        const ColorModelInterface* colour = ColorModelInterface::of(*models[a]);
        ASSERT_NE(colour, nullptr);
        EXPECT_FALSE(colour->canConvertTo(plain));
        EXPECT_FALSE(colour->canConvertFrom(plain));
        for (int b = 0; b < 4; ++b)
        {
            EXPECT_EQ(colour->canConvertTo(*models[b]), to[a][b]) << a + 1 << " to " << b + 1;
            EXPECT_EQ(colour->canConvertFrom(*models[b]), from[a][b]) << a + 1 << " from " << b + 1;
        }
    }

    // Where no filter is made the input comes back unchanged.
    auto input = source(rgb, 1, {Row(4)});
    EXPECT_EQ(ColorModelInterface::of(rgb)->convertTo(RgbModel(24), input.get()), input.get());
    EXPECT_EQ(ColorModelInterface::of(rgb)->convertFrom(RgbModel(24), input.get()), input.get());
    EXPECT_EQ(ColorModelInterface::of(rgb)->convertTo(palette, input.get()), input.get());
    EXPECT_EQ(ColorModelInterface::of(gray)->convertFrom(plain, input.get()), input.get());

    struct Made
    {
        const DataModel* from;
        const DataModel* to;
        bool viaTarget;
        std::function<bool(RowProviderInterface*)> isExpected;
    };
    const Made made[] = {
        {&rgb, &gray, false, [](RowProviderInterface* p) { return dynamic_cast<RgbToGray*>(p) != nullptr; }},
        {&gray, &rgb, false, [](RowProviderInterface* p) { return dynamic_cast<ConvertGrayTo*>(p) != nullptr; }},
        {&bitonal, &palette, false, [](RowProviderInterface* p) { return dynamic_cast<ConvertBitonalTo*>(p) != nullptr; }},
        {&palette, &gray, false, [](RowProviderInterface* p) { return dynamic_cast<ConvertPaletteTo*>(p) != nullptr; }},
        {&palette, &rgb, true, [](RowProviderInterface* p) { return dynamic_cast<ConvertToRgb*>(p) != nullptr; }},
        {&rgb, &gray, true, [](RowProviderInterface* p) { return dynamic_cast<ConvertToGray*>(p) != nullptr; }},
        {&gray, &bitonal, true, [](RowProviderInterface* p) { return dynamic_cast<GrayToBitonal*>(p) != nullptr; }},
        {&bitonal, &palette, true, [](RowProviderInterface* p) { return dynamic_cast<ConvertToPalette*>(p) != nullptr; }},
    };
    for (const Made& m : made)
    {
        RowProviderInterface* in = source(*m.from, 1, {Row(8)}).release();
        std::unique_ptr<RowProviderInterface> filter(
            m.viaTarget ? ColorModelInterface::of(*m.to)->convertFrom(*m.from, in)
                        : ColorModelInterface::of(*m.from)->createConverter(*m.to, in));
        EXPECT_TRUE(m.isExpected(filter.get()));
        EXPECT_EQ(filter->dataModel().colorSpace(), m.to->colorSpace());
    }
}
