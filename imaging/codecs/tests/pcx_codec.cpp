// The PCX codec: header fields and palettes as the frame reports them,
// lines of every supported plane layout decoded (runs carried over line
// ends, line lengths out of proportion to the width refused, files that end
// early corrupt), and the writer's header, runs, palette, checks and file
// handling.
#include "MemoryFile.h"
#include "ImageTestSupport.h"
#include "PcxTestSupport.h"

#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/pcx/PcxFormatCodec.h"
#include "imaging/codecs/pcx/PcxHeader.h"
#include "imaging/codecs/pcx/PcxProperties.h"
#include "imaging/codecs/pcx/PcxStrings.h"
#include "imaging/codecs/strings/CodecStrings.h"

#include <gtest/gtest.h>

#include <random>

using namespace Omvi;
using namespace OmviRaster;

namespace
{

struct OpenedPcx
{
    explicit OpenedPcx(const Bytes& bytes) : file(bytes)
    {
        reader.reset(codec.openForRead(file.specifier()));
        if (reader)
            frame.reset(reader->openFrame(0));
    }
    PcxFormatCodec codec;
    OmviTest::MemoryFile file;
    std::unique_ptr<ReadImageFileInterface> reader;
    std::unique_ptr<ReadImageFileFrameInterface> frame;
};

Decoded decode(const Bytes& bytes)
{
    OpenedPcx opened(bytes);
    if (!opened.frame)
        return {};
    return readFrame(*opened.frame);
}

Bytes greyRamp()
{
    Bytes ramp;
    for (int i = 0; i < 256; ++i)
        ramp.insert(ramp.end(), 3, static_cast<std::uint8_t>(i));
    return ramp;
}

Bytes randomBytes(std::size_t count, unsigned seed, int limit = 256)
{
    std::mt19937 random(seed);
    Bytes bytes(count);
    for (auto& byte : bytes)
        byte = static_cast<std::uint8_t>(random() % static_cast<unsigned>(limit));
    return bytes;
}

} // namespace

TEST(PcxCodec, HeaderSizeDensityAndProperties)
{
    PcxSpec spec;
    spec.width = 100;
    spec.height = 50;
    spec.hdpi = 300;
    spec.vdpi = 150;
    spec.trailer = greyRamp();
    spec.lines.assign(100 * 50, 7);
    OpenedPcx opened(pcxFile(spec));
    ASSERT_TRUE(opened.frame);
    int height = 0;
    int width = 0;
    opened.frame->getSize(&height, &width);
    EXPECT_EQ(height, 50);
    EXPECT_EQ(width, 100);
    EXPECT_EQ(opened.frame->frameIndex(), 1);
    EXPECT_EQ(opened.frame->bitsPerPixel(), 8);
    EXPECT_EQ(opened.frame->paletteCount(), 256);
    EXPECT_EQ(opened.reader->frameCount(), 1);

    std::unique_ptr<FormatCodecPropertyInterface> density(opened.frame->getPropertyOfType(3));
    const auto* dpi = dynamic_cast<const PcxDensityProperty*>(density.get());
    ASSERT_NE(dpi, nullptr);
    EXPECT_EQ(dpi->horizontal(), 300);
    EXPECT_EQ(dpi->vertical(), 150);
    EXPECT_EQ(dpi->unit(), FormatCodecDensity::kPerInch);
    StringBuffer name;
    loadCodecString(PcxStringId::kDensityName, name);
    density.reset(opened.frame->getProperty(name));
    EXPECT_NE(density, nullptr);
    std::unique_ptr<FormatCodecPropertySetIterator> set(opened.frame->getProperties());
    EXPECT_EQ(set->count(), 1);

    // Minima other than 0: the size is the difference plus one.
    spec.xmin = 10;
    spec.ymin = 20;
    spec.hdpi = 0;
    OpenedPcx offset(pcxFile(spec));
    ASSERT_TRUE(offset.frame);
    offset.frame->getSize(&height, &width);
    EXPECT_EQ(width, 100);
    EXPECT_EQ(offset.frame->getPropertyOfType(3), nullptr);
    set.reset(offset.frame->getProperties());
    EXPECT_EQ(set->count(), 0);
}

