// The BMP codec's reader on generated files of every depth and header, its
// row regions, its writer's files read back, the writer's checks and
// failures, and damaged input.
#include "imaging/codecs/bmp/BmpProperties.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/SubRegionRowIteratorInterface.h"
#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/WriteImageFileInterface.h"
#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/tests/BmpTestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace Omvi;
using namespace OmviTest;

namespace
{

struct OpenedBmp
{
    explicit OpenedBmp(const Bytes& bytes) : file(bytes)
    {
        reader.reset(codec.openForRead(file.specifier()));
        if (reader)
            frame.reset(reader->openFrame(0));
    }
    BmpFormatCodec codec;
    MemoryFile file;
    std::unique_ptr<ReadImageFileInterface> reader;
    std::unique_ptr<ReadImageFileFrameInterface> frame;
};

TestImage readBmpRgb(const Bytes& bytes)
{
    OpenedBmp opened(bytes);
    return opened.frame ? frameAsRgb(*opened.frame) : TestImage{};
}

// Writes `image` (4 channels colour, 1 channel indices, grey levels or
// packed bits) as a BMP of `kind` and `bits`; answers the file's bytes.
// Bitonal images are given as packed bytes, `pixelWidth` pixels a row.
Bytes writeBmp(const TestImage& image, int kind, int bits, const std::vector<std::uint8_t>& palette = {},
               const std::function<void(WriteImageFileFrameInterface&)>& setup = {}, int pixelWidth = -1)
{
    const int width = pixelWidth >= 0 ? pixelWidth : image.width;
    ScratchFolder folder;
    BmpFormatCodec codec;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
    const std::string path = folder.file("out.bmp");
    EXPECT_TRUE(writer->open(FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile)));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    frame->setSize(image.height, width);
    frame->setThirdValue(kind == 1 ? 32 : kind == 4 ? 1 : 8);
    frame->setBitsPerPixel(bits);
    frame->setDataModelKind(kind);
    if (!palette.empty())
    {
        frame->setPaletteCount(static_cast<int>(palette.size() / 3));
        frame->setPalette(palette.data());
    }
    if (setup)
        setup(*frame);
    ImageRows rows(image);
    rows.widthOverride = width;
    EXPECT_EQ(writer->writeFrame(frame.get(), &rows), 1);
    return readFileBytes(path);
}

} // namespace

TEST(BmpReader, EveryDepthAndHeaderOfTheGenerator)
{
    std::vector<BmpSpec> specs;
    BmpSpec spec;
    spec.width = 13;
    spec.height = 5;
    for (const int bits : {1, 4, 8})
    {
        spec.bits = bits;
        // Bitonal frames keep black and white only.
        spec.palette = bits == 1 ? std::vector<std::array<std::uint8_t, 3>>{{0, 0, 0}, {255, 255, 255}}
                                 : colourPalette(1 << bits);
        for (const std::uint32_t header : {12u, 40u, 124u})
        {
            spec.headerSize = header;
            specs.push_back(spec);
        }
    }
    spec.palette.clear();
    spec.headerSize = 40;
    spec.value = [](int x, int y) { return std::uint32_t(x * 0x130517 + y * 0x2A0B33); };
    for (const int bits : {16, 24, 32})
    {
        spec.bits = bits;
        specs.push_back(spec);
        spec.topDown = true;
        specs.push_back(spec);
        spec.topDown = false;
    }
    spec.bits = 16;
    spec.compression = 3;
    spec.masks = {0xF800, 0x07E0, 0x001F};  // five, six and five bits
    specs.push_back(spec);
    spec.headerSize = 124;  // the masks inside the longer header
    specs.push_back(spec);
    spec.masks = {0x0F00, 0, 0x000F};  // an empty mask reads as 0
    specs.push_back(spec);

    for (const BmpSpec& each : specs)
    {
        const Bytes bytes = makeBmp(each);
        EXPECT_EQ(readBmpRgb(bytes), expectedBmpRgb(each))
            << each.bits << " bits, header " << each.headerSize << (each.topDown ? " top-down" : "")
            << " masks " << each.masks[0];
    }
}

