// Every stitcher, splitter and copier that the factories hand out (data type x
// direction x transparency x key) against a naive per-pixel reference on
// random rows, plus the worked values of the kernels' behaviour.
#include "KernelReference.h"

#include "imaging/kernels/KernelFactories.h"
#include "imaging/kernels/PixelCopiers.h"
#include "imaging/kernels/PixelSplitters.h"
#include "imaging/kernels/PixelStitchers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace Omvi;
using namespace KernelReference;

namespace
{
struct Variant
{
    int dataType;
    bool transparent;
    ImagePixel key;

    std::string name() const
    {
        return "type " + std::to_string(dataType) + (transparent ? " key kind " + std::to_string(key.kind) : " opaque");
    }
};

// Every data type opaque, and transparent with each kind of key it meets.
std::vector<Variant> variants()
{
    return {
        {0, false, ImagePixel()},
        {0, true, ImagePixel()},
        {1, false, ImagePixel()},
        {1, true, ImagePixel(kPixelEightBit, 0x5A)},
        {1, true, ImagePixel(kPixelGray, 0)},
        {1, true, ImagePixel(kPixelPalette, 0x7)},
        {1, true, ImagePixel(kPixelOneBit, 1)}, // no value of this size: opaque
        {2, false, ImagePixel()},
        {2, true, ImagePixel(kPixelSixteenBit, 0xBEEF)},
        {2, true, ImagePixel(kPixelOneBit, 0)},
        {3, false, ImagePixel()},
        {3, true, ImagePixel(kPixelThirtyTwoBit, 0x01020304)},
        {3, true, ImagePixel(kPixelRgb, 0x00000100)}, // alpha rule
        {3, true, ImagePixel()},                      // alpha rule
        {4, false, ImagePixel()},
        {4, true, ImagePixel(kPixelSixtyFourBit, 0x0123456789ABCDEFull)},
        {4, true, ImagePixel(kPixelOneBit, 0)},
    };
}

// Whether the variant's key marks anything at all (else the factory hands
// out the opaque kernel).
bool keyApplies(const Variant& v)
{
    switch (v.dataType)
    {
    case 1:
        return v.key.kind == 1 || v.key.kind == 6 || v.key.kind == 7;
    case 2:
        return v.key.kind == 2;
    case 4:
        return v.key.kind == 4;
    default:
        return true;
    }
}

bool skips(const Variant& v, const std::uint8_t* row, std::int64_t index)
{
    return v.transparent && isTransparent(row, v.dataType, index, v.key);
}

int randomIn(std::mt19937& random, int low, int high) // inclusive
{
    return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
}

// Rows of tile data: `lines` lines of `width` pixels, `stride` bytes apart.
struct Tile
{
    Tile(std::mt19937& random, const Variant& v, int tileWidth, int tileLines)
        : width(tileWidth), lines(tileLines),
          stride(static_cast<std::int32_t>((bytesFor(v.dataType, tileWidth) + 7) / 8 * 8 + 8))
    {
        data = randomPixels(random, v.dataType, std::int64_t{stride} * 8 / bitsOf(v.dataType) * lines, v.key);
    }
    const std::uint8_t* line(int y) const { return data.data() + std::int64_t{stride} * y; }

    int width;
    int lines;
    std::int32_t stride;
    Bytes data;
};
} // namespace

