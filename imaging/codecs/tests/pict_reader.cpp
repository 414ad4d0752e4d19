// The PICT reader over pictures built in the tests: every raster layout
// (bitmaps, indexed, 16- and 32-bit pixel maps, packed and not), the opcodes
// it steps over, the transfer modes, clipping, the 8-bit output rule, and
// damaged, truncated and absurd pictures.
#include "imaging/codecs/pict/PictCursor.h"
#include "imaging/codecs/pict/PictRaster.h"
#include "imaging/codecs/pict/PictReadFile.h"
#include "imaging/codecs/pict/PictTransfer.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/tests/PictTestFiles.h"

#include <gtest/gtest.h>

using namespace Omvi;
using namespace OmviTest;

namespace
{

// The 24-bit rows of a picture as red, green, blue (the fourth byte of
// each pixel must be 255).
TestImage decodePict(const Bytes& bytes)
{
    OpenedPict opened = openPict(bytes);
    if (!opened.frame)
        return {};
    std::unique_ptr<RowIteratorInterface> rows(opened.frame->newRowIterator());
    if (!rows)
        return {};
    TestImage image{rows->width(), rows->rowCount(), 3, {}};
    DataBuffer row(rows->bytesPerRow());
    rows->start();
    for (int y = 0; y < image.height; ++y)
    {
        rows->getRow(row);
        rows->next();
        for (int x = 0; x < image.width; ++x)
        {
            if (opened.frame->bitsPerPixel() == 24)
            {
                EXPECT_EQ(row.data()[4 * x + 3], 255);
                image.pixels.insert(image.pixels.end(), row.data() + 4 * x, row.data() + 4 * x + 3);
            }
            else
            {
                image.pixels.push_back(row.data()[x]);
            }
        }
    }
    if (opened.frame->bitsPerPixel() == 8)
        image.channels = 1;
    return image;
}

TestImage solid(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    TestImage image{width, height, 3, {}};
    for (int i = 0; i < width * height; ++i)
        image.pixels.insert(image.pixels.end(), {r, g, b});
    return image;
}

std::vector<PictRgb> sixColours()
{
    return {pictRgb(255, 255, 255), pictRgb(200, 30, 40), pictRgb(20, 180, 60),
            pictRgb(10, 20, 230),   pictRgb(0, 0, 0),     pictRgb(128, 128, 0)};
}

} // namespace

TEST(PictReader, DirectPixelMapsOfEveryLayoutDeliverTheirColours)
{
    const TestImage image = noiseImage(13, 7, 3, 5);
    struct Case
    {
        int packType;
        int components;
    } cases[] = {{4, 3}, {4, 4}, {0, 3}, {1, 3}, {2, 3}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE("pack type " + std::to_string(c.packType) + ", components " +
                     std::to_string(c.components));
        const Bytes picture = PictBuilder(2, {0, 0, 7, 13})
                                  .clip({0, 0, 7, 13})
                                  .directBits(directSpec(image, c.packType, c.components))
                                  .finish();
        OpenedPict opened = openPict(picture);
        ASSERT_TRUE(opened.frame);
        EXPECT_EQ(opened.frame->bitsPerPixel(), 24);
        EXPECT_EQ(opened.frame->dataModelKind(), 1);
        EXPECT_EQ(opened.frame->sampleKind(), 3);
        EXPECT_EQ(opened.frame->paletteCount(), 0);
        const TestImage decoded = decodePict(picture);
        EXPECT_EQ(decoded, image) << firstDifference(decoded, image);
    }
}

TEST(PictReader, NarrowRowsAreStoredUnpackedAndWideOnesCarrySixteenBitLengths)
{
    for (int width : {1, 2, 63, 64, 300})
    {
        SCOPED_TRACE("width " + std::to_string(width));
        const TestImage image = patternImage(width, 3, 3, 2);
        const Bytes picture = PictBuilder(2, {0, 0, 3, static_cast<std::int16_t>(width)})
                                  .directBits(directSpec(image, width * 4 < 8 ? 1 : 4))
                                  .finish();
        EXPECT_EQ(decodePict(picture), image);
    }
}