TEST(BmpReader, FrameAnswersByDepth)
{
    BmpSpec spec;
    spec.width = 9;
    spec.height = 2;
    spec.bits = 32;
    spec.xPerMetre = 2835;
    spec.yPerMetre = 3000;
    OpenedBmp colour(makeBmp(spec));
    ASSERT_NE(colour.frame, nullptr);
    EXPECT_EQ(colour.reader->frameCount(), 1);
    EXPECT_EQ(colour.frame->dataModelKind(), 1);
    EXPECT_EQ(colour.frame->sampleKind(), 3);
    EXPECT_EQ(colour.frame->bitsPerPixel(), 24);
    EXPECT_EQ(colour.frame->frameIndex(), 1);
    EXPECT_TRUE(colour.frame->isRowAccessSupported(2));
    EXPECT_FALSE(colour.frame->isRowAccessSupported(1));
    std::unique_ptr<FormatCodecPropertyInterface> density(colour.frame->getPropertyOfType(3));
    auto* bmpDensity = dynamic_cast<BmpDensityProperty*>(density.get());
    ASSERT_NE(bmpDensity, nullptr);
    double x = 0;
    double y = 0;
    bmpDensity->getDensity(&x, &y);
    EXPECT_DOUBLE_EQ(x, 28.35);
    EXPECT_DOUBLE_EQ(y, 30.0);
    EXPECT_EQ(bmpDensity->unit(), FormatCodecDensity::kPerCentimetre);
    EXPECT_FALSE(bmpDensity->setUnit(FormatCodecDensity::kPerInch));
    std::unique_ptr<FormatCodecPropertyInterface> byName(colour.frame->getProperty(bmpDensity->name()));
    EXPECT_NE(byName, nullptr);
    std::unique_ptr<FormatCodecPropertySetIterator> set(colour.frame->getProperties());
    EXPECT_NE(set->findByType(3), nullptr);

    // The core header has no resolution.
    spec.headerSize = 12;
    spec.bits = 24;
    OpenedBmp core(makeBmp(spec));
    EXPECT_EQ(core.frame->getPropertyOfType(3), nullptr);

    // 1 bit: the palette decides whether bits are flipped.
    BmpSpec bitonal;
    bitonal.width = 12;
    bitonal.height = 2;
    bitonal.bits = 1;
    bitonal.value = [](int x, int) { return std::uint32_t(x % 3 == 0); };
    bitonal.palette = {{255, 255, 255}, {0, 0, 0}};
    OpenedBmp whiteBlack(makeBmp(bitonal));
    EXPECT_EQ(whiteBlack.frame->dataModelKind(), 4);
    EXPECT_EQ(whiteBlack.frame->sampleKind(), 0);
    const TestImage asStored = readAllRows(*whiteBlack.frame, 1);
    EXPECT_EQ(asStored.pixels[0], 0x92);  // 1001 0010: the file's bits
    bitonal.palette = {{0, 0, 0}, {255, 255, 255}};
    OpenedBmp blackWhite(makeBmp(bitonal));
    EXPECT_EQ(readAllRows(*blackWhite.frame, 1).pixels[0], 0x6D);
    EXPECT_EQ(frameAsRgb(*blackWhite.frame), expectedBmpRgb(bitonal));
    // Any other two colours, even a grey pair: a palette of two, one index
    // byte a pixel.
    for (const auto& pair : {std::vector<std::array<std::uint8_t, 3>>{{250, 250, 250}, {5, 5, 5}},
                             std::vector<std::array<std::uint8_t, 3>>{{13, 101, 200}, {84, 250, 237}},
                             std::vector<std::array<std::uint8_t, 3>>{{0, 0, 0}, {0, 0, 0}}})
    {
        bitonal.palette = pair;
        OpenedBmp two(makeBmp(bitonal));
        EXPECT_EQ(two.frame->dataModelKind(), 2);
        EXPECT_EQ(two.frame->sampleKind(), 1);
        EXPECT_EQ(two.frame->bitsPerPixel(), 1);
        EXPECT_EQ(two.frame->paletteCount(), 2);
        const TestImage indices = readAllRows(*two.frame, 1);
        EXPECT_EQ(Pixels(indices.pixels.begin(), indices.pixels.begin() + 12),
                  (Pixels{1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0}));
        EXPECT_EQ(frameAsRgb(*two.frame), expectedBmpRgb(bitonal));
    }

    // Grey palettes: the identity ramp, and at 4 bits also the even ramp.
    BmpSpec grey;
    grey.width = 16;
    grey.height = 1;
    grey.bits = 4;
    grey.value = [](int x, int) { return std::uint32_t(x); };
    for (int i = 0; i < 16; ++i)
        grey.palette.push_back({std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)});
    OpenedBmp ramp(makeBmp(grey));
    EXPECT_EQ(ramp.frame->dataModelKind(), 3);
    const TestImage levels = readAllRows(*ramp.frame, 1);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(levels.pixels[static_cast<std::size_t>(i)], i * 17);
    for (int i = 0; i < 16; ++i)
        grey.palette[static_cast<std::size_t>(i)] = {std::uint8_t(i * 17), std::uint8_t(i * 17), std::uint8_t(i * 17)};
    OpenedBmp evenRamp(makeBmp(grey));
    EXPECT_EQ(evenRamp.frame->dataModelKind(), 3);
    EXPECT_EQ(readAllRows(*evenRamp.frame, 1), levels);
    grey.palette[3] = {1, 2, 3};
    OpenedBmp coloured(makeBmp(grey));
    EXPECT_EQ(coloured.frame->dataModelKind(), 2);
    EXPECT_EQ(coloured.frame->paletteCount(), 16);

    // Depths it does not read: a frame, but no rows.
    BmpSpec two = bitonal;
    two.bits = 2;
    two.palette = colourPalette(4);
    OpenedBmp twoBits(makeBmp(two));
    EXPECT_EQ(twoBits.frame->dataModelKind(), 1);
    EXPECT_EQ(twoBits.frame->newRowIterator(), nullptr);
}

