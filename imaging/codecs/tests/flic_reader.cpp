// The FLIC reader over animations built in the tests: the first frame's
// colour, byte-run, literal, black, line-delta and word-delta chunks,
// chunks it steps over, later frames it never applies, and damaged,
// truncated and absurd files.
#include "imaging/codecs/flic/FlicImage.h"
#include "imaging/codecs/flic/FlicReadFile.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/tests/FlicTestFiles.h"

#include <gtest/gtest.h>

using namespace Omvi;
using namespace OmviTest;

namespace
{

Pixels paletteOf(ReadImageFileFrameInterface& frame)
{
    Pixels palette(768);
    frame.getPalette(256, palette.data());
    return palette;
}

TestImage indicesOf(const Bytes& bytes)
{
    OpenedFlic opened = openFlic(bytes);
    return opened.frame ? readAllRows(*opened.frame, 1) : TestImage{};
}

bool hasRows(const Bytes& bytes)
{
    OpenedFlic opened = openFlic(bytes);
    return opened.frame &&
           std::unique_ptr<RowIteratorInterface>(opened.frame->newRowIterator()) != nullptr;
}

// A line-delta chunk from raw packet bytes.
Bytes lineDelta(int first, int lines, const Bytes& body)
{
    Bytes data;
    put16le(data, 0, static_cast<std::uint32_t>(first));
    put16le(data, 2, static_cast<std::uint32_t>(lines));
    data.insert(data.end(), body.begin(), body.end());
    return flicChunk(12, data);
}

Bytes words(std::initializer_list<int> values)
{
    Bytes bytes;
    for (int value : values)
        put16le(bytes, bytes.size(), static_cast<std::uint32_t>(value & 0xFFFF));
    return bytes;
}

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace

TEST(FlicReader, AFrameOfAPaletteAndAByteRunYieldsThatImageAndPalette)
{
    const TestImage indices = flicIndices(41, 17, 40);
    const Bytes palette = flicPalette(3);
    for (std::uint16_t magic : {0xAF11, 0xAF12})
    {
        SCOPED_TRACE(magic);
        const Bytes file = flicAnimation(
            41, 17, {flicFrame({flicColours({{0, palette, 0}}), flicByteRun(indices)})}, -1, magic);
        OpenedFlic opened = openFlic(file);
        ASSERT_TRUE(opened.reader);
        EXPECT_EQ(opened.reader->frameCount(), 1);
        EXPECT_EQ(opened.reader->isValid(), 1);
        ASSERT_TRUE(opened.frame);
        int height = 0;
        int width = 0;
        opened.frame->getSize(&height, &width);
        EXPECT_EQ(height, 17);
        EXPECT_EQ(width, 41);
        EXPECT_EQ(opened.frame->dataModelKind(), 2);
        EXPECT_EQ(opened.frame->sampleKind(), 1);
        EXPECT_EQ(opened.frame->bitsPerPixel(), 8);
        EXPECT_EQ(opened.frame->paletteCount(), 256);
        EXPECT_EQ(opened.frame->frameIndex(), 0);
        EXPECT_EQ(opened.frame->getOrientation(), 0);
        EXPECT_FALSE(opened.frame->isTiled());
        EXPECT_EQ(paletteOf(*opened.frame), palette);
        const TestImage decoded = readAllRows(*opened.frame, 1);
        EXPECT_EQ(decoded, indices) << firstDifference(decoded, indices);
        std::unique_ptr<FormatCodecPropertySetIterator> properties(opened.frame->getProperties());
        ASSERT_TRUE(properties);
        EXPECT_EQ(properties->count(), 0);
        EXPECT_EQ(opened.frame->getPropertyOfType(3), nullptr);
    }
}

TEST(FlicReader, ColourChunksSkipEntriesScaleSixtyFourLevelsAndStopAtTheTable)
{
    // 64 levels: (63, 0, 31) becomes (252, 0, 124).
    OpenedFlic opened =
        openFlic(flicAnimation(2, 1, {flicFrame({flicColours({{5, {63, 0, 31}}}, 11)})}));
    ASSERT_TRUE(opened.frame);
    Pixels palette = paletteOf(*opened.frame);
    EXPECT_EQ(Pixels(palette.begin() + 15, palette.begin() + 18), (Pixels{252, 0, 124}));
    EXPECT_EQ(palette[14], 0);

    // Skips accumulate; a count byte of 0 means 256 entries; entries that
    // would pass entry 255 are read and dropped, and later chunks go on.
    Bytes ramp;
    for (int i = 0; i < 256; ++i)
        ramp.insert(ramp.end(), {static_cast<std::uint8_t>(i), 1, 2});
    const Bytes overflow(3 * 20, 0xEE);
    const Bytes file = flicAnimation(
        2, 1,
        {flicFrame({flicColours({{0, ramp, 0}}), flicColours({{10, {9, 9, 9}}, {2, {8, 8, 8}}}),
                    flicColours({{250, overflow}, {7, {1, 1, 1}}}), flicChunk(13, {})})});
    opened = openFlic(file);
    ASSERT_TRUE(opened.frame);
    palette = paletteOf(*opened.frame);
    EXPECT_EQ(Pixels(palette.begin() + 30, palette.begin() + 33), (Pixels{9, 9, 9}));
    EXPECT_EQ(Pixels(palette.begin() + 39, palette.begin() + 42), (Pixels{8, 8, 8}));
    EXPECT_EQ(Pixels(palette.begin() + 36, palette.begin() + 39), (Pixels{12, 1, 2}));
    EXPECT_EQ(Pixels(palette.begin() + 3 * 249, palette.begin() + 3 * 250), (Pixels{249, 1, 2}));
    EXPECT_EQ(Pixels(palette.begin() + 3 * 250, palette.end()), Pixels(18, 0xEE));
    EXPECT_TRUE(std::unique_ptr<RowIteratorInterface>(opened.frame->newRowIterator()));
}

TEST(FlicReader, LiteralBlackLineDeltaAndWordDeltaChunksApplyInOrder)
{
    const int width = 9;
    const int height = 6;
    TestImage expected = noiseImage(width, height, 1, 4);
    const Bytes literal = flicChunk(16, expected.pixels);
    // Line delta from line 2: two lines; line 2 copies 3 bytes at column 1
    // and fills 4 with 7 at column 6 (1 + 3 + 2); line 3 has no packets.
    const Bytes lines =
        lineDelta(2, 2, {2, 1, 3, 10, 11, 12, 2, static_cast<std::uint8_t>(-3), 7, 0});
    expected.row(2)[1] = 10;
    expected.row(2)[2] = 11;
    expected.row(2)[3] = 12;
    for (int x = 6; x < 9; ++x)
        expected.row(2)[x] = 7;
    // Word delta: line 0 copies the pair (1, 2) at column 2; the word
    // 0xFFFE skips two lines, then line 3 ends in 99 and fills pairs
    // (5, 6) twice from column 0; one more line (4) with no packets.
    const Bytes wordsBody = concat({words({3, 1}),
                                    {2, 1, 1, 2},
                                    words({-2, 0x8000 | 99, 1}),
                                    {0, static_cast<std::uint8_t>(-2), 5, 6},
                                    words({0})});
    expected.row(0)[2] = 1;
    expected.row(0)[3] = 2;
    expected.row(3)[8] = 99;
    for (int x = 0; x < 4; ++x)
        expected.row(3)[x] = x % 2 == 0 ? 5 : 6;
    const Bytes file =
        flicAnimation(width, height, {flicFrame({literal, lines, flicChunk(7, wordsBody)})});
    EXPECT_EQ(indicesOf(file), expected) << firstDifference(indicesOf(file), expected);

    // A black chunk clears what came before it.
    const TestImage cleared =
        indicesOf(flicAnimation(width, height, {flicFrame({literal, flicChunk(13, {})})}));
    EXPECT_EQ(cleared.pixels, Pixels(static_cast<std::size_t>(width * height), 0));
}

TEST(FlicReader, OnlyTheFirstFrameIsTheImage)
{
    const TestImage first = flicIndices(12, 5, 9);
    const TestImage second = flicIndices(12, 5, 77);
    const Bytes file = flicAnimation(
        12, 5,
        {flicChunk(0xF100, Bytes(10, 0)), // a prefix chunk, stepped over
         flicFrame({flicColours({{0, flicPalette(1), 0}}), flicChunk(18, Bytes(20, 3)),
                    flicChunk(0x1234, Bytes(4, 1)), flicByteRun(first)}),
         flicFrame({flicColours({{0, flicPalette(2), 0}}), flicByteRun(second)})});
    OpenedFlic opened = openFlic(file);
    ASSERT_TRUE(opened.reader);
    EXPECT_EQ(opened.reader->frameCount(), 2);
    EXPECT_EQ(std::unique_ptr<ReadImageFileFrameInterface>(opened.reader->openFrame(1)), nullptr);
    EXPECT_EQ(std::unique_ptr<ReadImageFileFrameInterface>(opened.reader->openFrame(-1)), nullptr);
    ASSERT_TRUE(opened.frame);
    EXPECT_EQ(readAllRows(*opened.frame, 1), first);
    EXPECT_EQ(paletteOf(*opened.frame), flicPalette(1));

    // A header that counts no frames gives a black image of its size; one
    // that counts a frame the file lacks gives none.
    const Bytes none = flicAnimation(12, 5, {flicFrame({flicByteRun(first)})}, 0);
    opened = openFlic(none);
    EXPECT_EQ(opened.reader->frameCount(), 0);
    EXPECT_EQ(readAllRows(*opened.frame, 1).pixels, Pixels(60, 0));
    EXPECT_FALSE(hasRows(flicAnimation(12, 5, {}, 1)));

    FlicFormatCodec codec;
    std::unique_ptr<ReadImageFileInterface> missing(codec.openForRead(
        FileSpecifier(AsciiStringBuffer("/nonexistent/a.flc"), FileSpecifier::kFile)));
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->frameCount(), 0);
    EXPECT_EQ(missing->openFrame(0), nullptr);
}

