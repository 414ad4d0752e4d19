// The bilevel coder against independent ones: strips that tiffcp codes in
// Group 3 1-D, Group 3 2-D and Group 4, in both fill orders, decode to what
// libtiff decodes from them; strips we code decode through libtiff (and
// fax2tiff) to the rows we coded; netpbm's Group 3 files decode, and ours
// go through g3topbm.
#include "imaging/codecs/cals/CcittDecoder.h"
#include "imaging/codecs/cals/CcittEncoder.h"
#include "imaging/codecs/tests/CcittTiffSupport.h"
#include "imaging/codecs/tests/ImageTestSupport.h"
#include "imaging/tests/ToolCheck.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using namespace Omvi;
using OmviTest::BitonalImage;
using Bytes = std::vector<std::uint8_t>;

int modeOf(const OmviTest::TiffStrips& strips)
{
    if (strips.compression == COMPRESSION_CCITTFAX4)
        return CcittMode::kGroup4;
    return (strips.t4Options & GROUP3OPT_2DENCODING) != 0 ? CcittMode::kGroup3TwoDimensional
                                                         : CcittMode::kGroup3OneDimensional;
}

std::vector<BitonalImage> sampleImages()
{
    // Every pixel a change; the width is not a multiple of 32, which
    // libtiff's one-dimensional decoder has no room for.
    BitonalImage alternating = OmviTest::blankBitonal(100, 20);
    for (int r = 0; r < alternating.height; ++r)
        std::fill(alternating.row(r), alternating.row(r) + alternating.rowBytes(), r % 2 ? 0x55 : 0xAA);
    alternating.clearPadding();
    return {OmviTest::textLikeBitonal(1728, 150), OmviTest::textLikeBitonal(803, 97, 5),
            OmviTest::checkerBitonal(333, 40, 1), OmviTest::noiseBitonal(2600, 12, 4, 3), alternating};
}

BitonalImage readPbm(const Bytes& bytes)
{
    BitonalImage image;
    std::string header;
    std::size_t at = 0;
    int fields = 0;
    std::string token;
    int values[3] = {};
    while (at < bytes.size() && fields < 3)
    {
        const char c = static_cast<char>(bytes[at++]);
        if (c == '#')
        {
            while (at < bytes.size() && bytes[at] != '\n')
                ++at;
        }
        else if (std::isspace(static_cast<unsigned char>(c)))
        {
            if (!token.empty())
            {
                if (fields == 0 && token != "P4")
                    return image;
                values[fields] = fields == 0 ? 0 : std::atoi(token.c_str());
                ++fields;
                token.clear();
            }
        }
        else
        {
            token += c;
        }
    }
    image = OmviTest::blankBitonal(values[1], values[2]);
    if (bytes.size() - at < image.bits.size())
        return BitonalImage{};
    std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(at),
              bytes.begin() + static_cast<std::ptrdiff_t>(at + image.bits.size()), image.bits.begin());
    return image;
}

class CcittAgainstLibtiff : public ::testing::Test
{
protected:
    OmviTest::ScratchFolder folder;
    OmviTest::TiffComplaints complaints;
};