TEST(KernelFactories, StitchersMatchThePerPixelReference)
{
    std::mt19937 random(33);
    for (const Variant& v : variants())
        for (int direction = 0; direction < 4; ++direction)
            for (int trial = 0; trial < 60; ++trial)
            {
                SCOPED_TRACE(v.name() + " direction " + std::to_string(direction) + " trial " + std::to_string(trial));
                std::unique_ptr<RowStitcher> stitcher(createRowStitcher(v.dataType, direction, v.transparent, v.key));
                ASSERT_NE(stitcher, nullptr);
                const bool column = direction >= 2;
                const bool backwards = direction == 1 || direction == 3;
                const int tileWidth = randomIn(random, 3, 70);
                const int tileLines = randomIn(random, 1, 40);
                const int rowLength = randomIn(random, 1, 160);
                Bytes row = randomPixels(random, v.dataType, rowLength, v.key);
                Bytes strip = randomPixels(random, v.dataType, rowLength, v.key);
                Bytes expected = row;
                Bytes expectedStrip = strip;
                const int start = randomIn(random, 0, rowLength - 1);
                const int count = randomIn(random, 0, rowLength - start);
                const int index = column ? randomIn(random, 1, tileWidth - 2) : randomIn(random, 0, tileLines - 1);

                auto* columnStitcher = dynamic_cast<ColumnStitcher*>(stitcher.get());
                EXPECT_EQ(columnStitcher != nullptr, column && !(v.transparent && keyApplies(v)));
                int side = 0;
                if (columnStitcher != nullptr && random() % 2 == 0)
                {
                    side = random() % 2 == 0 ? 1 : -1;
                    columnStitcher->setStripDestination(strip.data(), side);
                }
                stitcher->setDestination(row.data(), start, count);

                // The run comes from several tiles, each its own piece.
                std::int64_t position = backwards ? std::int64_t{start} + count - 1 : start;
                int left = count;
                while (left > 0)
                {
                    const Tile tile(random, v, tileWidth, tileLines);
                    const int span = column ? tileLines : tileWidth;
                    const int piece = randomIn(random, 1, std::min(left, span));
                    const int from = randomIn(random, 0, span - piece);
                    stitcher->setSource(tile.stride, index);
                    stitcher->stitch(tile.data.data(), from, piece);
                    for (int k = 0; k < piece; ++k, position += backwards ? -1 : 1)
                    {
                        const std::uint8_t* line = column ? tile.line(from + k) : tile.line(index);
                        const std::int64_t x = column ? index : from + k;
                        if (!skips(v, line, x))
                            setPixelAt(expected.data(), v.dataType, position, pixelAt(line, v.dataType, x));
                        if (side != 0)
                            setPixelAt(expectedStrip.data(), v.dataType, position,
                                       pixelAt(line, v.dataType, x + side));
                    }
                    left -= piece;
                }
                EXPECT_EQ(row, expected);
                EXPECT_EQ(strip, expectedStrip);
            }
}

TEST(KernelFactories, SplittersMatchThePerPixelReference)
{
    std::mt19937 random(34);
    for (const Variant& v : variants())
        for (int direction = 0; direction < 4; ++direction)
            for (int trial = 0; trial < 60; ++trial)
            {
                SCOPED_TRACE(v.name() + " direction " + std::to_string(direction) + " trial " + std::to_string(trial));
                std::unique_ptr<RowSplitter> splitter(createRowSplitter(v.dataType, direction, v.transparent, v.key));
                ASSERT_NE(splitter, nullptr);
                const bool column = direction >= 2;
                const bool mirrored = direction == 1 || direction == 3;
                const int rowLength = randomIn(random, 1, 150);
                const Bytes source = randomPixels(random, v.dataType, rowLength, v.key);
                const Bytes second = randomPixels(random, v.dataType, rowLength, v.key);
                Tile tile(random, v, randomIn(random, 3, 160), randomIn(random, 1, 150));
                Bytes expected = tile.data;
                splitter->setSource(source.data(), rowLength);

                auto* columnSplitter = dynamic_cast<ColumnSplitter*>(splitter.get());
                EXPECT_EQ(columnSplitter != nullptr, column);
                const int tileColumn = randomIn(random, 1, tile.width - 2);
                int side = 0;
                if (column)
                {
                    splitter->setColumn(tile.stride, tileColumn);
                    if (random() % 2 == 0)
                    {
                        side = random() % 2 == 0 ? 1 : -1;
                        columnSplitter->setSecondSource(second.data(), side);
                    }
                }
                else
                {
                    splitter->setColumn(tile.stride, tileColumn); // ignored by row splitters
                }

                for (int piece = 0; piece < 4; ++piece)
                {
                    const int span = column ? tile.lines : tile.width;
                    const int count = randomIn(random, 0, std::min(span, rowLength));
                    const int at = randomIn(random, 0, span - count);
                    const int from = randomIn(random, 0, rowLength - count);
                    const int line = randomIn(random, 0, tile.lines - 1);
                    if (column)
                        splitter->split(tile.data.data(), at, from, count);
                    else
                        splitter->split(tile.data.data() + std::int64_t{tile.stride} * line, at, from, count);
                    for (int k = 0; k < count; ++k)
                    {
                        const int s = mirrored ? rowLength - 1 - from - k : from + k;
                        std::uint8_t* target =
                            expected.data() + std::int64_t{tile.stride} * (column ? at + k : line);
                        const std::int64_t x = column ? tileColumn : at + k;
                        if (!skips(v, source.data(), s))
                            setPixelAt(target, v.dataType, x, pixelAt(source.data(), v.dataType, s));
                        if (side != 0 && !skips(v, second.data(), s))
                            setPixelAt(target, v.dataType, x + side, pixelAt(second.data(), v.dataType, s));
                    }
                }
                EXPECT_EQ(tile.data, expected);
            }
}