TEST(PictReader, PackedLengthsOfTheOtherWidthAreReadUnlessNeitherWidthParses)
{
    // Palette rows of 230 bytes with 16-bit lengths, 16-bit pixels in rows
    // of 200 bytes likewise, 32-bit rows of 256 bytes with 8-bit lengths;
    // no two neighbours alike, so that rows pack long.
    Bytes indices;
    for (int i = 0; i < 230 * 6; ++i)
        indices.push_back(static_cast<std::uint8_t>((i + i / 230) % 6));
    PictRasterSpec palette = indexedSpec(indices, 230, 6, 8, sixColours());
    PictRasterSpec sixteen = directSpec(noiseImage(100, 5, 3, 3));
    sixteen.pixelSize = 16;
    sixteen.packType = 3;
    sixteen.rowBytes = 200;
    for (Bytes& row : sixteen.rows)
        row.resize(200);
    PictRasterSpec direct = directSpec(noiseImage(64, 30, 3, 4));
    for (PictRasterSpec* spec : {&palette, &sixteen, &direct})
    {
        SCOPED_TRACE(spec->pixelSize);
        const PictBox frame{0, 0, spec->bounds.bottom, spec->bounds.right};
        const auto picture = [&] {
            PictBuilder builder(2, frame);
            return (spec->pixelSize > 8 ? builder.directBits(*spec) : builder.bits(*spec)).finish();
        };
        const TestImage byRule = decodePict(picture());
        ASSERT_GT(byRule.width, 0);
        spec->lengthBytes = spec->rowBytes > 250 ? 1 : 2;
        EXPECT_EQ(decodePict(picture()), byRule);
        // A row cut short parses with neither width.
        spec->rows[2].resize(spec->rows[2].size() / 2);
        EXPECT_EQ(decodePict(picture()).width, 0);
    }
}

TEST(PictReader, SixteenBitPixelsMoveEachChannelToItsTopBits)
{
    PictRasterSpec spec;
    spec.bounds = {0, 0, 2, 6};
    spec.pixelSize = 16;
    spec.packType = 3;
    spec.componentCount = 3;
    // 1-5-5-5: red 31, green 0, blue 1; then green 16; repeated items pack.
    const Bytes row0 = {0x7C, 0x01, 0x7C, 0x01, 0x7C, 0x01, 0x02, 0x00, 0x02, 0x00, 0x00, 0x1F};
    const Bytes row1 = {0x00, 0x00, 0x7F, 0xFF, 0x7F, 0xFF, 0x7F, 0xFF, 0x7F, 0xFF, 0x7F, 0xFF};
    spec.rows = {row0, row1};
    const TestImage decoded = decodePict(PictBuilder(2, {0, 0, 2, 6}).directBits(spec).finish());
    ASSERT_EQ(decoded.width, 6);
    const std::uint8_t expected0[] = {248, 0,   8, 248, 0,   8, 248, 0, 8,
                                      0,   128, 0, 0,   128, 0, 0,   0, 248};
    EXPECT_TRUE(std::equal(std::begin(expected0), std::end(expected0), decoded.row(0)));
    EXPECT_EQ(decoded.row(1)[0], 0);
    EXPECT_EQ(decoded.row(1)[3], 248);
    EXPECT_EQ(decoded.row(1)[17], 248);

    // A row of fewer than 8 bytes is stored as it is.
    spec.bounds = {0, 0, 1, 3};
    spec.rows = {{0x7C, 0x00, 0x03, 0xE0, 0x00, 0x1F}};
    const TestImage small = decodePict(PictBuilder(2, {0, 0, 1, 3}).directBits(spec).finish());
    const std::uint8_t expected1[] = {248, 0, 0, 0, 248, 0, 0, 0, 248};
    ASSERT_EQ(small.pixels.size(), 9u);
    EXPECT_TRUE(std::equal(std::begin(expected1), std::end(expected1), small.pixels.begin()));
}

TEST(PictReader, IndexedPixelMapsLookTheirPixelsUpInTheColourTable)
{
    const std::vector<PictRgb> table = sixColours();
    for (int pixelSize : {1, 2, 4, 8})
    {
        SCOPED_TRACE("pixel size " + std::to_string(pixelSize));
        const int colours = std::min<int>(1 << pixelSize, static_cast<int>(table.size()));
        const TestImage indices = noiseImage(21, 5, 1, 9, colours);
        const Bytes picture =
            PictBuilder(2, {0, 0, 5, 21})
                .bits(indexedSpec(indices.pixels, 21, 5, pixelSize,
                                  std::vector<PictRgb>(table.begin(), table.begin() + colours)))
                .finish();
        const TestImage decoded = decodePict(picture);
        ASSERT_EQ(decoded.channels, 3);
        for (int i = 0; i < 21 * 5; ++i)
        {
            const PictRgb& entry = table[indices.pixels[static_cast<std::size_t>(i)]];
            ASSERT_EQ(decoded.pixels[3 * i], entry.red >> 8) << i;
            ASSERT_EQ(decoded.pixels[3 * i + 1], entry.green >> 8) << i;
            ASSERT_EQ(decoded.pixels[3 * i + 2], entry.blue >> 8) << i;
        }
    }
}

