// The Targa codec's reader on generated files (every type, depth, colour
// map, origin, run-length packets across rows, alpha), the writer's files
// read back, the writer's checks, and damaged input.
#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/WriteImageFileInterface.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/targa/TargaFileState.h"
#include "imaging/codecs/tests/TargaTestFiles.h"

#include <gtest/gtest.h>

using namespace Omvi;
using namespace OmviTest;

namespace
{

struct OpenedTga
{
    explicit OpenedTga(const Bytes& bytes) : file(bytes)
    {
        reader.reset(codec.openForRead(file.specifier()));
        if (reader)
            frame.reset(reader->openFrame(0));
    }
    TargaFormatCodec codec;
    MemoryFile file;
    std::unique_ptr<ReadImageFileInterface> reader;
    std::unique_ptr<ReadImageFileFrameInterface> frame;
};

// What the generator's stored pixel reads as: red, green, blue, alpha.
std::array<std::uint8_t, 4> expectedPixel(const TgaSpec& spec, std::uint32_t value)
{
    if (spec.depth == 15 || spec.depth == 16)
        return {kTargaFiveBitLevels[(value >> 10) & 31], kTargaFiveBitLevels[(value >> 5) & 31],
                kTargaFiveBitLevels[value & 31], 255};
    const std::uint8_t alpha = spec.depth == 32 && spec.alphaExtension ? std::uint8_t(value >> 24) : 255;
    return {std::uint8_t(value >> 16), std::uint8_t(value >> 8), std::uint8_t(value), alpha};
}

TestImage expectedRows(const TgaSpec& spec)
{
    const int base = spec.type > 8 ? spec.type - 8 : spec.type;
    TestImage image{spec.width, spec.height, base == 2 ? 4 : 1, {}};
    for (int y = 0; y < spec.height; ++y)
        for (int x = 0; x < spec.width; ++x)
        {
            const std::uint32_t value = spec.value(x, y);
            if (base == 2)
            {
                const auto pixel = expectedPixel(spec, value);
                image.pixels.insert(image.pixels.end(), pixel.begin(), pixel.end());
            }
            else
            {
                image.pixels.push_back(static_cast<std::uint8_t>(value));
            }
        }
    return image;
}

Bytes writeTga(const TestImage& image, int kind, const std::vector<std::uint8_t>& palette = {})
{
    ScratchFolder folder;
    TargaFormatCodec codec;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
    const std::string path = folder.file("out.tga");
    EXPECT_TRUE(writer->open(FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile)));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    frame->setSize(image.height, image.width);
    frame->setThirdValue(kind == 1 ? 32 : 8);
    frame->setBitsPerPixel(kind == 1 ? 24 : 8);
    frame->setDataModelKind(kind);
    if (!palette.empty())
    {
        frame->setPaletteCount(static_cast<int>(palette.size() / 3));
        frame->setPalette(palette.data());
    }
    ImageRows rows(image);
    EXPECT_EQ(writer->writeFrame(frame.get(), &rows), 1);
    return readFileBytes(path);
}

} // namespace

TEST(TargaReader, EveryTypeAndDepthRawAndRunLength)
{
    std::vector<TgaSpec> specs;
    TgaSpec spec;
    spec.width = 7;
    spec.height = 4;
    for (const int type : {2, 10})
        for (const int depth : {15, 16, 24, 32})
        {
            spec.type = type;
            spec.depth = depth;
            // Repeats make runs, some of them across the row ends.
            spec.value = [depth](int x, int y) {
                const std::uint32_t v = std::uint32_t((x / 3) * 0x1F2E3D + y * 0x4C5B6A) ^ 0x80000000u;
                return depth <= 16 ? v & 0x7FFF : v;
            };
            specs.push_back(spec);
        }
    spec.depth = 32;
    spec.alphaExtension = true;  // the fourth byte is alpha
    for (const int type : {2, 10})
    {
        spec.type = type;
        specs.push_back(spec);
    }
    spec.alphaExtension = false;
    spec.depth = 8;
    spec.value = [](int x, int y) { return std::uint32_t((x / 2) * 29 + y * 71) & 0xFF; };
    for (const int type : {3, 11})
    {
        spec.type = type;
        specs.push_back(spec);
    }
    spec.mapLength = 256;
    for (const int entry : {15, 24, 32})
        for (const int type : {1, 9})
        {
            spec.type = type;
            spec.mapEntryBits = entry;
            specs.push_back(spec);
        }
    for (const TgaSpec& each : specs)
    {
        OpenedTga opened(makeTga(each));
        ASSERT_NE(opened.frame, nullptr);
        EXPECT_EQ(readAllRows(*opened.frame, (each.type & 7) == 2 ? 4 : 1), expectedRows(each))
            << "type " << each.type << " depth " << each.depth << " map " << each.mapEntryBits;
    }
}

