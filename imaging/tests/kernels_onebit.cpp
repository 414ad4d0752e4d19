// The bit-run routines and the 1-bit kernels' worked values. Rows of runs
// (long white stretches, short black ones, and noise) are checked bit by bit
// against a naive reference, in buffers exactly as long as the bits used so
// that any read past them is caught.
#include "KernelReference.h"

#include "imaging/kernels/BitRuns.h"
#include "imaging/kernels/KernelFactories.h"
#include "imaging/kernels/OneBitKernels.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

using namespace Omvi;
using namespace KernelReference;

namespace
{
// `bits` bits of alternating runs: mostly long runs of 0 (paper), shorter
// runs of 1 (ink), and now and then single noisy bits.
Bytes runRow(std::mt19937& random, std::int64_t bits)
{
    Bytes row(static_cast<std::size_t>((bits + 7) / 8), 0);
    int colour = random() % 2;
    std::int64_t at = 0;
    while (at < bits)
    {
        const unsigned kind = random() % 4;
        std::int64_t run = kind == 0 ? 1 : colour == 0 ? 1 + random() % 300 : 1 + random() % 20;
        for (; run > 0 && at < bits; --run, ++at)
            setPixelAt(row.data(), 0, at, colour);
        colour ^= 1;
    }
    return row;
}

int bit(const Bytes& row, std::int64_t at)
{
    return static_cast<int>(pixelAt(row.data(), 0, at));
}

int randomIn(std::mt19937& random, int low, int high)
{
    return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
}
} // namespace

TEST(BitRuns, ScanFindsTheRunWithinTheLimitAndReadsNoFurther)
{
    std::mt19937 random(70);
    for (int trial = 0; trial < 3000; ++trial)
    {
        const int bits = randomIn(random, 1, 1200);
        const int start = randomIn(random, 0, bits - 1);
        const int limit = randomIn(random, 1, bits - start);
        // The buffer ends with the byte of the last bit the limit allows.
        Bytes row = runRow(random, bits);
        row.resize(static_cast<std::size_t>((start + limit + 7) / 8));
        int expectedLength = 0;
        while (expectedLength < limit && bit(row, start + expectedLength) == bit(row, start))
            ++expectedLength;

        BitCursor cursor{row.data() + start / 8, start % 8};
        int colour = -1;
        const std::int32_t length = scanBitRun(cursor, colour, limit);
        ASSERT_EQ(length, expectedLength) << "start " << start << " limit " << limit;
        ASSERT_EQ(colour, bit(row, start));
        const std::int64_t end = start + length;
        ASSERT_EQ(cursor.byte, row.data() + end / 8);
        ASSERT_EQ(cursor.bit, end % 8);
    }

    const std::uint8_t paper[] = {0x00};
    BitCursor cursor{paper, 0};
    int colour = -1;
    EXPECT_EQ(scanBitRun(cursor, colour, 5), 5);
    EXPECT_EQ(colour, 0);
    EXPECT_EQ(cursor.bit, 5);
    EXPECT_EQ(scanBitRun(cursor, colour, 0), 0);
}

TEST(BitRuns, FillSetsExactlyTheRun)
{
    std::mt19937 random(71);
    for (int trial = 0; trial < 2000; ++trial)
    {
        Bytes row = runRow(random, 512);
        Bytes expected = row;
        const int position = randomIn(random, 0, 511);
        const int count = randomIn(random, -1, 512 - position);
        const int colour = static_cast<int>(random() % 3); // 2 counts as 1
        for (int k = 0; k < count; ++k)
            setPixelAt(expected.data(), 0, position + k, colour != 0);
        fillBitRun(row.data(), colour, position, count);
        ASSERT_EQ(row, expected) << "position " << position << " count " << count;
    }

    // From bit 3 over 50 bits: a partial first byte, whole bytes, a partial last.
    Bytes row(8, 0x00);
    fillBitRun(row.data(), 1, 3, 50);
    EXPECT_EQ(row, (Bytes{0x1F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF8, 0x00}));
    fillBitRun(row.data(), 0, 4, 2);
    EXPECT_EQ(row[0], 0x13);
}