TEST(PictReader, ColourTablesPlaceEntriesByTheirValuesUnlessTheyAreDeviceTables)
{
    PictRasterSpec spec =
        indexedSpec({0, 1, 2, 3}, 4, 1, 2,
                    {pictRgb(255, 0, 0), pictRgb(0, 255, 0), pictRgb(0, 0, 255), pictRgb(9, 9, 9)});
    spec.tableValues = {3, 2, 1, 0};
    EXPECT_EQ(decodePict(PictBuilder(2, {0, 0, 1, 4}).bits(spec).finish()).pixels,
              (Pixels{9, 9, 9, 0, 0, 255, 0, 255, 0, 255, 0, 0}));
    spec.deviceTable = true;
    EXPECT_EQ(decodePict(PictBuilder(2, {0, 0, 1, 4}).bits(spec).finish()).pixels,
              (Pixels{255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9}));
    // Values the table does not list are black.
    spec.deviceTable = false;
    spec.table.resize(1);
    spec.tableValues = {2};
    spec.table[0] = pictRgb(50, 60, 70);
    PictBuilder twoRecords(2, {0, 0, 1, 4});
    twoRecords.bits(spec).bits(spec); // two records keep 24-bit output
    EXPECT_EQ(decodePict(twoRecords.finish()).pixels,
              (Pixels{0, 0, 0, 0, 0, 0, 50, 60, 70, 0, 0, 0}));
}

TEST(PictReader, OnlyALoneIndexedMapWithoutATableOfTwoEntriesGivesEightBitOutput)
{
    const TestImage indices = noiseImage(9, 4, 1, 3, 16);
    // No table entries: a grey ramp over the pixel size.
    PictRasterSpec spec = indexedSpec(indices.pixels, 9, 4, 4, {});
    OpenedPict opened = openPict(PictBuilder(2, {0, 0, 4, 9}).bits(spec).finish());
    ASSERT_TRUE(opened.frame);
    EXPECT_EQ(opened.frame->bitsPerPixel(), 8);
    EXPECT_EQ(opened.frame->dataModelKind(), 2);
    EXPECT_EQ(opened.frame->sampleKind(), 1);
    ASSERT_EQ(opened.frame->paletteCount(), 16);
    std::uint8_t palette[48];
    opened.frame->getPalette(16, palette);
    EXPECT_EQ(palette[3 * 15], 255);
    EXPECT_EQ(palette[3 * 1], 17);
    EXPECT_EQ(palette[3 * 7 + 2], 119);
    EXPECT_EQ(decodePict(PictBuilder(2, {0, 0, 4, 9}).bits(spec).finish()).pixels, indices.pixels);

    // One entry: the table's colour where it is listed, black elsewhere.
    spec.table = {pictRgb(10, 20, 30)};
    spec.tableValues = {5};
    opened = openPict(PictBuilder(2, {0, 0, 4, 9}).bits(spec).finish());
    ASSERT_EQ(opened.frame->paletteCount(), 16);
    opened.frame->getPalette(16, palette);
    EXPECT_EQ(palette[15], 10);
    EXPECT_EQ(palette[17], 30);
    EXPECT_EQ(palette[0], 0);
    // A palette request beyond the entries writes nothing.
    std::uint8_t untouched[51];
    std::fill(std::begin(untouched), std::end(untouched), 0xAB);
    opened.frame->getPalette(17, untouched);
    EXPECT_EQ(untouched[0], 0xAB);

    // Two entries, a second record or a direct map: 24 bits.
    spec.table = {pictRgb(0, 0, 0), pictRgb(255, 255, 255)};
    spec.tableValues.clear();
    EXPECT_EQ(openPict(PictBuilder(2, {0, 0, 4, 9}).bits(spec).finish()).frame->bitsPerPixel(), 24);
    spec.table.clear();
    EXPECT_EQ(
        openPict(PictBuilder(2, {0, 0, 4, 9}).bits(spec).bits(spec).finish()).frame->bitsPerPixel(),
        24);
    EXPECT_EQ(openPict(PictBuilder(2, {0, 0, 4, 9}).finish()).frame->bitsPerPixel(), 24);
}

