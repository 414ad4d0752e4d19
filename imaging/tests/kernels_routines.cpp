// The row copy and fill routines: every form against a byte-by-byte
// reference, over lengths and alignments that reach every tail, overlapping
// copies included, and through the dispatch under each processor state.
#include "KernelReference.h"

#include "imaging/kernels/RowRoutines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

using namespace Omvi;
using namespace KernelReference;

namespace
{
using Copy = std::function<void(void*, const void*, std::int32_t)>;

Bytes randomBytes(std::mt19937& random, std::size_t size)
{
    Bytes bytes(size);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

// Copies of `unit`-byte samples; the reference moves bytes through a
// temporary, so overlapping ranges read the source as it was.
void checkCopy(const Copy& copy, int unit, const char* name)
{
    std::mt19937 random(40);
    for (int count = 0; count <= 140; ++count)
        for (int trial = 0; trial < 6; ++trial)
        {
            const std::size_t bytes = static_cast<std::size_t>(count) * unit;
            Bytes buffer = randomBytes(random, bytes * 2 + 64);
            Bytes expected = buffer;
            const std::size_t from = random() % 24;
            std::size_t to = random() % (bytes + 24);
            if (trial == 0)
                to = from + 1 + random() % 7; // overlapping, destination after source
            if (trial == 1)
                to = from > 0 ? from - 1 : 0; // overlapping, destination before source
            const Bytes temporary(expected.begin() + static_cast<std::ptrdiff_t>(from),
                                  expected.begin() + static_cast<std::ptrdiff_t>(from + bytes));
            std::copy(temporary.begin(), temporary.end(), expected.begin() + static_cast<std::ptrdiff_t>(to));
            copy(buffer.data() + to, buffer.data() + from, count);
            ASSERT_EQ(buffer, expected) << name << " count " << count << " from " << from << " to " << to;
        }
}

template <class Value>
void checkFill(const std::function<void(void*, Value, std::int32_t)>& fill, const char* name)
{
    std::mt19937 random(41);
    for (int count = -1; count <= 140; ++count)
        for (int offset = 0; offset < 8; ++offset)
        {
            Bytes buffer = randomBytes(random, 140 * sizeof(Value) + 16);
            Bytes expected = buffer;
            const auto value = static_cast<Value>(random() * 0x9E3779B97F4A7C15ull);
            for (int i = 0; i < count; ++i)
                std::memcpy(expected.data() + offset + i * sizeof(Value), &value, sizeof(Value));
            fill(buffer.data() + offset, value, count);
            ASSERT_EQ(buffer, expected) << name << " count " << count << " offset " << offset;
        }
}
} // namespace

TEST(RowRoutines, EveryCopyFormMatchesTheByteReference)
{
    checkCopy(RowRoutineForms::copyBytesPlain, 1, "copyBytes plain");
    checkCopy(RowRoutineForms::copyBytesWide, 1, "copyBytes wide");
    checkCopy(RowRoutineForms::copyRow32Plain, 4, "copyRow32 plain");
    checkCopy(RowRoutineForms::copyRow32Wide, 4, "copyRow32 wide");
    checkCopy(copyRow16, 2, "copyRow16");
    for (std::int32_t state : {kFeatureUsable, kFeatureNotUsable, kFeatureUntested})
    {
        ScopedCpuStates pinned(allStates(state));
        checkCopy(copyBytes, 1, "copyBytes");
        checkCopy(copyRow8, 1, "copyRow8");
        checkCopy(copyRow32, 4, "copyRow32");
        checkCopy(copyRowBytes, 1, "copyRowBytes");
        checkCopy(copySamples8, 1, "copySamples8");
        checkCopy(copySamples16, 2, "copySamples16");
        checkCopy(copySamples32, 4, "copySamples32");
    }
}

TEST(RowRoutines, EveryFillFormMatchesTheByteReference)
{
    checkFill<std::uint8_t>(RowRoutineForms::fillRow8Plain, "fillRow8 plain");
    checkFill<std::uint8_t>(RowRoutineForms::fillRow8Wide, "fillRow8 wide");
    checkFill<std::uint32_t>(RowRoutineForms::fillRow32Plain, "fillRow32 plain");
    checkFill<std::uint32_t>(RowRoutineForms::fillRow32Wide, "fillRow32 wide");
    checkFill<std::uint16_t>(fillRow16, "fillRow16");
    checkFill<std::uint64_t>(fillRow64, "fillRow64");
    for (std::int32_t state : {kFeatureUsable, kFeatureNotUsable})
    {
        ScopedCpuStates pinned(allStates(state));
        checkFill<std::uint8_t>(fillRow8, "fillRow8");
        checkFill<std::uint32_t>(fillRow32, "fillRow32");
        checkFill<std::uint16_t>(fillSamples16, "fillSamples16");
        checkFill<std::uint32_t>(fillSamples32, "fillSamples32");
        checkFill<std::uint64_t>(fillSamples64, "fillSamples64");
    }
}

TEST(RowRoutines, ByteFillsTakeTheLowByteOfTheValue)
{
    Bytes row(8, 0);
    fillSamples8(row.data() + 1, 0x1234ABu, 5);
    EXPECT_EQ(row, (Bytes{0, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0, 0}));
}

// The pattern fill under the 16-, 32- and 64-bit fills: both forms lay the
// same bytes over every length that reaches a tail of the wide form's 128-,
// 32- and 8-byte steps, at every alignment, and touch nothing beyond.
TEST(RowRoutines, PatternFillsAgreeInBothForms)
{
    std::mt19937 random(42);
    for (std::int64_t bytes : {0, 1, 7, 8, 31, 32, 33, 63, 64, 65, 127, 128, 129, 200, 255, 256, 301, 4096 + 13})
        for (int offset = 0; offset < 8; ++offset)
        {
            const std::uint64_t pattern = (std::uint64_t{random()} << 32) | random();
            const Bytes guard = randomBytes(random, static_cast<std::size_t>(bytes) + 24);
            std::uint8_t unit[8];
            std::memcpy(unit, &pattern, 8); // the pattern as it lies in memory
            Bytes expected = guard;
            for (std::int64_t i = 0; i < bytes; ++i)
                expected[static_cast<std::size_t>(offset + i)] = unit[i % 8];
            Bytes plain = guard;
            RowRoutineForms::fillPatternPlain(plain.data() + offset, pattern, bytes);
            Bytes wide = guard;
            RowRoutineForms::fillPatternWide(wide.data() + offset, pattern, bytes);
            ASSERT_EQ(plain, expected) << "plain, " << bytes << " bytes at " << offset;
            ASSERT_EQ(wide, expected) << "wide, " << bytes << " bytes at " << offset;
        }
}
