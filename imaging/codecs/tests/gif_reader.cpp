// The GIF reader: its LZW decoder against files of every shape the format
// allows (interlaced heights, one-byte sub-blocks, the full code space
// without a clear code, extensions, local tables), and damaged files whose
// rows end in "Corrupt image file" where the data does, or give no frame,
// instead of reaching past the tables.
// Where giftopnm is installed it checks the generator.
#include "GifTestSupport.h"
#include "MemoryFile.h"

#include "imaging/codecs/gif/GifDecoder.h"
#include "imaging/codecs/gif/GifFormatCodec.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"

#include <gtest/gtest.h>

#include <random>

using namespace Omvi;
using namespace OmviRaster;

namespace
{

Bytes randomPixels(int count, int colours, unsigned seed, int runs = 1)
{
    std::mt19937 random(seed);
    Bytes pixels;
    while (static_cast<int>(pixels.size()) < count)
    {
        const std::uint8_t value = static_cast<std::uint8_t>(random() % static_cast<unsigned>(colours));
        const int length = 1 + static_cast<int>(random() % static_cast<unsigned>(runs));
        for (int i = 0; i < length && static_cast<int>(pixels.size()) < count; ++i)
            pixels.push_back(value);
    }
    return pixels;
}

GifSpec image(int width, int height, int colours, unsigned seed)
{
    GifSpec spec;
    spec.width = width;
    spec.height = height;
    spec.globalTable = colourTable(colours);
    spec.minimumCodeSize = std::max(2, detail::tableBits(spec.globalTable.size()));
    spec.pixels = randomPixels(width * height, colours, seed, 4);
    return spec;
}

Decoded decode(const Bytes& file, bool* ok = nullptr)
{
    GifFormatCodec codec;
    const OmviTest::MemoryFile memory(file);
    return readFile(codec, memory.path(), ok);
}

// What giftopnm makes of the file as palette indices of `spec`'s table; an
// empty result when giftopnm is missing or refuses the file.
Bytes giftopnmIndices(const Bytes& file, const Bytes& table)
{
    if (!OmviTest::haveTool("giftopnm"))
        return {};
    OmviTest::ScratchFolder folder;
    writeFileBytes(folder.file("a.gif"), file);
    int status = -1;
    Netpbm image;
    if (!parseNetpbm(captureOutput("giftopnm '" + folder.file("a.gif") + "' 2>/dev/null", &status), image) || status != 0)
        return {};
    const Bytes rgb = netpbmRgb(image);
    Bytes indices;
    for (std::size_t at = 0; at < rgb.size(); at += 3)
    {
        int found = -1;
        for (std::size_t i = 0; i + 2 < table.size() && found < 0; i += 3)
            if (table[i] == rgb[at] && table[i + 1] == rgb[at + 1] && table[i + 2] == rgb[at + 2])
                found = static_cast<int>(i / 3);
        indices.push_back(static_cast<std::uint8_t>(found));
    }
    return indices;
}

// The rows of frame 0 read until the reader ends them: the pixels of the
// rows delivered and the codec exception's code (-1 for none).
struct RowsRead
{
    Bytes pixels;
    int rows = 0;
    int code = -1;
};

RowsRead readUntilError(const Bytes& file)
{
    RowsRead read;
    GifFormatCodec codec;
    const OmviTest::MemoryFile memory(file);
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(memory.specifier()));
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader ? reader->openFrame(0) : nullptr);
    std::unique_ptr<RowIteratorInterface> rows(frame ? frame->newRowIterator() : nullptr);
    if (!rows)
        return read;
    read.code = codecErrorOf([&] {
        DataBuffer row(rows->bytesPerRow());
        rows->start();
        for (; read.rows < rows->rowCount(); ++read.rows)
        {
            rows->getRow(row);
            read.pixels.insert(read.pixels.end(), row.data(), row.data() + rows->width());
            rows->next();
        }
    });
    return read;
}

void expectDecodes(const GifSpec& spec, bool checkWithGiftopnm = true)
{
    const Bytes file = gifFile(spec);
    bool ok = false;
    const Decoded ours = decode(file, &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(ours.width, spec.width);
    ASSERT_EQ(ours.height, spec.height);
    EXPECT_EQ(ours.pixels, spec.pixels);
    if (checkWithGiftopnm && OmviTest::haveTool("giftopnm"))
    {
        EXPECT_EQ(giftopnmIndices(file, spec.localTable.empty() ? spec.globalTable : spec.localTable), spec.pixels)
            << "the generator wrote a file giftopnm reads otherwise";
    }
}

} // namespace

