// The bit packer and the float quantiser.
#include "dwf/w3dtk/geometry/bit_packer.h"
#include "dwf/w3dtk/geometry/quantiser.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace
{
using namespace w3d::eb;
using Bytes = std::vector<std::uint8_t>;

TEST(BitPacker, TablesHoldMasksAndHalves)
{
    EXPECT_EQ(Bit_Mask[0], 0u);
    EXPECT_EQ(Bit_Mask[1], 1u);
    EXPECT_EQ(Bit_Mask[10], 1023u);
    EXPECT_EQ(Bit_Mask[31], 0x7FFFFFFFu);
    EXPECT_EQ(Bit_Mask[32], 0xFFFFFFFFu);
    EXPECT_EQ(Bit_Half[0], 0u);
    EXPECT_EQ(Bit_Half[1], 0u);
    EXPECT_EQ(Bit_Half[2], 1u);
    EXPECT_EQ(Bit_Half[6], 31u);
    EXPECT_EQ(Bit_Half[32], 0x7FFFFFFFu);
    EXPECT_EQ(packed_size(9, 10), 12);
    EXPECT_EQ(packed_size(1, 32), 4);
    EXPECT_EQ(packed_size(0, 7), 0);
    EXPECT_EQ(packed_size(1, 33), -1);
}

TEST(BitPacker, PacksMostSignificantBitFirstIntoLittleEndianWords)
{
    Bytes bytes(12, 0xEE);
    BitPacker packer = BitPacker::for_writing(bytes.data(), 12);
    packer.put(4, 0xA);
    packer.put(4, 0x5);
    packer.put(8, 0xFF);
    packer.put(16, 0x1234); // word 0 = A5 FF 12 34, exactly full
    EXPECT_EQ(packer.index(), 0);
    EXPECT_EQ(packer.used(), 32);
    packer.put(12, 0xABC);    // split: no room left, all of it in word 1
    packer.put(24, 0x123456); // 20 bits end word 1, 4 bits start word 2
    ASSERT_TRUE(packer.ok());
    EXPECT_EQ(packer.packed_bytes(), 12);
    // word 1 = ABC12345, word 2 = 6 then zeros; the rest of the old 0xEE is gone.
    Bytes const expected = {0x34, 0x12, 0xFF, 0xA5, 0x45, 0x23, 0xC1, 0xAB, 0x00, 0x00, 0x00, 0x60};
    EXPECT_EQ(bytes, expected);

    BitPacker reader = BitPacker::for_reading(bytes.data(), 12);
    EXPECT_EQ(reader.get(4), 0xAu);
    EXPECT_EQ(reader.get(4), 0x5u);
    EXPECT_EQ(reader.get(8), 0xFFu);
    EXPECT_EQ(reader.get(16), 0x1234u);
    EXPECT_EQ(reader.get(12), 0xABCu);
    EXPECT_EQ(reader.get(24), 0x123456u);
    EXPECT_TRUE(reader.ok());
}

TEST(BitPacker, ThirtyTwoBitCodesFillOrSplitWords)
{
    Bytes bytes(12);
    BitPacker packer = BitPacker::for_writing(bytes.data(), 12);
    packer.put(32, 0xDEADBEEF); // one whole word
    packer.put(5, 0x1F);
    packer.put(32, 0x80000001); // split 27 + 5: shifts by 32 must not happen in 32 bits
    ASSERT_TRUE(packer.ok());
    EXPECT_EQ(packer.packed_bytes(), 12);
    Bytes const expected = {0xEF, 0xBE, 0xAD, 0xDE, 0x00, 0x00, 0x00, 0xFC, 0x00, 0x00, 0x00, 0x08};
    EXPECT_EQ(bytes, expected);
    BitPacker reader = BitPacker::for_reading(bytes.data(), 12);
    EXPECT_EQ(reader.get(32), 0xDEADBEEFu);
    EXPECT_EQ(reader.get(5), 0x1Fu);
    EXPECT_EQ(reader.get(32), 0x80000001u);
}

TEST(BitPacker, WideCodesAreMaskedSoNeighboursStayIntact)
{
    Bytes bytes(4);
    BitPacker packer = BitPacker::for_writing(bytes.data(), 4);
    packer.put(4, 0x3);
    packer.put(4, 0xFFFFFFF5); // only the low 4 bits count
    packer.put(4, 0x9);
    EXPECT_EQ(bytes[3], 0x35);
    EXPECT_EQ(bytes[2], 0x90);
}

TEST(BitPacker, OverflowStopsStoringAndKeepsWhatWasPacked)
{
    Bytes bytes(8, 0);
    BitPacker packer = BitPacker::for_writing(bytes.data(), 8);
    packer.put(32, 0x11111111);
    packer.put(32, 0x22222222);
    EXPECT_TRUE(packer.ok());
    packer.put(8, 0x33); // needs a third word
    EXPECT_FALSE(packer.ok());
    packer.put(8, 0x44);
    Bytes const expected = {0x11, 0x11, 0x11, 0x11, 0x22, 0x22, 0x22, 0x22};
    EXPECT_EQ(bytes, expected);

    BitPacker none = BitPacker::for_writing(nullptr, 0);
    none.put(3, 1);
    EXPECT_FALSE(none.ok());
}

TEST(BitPacker, ReadingPastTheDataAnswersZeroAndFails)
{
    Bytes const bytes = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}; // one whole word and a stub
    BitPacker reader = BitPacker::for_reading(bytes.data(), 6);
    EXPECT_EQ(reader.capacity_words(), 1);
    EXPECT_EQ(reader.get(30), Bit_Mask[30]);
    EXPECT_EQ(reader.get(2), 3u);
    EXPECT_TRUE(reader.ok());
    EXPECT_EQ(reader.get(1), 0u);
    EXPECT_FALSE(reader.ok());
    EXPECT_EQ(reader.get(1), 0u);
}