TEST(FlicReader, RowIteratorsHandOutRowsAndStartAgain)
{
    const TestImage indices = flicIndices(10, 4, 5);
    OpenedFlic opened = openFlic(flicAnimation(10, 4, {flicFrame({flicByteRun(indices)})}));
    ASSERT_TRUE(opened.frame);
    std::unique_ptr<RowIteratorInterface> rows(opened.frame->newRowIterator());
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->bytesPerRow(), 10);
    EXPECT_EQ(rows->rowCount(), 4);
    EXPECT_EQ(rows->width(), 10);
    DataBuffer shortRow(9);
    EXPECT_EQ(codeOfFailure([&] { rows->getRow(shortRow); }),
              ImageFilterException::kRowBufferTooSmall);
    DataBuffer row(10);
    for (int r = 0; r < 4; ++r)
        rows->next();
    rows->getRow(row);
    EXPECT_EQ(Pixels(row.data(), row.data() + 10), Pixels(10, 0));
    rows->start();
    rows->next();
    rows->getRow(row);
    EXPECT_EQ(Pixels(row.data(), row.data() + 10), Pixels(indices.row(1), indices.row(1) + 10));
}

TEST(FlicReader, DamagedFilesGiveNoRows)
{
    const TestImage indices = flicIndices(20, 6, 8);
    const Bytes good =
        flicAnimation(20, 6,
                      {flicFrame({flicColours({{0, flicPalette(4), 0}}), flicByteRun(indices)}),
                       flicFrame({flicByteRun(indices)})});
    ASSERT_TRUE(hasRows(good));
    // Every truncation before the second frame: the first frame is then
    // incomplete (cut inside a chunk, or fewer chunks than announced).
    const std::size_t secondFrame = good.size() - flicFrame({flicByteRun(indices)}).size();
    for (std::size_t length = 128; length < secondFrame; ++length)
        EXPECT_FALSE(
            hasRows(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length))))
            << length;
    EXPECT_TRUE(
        hasRows(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(secondFrame))));

    // Runs past a line, line deltas below the image, word-delta words of
    // the undefined kind, literal chunks shorter than the image, chunk
    // sizes below their header.
    Bytes longRun = flicByteRun(indices);
    longRun[7] = 100; // the first packet of line 0
    EXPECT_FALSE(hasRows(flicAnimation(20, 6, {flicFrame({longRun})})));
    EXPECT_FALSE(hasRows(flicAnimation(20, 6, {flicFrame({lineDelta(6, 1, {1, 0, 1, 5})})})));
    EXPECT_FALSE(
        hasRows(flicAnimation(20, 6, {flicFrame({lineDelta(0, 1, {1, 18, 3, 5, 5, 5})})})));
    EXPECT_FALSE(hasRows(flicAnimation(20, 6, {flicFrame({flicChunk(7, words({1, 0x4000, 0}))})})));
    EXPECT_FALSE(hasRows(flicAnimation(20, 6, {flicFrame({flicChunk(7, words({1, -7, 0}))})})));
    EXPECT_FALSE(hasRows(flicAnimation(20, 6, {flicFrame({flicChunk(16, Bytes(119, 1))})})));
    Bytes tinyChunk = flicAnimation(20, 6, {flicFrame({flicChunk(13, {})})});
    tinyChunk[128 + 16] = 3;
    EXPECT_FALSE(hasRows(tinyChunk));
    // A frame that announces more chunks than it has before the next frame.
    EXPECT_FALSE(
        hasRows(flicAnimation(20, 6, {flicFrame({flicByteRun(indices)}, 2), flicFrame({})})));
}