TEST(TargaReader, FrameAnswersPaletteAndOrientation)
{
    TgaSpec spec;
    spec.type = 1;
    spec.depth = 8;
    spec.mapLength = 20;
    spec.id = "an image id";
    spec.value = [](int x, int y) { return std::uint32_t(x + y * 5); };
    OpenedTga mapped(makeTga(spec));
    ASSERT_NE(mapped.frame, nullptr);
    EXPECT_EQ(mapped.frame->dataModelKind(), 2);
    EXPECT_EQ(mapped.frame->sampleKind(), 1);
    EXPECT_EQ(mapped.frame->bitsPerPixel(), 8);
    EXPECT_EQ(mapped.frame->frameIndex(), 0);
    EXPECT_EQ(mapped.frame->paletteCount(), 20);
    std::uint8_t palette[60] = {};
    mapped.frame->getPalette(20, palette);
    EXPECT_EQ(palette[3 * 3], 0x10 + 3 * 3);  // entry 3 = 0x102030 + 3 x 0x030507
    EXPECT_EQ(palette[3 * 3 + 2], 0x30 + 3 * 7);
    EXPECT_EQ(readAllRows(*mapped.frame, 1), expectedRows(spec));

    // A map longer than the table keeps its first 256 entries.
    spec.mapLength = 300;
    OpenedTga longMap(makeTga(spec));
    EXPECT_EQ(longMap.frame->paletteCount(), 256);
    EXPECT_EQ(readAllRows(*longMap.frame, 1), expectedRows(spec));

    TgaSpec colour;
    colour.depth = 16;
    OpenedTga sixteen(makeTga(colour));
    EXPECT_EQ(sixteen.frame->bitsPerPixel(), 24);
    EXPECT_EQ(sixteen.frame->sampleKind(), 3);
    // Origins: bottom left 2, bottom right 3, top left 0, top right 1.
    for (const auto& [descriptor, code] : std::vector<std::pair<int, int>>{{0x00, 2}, {0x10, 3}, {0x20, 0}, {0x30, 1}})
    {
        colour.descriptor = static_cast<std::uint8_t>(descriptor);
        OpenedTga opened(makeTga(colour));
        EXPECT_EQ(opened.frame->getOrientation(), code);
    }
    EXPECT_EQ(sixteen.frame->getProperty(AsciiStringBuffer("x")), nullptr);
    std::unique_ptr<FormatCodecPropertySetIterator> none(sixteen.frame->getProperties());
    EXPECT_EQ(none->count(), 0);
}

TEST(TargaReader, PacketsRunAcrossRowsAndShortPacketsToo)
{
    TgaSpec spec;
    spec.width = 5;
    spec.height = 6;
    spec.type = 10;
    spec.value = [](int x, int y) { return std::uint32_t(y < 3 ? 0x112233 : (x + y) * 0x010101); };
    for (const int limit : {1, 2, 3, 7, 128})
    {
        spec.packetLimit = limit;
        OpenedTga opened(makeTga(spec));
        const TestImage rows = readAllRows(*opened.frame, 4);
        EXPECT_EQ(rows, expectedRows(spec)) << limit;
        // A second pass from the start gives the same rows.
        EXPECT_EQ(readAllRows(*opened.frame, 4), rows);
    }
}

