// The bilevel coder on its own: the code vectors, round trips in every mode
// and fill order, the worst-case rows, damaged and truncated data, and the
// encoder's buffer bound.
#include "imaging/codecs/cals/CcittCoder.h"
#include "imaging/codecs/cals/CcittDecoder.h"
#include "imaging/codecs/cals/CcittEncoder.h"
#include "imaging/codecs/cals/DecodeBlockStream.h"
#include "imaging/codecs/tests/BitonalTestImages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using namespace Omvi;
using OmviTest::BitonalImage;
using Bytes = std::vector<std::uint8_t>;

// The code of a whole image in one buffer large enough for any image.
Bytes encode(const BitonalImage& image, int mode, int fillOrder = 1, int options = 0)
{
    Encoder encoder;
    EXPECT_TRUE(encoder.setup(mode, fillOrder, options, image.width));
    Bytes out(static_cast<std::size_t>(Encoder::worstCaseRowBytes(image.width) * (image.height + 1)));
    std::int32_t produced = 0;
    EXPECT_TRUE(encoder.encodeBlock(image.bits.data(), static_cast<std::int32_t>(image.bits.size()), out.data(),
                                    static_cast<std::int32_t>(out.size()), &produced));
    out.resize(static_cast<std::size_t>(produced));
    return out;
}

BitonalImage decode(const Bytes& code, int width, int height, int mode, int fillOrder = 1, bool* complete = nullptr)
{
    BitonalImage image = OmviTest::blankBitonal(width, height);
    std::fill(image.bits.begin(), image.bits.end(), 0xA5);  // every byte must be written
    Decoder decoder;
    EXPECT_TRUE(decoder.setup(mode, fillOrder, width));
    const bool decoded = decoder.decodeBlock(code.data(), static_cast<std::int32_t>(code.size()), image.bits.data(),
                                             static_cast<std::int32_t>(image.bits.size()));
    if (complete != nullptr)
        *complete = decoded;
    return image;
}

// The code bits as '0' and '1', first bit first (most significant first).
std::string bitText(const Bytes& bytes)
{
    std::string text;
    for (std::uint8_t byte : bytes)
        for (int bit = 7; bit >= 0; --bit)
            text += (byte >> bit) & 1 ? '1' : '0';
    return text;
}

const int kModes[] = {CcittMode::kGroup3OneDimensional, CcittMode::kGroup3TwoDimensional, CcittMode::kGroup4};

TEST(CcittCoder, WhiteRowOfEightIsOneVerticalCodeAndEndOfBlock)
{
    const BitonalImage white = OmviTest::blankBitonal(8, 1);
    const Bytes code = encode(white, CcittMode::kGroup4);
    // V0, then two end-of-line codes, then zero fill.
    EXPECT_EQ(code, (Bytes{0x80, 0x08, 0x00, 0x80}));
    bool complete = false;
    const BitonalImage back = decode(code, 8, 1, CcittMode::kGroup4, 1, &complete);
    EXPECT_TRUE(complete);
    EXPECT_EQ(back.bits, Bytes{0x00});
}

TEST(CcittCoder, LongRunsUseTheLargestMakeUpCodesFirst)
{
    const std::string eol = "000000000001";
    const std::string makeUp2560 = "000000011111";
    // 2600 = 2560 + 40.
    EXPECT_EQ(bitText(encode(OmviTest::blankBitonal(2600, 1), CcittMode::kGroup3OneDimensional)),
              eol + makeUp2560 + "00101001");
    // 5200 = 2560 + 2560 + 64 + 16.
    EXPECT_EQ(bitText(encode(OmviTest::blankBitonal(5200, 1), CcittMode::kGroup3OneDimensional)),
              eol + makeUp2560 + makeUp2560 + "11011" + "101010" + "0");
    // A black run of 2600 after a white run of 0.
    BitonalImage black = OmviTest::blankBitonal(2600, 1);
    std::fill(black.bits.begin(), black.bits.end(), 0xFF);
    EXPECT_EQ(bitText(encode(black, CcittMode::kGroup3OneDimensional)),
              eol + "00110101" + makeUp2560 + "000001101100" + "0000");
    for (const BitonalImage& image : {OmviTest::blankBitonal(5200, 2), black})
        for (int mode : kModes)
            EXPECT_EQ(decode(encode(image, mode), image.width, image.height, mode), image) << mode;
}

