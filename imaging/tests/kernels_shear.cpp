// The row shearers: every form against a per-byte reference on random rows
// and tables (wrapping ones included), sheared apart and into themselves, the
// vertical form, the worked tables, and where scratch memory comes from.
#include "KernelReference.h"

#include "imaging/kernels/RowShearers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>

using namespace Omvi;
using namespace KernelReference;

namespace
{
Bytes randomBytes(std::mt19937& random, std::size_t size)
{
    Bytes bytes(size);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

// t[v] = trunc(v x weight): the tables the shears build.
Bytes weightTable(double weight)
{
    Bytes table(256);
    for (int v = 0; v < 256; ++v)
        table[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(v * weight);
    return table;
}

// The first `bytes` bytes sheared, pixels `stride` bytes wide; bytes past the
// last whole pixel stay as they are.
Bytes referenceShear(const Bytes& input, const Bytes& table, std::size_t bytes, int stride)
{
    Bytes output = input;
    const std::size_t used = bytes / stride * stride;
    std::uint8_t carry[4] = {};
    for (std::size_t i = used; i-- > 0;)
    {
        const std::uint8_t v = input[i];
        const std::uint8_t t = table[v];
        output[i] = static_cast<std::uint8_t>(v - t + carry[i % stride]);
        carry[i % stride] = t;
    }
    return output;
}

using Make = std::function<std::unique_ptr<RowShearer>(std::int32_t)>;

struct Form
{
    std::string name;
    int stride;
    Make make;
};

std::vector<Form> forms()
{
    return {
        {"8-bit plain", 1, [](std::int32_t w) { return std::make_unique<EightBitRowShearer>(w); }},
        {"8-bit MMX", 1, [](std::int32_t w) { return std::make_unique<EightBitRowMMXShearer>(w); }},
        {"8-bit SSE2", 1, [](std::int32_t w) { return std::make_unique<EightBitRowSSE2Shearer>(w); }},
        {"32-bit plain", 4, [](std::int32_t w) { return std::make_unique<ThirtyTwoBitRowShearer>(w); }},
        {"32-bit MMX", 4, [](std::int32_t w) { return std::make_unique<ThirtyTwoBitRowMMXShearer>(w); }},
    };
}

const int kWidths[] = {0, 1, 3, 4, 7, 8, 9, 15, 16, 17, 31, 33, 64, 65, 66, 255, 256, 257, 300, 1024, 1025, 1283};
} // namespace

TEST(RowShearers, EveryFormMatchesThePerByteReference)
{
    std::mt19937 random(60);
    for (const Form& form : forms())
        for (int width : kWidths)
            for (int trial = 0; trial < 4; ++trial)
            {
                SCOPED_TRACE(form.name + " width " + std::to_string(width) + " trial " + std::to_string(trial));
                auto shearer = form.make(width);
                // Trials 0-1: tables of any bytes (sums wrap); 2-3: weight tables.
                const Bytes table = trial < 2 ? randomBytes(random, 256) : weightTable(random() % 1000 / 1000.0);
                const Bytes input = randomBytes(random, static_cast<std::size_t>(width) + 16);
                Bytes output = randomBytes(random, input.size());
                const Bytes expected = referenceShear(input, table, static_cast<std::size_t>(width), form.stride);
                // Bytes of the output past the sheared ones keep their value.
                Bytes expectedOutput = output;
                const std::size_t used = static_cast<std::size_t>(width) / form.stride * form.stride;
                std::copy(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(used), expectedOutput.begin());
                shearer->shearRow(output.data(), input.data(), table.data());
                EXPECT_EQ(output, expectedOutput);
            }
}

// The horizontal shears blend a row into itself moved right by n pixels.
TEST(RowShearers, ARowShearsIntoItselfMovedRight)
{
    std::mt19937 random(61);
    for (const Form& form : forms())
        for (int width : {8, 40, 257, 1025})
            for (int shift = 0; shift <= 20; shift += form.stride)
            {
                SCOPED_TRACE(form.name + " width " + std::to_string(width) + " shift " + std::to_string(shift));
                auto shearer = form.make(width);
                const Bytes table = weightTable(0.37);
                Bytes buffer = randomBytes(random, static_cast<std::size_t>(width + shift + 8));
                const Bytes sheared = referenceShear(buffer, table, static_cast<std::size_t>(width), form.stride);
                Bytes expected = buffer;
                const int used = width / form.stride * form.stride;
                std::copy(sheared.begin(), sheared.begin() + used, expected.begin() + shift);
                shearer->shearRow(buffer.data() + shift, buffer.data(), table.data());
                EXPECT_EQ(buffer, expected);
            }
}

TEST(RowShearers, WorkedTables)
{
    for (const Form& form : forms())
    {
        SCOPED_TRACE(form.name);
        const int width = 40;
        auto shearer = form.make(width);
        Bytes input(width);
        for (int i = 0; i < width; ++i)
            input[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(3 * i + 1);

        // Nothing moves: the output is the input.
        Bytes output(width, 0xEE);
        const Bytes zeros(256, 0);
        shearer->shearRow(output.data(), input.data(), zeros.data());
        EXPECT_EQ(output, input);

        // Everything moves: the row shifted one pixel left, the last pixel 0.
        Bytes identity(256);
        for (int v = 0; v < 256; ++v)
            identity[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(v);
        shearer->shearRow(output.data(), input.data(), identity.data());
        Bytes shifted(input.begin() + form.stride, input.end());
        shifted.resize(width, 0);
        EXPECT_EQ(output, shifted);
    }
}

TEST(RowShearers, ColumnsShearWithTheirOwnTablesAndCarries)
{
    std::mt19937 random(62);
    for (const Form& form : forms())
        for (int width : {0, 1, 4, 17, 64, 300})
        {
            SCOPED_TRACE(form.name + " width " + std::to_string(width));
            auto shearer = form.make(width);
            const int lines = 5;
            const int columns = width / form.stride;
            std::vector<Bytes> window;
            std::vector<const std::uint8_t*> pointers;
            for (int l = 0; l < lines; ++l)
                window.push_back(randomBytes(random, static_cast<std::size_t>(width) + 4));
            for (const Bytes& line : window)
                pointers.push_back(line.data());
            std::vector<std::int32_t> lineIndex(static_cast<std::size_t>(columns) + 1);
            for (auto& index : lineIndex)
                index = static_cast<std::int32_t>(random() % lines);
            const Bytes tables = randomBytes(random, static_cast<std::size_t>(columns + 1) * 256);
            Bytes carries = randomBytes(random, static_cast<std::size_t>(width) + 4);
            Bytes output = randomBytes(random, static_cast<std::size_t>(width) + 4);

            Bytes expectedOutput = output;
            Bytes expectedCarries = carries;
            for (int x = 0; x < columns; ++x)
                for (int b = 0; b < form.stride; ++b)
                {
                    const std::size_t i = static_cast<std::size_t>(x * form.stride + b);
                    const std::uint8_t v = window[static_cast<std::size_t>(lineIndex[static_cast<std::size_t>(x)])][i];
                    const std::uint8_t t = tables[static_cast<std::size_t>(x) * 256 + v];
                    expectedOutput[i] = static_cast<std::uint8_t>(v - t + expectedCarries[i]);
                    expectedCarries[i] = t;
                }
            shearer->shearColumns(output.data(), pointers.data(), lineIndex.data(), tables.data(), carries.data());
            EXPECT_EQ(output, expectedOutput);
            EXPECT_EQ(carries, expectedCarries);
        }
}

TEST(RowShearers, InlineScratchIsChosenByTheBytesAsked)
{
    EightBitRowShearer narrow(100);
    // A narrow row asking for more than the inline area gets heap memory,
    // all of which it may use.
    void* large = narrow.allocateScratch(5000);
    ASSERT_NE(large, nullptr);
    EXPECT_FALSE(narrow.ownsScratch(large));
    std::memset(large, 1, 5000);
    narrow.freeScratch(large);

    EightBitRowShearer wide(4096);
    void* fits = wide.allocateScratch(1024);
    EXPECT_TRUE(wide.ownsScratch(fits));
    void* second = wide.allocateScratch(16); // the area is taken
    EXPECT_FALSE(wide.ownsScratch(second));
    void* over = wide.allocateScratch(1025);
    EXPECT_FALSE(wide.ownsScratch(over));
    wide.freeScratch(second);
    wide.freeScratch(over);
    wide.freeScratch(fits);
    void* again = wide.allocateScratch(0);
    EXPECT_TRUE(wide.ownsScratch(again));
    wide.freeScratch(again);
    EXPECT_EQ(wide.allocateScratch(-1), nullptr);

    EightBitRowMMXShearer mmx(300);
    void* inlineMmx = mmx.allocateScratch(300);
    EXPECT_TRUE(mmx.ownsScratch(inlineMmx));
    mmx.freeScratch(inlineMmx);

    EightBitRowSSE2Shearer sse2(300);
    void* aligned = sse2.allocateScratch(300);
    ASSERT_NE(aligned, nullptr);
    EXPECT_FALSE(sse2.ownsScratch(aligned));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(aligned) % 16, 0u);
    sse2.freeScratch(aligned);
    sse2.freeScratch(nullptr);

    ThirtyTwoBitRowShearer rgb(4 * 300);
    void* heap = rgb.allocateScratch(1200);
    ASSERT_NE(heap, nullptr);
    rgb.freeScratch(heap);
    EXPECT_EQ(rgb.allocateScratch(-5), nullptr);
}