TEST(TargaReader, DepthsThatDoNotSuitTheTypeAndDamagedFiles)
{
    // Colour-mapped pixels wider than a byte, grey ones wider than grey
    // and alpha, or one-byte true colour: a frame, but no rows, and the
    // probe calls them unsupported.
    TargaFormatCodec codec;
    for (const auto& [type, depth] : std::vector<std::pair<int, int>>{{3, 32}, {2, 8}, {1, 16}, {11, 24}})
    {
        TgaSpec spec;
        spec.type = type;
        spec.depth = depth;
        spec.mapLength = type == 1 ? 16 : 0;
        spec.footer = true;
        const Bytes bytes = makeTga(spec);
        OpenedTga opened(bytes);
        ASSERT_NE(opened.frame, nullptr);
        EXPECT_EQ(opened.frame->newRowIterator(), nullptr) << type << "/" << depth;
        MemoryFile file(bytes);
        EXPECT_EQ(codec.probe(file.specifier(), nullptr), ImageFormatCodec::kUnsupportedVariant) << type << "/" << depth;
    }

    // Cut-off data: no rows from a raw file, the codec's exception from a
    // run-length one once its data runs out.
    TgaSpec raw;
    raw.width = 40;
    raw.height = 20;
    Bytes rawBytes = makeTga(raw);
    rawBytes.resize(rawBytes.size() - 10);
    OpenedTga cutRaw(rawBytes);
    EXPECT_EQ(cutRaw.frame->newRowIterator(), nullptr);
    TgaSpec rle = raw;
    rle.type = 10;
    Bytes rleBytes = makeTga(rle);
    rleBytes.resize(rleBytes.size() / 2);
    OpenedTga cutRle(rleBytes);
    EXPECT_EQ(codeOfFailure([&] { readAllRows(*cutRle.frame, 4); }), kCodecCorruptImage);

    // Every length and many mutations: rows or the codec's exception.
    const Bytes bytes = makeTga(rle);
    auto attempt = [&](const Bytes& input) {
        const int code = codeOfFailure([&] {
            OpenedTga opened(input);
            if (opened.frame)
                readAllRows(*opened.frame, opened.frame->dataModelKind() == 1 ? 4 : 1);
        });
        EXPECT_TRUE(code == -2 || code == kCodecCorruptImage) << code;
    };
    for (std::size_t length = 0; length <= bytes.size(); length += 3)
        attempt(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)));
    std::uint32_t state = 5;
    for (int round = 0; round < 400; ++round)
    {
        Bytes mutated = bytes;
        for (int k = 0; k < 3; ++k)
        {
            state = state * 1664525u + 1013904223u;
            mutated[(state >> 8) % mutated.size()] = static_cast<std::uint8_t>(state >> 24);
        }
        attempt(mutated);
    }
}

TEST(TargaWriter, EveryKindReadsBackBottomUpWithTheFooter)
{
    const TestImage colour = withAlpha(noiseImage(17, 6, 3, 8));
    const Bytes rgb = writeTga(colour, 1);
    ASSERT_EQ(rgb.size(), 18u + 17 * 6 * 3 + 26);
    EXPECT_EQ(rgb[2], 2);
    EXPECT_EQ(rgb[16], 24);
    EXPECT_EQ(rgb[17], 0);
    EXPECT_EQ(std::string(rgb.end() - 18, rgb.end() - 2), "TRUEVISION-XFILE");
    OpenedTga colourBack(rgb);
    EXPECT_EQ(colourBack.frame->getOrientation(), 2);
    EXPECT_EQ(topDown(readAllRows(*colourBack.frame, 4), 2), colour);

    const TestImage grey = noiseImage(9, 5, 1, 9);
    OpenedTga greyBack(writeTga(grey, 3));
    EXPECT_EQ(greyBack.frame->dataModelKind(), 3);
    EXPECT_EQ(topDown(readAllRows(*greyBack.frame, 1), 2), grey);

    std::vector<std::uint8_t> palette;
    for (int i = 0; i < 10; ++i)
        palette.insert(palette.end(), {std::uint8_t(i * 20), std::uint8_t(200 - i), std::uint8_t(i * 3)});
    const TestImage indices = noiseImage(9, 5, 1, 10, 10);
    const Bytes mapped = writeTga(indices, 2, palette);
    EXPECT_EQ(mapped.size(), 18u + 256 * 3 + 9 * 5 + 26);
    OpenedTga mappedBack(mapped);
    EXPECT_EQ(mappedBack.frame->dataModelKind(), 2);
    EXPECT_EQ(mappedBack.frame->paletteCount(), 256);
    std::uint8_t back[30] = {};
    mappedBack.frame->getPalette(10, back);
    EXPECT_TRUE(std::equal(palette.begin(), palette.end(), back));
    EXPECT_EQ(topDown(readAllRows(*mappedBack.frame, 1), 2), indices);
}