TEST(CcittCoder, RoundTripsInEveryModeAndFillOrder)
{
    const std::vector<BitonalImage> images = {
        OmviTest::textLikeBitonal(317, 61),    OmviTest::noiseBitonal(64, 40, 5, 50),
        OmviTest::noiseBitonal(1, 9, 6, 50),   OmviTest::noiseBitonal(13, 7, 7, 10),
        OmviTest::checkerBitonal(100, 17, 3),  OmviTest::noiseBitonal(3000, 3, 8, 2),
        OmviTest::blankBitonal(9, 4)};
    for (const BitonalImage& image : images)
        for (int mode : kModes)
            for (int fillOrder : {0, 1})
            {
                bool complete = false;
                const Bytes code = encode(image, mode, fillOrder);
                EXPECT_EQ(decode(code, image.width, image.height, mode, fillOrder, &complete), image)
                    << image.width << "x" << image.height << " mode " << mode << " fill order " << fillOrder;
                EXPECT_TRUE(complete);
            }
}

TEST(CcittCoder, GroupThreeOptionsStillDecode)
{
    const BitonalImage image = OmviTest::textLikeBitonal(203, 30, 9);
    for (int mode : {CcittMode::kGroup3OneDimensional, CcittMode::kGroup3TwoDimensional})
        for (int options : std::vector<int>{CcittOption::kFillBeforeEol, CcittOption::kByteAlignedRows, CcittOption::kWordAlignedRows,
                            CcittOption::kFillBeforeEol | CcittOption::kWordAlignedRows})
            EXPECT_EQ(decode(encode(image, mode, 1, options), image.width, image.height, mode), image)
                << mode << " " << options;
    // With fill, every end-of-line code ends a byte: the code of a white
    // row of 16 then reads EOL on bytes 0-1 after 4 fill bits.
    const Bytes filled = encode(OmviTest::blankBitonal(16, 1), CcittMode::kGroup3OneDimensional, 1,
                                CcittOption::kFillBeforeEol);
    ASSERT_GE(filled.size(), 2u);
    EXPECT_EQ(filled[0], 0x00);
    EXPECT_EQ(filled[1], 0x01);
}

TEST(CcittCoder, AlternatingRowsAtWidthsOfWholeWordsDecodeWithinTheirArrays)
{
    // Every pixel is a change, and the reference row holds the opposite
    // pattern: the most changes a row can have.
    for (int width : {32, 64, 96, 1024, 4096})
    {
        BitonalImage image = OmviTest::blankBitonal(width, 6);
        for (int r = 0; r < image.height; ++r)
            std::fill(image.row(r), image.row(r) + image.rowBytes(), r % 2 == 0 ? 0xAA : 0x55);
        for (int mode : kModes)
            for (int fillOrder : {0, 1})
                EXPECT_EQ(decode(encode(image, mode, fillOrder), width, image.height, mode, fillOrder), image)
                    << width << " " << mode;
        // Starting black (0x55 rows first) as well.
        std::swap_ranges(image.row(0), image.row(0) + image.rowBytes(), image.row(1));
        for (int mode : kModes)
            EXPECT_EQ(decode(encode(image, mode), width, image.height, mode), image) << width << " " << mode;
    }
}

TEST(CcittCoder, LeastSignificantBitFirstIsTheReversedByteOrder)
{
    OmviTest::CapturedDiagnostics diagnostics;
    const BitonalImage image = OmviTest::textLikeBitonal(77, 12);
    for (int mode : kModes)
    {
        const Bytes msb = encode(image, mode, 1);
        Bytes lsb = encode(image, mode, 0);
        ASSERT_EQ(msb.size(), lsb.size());
        for (std::uint8_t& byte : lsb)
        {
            std::uint8_t reversed = 0;
            for (int bit = 0; bit < 8; ++bit)
                if (byte & (1 << bit))
                    reversed |= static_cast<std::uint8_t>(0x80 >> bit);
            byte = reversed;
        }
        EXPECT_EQ(lsb, msb) << mode;
        // Read with the wrong order, the rows are not the image.
        EXPECT_NE(decode(msb, image.width, image.height, mode, 0), image);
    }
}