TEST(PictReader, VersionOneBitmapsAreBlackOnWhite)
{
    PictRasterSpec spec;
    spec.bitmap = true;
    spec.pixelSize = 1;
    spec.bounds = {0, 0, 2, 10};
    spec.rows = {{0xA0, 0x40}, {0xFF, 0xC0}};
    for (int version : {1, 2})
    {
        SCOPED_TRACE("version " + std::to_string(version));
        const TestImage decoded =
            decodePict(PictBuilder(version, {0, 0, 2, 10}).bits(spec).finish());
        ASSERT_EQ(decoded.width, 10);
        const int row0[] = {0, 255, 0, 255, 255, 255, 255, 255, 255, 0};
        for (int x = 0; x < 10; ++x)
        {
            EXPECT_EQ(decoded.row(0)[3 * x], row0[x]) << x;
            EXPECT_EQ(decoded.row(1)[3 * x], 0) << x;
        }
    }
    // Wider bitmaps are packed, in version 1 as well.
    spec.bounds = {0, 0, 3, 100};
    spec.rows.assign(3, Bytes(14, 0x0F));
    const TestImage wide = decodePict(PictBuilder(1, {0, 0, 3, 100}).bits(spec).finish());
    ASSERT_EQ(wide.width, 100);
    EXPECT_EQ(wide.row(2)[3 * 3], 255);
    EXPECT_EQ(wide.row(2)[3 * 4], 0);
    EXPECT_EQ(wide.row(2)[3 * 95], 0);
    EXPECT_EQ(wide.row(2)[3 * 99], 255);
}

TEST(PictReader, OpcodesBetweenTheRastersAreSteppedOver)
{
    const TestImage image = patternImage(12, 4, 3, 1);
    for (int version : {1, 2})
    {
        SCOPED_TRACE("version " + std::to_string(version));
        PictBuilder builder(version, {0, 0, 4, 12});
        builder.clip({0, 0, 4, 12});
        builder.opcode(0x0000);                                     // no operation
        builder.opcode(0x0003).u16(3).opcode(0x0004).u8(1);         // font, face
        builder.opcode(0x000D).u16(12).opcode(0x0007).u32(0x10001); // size, pen size
        builder.opcode(0x0009).u32(0x55AA55AA).u32(0x55AA55AA);     // pen pattern
        builder.opcode(0x0028).u32(0x000A000A).u8(3).raw({'a', 'b', 'c'});
        builder.opcode(0x0029).u8(4).u8(2).raw({'d', 'e'});
        builder.opcode(0x002B).u16(0x0101).u8(1).raw({'f'});
        builder.opcode(0x0030).rect({1, 1, 3, 3});                 // frame rectangle
        builder.opcode(0x0038);                                    // frame the same
        builder.opcode(0x0061).rect({0, 0, 4, 4}).u32(0x005A0010); // paint arc
        builder.opcode(0x0070).u16(14).rect({0, 0, 2, 2}).u32(0);  // frame polygon
        builder.opcode(0x0081).u16(10).rect({0, 0, 2, 2});         // paint region
        builder.opcode(0x00A0).u16(100);                           // short comment
        builder.opcode(0x00A1).u16(101).u16(3).raw({1, 2, 3});     // long comment
        if (version == 2)
        {
            builder.color(0x001A, {1, 2, 3});
            builder.opcode(0x001D).raw(Bytes(6, 0x7F));                            // hilite colour
            builder.opcode(0x0012).u16(2).raw(Bytes(8, 0x11)).raw(Bytes(6, 0x22)); // dither pattern
            // A full pixel pattern: an 8 x 8 pixel map of 8 bits, two colours.
            builder.opcode(0x0013).u16(1).raw(Bytes(8, 0x33));
            builder.u16(0x8008)
                .rect({0, 0, 8, 8})
                .u16(0)
                .u16(0)
                .u32(0)
                .u32(0)
                .u32(0)
                .u16(0)
                .u16(8)
                .u16(1)
                .u16(8)
                .u32(0)
                .u32(0)
                .u32(0);
            builder.u32(0)
                .u16(0)
                .u16(1)
                .u16(0)
                .u16(0)
                .u16(0)
                .u16(0)
                .u16(1)
                .u16(0xFFFF)
                .u16(0xFFFF)
                .u16(0xFFFF);
            for (int r = 0; r < 8; ++r)
                builder.u8(2).u8(0xF9).u8(1);               // eight 1s, packed
            builder.opcode(0x00B5);                         // reserved, no data
            builder.opcode(0x00D1).u32(5).raw(Bytes(5, 9)); // reserved, 32-bit length
            builder.opcode(0x0200).u32(0);                  // reserved, 4 bytes
            builder.opcode(0x8012);                         // reserved, no data
            builder.opcode(0x8201).u32(3).raw({1, 2, 3});   // reserved, 32-bit length
            builder.opcode(0x0025).u16(2).raw({0, 0});      // reserved, 16-bit length
        }
        builder.directBits(directSpec(image));
        builder.opcode(0x00A0).u16(5);
        EXPECT_EQ(decodePict(builder.finish()), image);
    }
}