TEST(BmpReader, PaletteSizeIsBoundedByDepthAndTable)
{
    BmpSpec spec;
    spec.width = 8;
    spec.height = 2;
    spec.bits = 4;
    spec.palette = colourPalette(16);
    spec.colorsUsed = 70000;  // says more than 4 bits can index
    OpenedBmp many(makeBmp(spec));
    EXPECT_EQ(many.frame->paletteCount(), 16);
    EXPECT_EQ(frameAsRgb(*many.frame), expectedBmpRgb(spec));

    spec.bits = 8;
    spec.palette = colourPalette(256);
    spec.colorsUsed = 0xFFFFFFFF;
    OpenedBmp huge(makeBmp(spec));
    EXPECT_EQ(huge.frame->paletteCount(), 256);

    spec.palette = colourPalette(5);
    spec.colorsUsed = 5;
    spec.value = [](int x, int) { return std::uint32_t(x % 5); };
    OpenedBmp few(makeBmp(spec));
    EXPECT_EQ(few.frame->paletteCount(), 5);
    std::uint8_t copied[15] = {};
    few.frame->getPalette(5, copied);
    EXPECT_EQ(copied[3], spec.palette[1][0]);
    EXPECT_EQ(frameAsRgb(*few.frame), expectedBmpRgb(spec));

    // A pixel past the five colours makes its row corrupt.
    spec.value = [](int x, int) { return std::uint32_t(x == 7 ? 9 : x % 5); };
    for (const int bits : {4, 8})
    {
        spec.bits = bits;
        OpenedBmp past(makeBmp(spec));
        EXPECT_EQ(codeOfFailure([&] { frameAsRgb(*past.frame); }), kCodecCorruptImage) << bits;
    }
}