// A composer may mix opaque and transparent splitters over the same row: with
// a key that no pixel has, both must write the same pixels in every direction.
TEST(KernelFactories, OpaqueAndTransparentSplittersAgreeOnRowsWithoutKeyPixels)
{
    std::mt19937 random(35);
    for (const Variant& v : variants())
    {
        if (!v.transparent || v.dataType == 0 || (v.dataType == 3 && v.key.kind != 3))
            continue;
        for (int direction = 0; direction < 4; ++direction)
        {
            SCOPED_TRACE(v.name() + " direction " + std::to_string(direction));
            const int length = 97;
            Bytes row = randomPixels(random, v.dataType, length, ImagePixel());
            for (int i = 0; i < length; ++i)
                while (isTransparent(row.data(), v.dataType, i, v.key))
                    setPixelAt(row.data(), v.dataType, i, pixelAt(row.data(), v.dataType, i) + 1);
            std::unique_ptr<RowSplitter> opaque(createRowSplitter(v.dataType, direction, false, v.key));
            std::unique_ptr<RowSplitter> keyed(createRowSplitter(v.dataType, direction, true, v.key));
            Bytes a(bytesFor(v.dataType, 64 * 40), 0);
            Bytes b = a;
            opaque->setSource(row.data(), length);
            keyed->setSource(row.data(), length);
            opaque->setColumn(static_cast<std::int32_t>(bytesFor(v.dataType, 64)), 5);
            keyed->setColumn(static_cast<std::int32_t>(bytesFor(v.dataType, 64)), 5);
            opaque->split(a.data(), 3, 10, 30);
            keyed->split(b.data(), 3, 10, 30);
            EXPECT_EQ(a, b);
            EXPECT_NE(a, Bytes(a.size(), 0));
        }
    }
}

TEST(KernelFactories, CopiersMatchThePerPixelReference)
{
    std::mt19937 random(36);
    for (const Variant& v : variants())
        for (int trial = 0; trial < 150; ++trial)
        {
            SCOPED_TRACE(v.name() + " trial " + std::to_string(trial));
            std::unique_ptr<PixelCopier> copier(createPixelCopier(v.dataType, v.transparent, v.key));
            ASSERT_NE(copier, nullptr);
            const int length = randomIn(random, 1, 300);
            const Bytes source = randomPixels(random, v.dataType, length, v.key);
            Bytes destination = randomPixels(random, v.dataType, length, v.key);
            Bytes expected = destination;
            const int count = randomIn(random, 0, length);
            const int from = randomIn(random, 0, length - count);
            const int to = randomIn(random, 0, length - count);
            copier->copy(destination.data(), to, source.data(), from, count);
            for (int k = 0; k < count; ++k)
                if (!skips(v, source.data(), from + k))
                    setPixelAt(expected.data(), v.dataType, to + k, pixelAt(source.data(), v.dataType, from + k));
            EXPECT_EQ(destination, expected);

            // Fills are plain fills, transparent or not.
            const ImagePixel value(v.dataType == 0 ? kPixelBitonal : v.dataType, random() * 0x100000001ull);
            const int fillCount = randomIn(random, 0, length);
            const int at = randomIn(random, 0, length - fillCount);
            copier->fill(destination.data(), at, value, fillCount);
            const std::uint64_t stored = v.dataType == 0 ? (value.lowByte() != 0 ? 1 : 0) : value.value;
            for (int k = 0; k < fillCount; ++k)
                setPixelAt(expected.data(), v.dataType, at + k, stored);
            EXPECT_EQ(destination, expected);
        }
}