TEST(BitPacker, RandomWidthsRoundTrip)
{
    std::mt19937 random(7);
    std::vector<std::pair<int, std::uint32_t>> codes;
    long long bits = 0;
    for (int i = 0; i < 5000; ++i)
    {
        int const n = 1 + static_cast<int>(random() % 32);
        codes.emplace_back(n, static_cast<std::uint32_t>(random()) & Bit_Mask[std::size_t(n)]);
        bits += n;
    }
    Bytes bytes(static_cast<std::size_t>(packed_size(bits, 1)));
    BitPacker packer = BitPacker::for_writing(bytes.data(), int(bytes.size()));
    for (auto const& [n, code] : codes)
        packer.put(n, code);
    ASSERT_TRUE(packer.ok());
    EXPECT_EQ(packer.packed_bytes(), int(bytes.size()));
    BitPacker reader = BitPacker::for_reading(bytes.data(), int(bytes.size()));
    for (auto const& [n, code] : codes)
        ASSERT_EQ(reader.get(n), code) << n;
    EXPECT_TRUE(reader.ok());
}

// ---- the quantiser

struct Quantised
{
    TK_Status status = TK_Error;
    Bytes buffer;
    int packed = -7;
    std::vector<float> box;
};

Quantised quantise(const std::vector<float>& values, int d, int bits, const float* box,
                   bool want_box = true, const std::vector<std::uint32_t>& flags = {},
                   std::uint32_t mask = 1)
{
    BStreamFileToolkit tk;
    Quantised q;
    q.box.assign(std::size_t(2 * d), -99.0f);
    q.status = quantize_and_pack_floats(tk, int(values.size()) / d, d, values.data(), box,
                                        flags.empty() ? nullptr : flags.data(), mask, bits,
                                        want_box ? q.box.data() : nullptr, q.buffer, &q.packed);
    return q;
}

std::vector<float> dequantise(const Quantised& q, int count, int d, int bits,
                              TK_Status* status = nullptr)
{
    BStreamFileToolkit tk;
    std::vector<float> values(std::size_t(count * d), -1234.0f);
    TK_Status const s = unpack_and_dequantize_floats(tk, count, d, bits, q.box.data(),
                                                     q.buffer.data(), q.packed, values.data());
    if (status)
        *status = s;
    return values;
}