TEST(BmpReader, RegionsDeliverTheirColumnsWhateverTheDepth)
{
    // Depth 1 twice: black and white packed, then two colours as indices.
    int round = 0;
    for (const int bits : {1, 1, 4, 8, 16, 24, 32})
    {
        const bool packed = round++ == 0;
        BmpSpec spec;
        spec.width = 37;
        spec.height = 6;
        spec.bits = bits;
        spec.value = [](int x, int y) { return std::uint32_t(x * 7 + y * 3 + (x * y) % 5) * 0x010305u; };
        if (bits <= 8)
            spec.palette = colourPalette(1 << bits);
        if (packed)
            spec.palette = {{0, 0, 0}, {255, 255, 255}};
        const Bytes bytes = makeBmp(spec);
        const TestImage whole = expectedBmpRgb(spec);
        OpenedBmp opened(bytes);
        EXPECT_EQ(opened.frame->dataModelKind(), packed ? 4 : bits <= 8 ? 2 : 1) << bits;
        std::unique_ptr<RowIteratorInterface> rows(opened.frame->newRowIterator());
        auto* region = dynamic_cast<SubRegionRowIteratorInterface*>(rows.get());
        ASSERT_NE(region, nullptr);
        region->setTopLeft(1, 11);
        region->setBottomRight(4, 30);
        EXPECT_EQ(region->rowCount(), 4);
        EXPECT_EQ(region->width(), 20);
        const int delivered = packed ? 3 : bits <= 8 ? 20 : 80;
        EXPECT_EQ(region->bytesPerRow(), delivered) << bits;
        DataBuffer row(delivered);
        region->start();
        for (int r = 1; r <= 4; ++r)
        {
            region->getRow(row);
            region->next();
            for (int x = 11; x <= 30; ++x)
            {
                const std::uint8_t* expected = whole.row(r) + 3 * x;
                const int i = x - 11;
                if (packed)
                {
                    const bool ink = (row.data()[i / 8] >> (7 - i % 8)) & 1;
                    // Palette black, white: set bits are white, so they are flipped.
                    EXPECT_EQ(ink, expected[0] == 0) << r << "," << x;
                }
                else if (bits <= 8)
                {
                    const auto& entry = spec.palette[row.data()[i]];
                    EXPECT_TRUE(std::equal(entry.begin(), entry.end(), expected)) << bits << " " << r << "," << x;
                }
                else
                {
                    EXPECT_TRUE(std::equal(expected, expected + 3, row.data() + 4 * i)) << bits << " " << r << "," << x;
                }
            }
        }
        // Past the region's last row: cleared.
        std::memset(row.data(), 0x33, static_cast<std::size_t>(delivered));
        region->getRow(row);
        EXPECT_EQ(row.data()[0], 0);
        DataBuffer small(delivered - 1);
        EXPECT_EQ(codeOfFailure([&] { region->getRow(small); }), ImageFilterException::kRowBufferTooSmall);
    }
}