TEST(KernelFactories, ColumnCopiersMatchThePerPixelReference)
{
    std::mt19937 random(37);
    for (int dataType = 0; dataType <= 4; ++dataType)
        for (int direction = 0; direction < 4; ++direction)
            for (int trial = 0; trial < 40; ++trial)
            {
                std::unique_ptr<PixelColumnCopier> copier(createColumnPixelCopier(dataType, direction));
                ASSERT_NE(copier, nullptr);
                const Variant v{dataType, false, ImagePixel()};
                Tile tile(random, v, randomIn(random, 1, 50), randomIn(random, 1, 60));
                const int length = randomIn(random, 1, 100);
                const Bytes source = randomPixels(random, dataType, length, ImagePixel());
                Bytes expected = tile.data;
                const int count = randomIn(random, 0, std::min(length, tile.lines));
                const int from = randomIn(random, 0, length - count);
                const int firstLine = randomIn(random, 0, tile.lines - count);
                const int column = randomIn(random, 0, tile.width - 1);
                copier->setGeometry(tile.stride, column);
                copier->copyColumn(tile.data.data(), firstLine, source.data(), from, count);
                for (int k = 0; k < count; ++k)
                {
                    const int s = direction == 2 ? from + k : from + count - 1 - k;
                    setPixelAt(expected.data() + std::int64_t{tile.stride} * (firstLine + k), dataType, column,
                               pixelAt(source.data(), dataType, s));
                }
                EXPECT_EQ(tile.data, expected) << "type " << dataType << " direction " << direction;
            }
}

TEST(KernelFactories, RefuseWhatTheyCannotMake)
{
    EXPECT_EQ(createRowStitcher(5, 0), nullptr);
    EXPECT_EQ(createRowStitcher(-1, 0), nullptr);
    EXPECT_EQ(createRowStitcher(1, 4), nullptr);
    EXPECT_EQ(createRowStitcher(1, -1), nullptr);
    EXPECT_EQ(createRowSplitter(5, 0), nullptr);
    EXPECT_EQ(createRowSplitter(2, 7), nullptr);
    EXPECT_EQ(createPixelCopier(5), nullptr);
    EXPECT_EQ(createPixelCopier(-1, true, nullptr), nullptr);
    EXPECT_EQ(createColumnPixelCopier(5), nullptr);
    EXPECT_EQ(createBlendRowSplitter(2, 128), nullptr);
    EXPECT_EQ(createRowShearer(0, 100, false), nullptr);
    EXPECT_EQ(createRowShearer(2, 100, false), nullptr);
    EXPECT_EQ(createRowShearer(1, -1, false), nullptr);
}

TEST(KernelFactories, NameTheClassesByDepthAndDirection)
{
    EXPECT_NE(dynamic_cast<EightBitLeftRightRowStitcher*>(std::unique_ptr<RowStitcher>(createRowStitcher(1, 0)).get()), nullptr);
    EXPECT_NE(dynamic_cast<SixteenBitRightLeftRowStitcher*>(std::unique_ptr<RowStitcher>(createRowStitcher(2, 1)).get()), nullptr);
    EXPECT_NE(dynamic_cast<ThirtyTwoBitColumnRowStitcher*>(std::unique_ptr<RowStitcher>(createRowStitcher(3, 3)).get()), nullptr);
    EXPECT_NE(dynamic_cast<RgbaTransparentRowRowStitcher*>(
                  std::unique_ptr<RowStitcher>(createRowStitcher(3, 0, true, ImagePixel(kPixelRgb, 0))).get()),
              nullptr);
    EXPECT_NE(dynamic_cast<ThirtyTwoBitTransparentColumnRowStitcher*>(
                  std::unique_ptr<RowStitcher>(createRowStitcher(3, 2, true, ImagePixel(kPixelThirtyTwoBit, 0))).get()),
              nullptr);
    EXPECT_NE(dynamic_cast<SixtyFourBitRowSplitter*>(std::unique_ptr<RowSplitter>(createRowSplitter(4, 1)).get()), nullptr);
    EXPECT_NE(dynamic_cast<EightBitTransparentColumnRowSplitter*>(
                  std::unique_ptr<RowSplitter>(createRowSplitter(1, 3, true, ImagePixel(kPixelGray, 3))).get()),
              nullptr);
    EXPECT_NE(dynamic_cast<RgbaTransparentPixelCopier*>(
                  std::unique_ptr<PixelCopier>(createPixelCopier(3, true, ImagePixel(kPixelRgb, 0))).get()),
              nullptr);
    EXPECT_NE(dynamic_cast<ThirtyTwoBitTransparentPixelCopier*>(
                  std::unique_ptr<PixelCopier>(createPixelCopier(3, true, ImagePixel(kPixelThirtyTwoBit, 9))).get()),
              nullptr);
    // A key with no value of the kernel's size marks nothing: the opaque form.
    EXPECT_NE(dynamic_cast<EightBitPixelCopier*>(std::unique_ptr<PixelCopier>(createPixelCopier(1, true, nullptr)).get()),
              nullptr);
}