TEST(GifReader, InterlacedRowOrder)
{
    using Order = std::vector<std::int32_t>;
    EXPECT_EQ(gifInterlacedRowOrder(1), (Order{0}));
    EXPECT_EQ(gifInterlacedRowOrder(2), (Order{0, 1}));
    EXPECT_EQ(gifInterlacedRowOrder(3), (Order{0, 2, 1}));
    EXPECT_EQ(gifInterlacedRowOrder(5), (Order{0, 4, 2, 1, 3}));
    EXPECT_EQ(gifInterlacedRowOrder(9), (Order{0, 8, 4, 2, 6, 1, 3, 5, 7}));
    EXPECT_TRUE(gifInterlacedRowOrder(0).empty());
}

TEST(GifReader, InterlacedImagesPutEveryRowInItsPlace)
{
    for (int height : {1, 2, 3, 5, 9, 17})
    {
        SCOPED_TRACE(height);
        GifSpec spec = image(7, height, 16, static_cast<unsigned>(height));
        spec.interlaced = true;
        expectDecodes(spec);
    }
}

TEST(GifReader, CodeStreamsOfEveryShape)
{
    // One-byte sub-blocks with codes of up to 12 bits: a code spans three
    // sub-blocks.
    GifSpec tiny = image(97, 89, 256, 1);
    tiny.subBlockSize = 1;
    expectDecodes(tiny);

    // The full 12-bit code space without a clear code: the table stops at
    // 4095 and the code size stays 12.
    GifSpec full = image(211, 173, 256, 2);
    full.clearWhenFull = false;
    full.subBlockSize = 1;
    int codes = 0;
    gifFile(full, &codes);
    ASSERT_GT(codes, 2 * 4096);
    expectDecodes(full);

    // With clear codes when the table fills, and without a clear at the
    // start.
    GifSpec cleared = image(211, 173, 256, 3);
    cleared.clearFirst = false;
    expectDecodes(cleared);

    // Small code sizes, long runs (long strings through the table).
    for (int colours : {2, 4, 8, 32})
    {
        SCOPED_TRACE(colours);
        GifSpec small = image(300, 40, colours, 4);
        small.pixels = randomPixels(300 * 40, colours, 5, 200);
        expectDecodes(small);
    }
}

TEST(GifReader, ExtensionsTablesAndLaterImages)
{
    GifSpec plain = image(19, 11, 16, 6);
    GifSpec decorated = plain;
    decorated.extensions = true;
    decorated.secondImage = true;
    EXPECT_EQ(decode(gifFile(decorated)).pixels, decode(gifFile(plain)).pixels);
    expectDecodes(decorated);

    // A local table of 16 entries replaces the global one.
    GifSpec local = plain;
    local.globalTable = colourTable(256);
    local.localTable = colourTable(16);
    std::reverse(local.localTable.begin(), local.localTable.end());
    const Decoded withLocal = decode(gifFile(local));
    EXPECT_EQ(withLocal.palette, local.localTable);
    EXPECT_EQ(withLocal.kind, kColorSpacePalette);
    EXPECT_EQ(withLocal.bitsPerPixel, 8);
    expectDecodes(local);

    // No table at all: white entries, as many as the screen's size bits say.
    GifSpec bare = plain;
    bare.globalTable.clear();
    const Decoded white = decode(gifFile(bare));
    ASSERT_EQ(white.palette.size(), 6u);
    EXPECT_EQ(white.palette, Bytes(6, 255));
    EXPECT_EQ(white.pixels, plain.pixels);
}

TEST(GifReader, FrameAnswers)
{
    GifFormatCodec codec;
    GifSpec spec = image(5, 3, 4, 7);
    spec.signature = "GIF87a";
    const OmviTest::MemoryFile file(gifFile(spec));
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(file.specifier()));
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->frameCount(), 1);
    EXPECT_EQ(reader->openFrame(1), nullptr);
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->frameIndex(), 1);
    EXPECT_EQ(frame->sampleKind(), kDataTypeEightBit);
    EXPECT_EQ(frame->paletteCount(), 4);
    EXPECT_TRUE(frame->isRowAccessSupported(0));
    EXPECT_FALSE(frame->isRowAccessSupported(1));
    EXPECT_EQ(frame->getPropertyOfType(3), nullptr);
    std::unique_ptr<FormatCodecPropertySetIterator> properties(frame->getProperties());
    ASSERT_TRUE(properties);
    // Two passes over the rows read the same rows.
    const Decoded first = readFrame(*frame);
    EXPECT_EQ(readFrame(*frame).pixels, first.pixels);
    EXPECT_EQ(first.pixels, spec.pixels);
    // A short row buffer is refused.
    std::unique_ptr<RowIteratorInterface> rows(frame->newRowIterator());
    rows->start();
    DataBuffer shortRow(4);
    EXPECT_EQ(codecErrorOf([&] { rows->getRow(shortRow); }), 6);
}