TEST(PictReader, AllRasterOperationsLandInFileOrderThroughTheirTransferModes)
{
    // Left half red, right half green, then a blue square copied over the
    // middle and a black-and-white bitmap ORed in with a foreground colour.
    PictBuilder builder(2, {10, 20, 14, 28});
    builder.directBits(directSpec(solid(4, 4, 255, 0, 0))).raw({});
    PictRasterSpec red = directSpec(solid(4, 4, 255, 0, 0));
    red.destination = {10, 20, 14, 24};
    PictRasterSpec green = directSpec(solid(4, 4, 0, 255, 0));
    green.destination = {10, 24, 14, 28};
    PictRasterSpec blue = directSpec(solid(2, 2, 0, 0, 255));
    blue.destination = {11, 23, 13, 25};
    PictRasterSpec ink;
    ink.bitmap = true;
    ink.bounds = {0, 0, 1, 8};
    ink.destination = {13, 20, 14, 28};
    ink.rows = {{0x81}}; // black at both ends, white between
    ink.mode = 1;        // srcOr: black becomes the foreground colour
    PictBuilder picture(2, {10, 20, 14, 28});
    picture.directBits(red).directBits(green).directBits(blue);
    picture.color(0x001A, pictRgb(7, 8, 9));
    picture.bits(ink);
    const TestImage decoded = decodePict(picture.finish());
    ASSERT_EQ(decoded.width, 8);
    ASSERT_EQ(decoded.height, 4);
    auto at = [&](int x, int y)
    { return Pixels(decoded.row(y) + 3 * x, decoded.row(y) + 3 * x + 3); };
    EXPECT_EQ(at(0, 0), (Pixels{255, 0, 0}));
    EXPECT_EQ(at(7, 0), (Pixels{0, 255, 0}));
    EXPECT_EQ(at(3, 1), (Pixels{0, 0, 255}));
    EXPECT_EQ(at(4, 2), (Pixels{0, 0, 255}));
    EXPECT_EQ(at(5, 2), (Pixels{0, 255, 0}));
    EXPECT_EQ(at(0, 3), (Pixels{7, 8, 9}));
    EXPECT_EQ(at(1, 3), (Pixels{255, 0, 0}));
    EXPECT_EQ(at(6, 3), (Pixels{0, 255, 0}));
    EXPECT_EQ(at(7, 3), (Pixels{7, 8, 9}));
}

TEST(PictReader, BlendAndPinModesTakeThePicturesOpColour)
{
    auto combined = [](int mode, PictRgb op, const TestImage& top)
    {
        PictRasterSpec base = directSpec(solid(2, 1, 100, 200, 0));
        PictRasterSpec over = directSpec(top);
        over.mode = mode;
        PictBuilder builder(2, {0, 0, 1, 2});
        builder.directBits(base).color(0x001F, op).directBits(over);
        return decodePict(builder.finish());
    };
    // Blend by half: the canvas keeps half of its own and takes half.
    EXPECT_EQ(combined(32, {32768, 32768, 32768}, solid(2, 1, 255, 0, 255)).pixels,
              (Pixels{177, 100, 127, 177, 100, 127}));
    // addPin with pin 250: 100 + 100 is kept, 200 + 100 is pinned.
    EXPECT_EQ(combined(33, pictRgb(250, 250, 250), solid(2, 1, 100, 100, 100)).pixels,
              (Pixels{200, 250, 100, 200, 250, 100}));
    // subPin with pin 50: 100 - 30 stays, 0 - 30 is pinned.
    EXPECT_EQ(combined(35, pictRgb(50, 50, 50), solid(2, 1, 30, 30, 30)).pixels,
              (Pixels{70, 170, 50, 70, 170, 50}));
    // The dither flag (64) is not a mode of its own.
    EXPECT_EQ(combined(64 + 37, {}, solid(2, 1, 150, 150, 150)).pixels,
              (Pixels{150, 200, 150, 150, 200, 150}));
}