TEST(FlicReader, AbsurdSizesAreRefusedBeforeAnythingLarge)
{
    // 65535 x 65535 pixels, and an empty image: no rows, no buffer.
    OpenedFlic opened = openFlic(flicAnimation(65535, 65535, {flicFrame({flicChunk(13, {})})}));
    ASSERT_TRUE(opened.frame);
    int height = 0;
    int width = 0;
    opened.frame->getSize(&height, &width);
    EXPECT_EQ(height, 65535);
    EXPECT_FALSE(std::unique_ptr<RowIteratorInterface>(opened.frame->newRowIterator()));
    EXPECT_FALSE(hasRows(flicAnimation(0, 10, {flicFrame({})})));
    // Up to the size a texture may have (2^26 pixels) an image is decoded.
    EXPECT_TRUE(hasRows(flicAnimation(5793, 5793, {flicFrame({flicChunk(13, {})})})));
    // A chunk that claims four gigabytes.
    Bytes claim = flicAnimation(8, 8, {flicFrame({flicChunk(16, Bytes(64, 1))})});
    put32le(claim, 128 + 16, 0xFFFFFFF0u);
    EXPECT_FALSE(hasRows(claim));
}

TEST(FlicReader, MutatedAndTruncatedFilesNeverCrash)
{
    const TestImage indices = flicIndices(23, 9, 8);
    const Bytes wordsBody = concat({words({3, 1}),
                                    {2, 1, 1, 2},
                                    words({-2, 0x8000 | 99, 1}),
                                    {0, static_cast<std::uint8_t>(-2), 5, 6},
                                    words({0})});
    const std::vector<Bytes> seeds = {
        flicAnimation(23, 9,
                      {flicFrame({flicColours({{0, flicPalette(4), 0}}), flicByteRun(indices)})}),
        flicAnimation(
            23, 9,
            {flicFrame({flicColours({{3, {1, 2, 3, 4, 5, 6}}}, 11), flicChunk(16, indices.pixels),
                        lineDelta(2, 2, {2, 1, 3, 10, 11, 12, 2, 0xFD, 7, 0}),
                        flicChunk(7, wordsBody)})}),
    };
    std::uint32_t state = 99;
    for (const Bytes& seed : seeds)
    {
        for (std::size_t length = 0; length < seed.size(); length += 2)
        {
            OpenedFlic opened =
                openFlic(Bytes(seed.begin(), seed.begin() + static_cast<std::ptrdiff_t>(length)));
            if (opened.frame)
                readAllRows(*opened.frame, 1);
        }
        for (int round = 0; round < 400; ++round)
        {
            Bytes mutated = seed;
            for (int k = 0; k < 3; ++k)
            {
                state = state * 1664525u + 1013904223u;
                mutated[(state >> 8) % mutated.size()] = static_cast<std::uint8_t>(state >> 24);
            }
            OpenedFlic opened = openFlic(mutated);
            if (opened.frame)
                readAllRows(*opened.frame, 1);
        }
    }
}