TEST(BmpReader, CutShortAndDamagedFiles)
{
    BmpSpec spec;
    spec.width = 20;
    spec.height = 10;
    spec.bits = 8;
    spec.palette = colourPalette(256);
    const Bytes bytes = makeBmp(spec);
    BmpFormatCodec codec;

    // Pixel data cut short: recognised as truncated, and no rows.
    const Bytes cut(bytes.begin(), bytes.end() - 5);
    MemoryFile cutFile(cut);
    EXPECT_EQ(codec.probe(cutFile.specifier(), nullptr), ImageFormatCodec::kTruncated);
    OpenedBmp opened(cut);
    ASSERT_NE(opened.frame, nullptr);
    EXPECT_EQ(opened.frame->newRowIterator(), nullptr);

    // Run-length data is not read as plain rows.
    BmpSpec rle = spec;
    rle.compression = 1;
    OpenedBmp compressed(makeBmp(rle));
    EXPECT_EQ(compressed.frame->newRowIterator(), nullptr);

    // A file that cannot be opened has no frames.
    std::unique_ptr<ReadImageFileInterface> missing(
        codec.openForRead(FileSpecifier(AsciiStringBuffer("/nonexistent.bmp"), FileSpecifier::kFile)));
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->frameCount(), 0);
    EXPECT_EQ(missing->openFrame(0), nullptr);

    // Every length and many mutations: rows or none, never a crash, and
    // row reads fail only through the codec's exception.
    auto attempt = [&](const Bytes& input) {
        const int code = codeOfFailure([&] { readBmpRgb(input); });
        EXPECT_TRUE(code == -2 || code == kCodecCorruptImage) << code;
    };
    for (std::size_t length = 0; length <= bytes.size(); ++length)
        attempt(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)));
    std::uint32_t state = 99;
    for (int round = 0; round < 400; ++round)
    {
        Bytes mutated = bytes;
        for (int k = 0; k < 3; ++k)
        {
            state = state * 1664525u + 1013904223u;
            mutated[(state >> 8) % 60] = static_cast<std::uint8_t>(state >> 24);  // the headers
        }
        attempt(mutated);
    }
}

TEST(BmpWriter, EveryKindReadsBack)
{
    // Colour at 24 and 32 bits.
    const TestImage colour = withAlpha(noiseImage(23, 7, 3, 2));
    for (const int bits : {24, 32})
    {
        const Bytes bytes = writeBmp(colour, 1, bits);
        EXPECT_EQ(readBmpRgb(bytes), withoutAlpha(colour)) << bits;
        EXPECT_EQ(bytes[28], bits);
        EXPECT_EQ(bytes.size(), 54u + 7u * (((23u * bits + 31) / 32) * 4));
    }
    // Palette indices at 4 and 8 bits, with their palette.
    std::vector<std::uint8_t> palette;
    for (const auto& entry : colourPalette(16))
        palette.insert(palette.end(), entry.begin(), entry.end());
    const TestImage indices = noiseImage(21, 5, 1, 3, 16);
    for (const int bits : {4, 8})
    {
        OpenedBmp opened(writeBmp(indices, 2, bits, palette));
        ASSERT_NE(opened.frame, nullptr);
        EXPECT_EQ(opened.frame->paletteCount(), 16);
        EXPECT_EQ(readAllRows(*opened.frame, 1), indices) << bits;
    }
    // Grey: 8 bits exact; 4 bits keep the top four bits.
    const TestImage grey = noiseImage(19, 4, 1, 4);
    OpenedBmp grey8(writeBmp(grey, 3, 8));
    EXPECT_EQ(grey8.frame->dataModelKind(), 3);
    EXPECT_EQ(readAllRows(*grey8.frame, 1), grey);
    OpenedBmp grey4(writeBmp(grey, 3, 4));
    EXPECT_EQ(grey4.frame->dataModelKind(), 3);
    TestImage top = grey;
    for (auto& level : top.pixels)
        level = static_cast<std::uint8_t>((level >> 4) * 17);
    EXPECT_EQ(readAllRows(*grey4.frame, 1), top);
    // Bitonal: the bits as they are, with palette white, black.
    const TestImage packed = noiseImage(4, 3, 1, 5);  // 29 pixels in 4 bytes a row
    OpenedBmp bitonal(writeBmp(packed, 4, 1, {}, {}, 29));
    EXPECT_EQ(bitonal.frame->dataModelKind(), 4);
    std::unique_ptr<RowIteratorInterface> rows(bitonal.frame->newRowIterator());
    ASSERT_EQ(rows->bytesPerRow(), 4);
    DataBuffer row(4);
    rows->start();
    for (int r = 0; r < 3; ++r)
    {
        rows->getRow(row);
        rows->next();
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(row.data()[i], packed.row(r)[i] & (i == 3 ? 0xF8 : 0xFF)) << r << " " << i;
    }
}