TEST(CcittCoder, TruncatedDataEndsTheRowWhiteAndAnswersFalse)
{
    OmviTest::CapturedDiagnostics diagnostics;
    BitonalImage image = OmviTest::blankBitonal(64, 4);
    std::fill(image.bits.begin(), image.bits.end(), 0xFF);  // black rows
    for (int mode : kModes)
    {
        const Bytes code = encode(image, mode);
        // Up to the middle of the first row's code.
        const Bytes cut(code.begin(), code.begin() + 1);
        bool complete = true;
        const BitonalImage back = decode(cut, 64, 4, mode, 1, &complete);
        EXPECT_FALSE(complete) << mode;
        for (int r = 1; r < 4; ++r)
            for (int x = 0; x < 64; ++x)
                EXPECT_FALSE(back.pixel(x, r)) << mode;
        EXPECT_TRUE(diagnostics.contains("PrematureEOF:: ")) << diagnostics.text();
    }
    // Nothing at all.
    bool complete = true;
    const BitonalImage none = decode(Bytes{}, 10, 2, CcittMode::kGroup4, 1, &complete);
    EXPECT_FALSE(complete);
    EXPECT_EQ(none, OmviTest::blankBitonal(10, 2));
}

TEST(CcittCoder, ShortRowsArePaddedWhiteAndReported)
{
    OmviTest::CapturedDiagnostics diagnostics;
    // A Group 3 row of 8 white pels (EOL, run 8) read at width 20, then the
    // next EOL.
    const Bytes code = encode(OmviTest::blankBitonal(8, 2), CcittMode::kGroup3OneDimensional);
    bool complete = false;
    const BitonalImage back = decode(code, 20, 1, CcittMode::kGroup3OneDimensional, 1, &complete);
    EXPECT_EQ(back, OmviTest::blankBitonal(20, 1));
    EXPECT_TRUE(diagnostics.contains("BadLength: (x 8) : 20")) << diagnostics.text();
    // A Group 4 code whose first mode points past the row (VR3 off a white
    // reference) is a bad code, and the row stays white.
    diagnostics.text().clear();
    const BitonalImage bad = decode(Bytes{0x06, 0x00}, 16, 1, CcittMode::kGroup4);
    EXPECT_EQ(bad, OmviTest::blankBitonal(16, 1));
    EXPECT_TRUE(diagnostics.contains("Bad code word in MainTable")) << diagnostics.text();
}

TEST(CcittCoder, EndOfBlockBeforeTheLastRowAnswersFalse)
{
    const BitonalImage image = OmviTest::textLikeBitonal(40, 3);
    const Bytes code = encode(image, CcittMode::kGroup4);
    bool complete = true;
    const BitonalImage back = decode(code, 40, 5, CcittMode::kGroup4, 1, &complete);
    EXPECT_FALSE(complete);
    for (int r = 0; r < 3; ++r)
        EXPECT_TRUE(std::equal(back.row(r), back.row(r) + back.rowBytes(), image.row(r)));
    for (int r = 3; r < 5; ++r)
        for (int x = 0; x < 40; ++x)
            EXPECT_FALSE(back.pixel(x, r));
}

TEST(CcittCoder, DamagedCodeNeverLeavesTheRowsOrHangs)
{
    OmviTest::CapturedDiagnostics diagnostics;
    std::uint32_t state = 12345;
    for (int round = 0; round < 300; ++round)
    {
        Bytes noise(static_cast<std::size_t>(1 + round % 97));
        for (std::uint8_t& byte : noise)
        {
            state = state * 1664525u + 1013904223u;
            byte = static_cast<std::uint8_t>(state >> 24);
        }
        const int width = 1 + static_cast<int>(state % 300);
        for (int mode : kModes)
        {
            // Bytes just past the rows must stay as they were.
            const int bytesPerRow = (width + 7) / 8;
            Bytes rows(static_cast<std::size_t>(bytesPerRow * 7 + 16), 0xEE);
            Decoder decoder;
            ASSERT_TRUE(decoder.setup(mode, round % 2, width));
            decoder.decodeBlock(noise.data(), static_cast<std::int32_t>(noise.size()), rows.data(), bytesPerRow * 7);
            for (std::size_t i = static_cast<std::size_t>(bytesPerRow * 7); i < rows.size(); ++i)
                ASSERT_EQ(rows[i], 0xEE);
            // Bits past the width are clear.
            if (width % 8 != 0)
            {
                for (int r = 0; r < 7; ++r)
                    ASSERT_EQ(rows[static_cast<std::size_t>(r * bytesPerRow + bytesPerRow - 1)] &
                                  (0xFF >> (width % 8)),
                              0);
            }
        }
    }
}

TEST(CcittCoder, PartOfARowGetsThatManyBytes)
{
    const BitonalImage image = OmviTest::noiseBitonal(40, 1, 3);
    const Bytes code = encode(image, CcittMode::kGroup4);
    Bytes part(3, 0xEE);
    part.push_back(0x77);
    Decoder decoder;
    ASSERT_TRUE(decoder.setup(CcittMode::kGroup4, 1, 40));
    EXPECT_TRUE(decoder.decodeBlock(code.data(), static_cast<std::int32_t>(code.size()), part.data(), 3));
    EXPECT_TRUE(std::equal(part.begin(), part.begin() + 3, image.bits.begin()));
    EXPECT_EQ(part[3], 0x77);
}