TEST(BitRuns, CopiesMatchTheBitReference)
{
    std::mt19937 random(72);
    for (int trial = 0; trial < 3000; ++trial)
    {
        // Every tenth trial long enough to take several of the reversed
        // copy's buffers.
        const bool longRow = trial % 10 == 9;
        const int bits = longRow ? 12000 : 700;
        const Bytes source = runRow(random, bits);
        const Bytes original = runRow(random, bits);
        const int count = longRow ? randomIn(random, 2000, 11000) : randomIn(random, 0, 400);
        // Half the trials with both positions byte-aligned.
        int from = randomIn(random, 0, bits - count);
        int to = randomIn(random, 0, bits - count);
        if (trial % 2 == 0)
        {
            from &= ~7;
            to &= ~7;
        }
        Bytes copied = original, expectedCopy = original;
        Bytes inked = original, expectedInk = original;
        Bytes runs = original;
        Bytes reversed = original, expectedReversed = original;
        Bytes reversedInk = original, expectedReversedInk = original;
        for (int k = 0; k < count; ++k)
        {
            const int b = bit(source, from + k);
            setPixelAt(expectedCopy.data(), 0, to + k, b);
            if (b != 0)
                setPixelAt(expectedInk.data(), 0, to + k, 1);
            setPixelAt(expectedReversed.data(), 0, to + count - 1 - k, b);
            if (b != 0)
                setPixelAt(expectedReversedInk.data(), 0, to + count - 1 - k, 1);
        }
        copyBits(copied.data(), to, source.data(), from, count);
        copyBitRuns(source.data(), from, runs.data(), to, count);
        copyBitRunsTransparent(source.data(), from, inked.data(), to, count);
        copyBitsReversed(source.data(), from, reversed.data(), to + count - 1, count, false);
        copyBitsReversed(source.data(), from, reversedInk.data(), to + count - 1, count, true);
        ASSERT_EQ(copied, expectedCopy) << "from " << from << " to " << to << " count " << count;
        ASSERT_EQ(runs, expectedCopy);
        ASSERT_EQ(inked, expectedInk);
        ASSERT_EQ(reversed, expectedReversed);
        ASSERT_EQ(reversedInk, expectedReversedInk);

        std::unique_ptr<PixelCopier> transparent(createPixelCopier(0, true));
        Bytes viaCopier = original;
        transparent->copy(viaCopier.data(), to, source.data(), from, count);
        ASSERT_EQ(viaCopier, expectedInk);
    }
}

TEST(OneBitKernels, RightToLeftStitchReversesTheBits)
{
    std::unique_ptr<RowStitcher> stitcher(createRowStitcher(0, 1));
    const std::uint8_t tile[] = {0xD0}; // 1 1 0 1
    std::uint8_t row[] = {0x00};
    stitcher->setSource(1, 0);
    stitcher->setDestination(row, 0, 4);
    stitcher->stitch(tile, 0, 4);
    EXPECT_EQ(row[0], 0xB0); // 1 0 1 1
}

TEST(OneBitKernels, TransparentCopyAddsOnlyInk)
{
    std::unique_ptr<PixelCopier> copier(createPixelCopier(0, true));
    std::uint8_t destination[] = {0xF0};
    const std::uint8_t ink[] = {0x0F};
    copier->copy(destination, 0, ink, 0, 8);
    EXPECT_EQ(destination[0], 0xFF);
    const std::uint8_t paper[] = {0x00};
    copier->copy(destination, 0, paper, 0, 8);
    EXPECT_EQ(destination[0], 0xFF);

    // Fills are plain: paper clears the bits.
    copier->fill(destination, 2, ImagePixel(kPixelBitonal, 0), 3);
    EXPECT_EQ(destination[0], 0xC7);
    std::unique_ptr<PixelCopier> opaque(createPixelCopier(0));
    opaque->fill(destination, 0, ImagePixel(kPixelGray, 0x100), 8); // low byte 0: paper
    EXPECT_EQ(destination[0], 0x00);
    opaque->fill(destination, 1, ImagePixel(kPixelGray, 0x2), 2);
    EXPECT_EQ(destination[0], 0x60);
}