TEST(Quantiser, ThreePointsAtEightBitsTakeTheByteForm)
{
    std::vector<float> const points = {0, 0, 0, 1, 2, 3, 2, 4, 6};
    Quantised const q = quantise(points, 3, 8, nullptr);
    ASSERT_EQ(q.status, TK_Done);
    EXPECT_EQ(q.box, (std::vector<float>{0, 0, 0, 2, 4, 6}));
    ASSERT_EQ(q.packed, 9);
    EXPECT_EQ(Bytes(q.buffer.begin(), q.buffer.begin() + 9),
              (Bytes{0, 0, 0, 128, 128, 128, 255, 255, 255}));
    std::vector<float> const back = dequantise(q, 3, 3, 8);
    EXPECT_EQ(back[0], 0.0f);
    EXPECT_EQ(back[8], 6.0f); // 255 is the maximum exactly
    EXPECT_NEAR(back[3], 1.0f, 2.0 / 255);
}

TEST(Quantiser, ThreePointsAtTenBitsPackIntoThreeWords)
{
    std::vector<float> const points = {0, 0, 0, 1, 2, 3, 2, 4, 6};
    Quantised const q = quantise(points, 3, 10, nullptr);
    ASSERT_EQ(q.status, TK_Done);
    ASSERT_EQ(q.packed, 12);
    // Codes 0 0 0 512 512 512 1023 1023 1023 (0.5 x 1023 + 0.5 = 512).
    Bytes expected(12);
    BitPacker expected_packer = BitPacker::for_writing(expected.data(), 12);
    for (std::uint32_t code : {0u, 0u, 0u, 512u, 512u, 512u, 1023u, 1023u, 1023u})
        expected_packer.put(10, code);
    EXPECT_EQ(q.buffer, expected);
    EXPECT_EQ(expected,
              (Bytes{0x02, 0x00, 0x00, 0x00, 0x0F, 0x20, 0x80, 0x00, 0xC0, 0xFF, 0xFF, 0xFF}));
    std::vector<float> const back = dequantise(q, 3, 3, 10);
    EXPECT_EQ(back[6], 2.0f);
    EXPECT_EQ(back[8], 6.0f);
    EXPECT_NEAR(back[4], 2.0f, 0.5 * 4.0 / 1023);
}

TEST(Quantiser, NothingToQuantiseLeavesEverythingAlone)
{
    BStreamFileToolkit tk;
    Bytes buffer;
    int packed = 42;
    float box_out[6] = {7, 7, 7, 7, 7, 7};
    EXPECT_EQ(quantize_and_pack_floats(tk, 0, 3, nullptr, nullptr, 12, box_out, buffer, &packed),
              TK_Done);
    EXPECT_EQ(packed, 42);
    EXPECT_TRUE(buffer.empty());
    EXPECT_EQ(box_out[0], 7.0f);
}

TEST(Quantiser, EqualValuesPackAsZerosAndReadBackAsTheirValue)
{
    std::vector<float> const values = {5, 1, 5, 2, 5, 3};
    Quantised const q = quantise(values, 2, 12, nullptr);
    ASSERT_EQ(q.status, TK_Done);
    std::vector<float> const back = dequantise(q, 3, 2, 12);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(back[std::size_t(2 * i)], 5.0f);
    // The x codes are zero: the first 12 bits of word 0.
    EXPECT_EQ(q.buffer[3], 0);
    EXPECT_EQ(q.buffer[2] & 0xF0, 0);
}

TEST(Quantiser, AnAllZeroBoxCountsAsAbsentOnlyWhenTheBoxIsAskedFor)
{
    std::vector<float> const values = {1, 2, 3, 4};
    float const zero[2] = {0, 0};
    Quantised const computed = quantise(values, 1, 6, zero, true);
    EXPECT_EQ(computed.box, (std::vector<float>{1, 4}));
    // Without box_out the zero box stands: scale 0, every code 0.
    Quantised const flat = quantise(values, 1, 6, zero, false);
    ASSERT_EQ(flat.status, TK_Done);
    EXPECT_EQ(flat.buffer, Bytes(4, 0));
}