// The worked values.

TEST(PixelKernels, RightToLeftStitchFillsFromTheFarEnd)
{
    std::unique_ptr<RowStitcher> stitcher(createRowStitcher(1, 1));
    const std::uint8_t tile[] = {1, 2, 3, 4, 5};
    Bytes row(20, 0);
    stitcher->setSource(5, 0);
    stitcher->setDestination(row.data(), 10, 5);
    stitcher->stitch(tile, 0, 5);
    EXPECT_EQ(row, (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 4, 3, 2, 1, 0, 0, 0, 0, 0}));
}

TEST(PixelKernels, TransparentStitchWritesOnlyPixelsOtherThanTheKey)
{
    std::unique_ptr<RowStitcher> stitcher(createRowStitcher(1, 0, true, ImagePixel(kPixelEightBit, 0)));
    const std::uint8_t tile[] = {0, 7, 0, 9};
    Bytes row = {0xEE, 0xEE, 0xEE, 0xEE};
    stitcher->setSource(4, 0);
    stitcher->setDestination(row.data(), 0, 4);
    stitcher->stitch(tile, 0, 4);
    EXPECT_EQ(row, (Bytes{0xEE, 7, 0xEE, 9}));
}

TEST(PixelKernels, RgbaTransparentCopyKeepsPixelsUnderTransparentSource)
{
    std::unique_ptr<PixelCopier> copier(createPixelCopier(3, true, ImagePixel(kPixelRgb, 0)));
    const Bytes source = {10, 20, 30, 0, 40, 50, 60, 1, 255, 255, 255, 0};
    Bytes destination = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    copier->copy(destination.data(), 0, source.data(), 0, 3);
    EXPECT_EQ(destination, (Bytes{1, 2, 3, 4, 40, 50, 60, 1, 9, 10, 11, 12}));
}

TEST(PixelKernels, CountsOfZeroOrLessWriteNothing)
{
    Bytes row(64, 0xAB);
    const Bytes before = row;
    const Bytes tile(64, 0x11);
    for (int dataType = 0; dataType <= 4; ++dataType)
    {
        for (int direction = 0; direction < 4; ++direction)
        {
            std::unique_ptr<RowStitcher> stitcher(createRowStitcher(dataType, direction));
            stitcher->setSource(8, 1);
            stitcher->setDestination(row.data(), 2, 0);
            stitcher->stitch(tile.data(), 0, 0);
            stitcher->stitch(tile.data(), 0, -3);
            std::unique_ptr<RowSplitter> splitter(createRowSplitter(dataType, direction));
            splitter->setSource(tile.data(), 4);
            splitter->setColumn(8, 1);
            splitter->split(row.data(), 0, 0, 0);
            splitter->split(row.data(), 0, 0, -1);
        }
        std::unique_ptr<PixelCopier> copier(createPixelCopier(dataType));
        copier->copy(row.data(), 0, tile.data(), 0, 0);
        copier->fill(row.data(), 0, ImagePixel(dataType, 0), -5);
    }
    EXPECT_EQ(row, before);
}

TEST(PixelKernels, FillsStoreRgbColoursAsTheirRowBytes)
{
    std::unique_ptr<PixelCopier> copier(createPixelCopier(3));
    Bytes row(12, 0);
    copier->fill(row.data(), 1, ImagePixel(kPixelRgb, RgbColor(1, 2, 3, 4).value), 2);
    EXPECT_EQ(row, (Bytes{0, 0, 0, 0, 1, 2, 3, 4, 1, 2, 3, 4}));
}