TEST(PcxCodec, HeadersThatBreakTheRulesGiveNoFrame)
{
    PcxSpec spec;
    spec.width = 4;
    spec.height = 2;
    spec.lines.assign(8, 1);
    spec.trailer = greyRamp();
    const Bytes good = pcxFile(spec);
    auto frameOf = [](const Bytes& bytes) { return OpenedPcx(bytes).frame != nullptr; };
    EXPECT_TRUE(frameOf(good));
    Bytes manufacturer = good;
    manufacturer[0] = 11;
    EXPECT_FALSE(frameOf(manufacturer));
    Bytes version = good;
    version[1] = 4;
    EXPECT_FALSE(frameOf(version));
    Bytes backwards = good;
    backwards[4] = 9;  // xmin 9 > xmax 3
    EXPECT_FALSE(frameOf(backwards));
    EXPECT_FALSE(frameOf(Bytes(good.begin(), good.begin() + 127)));
}

TEST(PcxCodec, PalettesFromHeaderAndTrailer)
{
    // Version 5 at 8 bits: the last 768 bytes, after their marker.
    PcxSpec spec;
    spec.width = 3;
    spec.height = 1;
    spec.lines = {0, 1, 2, 0};
    spec.trailer = randomBytes(768, 1);
    Bytes file = pcxFile(spec);
    Decoded image = decode(file);
    EXPECT_EQ(image.kind, kColorSpacePalette);
    EXPECT_EQ(image.palette, spec.trailer);
    EXPECT_EQ(Bytes(image.pixels.begin(), image.pixels.end()), (Bytes{0, 1, 2}));
    // Without the marker there, or too short to hold one, the palette is
    // missing: the frame is refused as corrupt.
    file[file.size() - 769] = 0x77;
    EXPECT_EQ(OmviTest::codeOfFailure([&] { OpenedPcx opened(file); }), kCodecCorruptImage);

    // A grey ramp, or palette info 2: grey levels.
    spec.trailer = greyRamp();
    spec.lines = {10, 200, 255, 0};
    image = decode(pcxFile(spec));
    EXPECT_EQ(image.kind, kColorSpaceGray);
    EXPECT_EQ(image.pixels, (Bytes{10, 200, 255}));
    spec.trailer = randomBytes(768, 2);
    spec.paletteInfo = 2;
    image = decode(pcxFile(spec));
    EXPECT_EQ(image.kind, kColorSpaceGray);
    EXPECT_EQ(image.pixels[1], spec.trailer[3 * 200]);

    spec.trailer.clear();
    spec.paletteInfo = 1;
    EXPECT_EQ(OmviTest::codeOfFailure([&] { OpenedPcx opened(pcxFile(spec)); }), kCodecCorruptImage);

    // Version 3 at 8 bits: the header's 16 entries, a ramp after them.
    spec.version = 3;
    spec.headerPalette = randomBytes(48, 3);
    image = decode(pcxFile(spec));
    EXPECT_EQ(Bytes(image.palette.begin(), image.palette.begin() + 48), spec.headerPalette);
    EXPECT_EQ(image.palette[3 * 200], 200);
}