TEST(Quantiser, CodesOutsideTheBoxAreClampedAndNaNBecomesZero)
{
    // The box does not cover the data (a world box that is too small): the
    // out-of-range values take the extreme codes and leave their neighbours alone.
    float const box[2] = {0, 1};
    std::vector<float> const values = {-5,   0.5f,
                                       7,    std::numeric_limits<float>::quiet_NaN(),
                                       1,    std::numeric_limits<float>::infinity(),
                                       0.25f};
    for (bool const want_box : {false, true})
    {
        Quantised q = quantise(values, 1, 4, box, want_box);
        ASSERT_EQ(q.status, TK_Done);
        ASSERT_EQ(q.packed, 4);
        // codes 0, 8, 15, 0, 15, 15, 4 in 4 bits each
        EXPECT_EQ(q.buffer, (Bytes{0x40, 0xFF, 0xF0, 0x08})) << want_box;
    }
    // The maximum itself reaches the all-ones code even at 32 bits.
    std::vector<float> const wide = {-1.0f, 1.0f, 0.0f};
    Quantised const q32 = quantise(wide, 1, 32, nullptr);
    std::vector<float> const back = dequantise(q32, 3, 1, 32);
    EXPECT_EQ(back[0], -1.0f);
    EXPECT_EQ(back[1], 1.0f);
    EXPECT_NEAR(back[2], 0.0f, 1e-6);
    EXPECT_EQ(quantise_value(2.0f, 0.0f, quantisation_scale(0, 1, 32), Bit_Mask[32]), 0xFFFFFFFFu);
}

TEST(Quantiser, FlagsChooseTheTuplesAndTheirBox)
{
    std::vector<float> const values = {100, 100, 0, 0, 50, 50, 10, 20, -100, -100};
    std::vector<std::uint32_t> const flags = {0x2, 0x1, 0x3, 0x1, 0x4};
    Quantised const q = quantise(values, 2, 8, nullptr, true, flags, 0x1);
    ASSERT_EQ(q.status, TK_Done);
    EXPECT_EQ(q.box, (std::vector<float>{0, 0, 50, 50}));
    // Three tuples of two 8-bit codes: 48 bits, two words; the buffer is sized for all five.
    EXPECT_EQ(q.packed, 8);
    EXPECT_EQ(q.buffer.size(), 12u);
    std::vector<float> const back = dequantise(q, 3, 2, 8);
    EXPECT_EQ(back[0], 0.0f);
    EXPECT_EQ(back[2], 50.0f);
    EXPECT_NEAR(back[4], 10.0f, 0.5 * 50 / 255 + 1e-5);
    EXPECT_NEAR(back[5], 20.0f, 0.5 * 50 / 255 + 1e-5);
}

TEST(Quantiser, TheByteFormTakesItsFirstBoxCornerFromTheFirstTuple)
{
    // The first tuple is excluded, yet starts the computed box.
    std::vector<float> const values = {-9, -9, -9, 1, 1, 1, 2, 3, 4};
    std::vector<std::uint32_t> const flags = {0, 1, 1};
    Quantised const q = quantise(values, 3, 8, nullptr, true, flags, 1);
    ASSERT_EQ(q.status, TK_Done);
    EXPECT_EQ(q.box, (std::vector<float>{-9, -9, -9, 2, 3, 4}));
    EXPECT_EQ(q.packed, 6);
}

TEST(Quantiser, RandomTuplesRoundTripWithinHalfAStep)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<float> value(-1000.0f, 1000.0f);
    for (int d = 1; d <= 3; ++d)
        for (int bits : {1, 2, 5, 8, 11, 16, 21, 24, 31, 32})
        {
            int const count = 257;
            std::vector<float> values(std::size_t(count * d));
            for (float& v : values)
                v = value(random);
            Quantised const q = quantise(values, d, bits, nullptr);
            ASSERT_EQ(q.status, TK_Done);
            ASSERT_EQ(q.packed, packed_length(count, d, bits));
            std::vector<float> const back = dequantise(q, count, d, bits);
            for (int c = 0; c < d; ++c)
            {
                float const min = q.box[std::size_t(c)], max = q.box[std::size_t(d + c)];
                double const step = bits == 8 && d == 3
                                        ? (max - min) / 255.0
                                        : (max - min) / double(Bit_Mask[std::size_t(bits)]);
                for (int i = 0; i < count; ++i)
                {
                    std::size_t const at = std::size_t(i * d + c);
                    ASSERT_LE(std::fabs(back[at] - values[at]), 0.5 * step + 5e-4)
                        << "d " << d << " bits " << bits << " item " << i;
                }
            }
        }
}