TEST(PictReader, TheTransferCombinerFollowsEveryMode)
{
    PictTransferState state;
    state.foreground = {1, 2, 3};
    state.background = {4, 5, 6};
    state.op = {32768, 32768, 32768};
    const PictColor black{0, 0, 0};
    const PictColor white{0xFFFF, 0xFFFF, 0xFFFF};
    const PictColor grey{0x8000, 0x4000, 0x2000};
    const PictColor canvas{0x1234, 0x5678, 0x9ABC};
    auto with = [&](int mode, const PictColor& s, const PictColor& d)
    {
        state.mode = mode;
        return state.combine(s, d);
    };
    EXPECT_EQ(with(0, grey, canvas), grey);
    EXPECT_EQ(with(1, black, canvas), state.foreground);
    EXPECT_EQ(with(1, grey, canvas), canvas);
    EXPECT_EQ(with(2, black, canvas), (PictColor{0xEDCB, 0xA987, 0x6543}));
    EXPECT_EQ(with(2, white, canvas), canvas);
    EXPECT_EQ(with(3, black, canvas), state.background);
    EXPECT_EQ(with(4, white, canvas), state.foreground);
    EXPECT_EQ(with(4, black, canvas), state.background);
    EXPECT_EQ(with(4, grey, canvas), canvas);
    EXPECT_EQ(with(5, white, canvas), state.foreground);
    EXPECT_EQ(with(5, black, canvas), canvas);
    EXPECT_EQ(with(6, white, canvas), (PictColor{0xEDCB, 0xA987, 0x6543}));
    EXPECT_EQ(with(7, white, canvas), state.background);
    EXPECT_EQ(with(7, grey, canvas), canvas);
    // Blend with op colour 32768 of 65535 over 0 gives 32767.
    EXPECT_EQ(with(32, white, black), (PictColor{32767, 32767, 32767}));
    state.op = {0xFFFF, 0xFFFF, 0xFFFF};
    EXPECT_EQ(with(32, grey, canvas).red, 0x7FFF); // weight 65535 of 65536
    state.op = {0x9000, 0x9000, 0x9000};
    EXPECT_EQ(with(33, grey, canvas), (PictColor{0x9000, 0x9000, 0x9000}));
    EXPECT_EQ(with(34, white, canvas), (PictColor{0x1233, 0x5677, 0x9ABB}));
    EXPECT_EQ(with(35, grey, canvas), (PictColor{0x9000, 0x9000, 0x9000}));
    state.op = {0, 0, 0};
    EXPECT_EQ(with(35, PictColor{0x1000, 0x1000, 0x1000}, canvas),
              (PictColor{0x0234, 0x4678, 0x8ABC}));
    EXPECT_EQ(with(36, state.background, canvas), canvas);
    EXPECT_EQ(with(36, grey, canvas), grey);
    EXPECT_EQ(with(37, grey, canvas), (PictColor{0x8000, 0x5678, 0x9ABC}));
    EXPECT_EQ(with(38, grey, canvas), (PictColor{0x9234, 0x1678, 0x7ABC}));
    EXPECT_EQ(with(39, grey, canvas), (PictColor{0x1234, 0x4000, 0x2000}));
    EXPECT_EQ(with(8, black, canvas), state.foreground);
    EXPECT_EQ(with(50, grey, canvas), state.background);
}

TEST(PictReader, SourceAndDestinationAreClippedAsOneRegion)
{
    // A 4 x 4 map whose source reaches one column left of its bounds and
    // whose destination reaches one row above the frame: only the pixels
    // inside both land, each where its own source pixel maps.
    TestImage image{4, 4, 3, {}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            image.pixels.insert(image.pixels.end(), {static_cast<std::uint8_t>(10 * x),
                                                     static_cast<std::uint8_t>(10 * y), 0});
    PictRasterSpec spec = directSpec(image);
    spec.bounds = {0, 0, 4, 4};
    spec.source = {0, -1, 4, 3};
    spec.destination = {-1, 0, 3, 4};
    const TestImage decoded = decodePict(PictBuilder(2, {0, 0, 3, 4}).directBits(spec).finish());
    ASSERT_EQ(decoded.width, 4);
    ASSERT_EQ(decoded.height, 3);
    // Destination (x, y) shows source (x - 1, y + 1); column 0 has no
    // source and stays white paper.
    for (int y = 0; y < 3; ++y)
    {
        EXPECT_EQ(Pixels(decoded.row(y), decoded.row(y) + 3), (Pixels{255, 255, 255})) << y;
        for (int x = 1; x < 4; ++x)
        {
            EXPECT_EQ(decoded.row(y)[3 * x], 10 * (x - 1)) << x << "," << y;
            EXPECT_EQ(decoded.row(y)[3 * x + 1], 10 * (y + 1)) << x << "," << y;
        }
    }
}

TEST(PictReader, ScaledCopiesMakeThePictureUnusable)
{
    PictRasterSpec spec = directSpec(patternImage(10, 10, 3));
    spec.destination = {0, 0, 20, 20};
    OpenedPict opened = openPict(PictBuilder(2, {0, 0, 20, 20}).directBits(spec).finish());
    ASSERT_TRUE(opened.frame);
    int height = 0;
    int width = 0;
    opened.frame->getSize(&height, &width);
    EXPECT_EQ(height, 20);
    EXPECT_EQ(width, 20);
    EXPECT_EQ(std::unique_ptr<RowIteratorInterface>(opened.frame->newRowIterator()), nullptr);
}

TEST(PictReader, TheReaderAndFrameAnswerAsThePictureCodecDoes)
{
    const Bytes picture =
        PictBuilder(2, {0, 0, 5, 7}).directBits(directSpec(patternImage(7, 5, 3))).finish();
    OpenedPict opened = openPict(picture);
    ASSERT_TRUE(opened.reader);
    EXPECT_EQ(opened.reader->frameCount(), 1);
    EXPECT_EQ(opened.reader->isValid(), 1);
    std::unique_ptr<ReadImageFileFrameInterface> another(opened.reader->openFrame(3));
    EXPECT_TRUE(another);
    ASSERT_TRUE(opened.frame);
    EXPECT_EQ(opened.frame->frameIndex(), 1);
    EXPECT_EQ(opened.frame->getOrientation(), 0);
    EXPECT_FALSE(opened.frame->isTiled());
    EXPECT_TRUE(opened.frame->isRowAccessSupported(0));
    EXPECT_FALSE(opened.frame->isRowAccessSupported(2));
    std::unique_ptr<FormatCodecPropertySetIterator> properties(opened.frame->getProperties());
    ASSERT_TRUE(properties);
    EXPECT_EQ(properties->count(), 0);
    EXPECT_EQ(opened.frame->getPropertyOfType(7), nullptr);

    // Rows past the last are cleared; a short buffer is refused.
    std::unique_ptr<RowIteratorInterface> rows(opened.frame->newRowIterator());
    EXPECT_EQ(rows->bytesPerRow(), 28);
    DataBuffer shortRow(27);
    EXPECT_EQ(codeOfFailure([&] { rows->getRow(shortRow); }),
              ImageFilterException::kRowBufferTooSmall);
    DataBuffer row(28);
    for (int r = 0; r < 5; ++r)
        rows->next();
    rows->getRow(row);
    EXPECT_EQ(row.data()[0], 0);
    EXPECT_EQ(row.data()[27], 0);

    PictFormatCodec codec;
    std::unique_ptr<ReadImageFileInterface> missing(codec.openForRead(
        FileSpecifier(AsciiStringBuffer("/nonexistent/a.pict"), FileSpecifier::kFile)));
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->frameCount(), 0);
    EXPECT_EQ(missing->openFrame(0), nullptr);
}