TEST_F(CcittAgainstLibtiff, DecodesTheStripsTiffcpCodes)
{
    OMVI_REQUIRE_TOOL("tiffcp");
    OmviTest::CapturedDiagnostics diagnostics;
    const std::vector<std::string> schemes = {"g3", "g3:2d", "g4"};
    int image = 0;
    for (const BitonalImage& source : sampleImages())
    {
        const std::string plain = folder.file("plain" + std::to_string(image) + ".tif");
        ASSERT_TRUE(OmviTest::writeBitonalTiff(plain, source, 16));
        for (const std::string& scheme : schemes)
            for (const std::string& order : {std::string(), std::string(" -f lsb2msb")})
            {
                const std::string coded = folder.file("coded.tif");
                ASSERT_EQ(OmviTest::runCommand("tiffcp -c " + scheme + order + " -r 16 '" + plain + "' '" + coded +
                                               "' 2>/dev/null"),
                          0);
                OmviTest::TiffStrips strips;
                ASSERT_TRUE(OmviTest::readTiffStrips(coded, strips)) << OmviTest::TiffComplaints::text();
                ASSERT_EQ(strips.fillOrder, order.empty() ? 1 : 0);
                Decoder decoder;
                ASSERT_TRUE(decoder.setup(modeOf(strips), strips.fillOrder, strips.width));
                for (std::size_t s = 0; s < strips.raw.size(); ++s)
                {
                    const Bytes& theirs = strips.decoded[s];
                    Bytes ours(theirs.size(), 0xA5);
                    EXPECT_TRUE(decoder.decodeBlock(strips.raw[s].data(), static_cast<std::int32_t>(strips.raw[s].size()),
                                                    ours.data(), static_cast<std::int32_t>(ours.size())));
                    ASSERT_EQ(ours, theirs) << "image " << image << " " << scheme << order << " strip " << s;
                    // And both are the rows that went in.
                    ASSERT_TRUE(std::equal(theirs.begin(), theirs.end(), source.row(static_cast<int>(s) * 16)));
                }
            }
        ++image;
    }
    EXPECT_EQ(diagnostics.text(), "");
}

TEST_F(CcittAgainstLibtiff, StripsWeCodeDecodeThroughLibtiff)
{
    const int rowsPerStrip = 24;
    for (const BitonalImage& source : sampleImages())
        for (int mode : {CcittMode::kGroup3OneDimensional, CcittMode::kGroup3TwoDimensional, CcittMode::kGroup4})
            for (int fillOrder : {0, 1})
                for (int options : {0, int{CcittOption::kFillBeforeEol}})
                {
                    if (mode == CcittMode::kGroup4 && options != 0)
                        continue;
                    std::vector<Bytes> strips;
                    Encoder encoder;
                    ASSERT_TRUE(encoder.setup(mode, fillOrder, options, source.width));
                    for (int top = 0; top < source.height; top += rowsPerStrip)
                    {
                        const int rows = std::min(rowsPerStrip, source.height - top);
                        Bytes strip(static_cast<std::size_t>(Encoder::worstCaseRowBytes(source.width) * (rows + 1)));
                        std::int32_t produced = 0;
                        ASSERT_TRUE(encoder.encodeBlock(source.row(top), rows * source.rowBytes(), strip.data(),
                                                        static_cast<std::int32_t>(strip.size()), &produced));
                        strip.resize(static_cast<std::size_t>(produced));
                        strips.push_back(std::move(strip));
                    }
                    std::uint32_t t4 = 0;
                    if (mode == CcittMode::kGroup3TwoDimensional)
                        t4 |= GROUP3OPT_2DENCODING;
                    if (options & CcittOption::kFillBeforeEol)
                        t4 |= GROUP3OPT_FILLBITS;
                    const std::string path = folder.file("ours.tif");
                    ASSERT_TRUE(OmviTest::writeBitonalTiff(path, source, rowsPerStrip,
                                                           mode == CcittMode::kGroup4 ? COMPRESSION_CCITTFAX4
                                                                                      : COMPRESSION_CCITTFAX3,
                                                           t4, fillOrder, &strips));
                    BitonalImage back;
                    ASSERT_TRUE(OmviTest::readTiffImage(path, back)) << OmviTest::TiffComplaints::text();
                    EXPECT_EQ(back, source) << source.width << " mode " << mode << " fill order " << fillOrder
                                            << " options " << options;
                    EXPECT_EQ(OmviTest::TiffComplaints::text(), "");
                }
}