TEST(CcittCoder, RowsComeOneCallAfterAnotherFromAStream)
{
    const BitonalImage image = OmviTest::textLikeBitonal(150, 40, 4);
    for (int mode : kModes)
    {
        const Bytes code = encode(image, mode);
        DecodeBlockStream stream(code.data(), static_cast<std::int32_t>(code.size()));
        ASSERT_TRUE(stream.open(DataStreamInterface::kRead));
        Decoder decoder;
        ASSERT_TRUE(decoder.setup(mode, 1, 150));
        decoder.setStream(&stream);
        BitonalImage back = OmviTest::blankBitonal(150, 40);
        for (int r = 0; r < 40; ++r)
            EXPECT_TRUE(decoder.decodeRows(back.row(r), back.rowBytes()));
        EXPECT_EQ(back, image) << mode;
        EXPECT_EQ(decoder.rowCounter(), 40);
    }
}

TEST(CcittCoder, EncoderStopsAtItsCapacityAndSaysSo)
{
    const BitonalImage image = OmviTest::checkerBitonal(256, 8);
    for (int mode : kModes)
    {
        Encoder encoder;
        ASSERT_TRUE(encoder.setup(mode, 1, 0, 256));
        Bytes out(40 + 8, 0xEE);
        encoder.setOutput(out.data(), 40);
        std::int32_t produced = -1;
        EXPECT_FALSE(encoder.encodeRows(image.bits.data(), static_cast<std::int32_t>(image.bits.size()), &produced));
        EXPECT_LE(produced, 40);
        for (std::size_t i = 40; i < out.size(); ++i)
            EXPECT_EQ(out[i], 0xEE);
        // A buffer of the worst case per row always takes a row.
        const auto worst = static_cast<std::int32_t>(Encoder::worstCaseRowBytes(256));
        Bytes room(static_cast<std::size_t>(worst));
        encoder.setOutput(room.data(), worst);
        for (int r = 0; r < 8; ++r)
        {
            EXPECT_TRUE(encoder.encodeRows(image.row(r), image.rowBytes(), &produced)) << mode;
            encoder.resetOutput();
        }
        EXPECT_TRUE(encoder.finish(&produced));
    }
}

TEST(CcittCoder, SetupRefusesWhatItCannotCode)
{
    Decoder decoder;
    EXPECT_FALSE(decoder.setup(3, 1, 10));
    EXPECT_FALSE(decoder.setup(CcittMode::kGroup4, 1, 0));
    EXPECT_FALSE(decoder.setup(CcittMode::kGroup4, 1, Decoder::kMaximumWidth + 1));
    std::uint8_t row = 0x55;
    EXPECT_FALSE(decoder.decodeRows(&row, 1));
    EXPECT_EQ(row, 0x55);
    Encoder encoder;
    EXPECT_FALSE(encoder.setup(-1, 1, 0, 10));
    EXPECT_FALSE(encoder.setup(CcittMode::kGroup4, 1, 0, -5));
}

TEST(DecodeBlockStream, ReadsOnlyWhenOpenForReading)
{
    const std::uint8_t data[5] = {1, 2, 3, 4, 5};
    DecodeBlockStream stream(data, 5);
    std::uint8_t out[8] = {};
    std::int32_t got = 9;
    stream.read(3, out, &got);
    EXPECT_EQ(got, 0);
    EXPECT_FALSE(stream.open(DataStreamInterface::kWrite));
    EXPECT_TRUE(stream.open(DataStreamInterface::kRead));
    EXPECT_FALSE(stream.open(DataStreamInterface::kRead));
    stream.read(3, out, &got);
    EXPECT_EQ(got, 3);
    stream.read(8, out, &got);
    EXPECT_EQ(got, 2);
    EXPECT_EQ(out[1], 5);
    stream.read(8, out, &got);
    EXPECT_EQ(got, 0);
    stream.read(-1, out, &got);
    EXPECT_EQ(got, 0);
    EXPECT_TRUE(stream.rewind());
    stream.read(1, out, &got);
    EXPECT_EQ(out[0], 1);
    EXPECT_FALSE(stream.write(1, out));
    stream.close();
    EXPECT_FALSE(stream.rewind());
}

} // namespace