TEST(PictReader, PackBitsIsBoundedOnBothSides)
{
    std::uint8_t out[8];
    // A literal of 3, a repeat of 4 (flag 253), and -128 repeating 129
    // times, cut at the capacity.
    const Bytes packed = {2, 1, 2, 3, 253, 9, 0x80, 7};
    EXPECT_EQ(unpackPictBits(packed.data(), packed.size(), 1, out, sizeof out), 8);
    EXPECT_EQ(Pixels(out, out + 8), (Pixels{1, 2, 3, 9, 9, 9, 9, 7}));
    const Bytes cut = {5, 1, 2};
    EXPECT_EQ(unpackPictBits(cut.data(), cut.size(), 1, out, sizeof out), -1);
    const Bytes cutRepeat = {0xFE, 1};
    EXPECT_EQ(unpackPictBits(cutRepeat.data(), cutRepeat.size(), 2, out, sizeof out), -1);
    const Bytes words = {0xFE, 1, 2, 0, 3, 4};
    EXPECT_EQ(unpackPictBits(words.data(), words.size(), 2, out, sizeof out), 8);
    EXPECT_EQ(Pixels(out, out + 8), (Pixels{1, 2, 1, 2, 1, 2, 3, 4}));

    PictCursor cursor(packed.data(), packed.size(), 6);
    EXPECT_EQ(cursor.u16(), 0x8007);
    EXPECT_THROW(cursor.u8(), PictOverrun);
}