TEST(PcxCodec, OneBitFilesAreBitonalWhenBlackAndWhite)
{
    PcxSpec spec;
    spec.width = 13;
    spec.height = 2;
    spec.bitsPerPlane = 1;
    spec.version = 2;
    spec.lines = {0xF0, 0x0F, 0xAA, 0x55};  // two bytes per line

    // Both entries black: entry 1 becomes white; set bits are white, so the
    // ink is the clear bits.
    spec.headerPalette = Bytes(6, 0);
    Decoded image = decode(pcxFile(spec));
    EXPECT_EQ(image.kind, kColorSpaceBitonal);
    EXPECT_EQ(image.palette, (Bytes{0, 0, 0, 255, 255, 255}));
    EXPECT_EQ(image.pixels, (Bytes{0x0F, 0xF0, 0x55, 0xA8}));

    // White first: set bits are black, the ink.
    spec.headerPalette = {255, 255, 255, 0, 0, 0};
    image = decode(pcxFile(spec));
    EXPECT_EQ(image.kind, kColorSpaceBitonal);
    EXPECT_EQ(image.pixels, (Bytes{0xF0, 0x08, 0xAA, 0x50}));

    // Two other colours: palette indices.
    spec.headerPalette = {255, 0, 0, 0, 0, 255};
    image = decode(pcxFile(spec));
    EXPECT_EQ(image.kind, kColorSpacePalette);
    ASSERT_EQ(image.rowBytes, 13);
    EXPECT_EQ(Bytes(image.pixels.begin(), image.pixels.begin() + 13),
              (Bytes{1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
}

TEST(PcxCodec, SixteenColourAndColourLayouts)
{
    const Bytes palette = randomBytes(48, 4);
    // Four 1-bit planes: plane p holds bit p of the index.
    PcxSpec planar;
    planar.width = 8;
    planar.height = 1;
    planar.bitsPerPlane = 1;
    planar.planes = 4;
    planar.headerPalette = palette;
    planar.lines = {0xAA, 0, 0xCC, 0, 0xF0, 0, 0xFF, 0};
    Decoded image = decode(pcxFile(planar));
    EXPECT_EQ(image.kind, kColorSpacePalette);
    EXPECT_EQ(image.palette, palette);
    EXPECT_EQ(image.pixels, (Bytes{15, 14, 13, 12, 11, 10, 9, 8}));

    // One 4-bit plane: high nibble first.
    PcxSpec nibbles;
    nibbles.width = 3;
    nibbles.height = 1;
    nibbles.bitsPerPlane = 4;
    nibbles.headerPalette = palette;
    nibbles.lines = {0x12, 0x3F};
    image = decode(pcxFile(nibbles));
    EXPECT_EQ(image.pixels, (Bytes{1, 2, 3}));
    nibbles.paletteInfo = 2;  // grey: levels i x 17
    image = decode(pcxFile(nibbles));
    EXPECT_EQ(image.kind, kColorSpaceGray);
    EXPECT_EQ(image.pixels, (Bytes{17, 34, 51}));

    // Three 8-bit planes: red, green, blue, then 255.
    PcxSpec colour;
    colour.width = 2;
    colour.height = 1;
    colour.planes = 3;
    colour.lines = {1, 2, 3, 4, 5, 6};
    image = decode(pcxFile(colour));
    EXPECT_EQ(image.kind, kColorSpaceRgb);
    EXPECT_EQ(image.bitsPerPixel, 24);
    EXPECT_EQ(image.pixels, (Bytes{1, 3, 5, 255, 2, 4, 6, 255}));

    // Depths without an iterator: 2 bits, four 8-bit planes.
    for (const auto& layout : {std::pair<int, int>{2, 1}, {8, 4}})
    {
        PcxSpec other;
        other.width = 4;
        other.height = 1;
        other.bitsPerPlane = layout.first;
        other.planes = layout.second;
        OpenedPcx opened(pcxFile(other));
        ASSERT_TRUE(opened.frame);
        EXPECT_EQ(opened.frame->newRowIterator(), nullptr);
        EXPECT_EQ(opened.frame->bitsPerPixel(), layout.first * layout.second == 32 ? 24 : 2);
    }
}

TEST(PcxCodec, RunsCrossLinesAndShortDataIsCorrupt)
{
    // A run of 6 over lines of 4: the rest continues the next line.
    PcxSpec spec;
    spec.width = 4;
    spec.height = 3;
    spec.trailer = greyRamp();
    Bytes file = pcxHeaderBytes(spec);
    file.insert(file.end(), {0xC6, 9, 1, 2, 0xC4, 3});
    file.push_back(12);
    file.insert(file.end(), spec.trailer.begin(), spec.trailer.end());
    EXPECT_EQ(decode(file).pixels, (Bytes{9, 9, 9, 9, 9, 9, 1, 2, 3, 3, 3, 3}));

    // Bytes per line below what the width needs: no frame.
    spec.bytesPerLine = 2;
    spec.width = 5;
    spec.height = 2;
    spec.lines = {1, 2, 3, 4};
    EXPECT_EQ(OpenedPcx(pcxFile(spec)).frame, nullptr);

    // A file that ends early: the rows its data holds come as coded, then
    // "Corrupt image file"; every cut and mutation gives rows, no frame or
    // that error, never more.
    PcxSpec big;
    big.width = 37;
    big.height = 19;
    big.planes = 3;
    big.lines = randomBytes(38 * 3 * 19, 5, 4);
    const Bytes whole = pcxFile(big);
    const Decoded intact = decode(whole);
    ASSERT_EQ(intact.pixels.size(), 37u * 19 * 4);
    for (std::size_t length = 128; length < whole.size(); length += 7)
    {
        OpenedPcx cut(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
        ASSERT_NE(cut.frame, nullptr) << length;
        std::unique_ptr<RowIteratorInterface> rows(cut.frame->newRowIterator());
        ASSERT_NE(rows, nullptr);
        const RowsUntilError read = readRowsUntilError(*rows, [&](int index, const DataBuffer& row) {
            const bool same = std::equal(row.data(), row.data() + 37 * 4, intact.row(index));
            EXPECT_TRUE(same) << index;
            return same;
        });
        EXPECT_LT(read.delivered, 19) << length;
        EXPECT_EQ(read.code, 8) << length;
    }
    std::mt19937 random(6);
    for (int round = 0; round < 200; ++round)
    {
        Bytes mutated = whole;
        for (int flips = 0; flips < 3; ++flips)
            mutated[random() % mutated.size()] = static_cast<std::uint8_t>(random());
        OpenedPcx opened(mutated);
        if (!opened.frame)
            continue;
        const int code = codecErrorOf([&] {
            const Decoded result = readFrame(*opened.frame);
            EXPECT_EQ(result.pixels.size(), std::size_t(result.rowBytes) * result.height);
        });
        EXPECT_TRUE(code == -1 || code == 8) << code;
    }
}

TEST(PcxCodec, RowCodingOfTheWriter)
{
    std::vector<std::uint8_t> coded;
    const Bytes seventy(70, 0x42);
    appendPcxRuns(seventy.data(), seventy.size(), coded);
    EXPECT_EQ(coded, (Bytes{0xFF, 0x42, 0xC7, 0x42}));
    coded.clear();
    const Bytes single = {0xC5};
    appendPcxRuns(single.data(), 1, coded);
    EXPECT_EQ(coded, (Bytes{0xC1, 0xC5}));
    coded.clear();
    const Bytes mixed = {1, 2, 2, 0xBF, 0xC0, 3};
    appendPcxRuns(mixed.data(), mixed.size(), coded);
    EXPECT_EQ(coded, (Bytes{1, 0xC2, 2, 0xBF, 0xC1, 0xC0, 3}));
}

namespace
{

struct PcxWrite
{
    int kind = kColorSpaceGray;
    int bits = 8;
    int width = 9;
    int height = 4;
    Bytes palette;
    Bytes rows;
};

// Writes into a new file of the folder; the bytes written, or the error
// code thrown (-2 for another exception) in `code`.
Bytes writePcx(const OmviTest::ScratchFolder& folder, const std::string& name, const PcxWrite& w, int* code)
{
    PcxFormatCodec codec;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
    if (!writer->open(FileSpecifier(AsciiStringBuffer(folder.file(name)), FileSpecifier::kFile)))
    {
        *code = -3;
        return {};
    }
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    *code = codecErrorOf([&] {
        frame->setSize(w.height, w.width);
        frame->setThirdValue(8);
        frame->setBitsPerPixel(w.bits);
        frame->setDataModelKind(w.kind);
        if (!w.palette.empty())
        {
            frame->setPaletteCount(static_cast<int>(w.palette.size() / 3));
            frame->setPalette(w.palette.data());
        }
        const int rowBytes = w.bits == 1 ? (w.width + 7) / 8 : w.width;
        MemoryRowIterator rows(w.width, w.height, rowBytes, w.rows);
        EXPECT_EQ(writer->writeFrame(frame.get(), &rows), 1);
    });
    writer.reset();
    return readFileBytes(folder.file(name));
}

} // namespace

TEST(PcxCodec, WriterHeaderRowsAndPalette)
{
    OmviTest::ScratchFolder folder;
    PcxWrite grey;
    grey.rows = randomBytes(9 * 4, 7);
    int code = 0;
    const Bytes file = writePcx(folder, "grey.pcx", grey, &code);
    EXPECT_EQ(code, -1);
    ASSERT_GT(file.size(), 128u + 769);
    PcxHeader header;
    std::copy(file.begin(), file.begin() + 128, header.bytes.begin());
    EXPECT_EQ(header.manufacturer(), 10);
    EXPECT_EQ(header.version(), 5);
    EXPECT_EQ(header.encoding(), 1);
    EXPECT_EQ(header.bitsPerPlane(), 8);
    EXPECT_EQ(header.planes(), 1);
    EXPECT_EQ(header.xmax(), 8);
    EXPECT_EQ(header.ymax(), 3);
    EXPECT_EQ(header.bytesPerLine(), 10);  // 9 rounded up to even
    EXPECT_EQ(file[file.size() - 769], 12);
    EXPECT_EQ(Bytes(file.end() - 768, file.end()), greyRamp());
    const Decoded back = decode(file);
    EXPECT_EQ(back.kind, kColorSpaceGray);
    EXPECT_EQ(back.pixels, grey.rows);

    // Palette frames keep their palette, of whatever count.
    PcxWrite palette = grey;
    palette.kind = kColorSpacePalette;
    palette.palette = randomBytes(16 * 3, 8);
    palette.rows = randomBytes(9 * 4, 9, 16);
    const Bytes indexed = writePcx(folder, "palette.pcx", palette, &code);
    EXPECT_EQ(code, -1);
    const Decoded indexedBack = decode(indexed);
    EXPECT_EQ(indexedBack.kind, kColorSpacePalette);
    EXPECT_EQ(indexedBack.pixels, palette.rows);
    EXPECT_EQ(Bytes(indexedBack.palette.begin(), indexedBack.palette.begin() + 48), palette.palette);

    // Bitonal: ink is written as the file's clear (black) bits.
    PcxWrite bits;
    bits.kind = kColorSpaceBitonal;
    bits.bits = 1;
    bits.width = 12;
    bits.height = 2;
    bits.rows = {0xF0, 0x30, 0x0F, 0xC0};
    const Bytes bitonal = writePcx(folder, "bits.pcx", bits, &code);
    EXPECT_EQ(code, -1);
    EXPECT_EQ(bitonal[3], 1);
    EXPECT_EQ(bitonal[66], 2);
    EXPECT_EQ(Bytes(bitonal.begin() + 128, bitonal.begin() + 134), (Bytes{0x0F, 0xC1, 0xCF, 0xC1, 0xF0, 0x3F}));
    const Decoded bitonalBack = decode(bitonal);
    EXPECT_EQ(bitonalBack.kind, kColorSpaceBitonal);
    EXPECT_EQ(bitonalBack.pixels, bits.rows);
}

TEST(PcxCodec, WriterRefusesBadFramesAndLeavesNoFile)
{
    OmviTest::ScratchFolder folder;
    PcxFormatCodec codec;
    int code = 0;
    // A side of 1 pixel is a frame like any other.
    PcxWrite tiny;
    tiny.width = 1;
    tiny.height = 1;
    tiny.rows = {1};
    writePcx(folder, "tiny.pcx", tiny, &code);
    EXPECT_EQ(code, -1);
    EXPECT_TRUE(folder.exists("tiny.pcx"));

    PcxWrite colour;
    colour.kind = kColorSpaceRgb;
    colour.rows = Bytes(36, 0);
    writePcx(folder, "colour.pcx", colour, &code);
    EXPECT_EQ(code, 6);
    PcxWrite deep = colour;
    deep.kind = kColorSpaceGray;
    deep.bits = 4;
    writePcx(folder, "deep.pcx", deep, &code);
    EXPECT_EQ(code, 7);
    EXPECT_FALSE(folder.exists("deep.pcx"));

    // Sizes outside 1-65536.
    std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    EXPECT_EQ(codecErrorOf([&] { frame->setSize(0, 5); }), 9);
    EXPECT_EQ(codecErrorOf([&] { frame->setSize(5, 65537); }), 9);
    EXPECT_EQ(codecErrorOf([&] { frame->setSize(65536, 1); }), -1);

    // Rows that do not fit, no rows, a frame of nobody, a second frame.
    ASSERT_TRUE(writer->open(FileSpecifier(AsciiStringBuffer(folder.file("a.pcx")), FileSpecifier::kFile)));
    frame->setSize(3, 4);
    frame->setBitsPerPixel(8);
    frame->setDataModelKind(kColorSpaceGray);
    MemoryRowIterator wrongWidth(5, 3, 5, Bytes(15, 0));
    EXPECT_EQ(codecErrorOf([&] { writer->writeFrame(frame.get(), &wrongWidth); }), 3);
    MemoryRowIterator empty(0, 3, 4, Bytes(12, 0));
    EXPECT_EQ(codecErrorOf([&] { writer->writeFrame(frame.get(), &empty); }), 2);
    EXPECT_EQ(codecErrorOf([&] { writer->writeFrame(frame.get(), nullptr); }), 0);
    MemoryRowIterator fitting(4, 3, 4, Bytes(12, 5));
    EXPECT_EQ(codecErrorOf([&] { writer->writeFrame(frame.get(), &fitting); }), -1);
    EXPECT_EQ(codecErrorOf([&] { writer->writeFrame(frame.get(), &fitting); }), 5);
    writer.reset();
    EXPECT_TRUE(folder.exists("a.pcx"));

    // An existing file is not overwritten; a specifier of another kind is
    // refused.
    std::unique_ptr<WriteImageFileInterface> again(codec.createWriter());
    EXPECT_FALSE(again->open(FileSpecifier(AsciiStringBuffer(folder.file("a.pcx")), FileSpecifier::kFile)));
    EXPECT_FALSE(again->open(FileSpecifier(AsciiStringBuffer(folder.file("b.pcx")), FileSpecifier::kStream)));
    // A writer that writes nothing leaves nothing.
    ASSERT_TRUE(again->open(FileSpecifier(AsciiStringBuffer(folder.file("c.pcx")), FileSpecifier::kFile)));
    EXPECT_TRUE(folder.exists("c.pcx"));
    again.reset();
    EXPECT_FALSE(folder.exists("c.pcx"));
}

TEST(PcxCodec, DensityPropertyKeepsWholeSixteenBitNumbers)
{
    PcxDensityProperty density;
    double x = -1;
    double y = -1;
    density.getDensity(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_TRUE(density.setDensity(300, 72));
    EXPECT_EQ(density.horizontal(), 300);
    EXPECT_FALSE(density.setDensity(300.5, 72));
    EXPECT_FALSE(density.setDensity(70000, 72));
    EXPECT_FALSE(density.setDensity(-1, 72));
    EXPECT_EQ(density.vertical(), 72);
    EXPECT_TRUE(density.setUnit(2));
    EXPECT_FALSE(density.setUnit(1));
    EXPECT_EQ(density.unit(), FormatCodecDensity::kPerInch);
    EXPECT_EQ(density.codecSpecificValue(), 1);
    EXPECT_EQ(density.firstCode(), 2);

    // Through the writer into the header.
    OmviTest::ScratchFolder folder;
    PcxFormatCodec codec;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
    ASSERT_TRUE(writer->open(FileSpecifier(AsciiStringBuffer(folder.file("d.pcx")), FileSpecifier::kFile)));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    EXPECT_TRUE(frame->setProperty(&density));
    std::unique_ptr<FormatCodecPropertyInterface> back(frame->getPropertyOfType(3));
    EXPECT_EQ(dynamic_cast<PcxDensityProperty&>(*back).horizontal(), 300);
    frame->clearProperties();
    back.reset(frame->getPropertyOfType(3));
    EXPECT_EQ(dynamic_cast<PcxDensityProperty&>(*back).horizontal(), 0);
    frame->setProperty(&density);
    frame->setSize(2, 2);
    frame->setDataModelKind(kColorSpaceGray);
    MemoryRowIterator rows(2, 2, 2, Bytes(4, 1));
    writer->writeFrame(frame.get(), &rows);
    const Bytes file = readFileBytes(folder.file("d.pcx"));
    EXPECT_EQ(file[12] | (file[13] << 8), 300);
    EXPECT_EQ(file[14] | (file[15] << 8), 72);
}