TEST(BmpWriter, TwoBitRowsAreStoredAtFourBitsFirstPixelOnTop)
{
    TestImage grey{6, 1, 1, {0, 85, 170, 255, 255, 0}};
    const Bytes bytes = writeBmp(grey, 3, 2);
    // Four grey entries, then the row at 4 bits a pixel: 0 1 | 2 3 | 3 0.
    ASSERT_EQ(bytes.size(), 54u + 16u + 4u);
    EXPECT_EQ(bytes[28], 4);
    EXPECT_EQ(bytes[46], 4);
    EXPECT_EQ(bytes[54 + 4], 85);
    EXPECT_EQ(bytes[70], 0x01);
    EXPECT_EQ(bytes[71], 0x23);
    EXPECT_EQ(bytes[72], 0x30);
    EXPECT_EQ(bytes[73], 0x00);
}

TEST(BmpWriter, DensityAndSettersAsTheFrameTakesThem)
{
    const TestImage colour = withAlpha(noiseImage(3, 2, 3));
    BmpDensityProperty dpi72(28.35, 11.81);
    const Bytes bytes = writeBmp(colour, 1, 24, {}, [&](WriteImageFileFrameInterface& frame) {
        EXPECT_TRUE(frame.setProperty(&dpi72));
        std::unique_ptr<FormatCodecPropertyInterface> back(frame.getPropertyOfType(3));
        double x = 0;
        double y = 0;
        dynamic_cast<FormatCodecDensity*>(back.get())->getDensity(&x, &y);
        EXPECT_DOUBLE_EQ(x, 28.35);
        EXPECT_EQ(frame.getProperties()->count(), 3);  // density, world and resource files
    });
    EXPECT_EQ(ByteOrder::littleEndian32(&bytes[38]), 2835u);
    EXPECT_EQ(ByteOrder::littleEndian32(&bytes[42]), 1181u);

    BmpFormatCodec codec;
    ScratchFolder folder;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
    EXPECT_EQ(writer->createFrame(), nullptr);  // not open yet
    ASSERT_TRUE(writer->open(FileSpecifier(AsciiStringBuffer(folder.file("a.bmp")), FileSpecifier::kFile)));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    EXPECT_EQ(codeOfFailure([&] { frame->setBitsPerPixel(16); }), kCodecInvalidBitsPerPixel);
    frame->setDataModelKind(1);
    EXPECT_EQ(codeOfFailure([&] { frame->setBitsPerPixel(8); }), kCodecInvalidBitsPerPixel);
    frame->setDataModelKind(4);
    EXPECT_EQ(codeOfFailure([&] { frame->setBitsPerPixel(2); }), kCodecInvalidBitsPerPixel);
    frame->setDataModelKind(2);
    EXPECT_EQ(codeOfFailure([&] { frame->setBitsPerPixel(24); }), kCodecInvalidBitsPerPixel);
    EXPECT_EQ(codeOfFailure([&] { frame->setBitsPerPixel(4); }), -2);
    // Another codec's density is not this writer's.
    class OtherDensity : public FormatCodecDensity
    {
    public:
        OtherDensity() : FormatCodecDensity(1, 1, 1) {}
        FormatCodecPropertyInterface* clone() const override { return new OtherDensity(*this); }
        std::int32_t codecSpecificValue() const override { return 0; }
    } other;
    EXPECT_FALSE(frame->setProperty(&other));
}