TEST(Quantiser, TheBufferGrowsToFitAndNeverShrinks)
{
    BStreamFileToolkit tk;
    Bytes buffer;
    std::vector<float> const many(300, 1.5f), few(3, 2.5f);
    int packed = 0;
    ASSERT_EQ(
        quantize_and_pack_floats(tk, 100, 3, many.data(), nullptr, 10, nullptr, buffer, &packed),
        TK_Done);
    EXPECT_EQ(buffer.size(), 376u); // 3000 bits -> 94 words
    ASSERT_EQ(quantize_and_pack_floats(tk, 1, 3, few.data(), nullptr, 10, nullptr, buffer, &packed),
              TK_Done);
    EXPECT_EQ(buffer.size(), 376u);
    EXPECT_EQ(packed, 4);
}

TEST(Quantiser, BadArgumentsAndShortDataAreErrors)
{
    BStreamFileToolkit tk;
    Bytes buffer;
    std::vector<float> const values(6, 1.0f);
    float const box[6] = {0, 0, 0, 1, 1, 1};
    for (int bits : {0, 33, -1})
    {
        EXPECT_EQ(
            quantize_and_pack_floats(tk, 2, 3, values.data(), box, bits, nullptr, buffer, nullptr),
            TK_Error)
            << bits;
        std::vector<float> out(6);
        EXPECT_EQ(
            unpack_and_dequantize_floats(tk, 2, 3, bits, box, Bytes(64).data(), 64, out.data()),
            TK_Error)
            << bits;
    }
    EXPECT_EQ(quantize_and_pack_floats(tk, -1, 3, values.data(), box, 10, nullptr, buffer, nullptr),
              TK_Error);
    EXPECT_EQ(quantize_and_pack_floats(tk, 2, 0, values.data(), box, 10, nullptr, buffer, nullptr),
              TK_Error);
    // A count whose codes need more bytes than an int holds.
    EXPECT_EQ(
        quantize_and_pack_floats(tk, 1 << 30, 3, values.data(), box, 32, nullptr, buffer, nullptr),
        TK_Error);

    // Two points of 10-bit xyz need 60 bits: 8 bytes. Seven are refused, and the
    // output is left untouched.
    Bytes const packed(8, 0xAB);
    std::vector<float> out(6, -3.0f);
    EXPECT_EQ(unpack_and_dequantize_floats(tk, 2, 3, 10, box, packed.data(), 7, out.data()),
              TK_Error);
    EXPECT_EQ(out, std::vector<float>(6, -3.0f));
    EXPECT_EQ(unpack_and_dequantize_floats(tk, 2, 3, 10, box, packed.data(), 8, out.data()),
              TK_Done);
    // The byte form needs 3 bytes a tuple.
    EXPECT_EQ(unpack_and_dequantize_bytes(tk, 3, box, packed.data(), 8, out.data()), TK_Error);
    EXPECT_EQ(unpack_and_dequantize_floats(tk, 3, 3, 8, box, packed.data(), 8, out.data()),
              TK_Error);
}

TEST(Quantiser, ScaleAndStepAreHeldInSinglePrecision)
{
    // (2^24 - 1) / 3 is not a float; the scale is the float nearest to it.
    EXPECT_EQ(quantisation_scale(0.0f, 3.0f, 24), 16777215.0f / 3.0f);
    EXPECT_EQ(quantisation_scale(2.0f, 2.0f, 24), 0.0f);
    EXPECT_EQ(dequantisation_step(0.0f, 3.0f, 24), 3.0f * (1.0f / 16777215.0f));
    EXPECT_EQ(dequantise_value(Bit_Mask[24], -1.0f, 1.0f, 0.5f, Bit_Mask[24]), 1.0f);
    EXPECT_EQ(dequantise_value(3, -1.0f, 1.0f, 0.5f, Bit_Mask[24]), 0.5f);
}

} // namespace