TEST(TargaWriter, SettersAndChecks)
{
    TargaFormatCodec codec;
    ScratchFolder folder;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
    EXPECT_EQ(writer->createFrame(), nullptr);
    const std::string path = folder.file("t.tga");
    ASSERT_TRUE(writer->open(FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile)));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    EXPECT_EQ(codeOfFailure([&] { frame->setDataModelKind(4); }), kCodecInvalidColorModel);
    EXPECT_EQ(codeOfFailure([&] { frame->setThirdValue(16); }), kCodecInvalidBitsPerPixel);
    EXPECT_EQ(codeOfFailure([&] { frame->setBitsPerPixel(16); }), kCodecInvalidBitsPerPixel);
    frame->setDataModelKind(1);
    EXPECT_EQ(codeOfFailure([&] { frame->setThirdValue(8); }), kCodecInvalidBitsPerPixel);
    EXPECT_EQ(codeOfFailure([&] { frame->setBitsPerPixel(8); }), kCodecInvalidBitsPerPixel);
    EXPECT_EQ(frame->getPropertyOfType(7), nullptr);
    EXPECT_EQ(frame->getProperties()->count(), 2);  // world and resource files

    const TestImage colour = withAlpha(noiseImage(6, 4, 3));
    ImageRows rows(colour);
    EXPECT_EQ(codeOfFailure([&] { writer->writeFrame(frame.get(), nullptr); }), kCodecNullParameter);
    // No size yet.
    EXPECT_EQ(codeOfFailure([&] { writer->writeFrame(frame.get(), &rows); }), kCodecParametersMismatch);
    frame->setSize(70000, 6);  // a side out of range is not kept
    EXPECT_EQ(codeOfFailure([&] { writer->writeFrame(frame.get(), &rows); }), kCodecParametersMismatch);
    frame->setSize(5, 6);
    EXPECT_EQ(codeOfFailure([&] { writer->writeFrame(frame.get(), &rows); }), kCodecRowIteratorMismatch);
    frame->setSize(4, 6);
    ImageRows empty(colour);
    empty.rowCountOverride = 0;
    EXPECT_EQ(codeOfFailure([&] { writer->writeFrame(frame.get(), &empty); }), kCodecInvalidRowIteratorSize);
    ImageRows shortRows(colour, 6 * 3);
    EXPECT_EQ(codeOfFailure([&] { writer->writeFrame(frame.get(), &shortRows); }), kCodecRowIteratorMismatch);
    EXPECT_EQ(rows.gets + shortRows.gets, 0);
    EXPECT_EQ(readFileBytes(path).size(), 0u);
    EXPECT_EQ(writer->writeFrame(frame.get(), &rows), 1);
    ImageRows again(colour);
    EXPECT_EQ(codeOfFailure([&] { writer->writeFrame(frame.get(), &again); }), kCodecMultipleFrames);
    writer.reset();
    EXPECT_TRUE(fileExists(path));

    // A writer that wrote nothing leaves no file.
    const std::string unused = folder.file("unused.tga");
    {
        std::unique_ptr<WriteImageFileInterface> idle(codec.createWriter());
        ASSERT_TRUE(idle->open(FileSpecifier(AsciiStringBuffer(unused), FileSpecifier::kFile)));
        EXPECT_TRUE(fileExists(unused));
    }
    EXPECT_FALSE(fileExists(unused));
}