TEST(BmpWriter, ChecksComeBeforeAnythingIsWritten)
{
    BmpFormatCodec codec;
    const TestImage colour = withAlpha(noiseImage(5, 4, 3));
    auto attempt = [&](const std::function<void(WriteImageFileFrameInterface&, ImageRows&)>& spoil,
                       bool nullRows = false) {
        ScratchFolder folder;
        const std::string path = folder.file("x.bmp");
        std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
        EXPECT_TRUE(writer->open(FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile)));
        std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
        frame->setSize(4, 5);
        frame->setBitsPerPixel(24);
        frame->setDataModelKind(1);
        ImageRows rows(colour);
        spoil(*frame, rows);
        const int code = codeOfFailure([&] { writer->writeFrame(frame.get(), nullRows ? nullptr : &rows); });
        EXPECT_EQ(rows.gets, 0);
        EXPECT_EQ(readFileBytes(path).size(), 0u);
        writer.reset();
        EXPECT_FALSE(fileExists(path)) << "a writer without a frame leaves no file";
        return code;
    };
    EXPECT_EQ(attempt([](auto&, auto&) {}, true), kCodecNullParameter);
    EXPECT_EQ(attempt([](auto&, auto& rows) { rows.rowCountOverride = 0; }), kCodecInvalidRowIteratorSize);
    EXPECT_EQ(attempt([](auto& frame, auto&) { frame.setSize(5, 5); }), kCodecRowIteratorMismatch);
    EXPECT_EQ(attempt([](auto& frame, auto&) {
                  frame.setPaletteCount(2);
                  const std::uint8_t rgb[6] = {};
                  frame.setPalette(rgb);
              }),
              kCodecParametersMismatch);
    EXPECT_EQ(attempt([](auto& frame, auto&) { frame.setDataModelKind(2); }), kCodecParametersMismatch);
    EXPECT_EQ(attempt([](auto& frame, auto&) { frame.setDataModelKind(6); }), kCodecParametersMismatch);

    // A frame of another codec's writer, then a second frame.
    ScratchFolder folder;
    const std::string path = folder.file("y.bmp");
    std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
    ASSERT_TRUE(writer->open(FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile)));
    JfifFormatCodec jfif;
    std::unique_ptr<WriteImageFileInterface> jfifWriter(jfif.createWriter());
    std::unique_ptr<WriteImageFileFrameInterface> foreign(jfifWriter->createFrame());
    ImageRows rows(colour);
    EXPECT_EQ(codeOfFailure([&] { writer->writeFrame(foreign.get(), &rows); }), kCodecNullParameter);
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    frame->setSize(4, 5);
    frame->setBitsPerPixel(24);
    frame->setDataModelKind(1);
    // Rows too short for the frame's pixels.
    ImageRows shortRows(colour, 5 * 3);
    EXPECT_EQ(codeOfFailure([&] { writer->writeFrame(frame.get(), &shortRows); }), kCodecRowIteratorMismatch);
    EXPECT_EQ(writer->writeFrame(frame.get(), &rows), 1);
    ImageRows again(colour);
    EXPECT_EQ(codeOfFailure([&] { writer->writeFrame(frame.get(), &again); }), kCodecMultipleFrames);
    EXPECT_EQ(readBmpRgb(readFileBytes(path)), withoutAlpha(colour));
    // The file is made new: an existing one is refused.
    std::unique_ptr<WriteImageFileInterface> second(codec.createWriter());
    EXPECT_FALSE(second->open(FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile)));
    EXPECT_FALSE(second->open(FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kStream)));
}

TEST(BmpWriter, AFailedWriteThrowsAndRemovesTheFile)
{
    // A file-size limit makes the disk refuse the rows half-way.
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ScratchFolder folder;
    const std::string path = folder.file("big.bmp");
    BmpFormatCodec codec;
    const TestImage colour = withAlpha(noiseImage(100, 100, 3));
    std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
    ASSERT_TRUE(writer->open(FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile)));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    frame->setSize(100, 100);
    frame->setBitsPerPixel(24);
    frame->setDataModelKind(1);
    ImageRows rows(colour);
    struct rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const int code = codeOfFailure([&] { writer->writeFrame(frame.get(), &rows); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(code, FileIOException::kOtherFailure);
    EXPECT_FALSE(fileExists(path));
}