TEST(GifReader, FilesWithoutAnImageGiveNoFrame)
{
    GifFormatCodec codec;
    const GifSpec spec = image(4, 4, 4, 8);
    const Bytes whole = gifFile(spec);
    std::vector<Bytes> broken;
    broken.push_back({'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B});  // trailer first
    broken.push_back(Bytes(whole.begin(), whole.begin() + 30));                   // ends in the descriptor
    for (int codeSize : {0, 1, 12, 200})
    {
        GifSpec odd = spec;
        odd.minimumCodeSize = 2;
        Bytes file = gifFile(odd);
        file[6 + 7 + 12 + 10] = static_cast<std::uint8_t>(codeSize);
        broken.push_back(file);
    }
    Bytes empty = whole;
    empty[6 + 7 + 12 + 5] = 0;  // width 0
    empty[6 + 7 + 12 + 6] = 0;
    broken.push_back(empty);
    for (const Bytes& file : broken)
    {
        const OmviTest::MemoryFile memory(file);
        std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(memory.specifier()));
        ASSERT_TRUE(reader);
        EXPECT_EQ(reader->openFrame(0), nullptr);
    }
    const FileSpecifier missing(AsciiStringBuffer("/nonexistent/a.gif"), FileSpecifier::kFile);
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(missing));
    if (reader)
    {
        EXPECT_EQ(reader->openFrame(0), nullptr);
    }
}

TEST(GifReader, DataCutShortEndsInTheCodecError)
{
    for (bool interlaced : {false, true})
    {
        SCOPED_TRACE(interlaced);
        GifSpec spec = image(31, 23, 64, 9);
        spec.interlaced = interlaced;
        const Bytes whole = gifFile(spec);
        const std::size_t dataStart = 6 + 7 + spec.globalTable.size() + 10 + 1;
        int ended = 0;
        for (std::size_t length = dataStart; length < whole.size(); length += 5)
        {
            // The rows that came are right; the first the data does not
            // reach whole is "Corrupt image file", not white.
            const RowsRead cut = readUntilError(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
            ASSERT_TRUE(cut.code == 8 || cut.rows == 23) << length;
            ASSERT_TRUE(std::equal(cut.pixels.begin(), cut.pixels.end(), spec.pixels.begin())) << length;
            if (cut.code == 8)
                ++ended;
        }
        EXPECT_GT(ended, 0);
    }
}

TEST(GifReader, CorruptCodesStayInsideTheTables)
{
    // Minimum code size 2: a clear code (4), a literal 1, then 7, past the
    // next free slot (6): the data ends there.
    GifSpec spec = image(8, 2, 4, 10);
    Bytes file = gifFile(spec);
    const std::size_t data = 6 + 7 + spec.globalTable.size() + 10;
    ASSERT_EQ(file[data], 2);
    file.resize(data + 1);
    file.insert(file.end(), {2, 0xCC, 0x01, 0, 0x3B});
    const RowsRead ended = readUntilError(file);
    EXPECT_EQ(ended.code, 8);
    EXPECT_EQ(ended.rows, 0);

    // A pixel past a table of two colours ends the data.
    GifSpec two = image(4, 1, 2, 13);
    two.pixels = {0, 1, 3, 1};
    EXPECT_EQ(readUntilError(gifFile(two)).code, 8);

    // Mutated files: whatever the bytes, rows come and stay in bounds.
    std::mt19937 random(11);
    const GifSpec big = image(64, 48, 256, 12);
    const Bytes original = gifFile(big);
    for (int round = 0; round < 300; ++round)
    {
        Bytes mutated = original;
        for (int flips = 0; flips < 4; ++flips)
            mutated[13 + random() % (mutated.size() - 13)] = static_cast<std::uint8_t>(random());
        bool ok = false;
        const Decoded result = decode(mutated, &ok);
        if (ok)
        {
            EXPECT_EQ(result.pixels.size(), std::size_t(result.width) * result.height);
        }
    }
}

TEST(GifReader, HugeInterlacedImagesAreRefusedOrCostOnlyWhatTheirDataFills)
{
    GifFormatCodec codec;
    for (int side : {65535, 30000})
    {
        GifSpec spec = image(2, 2, 4, 13);
        spec.interlaced = true;
        Bytes file = gifFile(spec);
        const std::size_t descriptor = 6 + 7 + spec.globalTable.size();
        for (std::size_t at : {std::size_t(6), descriptor + 5})
        {
            file[at] = static_cast<std::uint8_t>(side);
            file[at + 1] = static_cast<std::uint8_t>(side >> 8);
            file[at + 2] = static_cast<std::uint8_t>(side);
            file[at + 3] = static_cast<std::uint8_t>(side >> 8);
        }
        const OmviTest::MemoryFile memory(file);
        std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(memory.specifier()));
        std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
        ASSERT_TRUE(frame);
        std::unique_ptr<RowIteratorInterface> rows(frame->newRowIterator());
        if (side == 65535)
        {
            EXPECT_EQ(rows, nullptr);  // 4 GB
            continue;
        }
        ASSERT_TRUE(rows);
        // The data fills part of the first row: no row comes whole.
        EXPECT_EQ(codecErrorOf([&] { rows->start(); }), 8);
        rows->finish();
    }
}