TEST(PictReader, DamagedPicturesGiveNoRows)
{
    const Bytes good = PictBuilder(2, {0, 0, 6, 9})
                           .clip({0, 0, 6, 9})
                           .directBits(directSpec(patternImage(9, 6, 3)))
                           .finish();
    auto rowsOf = [](const Bytes& bytes)
    {
        OpenedPict opened = openPict(bytes);
        return opened.frame ? std::unique_ptr<RowIteratorInterface>(opened.frame->newRowIterator())
                            : nullptr;
    };
    ASSERT_TRUE(rowsOf(good));

    // A row whose packed data yields too few bytes.
    PictRasterSpec shortRows = directSpec(patternImage(9, 2, 3));
    shortRows.rows[1].resize(20);
    EXPECT_FALSE(rowsOf(PictBuilder(2, {0, 0, 2, 9}).directBits(shortRows).finish()));
    // Unknown pixel sizes, planar maps of two components, tables of -2
    // entries, regions shorter than their size word.
    PictRasterSpec odd = directSpec(patternImage(9, 2, 3));
    odd.pixelSize = 24;
    EXPECT_FALSE(rowsOf(PictBuilder(2, {0, 0, 2, 9}).directBits(odd).finish()));
    odd = directSpec(patternImage(9, 2, 3));
    odd.componentCount = 2;
    EXPECT_FALSE(rowsOf(PictBuilder(2, {0, 0, 2, 9}).directBits(odd).finish()));
    PictRasterSpec indexed =
        indexedSpec(Bytes(18, 1), 9, 2, 8, {pictRgb(1, 1, 1), pictRgb(2, 2, 2)});
    Bytes badTable = PictBuilder(2, {0, 0, 2, 9}).bits(indexed).finish();
    // After the header opcode (2 + 24 bytes), the opcode, the row bytes,
    // the pixel map, the seed and the flags.
    const std::size_t tableCount = 526 + 26 + 2 + 2 + 44 + 4 + 2;
    ASSERT_EQ(badTable[tableCount + 1], 1);
    badTable[tableCount] = 0xFF;
    badTable[tableCount + 1] = 0xFE;
    EXPECT_FALSE(rowsOf(badTable));
    EXPECT_FALSE(rowsOf(PictBuilder(2, {0, 0, 2, 9}).opcode(0x0001).u16(1).finish()));

    // Every truncation inside the raster's data, and a picture that ends
    // at an opcode boundary without its end opcode.
    for (std::size_t length = good.size() - 40; length < good.size() - 2; ++length)
        EXPECT_FALSE(
            rowsOf(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length))))
            << length;
    EXPECT_FALSE(rowsOf(Bytes(good.begin(), good.end() - 2)));
}

TEST(PictReader, AbsurdSizesAreRefusedBeforeAnythingLarge)
{
    // A frame of 30000 x 30000 pixels whose only raster is small.
    const Bytes huge =
        PictBuilder(2, {0, 0, 30000, 30000}).directBits(directSpec(patternImage(4, 4, 3))).finish();
    OpenedPict opened = openPict(huge);
    ASSERT_TRUE(opened.frame);
    EXPECT_EQ(std::unique_ptr<RowIteratorInterface>(opened.frame->newRowIterator()), nullptr);
    EXPECT_STREQ(opened.frame->rowRefusal(),
                 "The PICT picture's size is beyond what the reader decodes");

    // A 32-bit length that claims gigabytes, and a pixel map of 30000 rows
    // that are not there.
    EXPECT_FALSE(openPict(PictBuilder(2, {0, 0, 4, 4}).opcode(0x00D0).u32(0xFFFFFFF0).finish())
                     .frame->newRowIterator());
    PictRasterSpec tall = directSpec(patternImage(4, 4, 3));
    tall.bounds = {0, 0, 30000, 4};
    tall.source = tall.destination = {0, 0, 4, 4};
    EXPECT_FALSE(
        openPict(PictBuilder(2, {0, 0, 4, 4}).directBits(tall).finish()).frame->newRowIterator());

    // Frames with top not above bottom are empty.
    EXPECT_FALSE(openPict(PictBuilder(2, {5, 0, 5, 4}).finish()).frame->newRowIterator());
}

TEST(PictReader, MutatedAndTruncatedPicturesNeverCrash)
{
    std::vector<Bytes> seeds;
    seeds.push_back(PictBuilder(2, {0, 0, 6, 9})
                        .clip({0, 0, 6, 9})
                        .directBits(directSpec(patternImage(9, 6, 3), 4, 4))
                        .finish());
    seeds.push_back(
        PictBuilder(2, {0, 0, 5, 21})
            .bits(indexedSpec(noiseImage(21, 5, 1, 2, 6).pixels, 21, 5, 4, sixColours()))
            .finish());
    PictRasterSpec bitmap;
    bitmap.bitmap = true;
    bitmap.bounds = {0, 0, 3, 40};
    bitmap.rows.assign(3, Bytes{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0});
    seeds.push_back(PictBuilder(1, {0, 0, 3, 40}).bits(bitmap).finish());
    std::uint32_t state = 12345;
    for (const Bytes& seed : seeds)
    {
        for (std::size_t length = 512; length < seed.size(); length += 3)
        {
            OpenedPict opened =
                openPict(Bytes(seed.begin(), seed.begin() + static_cast<std::ptrdiff_t>(length)));
            if (opened.frame)
                frameAsRgb(*opened.frame);
        }
        for (int round = 0; round < 300; ++round)
        {
            Bytes mutated = seed;
            for (int k = 0; k < 3; ++k)
            {
                state = state * 1664525u + 1013904223u;
                const std::size_t at = 512 + (state >> 8) % (mutated.size() - 512);
                mutated[at] = static_cast<std::uint8_t>(state >> 24);
            }
            OpenedPict opened = openPict(mutated);
            if (!opened.frame)
                continue;
            try
            {
                frameAsRgb(*opened.frame);
            }
            catch (OMVIException* failure)
            {
                delete failure;
            }
        }
    }
}