TEST_F(CcittAgainstLibtiff, Fax2tiffTakesOurPages)
{
    OMVI_REQUIRE_TOOL("fax2tiff");
    const BitonalImage page = OmviTest::textLikeBitonal(1728, 120, 8);
    struct Case
    {
        int mode;
        const char* flags;
    };
    for (const Case& c : {Case{CcittMode::kGroup3OneDimensional, "-3 -1"}, Case{CcittMode::kGroup3TwoDimensional, "-3 -2"},
                          Case{CcittMode::kGroup4, "-4"}})
        for (int fillOrder : {0, 1})
        {
            Encoder encoder;
            ASSERT_TRUE(encoder.setup(c.mode, fillOrder, 0, page.width));
            Bytes code(static_cast<std::size_t>(Encoder::worstCaseRowBytes(page.width) * (page.height + 1)));
            std::int32_t produced = 0;
            ASSERT_TRUE(encoder.encodeBlock(page.bits.data(), static_cast<std::int32_t>(page.bits.size()), code.data(),
                                            static_cast<std::int32_t>(code.size()), &produced));
            code.resize(static_cast<std::size_t>(produced));
            const std::string raw = folder.file("page.fax");
            const std::string tiff = folder.file("page.tif");
            ASSERT_TRUE(OmviTest::writeFileBytes(raw, code));
            const std::string order = fillOrder == 1 ? " -M" : " -L";
            ASSERT_EQ(OmviTest::runCommand("fax2tiff " + std::string(c.flags) + order + " -X 1728 -u -o '" + tiff +
                                           "' '" + raw + "' >/dev/null 2>&1"),
                      0);
            BitonalImage back;
            ASSERT_TRUE(OmviTest::readTiffImage(tiff, back));
            // fax2tiff counts the end-of-block code of a Group 4 page as one
            // more (white) row.
            if (c.mode == CcittMode::kGroup4 && back.height == page.height + 1)
            {
                EXPECT_TRUE(std::all_of(back.row(page.height), back.row(page.height) + back.rowBytes(),
                                        [](std::uint8_t byte) { return byte == 0; }));
                back.height = page.height;
                back.bits.resize(page.bits.size());
            }
            EXPECT_EQ(back, page) << c.flags << order;
        }
}

TEST_F(CcittAgainstLibtiff, NetpbmGroupThreeBothWays)
{
    OMVI_REQUIRE_TOOL("pbmtog3");
    OMVI_REQUIRE_TOOL("g3topbm");
    OmviTest::CapturedDiagnostics diagnostics;
    for (const BitonalImage& page : {OmviTest::textLikeBitonal(1728, 80, 2), OmviTest::noiseBitonal(1728, 10, 3, 40)})
    {
        const std::string pbm = folder.file("page.pbm");
        ASSERT_TRUE(OmviTest::writePbm(pbm, page));
        // Theirs into our decoder.
        const Bytes theirs = OmviTest::runCapture("pbmtog3 '" + pbm + "'");
        ASSERT_FALSE(theirs.empty());
        BitonalImage decoded = OmviTest::blankBitonal(page.width, page.height);
        Decoder decoder;
        ASSERT_TRUE(decoder.setup(CcittMode::kGroup3OneDimensional, 1, page.width));
        EXPECT_TRUE(decoder.decodeBlock(theirs.data(), static_cast<std::int32_t>(theirs.size()), decoded.bits.data(),
                                        static_cast<std::int32_t>(decoded.bits.size())));
        EXPECT_EQ(decoded, page);
        // Ours into g3topbm.
        Encoder encoder;
        ASSERT_TRUE(encoder.setup(CcittMode::kGroup3OneDimensional, 1, 0, page.width));
        Bytes code(static_cast<std::size_t>(Encoder::worstCaseRowBytes(page.width) * (page.height + 1)));
        std::int32_t produced = 0;
        ASSERT_TRUE(encoder.encodeBlock(page.bits.data(), static_cast<std::int32_t>(page.bits.size()), code.data(),
                                        static_cast<std::int32_t>(code.size()), &produced));
        code.resize(static_cast<std::size_t>(produced));
        const std::string g3 = folder.file("ours.g3");
        ASSERT_TRUE(OmviTest::writeFileBytes(g3, code));
        EXPECT_EQ(readPbm(OmviTest::runCapture("g3topbm '" + g3 + "'")), page);
    }
    EXPECT_EQ(diagnostics.text(), "");
}

} // namespace
