// The TIFF reader against independent decoders: layouts written by the
// test generator (checked by netpbm's tifftopnm) and files written by
// ImageMagick, tiffcp, netpbm and PIL, in every compression libtiff
// offers, strips and tiles, 1 to 16 bits per sample, palettes, alpha and
// several directories. Bitonal rows hold a set bit for ink whatever the
// file's photometric interpretation.
#include "imaging/codecs/tests/SharedTestSupport.h"
#include "TiffTestSupport.h"
#include "imaging/codecs/tests/ReadCallCount.h"

#include "imaging/OMVIException.h"
#include "imaging/codecs/DirectTileReadInterface.h"
#include "imaging/codecs/SubRegionRowIteratorInterface.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/tiff/reader/TiffReadFile.h"
#include "imaging/tests/ToolCheck.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

using namespace Omvi;
using namespace OmviTest::Tiff;
using OmviTest::ScratchFolder;

namespace
{

// Odd sizes: partial bytes, partial strips and partial tiles everywhere.
constexpr std::uint32_t kWidth = 37;
constexpr std::uint32_t kHeight = 23;

std::vector<std::uint16_t> mapChannel(std::size_t entries, std::uint32_t seed)
{
    const Bytes values = pattern(entries, seed);
    std::vector<std::uint16_t> channel(entries);
    for (std::size_t i = 0; i < entries; ++i)
        channel[i] = static_cast<std::uint16_t>(values[i] * 257);  // exact in 8 and 16 bits
    return channel;
}

TiffSpec spec(std::uint16_t bits, std::uint16_t samples, std::uint16_t photometric)
{
    TiffSpec s;
    s.width = kWidth;
    s.height = kHeight;
    s.bitsPerSample = bits;
    s.samplesPerPixel = samples;
    s.photometric = photometric;
    if (photometric == PHOTOMETRIC_PALETTE)
    {
        const std::size_t entries = std::size_t{1} << bits;
        s.red = mapChannel(entries, 11);
        s.green = mapChannel(entries, 12);
        s.blue = mapChannel(entries, 13);
    }
    return s;
}

Bytes pixelsFor(const TiffSpec& s, std::uint32_t seed = 3)
{
    const std::size_t planes = s.planar == PLANARCONFIG_SEPARATE ? s.samplesPerPixel : 1;
    Bytes data = pattern(planeRowBytes(s) * s.height * planes, seed);
    if (s.bitsPerSample == 16)
    {
        // Whole 16-bit values in the machine's order, as libtiff takes them.
        for (std::size_t i = 0; i + 1 < data.size(); i += 2)
        {
            const std::uint16_t value = static_cast<std::uint16_t>(data[i] << 8 | data[i + 1]);
            std::memcpy(data.data() + i, &value, 2);
        }
    }
    return data;
}

class TiffReaderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(folder_.path().empty()); }

    std::string generate(const std::string& name, const std::vector<TiffSpec>& specs, const std::vector<Bytes>& data)
    {
        const std::string path = folder_.file(name);
        EXPECT_TRUE(writeTiff(path, specs, data)) << name;
        return path;
    }
    std::string generate(const std::string& name, const TiffSpec& s)
    {
        return generate(name, std::vector<TiffSpec>{s}, std::vector<Bytes>{pixelsFor(s)});
    }

    // Runs a command in the test folder; false (with a failure) when it fails.
    bool run(const std::string& command)
    {
        const int status = OmviTest::runCommand("cd '" + folder_.path() + "' && ( " + command + " ) >/dev/null 2>&1");
        EXPECT_EQ(status, 0) << command;
        return status == 0;
    }

    // The reference picture netpbm's tifftopnm decodes from the file; row by
    // row it keeps 16-bit samples whole (strips of interleaved samples only).
    std::optional<Pnm> tifftopnm(const std::string& path, bool byRow = false)
    {
        const std::optional<std::string> out = capture(std::string("tifftopnm ") + (byRow ? "-byrow " : "") + quoted(path));
        return out ? parsePnm(*out) : std::nullopt;
    }

    // The reference picture ImageMagick decodes from the file, 8 bits a
    // sample.
    std::optional<Pnm> magick(const std::string& path)
    {
        const std::optional<std::string> out = capture("convert " + quoted(path) + " -depth 8 pnm:-");
        return out ? parsePnm(*out) : std::nullopt;
    }

    // The codec's picture equals tifftopnm's.
    void expectSameAsTifftopnm(const std::string& path, int frame = 0)
    {
        SCOPED_TRACE(path);
        const std::optional<Decoded> decoded = decodeChecked(codec_, path, frame);
        ASSERT_TRUE(decoded);
        const std::optional<Pnm> reference = tifftopnm(path);
        ASSERT_TRUE(reference);
        ASSERT_EQ(reference->width, decoded->width);
        ASSERT_EQ(reference->height, decoded->height);
        EXPECT_EQ(rgbOf(*decoded), rgbOf(*reference));
    }

    // A file of `pages` 8 x 8 grey pages written by libtiff, page p filled
    // with the level pageLevel(p).
    std::string writePages(const std::string& name, int pages, const char* mode = "w")
    {
        TiffSpec page;  // uncompressed 8-bit grey
        page.width = page.height = 8;
        page.subfileType = FILETYPE_PAGE;
        std::vector<TiffSpec> specs(static_cast<std::size_t>(pages), page);
        std::vector<Bytes> data;
        for (int p = 0; p < pages; ++p)
            data.emplace_back(64, pageLevel(p));
        const std::string path = folder_.file(name);
        EXPECT_TRUE(writeTiff(path, specs, data, mode)) << name;
        return path;
    }
    static std::uint8_t pageLevel(int page) { return static_cast<std::uint8_t>(page * 7 % 251); }

    // Counts the frames of a file of writePages and reaches every one as
    // the texture conversion's scan does (the frame, its properties) and
    // then its first row; answers the read calls all of that made.
    std::uint64_t readCallsToReachEveryPage(const std::string& path, int pages)
    {
        const std::uint64_t before = *OmviTest::readCallsSoFar();
        std::unique_ptr<ReadImageFileInterface> reader(codec_.openForRead(specifierOf(path)));
        EXPECT_TRUE(reader);
        if (!reader)
            return 0;
        EXPECT_EQ(reader->frameCount(), pages);
        DataBuffer row(8);
        for (int p = 0; p < reader->frameCount(); ++p)
        {
            std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(p));
            EXPECT_TRUE(frame) << p;
            if (!frame)
                return 0;
            std::unique_ptr<FormatCodecPropertySetIterator> properties(frame->getProperties());
            EXPECT_TRUE(properties) << p;
            std::unique_ptr<RowIteratorInterface> rows(frame->newRowIterator());
            EXPECT_TRUE(rows) << p;
            if (!rows)
                return 0;
            rows->start();
            rows->getRow(row);
            EXPECT_EQ(row.data()[0], pageLevel(p)) << p;
            EXPECT_EQ(row.data()[7], pageLevel(p)) << p;
        }
        return *OmviTest::readCallsSoFar() - before;
    }

    TiffFormatCodec codec_{TiffFormatCodec::kWithLzw};
    ScratchFolder folder_;
};

void expectWithin(const Bytes& actual, const Bytes& expected, int tolerance)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i)
        ASSERT_LE(std::abs(actual[i] - expected[i]), tolerance) << i;
}

struct LayoutCase
{
    const char* name;
    TiffSpec spec;
    int model;
    int sampleKind;
    int bitsPerPixel;
};

TiffSpec with(TiffSpec s, std::uint16_t compression, std::uint32_t tile = 0, std::uint16_t planar = PLANARCONFIG_CONTIG)
{
    s.compression = compression;
    s.tileWidth = tile;
    s.tileLength = tile;
    s.planar = planar;
    if (!tile)
        s.rowsPerStrip = 5;
    return s;
}

std::vector<LayoutCase> layoutCases()
{
    std::vector<LayoutCase> cases = {
        {"bilevel-white-none", with(spec(1, 1, 0), COMPRESSION_NONE), 4, 0, 1},
        {"bilevel-black-lzw", with(spec(1, 1, 1), COMPRESSION_LZW), 4, 0, 1},
        {"bilevel-white-g4-tiles", with(spec(1, 1, 0), COMPRESSION_CCITTFAX4, 16), 4, 0, 1},
        {"bilevel-black-g3", with(spec(1, 1, 1), COMPRESSION_CCITTFAX3), 4, 0, 1},
        {"bilevel-white-rle", with(spec(1, 1, 0), COMPRESSION_CCITTRLE), 4, 0, 1},
        {"bilevel-black-packbits-tiles", with(spec(1, 1, 1), COMPRESSION_PACKBITS, 32), 4, 0, 1},
        {"grey2-black", with(spec(2, 1, 1), COMPRESSION_NONE), 3, 1, 2},
        {"grey2-white-tiles", with(spec(2, 1, 0), COMPRESSION_LZW, 16), 3, 1, 2},
        {"grey4-white-deflate-tiles", with(spec(4, 1, 0), COMPRESSION_ADOBE_DEFLATE, 16), 3, 1, 4},
        {"grey4-black-packbits", with(spec(4, 1, 1), COMPRESSION_PACKBITS), 3, 1, 4},
        {"grey8-white", with(spec(8, 1, 0), COMPRESSION_NONE), 3, 1, 8},
        {"grey8-black-lzw", with(spec(8, 1, 1), COMPRESSION_LZW), 3, 1, 8},
        {"grey8-black-packbits", with(spec(8, 1, 1), COMPRESSION_PACKBITS), 3, 1, 8},
        {"grey8-white-tiles", with(spec(8, 1, 0), COMPRESSION_ADOBE_DEFLATE, 32), 3, 1, 8},
        {"palette1", with(spec(1, 1, 3), COMPRESSION_NONE), 2, 1, 1},
        {"palette2-lzw", with(spec(2, 1, 3), COMPRESSION_LZW), 2, 1, 2},
        {"palette4-tiles", with(spec(4, 1, 3), COMPRESSION_PACKBITS, 16), 2, 1, 4},
        {"palette8-packbits", with(spec(8, 1, 3), COMPRESSION_PACKBITS), 2, 1, 8},
        {"palette8-tiles", with(spec(8, 1, 3), COMPRESSION_NONE, 16), 2, 1, 8},
        {"rgb-none", with(spec(8, 3, 2), COMPRESSION_NONE), 1, 3, 24},
        {"rgb-separate-lzw", with(spec(8, 3, 2), COMPRESSION_LZW, 0, PLANARCONFIG_SEPARATE), 1, 3, 24},
        {"rgb-deflate-tiles", with(spec(8, 3, 2), COMPRESSION_ADOBE_DEFLATE, 16), 1, 3, 24},
        {"rgb-separate-tiles", with(spec(8, 3, 2), COMPRESSION_NONE, 16, PLANARCONFIG_SEPARATE), 1, 3, 24},
    };
    // Horizontal differencing on the way.
    LayoutCase predicted{"rgb-lzw-predictor", with(spec(8, 3, 2), COMPRESSION_LZW), 1, 3, 24};
    predicted.spec.predictor = PREDICTOR_HORIZONTAL;
    cases.push_back(predicted);
    LayoutCase lsbFirst{"bilevel-lsb-first", with(spec(1, 1, 0), COMPRESSION_CCITTFAX4), 4, 0, 1};
    lsbFirst.spec.fillOrder = FILLORDER_LSB2MSB;
    cases.push_back(lsbFirst);
    return cases;
}

} // namespace

TEST_F(TiffReaderTest, GeneratedLayoutsDecodeAsTifftopnmDecodesThem)
{
    OMVI_REQUIRE_TOOL("tifftopnm");
    for (const LayoutCase& layout : layoutCases())
    {
        SCOPED_TRACE(layout.name);
        const std::string path = generate(std::string(layout.name) + ".tif", layout.spec);
        const std::optional<Decoded> decoded = decodeChecked(codec_, path);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->colorModel, layout.model);
        EXPECT_EQ(decoded->sampleKind, layout.sampleKind);
        EXPECT_EQ(decoded->bitsPerPixel, layout.bitsPerPixel);
        expectSameAsTifftopnm(path);
    }
}

// The values of the samples the generator stored, one 16-bit value each.
std::vector<std::uint16_t> storedValues(const TiffSpec& s, const Bytes& data)
{
    std::vector<std::uint16_t> values;
    const std::size_t count = std::size_t{s.width} * s.height * s.samplesPerPixel;
    for (std::size_t i = 0; i < count; ++i)
        if (s.bitsPerSample == 16)
        {
            std::uint16_t value;
            std::memcpy(&value, data.data() + i * 2, 2);
            values.push_back(value);
        }
        else
        {
            const std::size_t row = i / (std::size_t{s.width} * s.samplesPerPixel);
            const std::size_t bit = (i % (std::size_t{s.width} * s.samplesPerPixel)) * s.bitsPerSample;
            std::uint16_t value = 0;
            for (std::size_t b = 0; b < s.bitsPerSample; ++b)
                value = static_cast<std::uint16_t>(
                    (value << 1) | ((data[row * planeRowBytes(s) + (bit + b) / 8] >> (7 - (bit + b) % 8)) & 1));
            values.push_back(value);
        }
    return values;
}

TEST_F(TiffReaderTest, SixteenBitSamplesComeOutAsTheirValues)
{
    OMVI_REQUIRE_TOOL("tifftopnm");
    // Grey of 16 and of 12 bits, stripped (any compression) and tiled: plain
    // 16-bit values, those the file stores (tifftopnm reads the same from the
    // 16-bit strips).
    std::vector<TiffSpec> specs = {with(spec(16, 1, 1), COMPRESSION_NONE), with(spec(16, 1, 1), COMPRESSION_LZW),
                                   with(spec(16, 1, 1), COMPRESSION_ADOBE_DEFLATE, 16),
                                   with(spec(12, 1, 1), COMPRESSION_NONE), with(spec(12, 1, 1), COMPRESSION_LZW, 16)};
    for (std::size_t i = 0; i < specs.size(); ++i)
    {
        SCOPED_TRACE(i);
        const Bytes data = pixelsFor(specs[i]);
        const std::string path = generate("deep" + std::to_string(i) + ".tif", {specs[i]}, {data});
        const std::optional<Decoded> decoded = decodeChecked(codec_, path);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->colorModel, 0);
        EXPECT_EQ(decoded->sampleKind, 2);
        std::vector<std::uint16_t> values;
        for (const Bytes& row : decoded->rows)
            for (std::uint32_t x = 0; x < kWidth; ++x)
            {
                std::uint16_t value;
                std::memcpy(&value, row.data() + x * 2, 2);
                values.push_back(value);
            }
        EXPECT_EQ(values, storedValues(specs[i], data));
        if (specs[i].bitsPerSample == 16 && !specs[i].tileWidth)
        {
            const std::optional<Pnm> reference = tifftopnm(path, true);
            ASSERT_TRUE(reference);
            EXPECT_EQ(values, reference->samples);
        }
    }
}

TEST_F(TiffReaderTest, SixteenBitRgbComesOutAsSixtyFourBitPixels)
{
    OMVI_REQUIRE_TOOL("tifftopnm");
    for (const std::uint32_t tile : {0u, 16u})
    {
        const TiffSpec s = with(spec(16, 3, 2), COMPRESSION_LZW, tile);
        const Bytes data = pixelsFor(s);
        const std::string path = generate("rgb48-" + std::to_string(tile) + ".tif", {s}, {data});
        const std::optional<Decoded> decoded = decodeChecked(codec_, path);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->sampleKind, 4);
        std::vector<std::uint16_t> values;
        for (const Bytes& row : decoded->rows)
            for (std::uint32_t x = 0; x < kWidth; ++x)
            {
                std::uint16_t pixel[4];
                std::memcpy(pixel, row.data() + x * 8, 8);
                values.insert(values.end(), pixel, pixel + 3);
                EXPECT_EQ(pixel[3], 0xFFFF);
            }
        EXPECT_EQ(values, storedValues(s, data));
        if (!tile)
        {
            const std::optional<Pnm> reference = tifftopnm(path, true);
            ASSERT_TRUE(reference);
            EXPECT_EQ(values, reference->samples);
        }
    }
}

TEST_F(TiffReaderTest, AlphaComesFromTheUnassociatedOrUnspecifiedSample)
{
    struct AlphaCase
    {
        std::vector<std::uint16_t> extras;
        int bitsPerPixel;
        int alphaSample;  // -1: opaque
    };
    const AlphaCase cases[] = {
        {{EXTRASAMPLE_UNASSALPHA}, 32, 3},
        {{EXTRASAMPLE_ASSOCALPHA}, 24, 3},  // stored as it is, reported as 24 bits
        {{EXTRASAMPLE_ASSOCALPHA, EXTRASAMPLE_UNASSALPHA}, 32, 4},
        {{EXTRASAMPLE_UNSPECIFIED, EXTRASAMPLE_UNSPECIFIED}, 32, 3},
        {{EXTRASAMPLE_ASSOCALPHA, EXTRASAMPLE_ASSOCALPHA}, 24, -1},
    };
    int n = 0;
    for (const AlphaCase& c : cases)
        for (const std::uint32_t tile : {0u, 16u})
        {
            SCOPED_TRACE(n);
            TiffSpec s = with(spec(8, static_cast<std::uint16_t>(3 + c.extras.size()), 2), COMPRESSION_LZW, tile);
            s.extraSamples = c.extras;
            const Bytes data = pixelsFor(s);
            const std::string path = generate("alpha" + std::to_string(n++) + ".tif", {s}, {data});
            const std::optional<Decoded> decoded = decodeChecked(codec_, path);
            ASSERT_TRUE(decoded);
            EXPECT_EQ(decoded->colorModel, 1);
            EXPECT_EQ(decoded->bitsPerPixel, c.bitsPerPixel);
            for (std::uint32_t y = 0; y < kHeight; ++y)
                for (std::uint32_t x = 0; x < kWidth; ++x)
                {
                    const std::uint8_t* stored = data.data() + (y * kWidth + x) * s.samplesPerPixel;
                    const std::uint8_t* out = decoded->rows[y].data() + x * 4;
                    ASSERT_EQ(0, std::memcmp(stored, out, 3));
                    ASSERT_EQ(out[3], c.alphaSample < 0 ? 255 : stored[c.alphaSample]);
                }
        }
}

TEST_F(TiffReaderTest, ClassificationFollowsTheDirectory)
{
    // A grey+alpha image delivers its grey; a 16-bit image whose
    // MaxSampleValue is 4095 reports 12 bits, with 255 it reports 8.
    TiffSpec greyAlpha = with(spec(8, 2, 1), COMPRESSION_NONE);
    greyAlpha.extraSamples = {EXTRASAMPLE_UNASSALPHA};
    const Bytes data = pixelsFor(greyAlpha);
    const std::optional<Decoded> grey = decodeChecked(codec_, generate("grey-alpha.tif", {greyAlpha}, {data}));
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey->colorModel, 3);
    for (std::uint32_t x = 0; x < kWidth; ++x)
        EXPECT_EQ(grey->rows[4][x], data[(4 * kWidth + x) * 2]);

    TiffSpec twelve = with(spec(16, 1, 1), COMPRESSION_NONE);
    twelve.maxSampleValue = 4095;
    EXPECT_EQ(decodeChecked(codec_, generate("max4095.tif", twelve))->bitsPerPixel, 12);
    twelve.maxSampleValue = 255;
    EXPECT_EQ(decodeChecked(codec_, generate("max255.tif", twelve))->bitsPerPixel, 8);

    // An 8-bit palette that is the grey ramp reads as grey, its indices
    // being the levels.
    TiffSpec ramp = with(spec(8, 1, 3), COMPRESSION_NONE);
    for (std::size_t i = 0; i < 256; ++i)
        ramp.red[i] = ramp.green[i] = ramp.blue[i] = static_cast<std::uint16_t>(i * 257);
    const Bytes indices = pixelsFor(ramp);
    const std::optional<Decoded> ramped = decodeChecked(codec_, generate("ramp.tif", {ramp}, {indices}));
    ASSERT_TRUE(ramped);
    EXPECT_EQ(ramped->colorModel, 3);
    EXPECT_EQ(ramped->rows[0], Bytes(indices.begin(), indices.begin() + kWidth));
}

TEST_F(TiffReaderTest, FloatSamplesComeOutAsStored)
{
    TiffSpec s = with(spec(32, 1, 1), COMPRESSION_NONE);
    s.sampleFormat = SAMPLEFORMAT_IEEEFP;
    Bytes data(kWidth * kHeight * 4);
    for (std::size_t i = 0; i < kWidth * kHeight; ++i)
    {
        const float value = static_cast<float>(i) * 0.25f - 17.0f;
        std::memcpy(data.data() + i * 4, &value, 4);
    }
    for (const std::uint16_t compression : {COMPRESSION_NONE, COMPRESSION_ADOBE_DEFLATE})
    {
        s.compression = compression;
        const std::optional<Decoded> decoded =
            decodeChecked(codec_, generate("float" + std::to_string(compression) + ".tif", {s}, {data}));
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->sampleKind, 3);
        for (std::uint32_t y = 0; y < kHeight; ++y)
            EXPECT_EQ(0, std::memcmp(decoded->rows[y].data(), data.data() + y * kWidth * 4, kWidth * 4));
    }
}

TEST_F(TiffReaderTest, EveryCompressionOfTiffcpDecodesAlike)
{
    OMVI_REQUIRE_TOOL("tiffcp");
    OMVI_REQUIRE_TOOL("tifftopnm");
    const std::string rgb = generate("rgb.tif", with(spec(8, 3, 2), COMPRESSION_NONE));
    const std::string grey = generate("grey.tif", with(spec(8, 1, 1), COMPRESSION_NONE));
    const std::string bits = generate("bits.tif", with(spec(1, 1, 0), COMPRESSION_NONE));
    struct Variant
    {
        std::string source;
        std::string options;
        bool lossy;
    };
    const std::vector<Variant> variants = {
        {rgb, "-c none", false},           {rgb, "-c lzw:2", false},         {rgb, "-c zip:2", false},
        {rgb, "-c lzma", false},           {rgb, "-c zstd", false},          {rgb, "-c packbits", false},
        {rgb, "-c jpeg -r 16", true},      {rgb, "-c jpeg:r -r 16", true},   {rgb, "-c webp", true},
        {rgb, "-c lerc", false},           {rgb, "-c lzw -t -w 16 -l 16", false},
        {rgb, "-c jpeg -t -w 16 -l 16", true}, {rgb, "-p separate -c zip", false},
        {grey, "-c lzw", false},           {grey, "-c jpeg -r 16", true},    {grey, "-c zstd -t -w 16 -l 16", false},
        {bits, "-c g3", false},            {bits, "-c g3:2d:fill", false},   {bits, "-c g4", false},
        {bits, "-c jbig", false},          {bits, "-c packbits -t -w 16 -l 16", false},
    };
    int n = 0;
    for (const Variant& v : variants)
    {
        const std::string target = folder_.file("variant" + std::to_string(n++) + ".tif");
        SCOPED_TRACE(v.options);
        if (OmviTest::runCommand("tiffcp " + v.options + " " + quoted(v.source) + " " + quoted(target) +
                                 " >/dev/null 2>&1") != 0)
        {
            // A scheme this libtiff was built without.
            std::printf("note: tiffcp %s is not available\n", v.options.c_str());
            continue;
        }
        const std::optional<Decoded> decoded = decodeChecked(codec_, target);
        ASSERT_TRUE(decoded);
        // tifftopnm leaves out the JPEG tiles it cannot take; ImageMagick
        // decodes the lossy schemes.
        const std::optional<Pnm> reference = v.lossy ? magick(target) : tifftopnm(target);
        ASSERT_TRUE(reference);
        if (v.lossy)
            EXPECT_GT(psnr(rgbOf(*decoded), rgbOf(*reference)), 30.0);
        else
            EXPECT_EQ(rgbOf(*decoded), rgbOf(*reference));
    }
}

TEST_F(TiffReaderTest, ImageMagickFilesDecodeAsImageMagickDecodesThem)
{
    OMVI_REQUIRE_TOOL("convert");
    const std::string rgb = generate("source-rgb.tif", with(spec(8, 3, 2), COMPRESSION_NONE));
    const std::string bits = generate("source-bits.tif", with(spec(1, 1, 0), COMPRESSION_NONE));
    struct Variant
    {
        std::string source;
        std::string options;
        bool lossy;
    };
    const std::vector<Variant> variants = {
        {rgb, "-compress none", false},  {rgb, "-compress lzw", false},    {rgb, "-compress zip", false},
        {rgb, "-compress rle", false},   {rgb, "-compress jpeg", true},    {rgb, "-alpha set -compress lzw", false},
        {rgb, "-type palette -compress lzw", false},
        {rgb, "-colorspace gray -depth 4 -compress none", false},
        {rgb, "-define tiff:tile-geometry=16x16 -compress zip", false},
        {bits, "-compress group4", false}, {bits, "-compress fax", false}, {bits, "-compress none", false},
    };
    int n = 0;
    for (const Variant& v : variants)
    {
        SCOPED_TRACE(v.options);
        const std::string target = folder_.file("magick" + std::to_string(n++) + ".tif");
        ASSERT_TRUE(run("convert " + quoted(v.source) + " " + v.options + " " + quoted(target)));
        const std::optional<Decoded> decoded = decodeChecked(codec_, target);
        ASSERT_TRUE(decoded);
        const std::optional<Pnm> reference = magick(target);
        ASSERT_TRUE(reference);
        if (v.lossy)
            EXPECT_GT(psnr(rgbOf(*decoded), rgbOf(*reference)), 30.0);
        else if (decoded->colorModel == 2)
            // ImageMagick rounds 16-bit colour-map values to 8 bits; the
            // codec takes their high bytes.
            expectWithin(rgbOf(*decoded), rgbOf(*reference), 1);
        else
            EXPECT_EQ(rgbOf(*decoded), rgbOf(*reference));
    }
}

TEST_F(TiffReaderTest, NetpbmAndPilFilesDecodeAlike)
{
    OMVI_REQUIRE_TOOL("pnmtotiff");
    OMVI_REQUIRE_TOOL("tifftopnm");
    const std::string ppm = folder_.file("source.ppm");
    {
        std::ofstream out(ppm, std::ios::binary);
        out << "P6\n" << kWidth << " " << kHeight << "\n255\n";
        const Bytes data = pattern(kWidth * kHeight * 3, 9);
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    }
    const char* options[] = {"", "-lzw", "-packbits", "-flate", "-lzw -predictor=2", "-rowsperstrip=3"};
    int n = 0;
    for (const char* option : options)
    {
        const std::string target = folder_.file("pnm" + std::to_string(n++) + ".tif");
        ASSERT_TRUE(run(std::string("pnmtotiff ") + option + " source.ppm > " + quoted(target)));
        expectSameAsTifftopnm(target);
    }

    const std::string python = OmviTest::pythonWith("PIL");
    if (python.empty())
        GTEST_SKIP() << "skipped: no python3 with PIL is installed";
    ASSERT_TRUE(run(python + " -c \"from PIL import Image\n"
                             "im = Image.open('source.ppm')\n"
                             "im.save('pil-deflate.tif', compression='tiff_adobe_deflate')\n"
                             "im.convert('RGBA').save('pil-rgba.tif', compression='tiff_lzw')\n"
                             "im.convert('L').save('pil-grey.tif', compression='packbits')\n"
                             "im.convert('1').save('pil-g4.tif', compression='group4')\n"
                             "im.convert('P').save('pil-palette.tif')\""));
    for (const char* name : {"pil-deflate.tif", "pil-rgba.tif", "pil-grey.tif", "pil-g4.tif", "pil-palette.tif"})
        expectSameAsTifftopnm(folder_.file(name));
}

TEST_F(TiffReaderTest, BitonalPolarityHoldsForBothInterpretations)
{
    OMVI_REQUIRE_TOOL("pnmtotiff");
    OMVI_REQUIRE_TOOL("convert");
    const std::string pbm = folder_.file("ink.pbm");
    const Bytes bits = pattern(((kWidth + 7) / 8) * kHeight, 21);
    {
        std::ofstream out(pbm, std::ios::binary);
        out << "P4\n" << kWidth << " " << kHeight << "\n";
        out.write(reinterpret_cast<const char*>(bits.data()), static_cast<std::streamsize>(bits.size()));
    }
    std::vector<Bytes> decodedRows;
    for (const char* interpretation : {"-miniswhite", "-minisblack"})
        for (const char* compression : {"", "-g4", "-lzw"})
        {
            SCOPED_TRACE(std::string(interpretation) + compression);
            const std::string target = folder_.file("polarity.tif");
            std::remove(target.c_str());
            ASSERT_TRUE(run(std::string("pnmtotiff ") + interpretation + " " + compression + " ink.pbm > polarity.tif"));
            const std::optional<Decoded> decoded = decodeChecked(codec_, target);
            ASSERT_TRUE(decoded);
            EXPECT_EQ(decoded->colorModel, 4);
            const std::optional<std::string> out = capture("convert " + quoted(target) + " pbm:-");
            ASSERT_TRUE(out);
            const std::optional<Pnm> reference = parsePnm(*out);
            ASSERT_TRUE(reference);
            // A set bit is ink, as in the PBM.
            for (std::uint32_t y = 0; y < kHeight; ++y)
                for (std::uint32_t x = 0; x < kWidth; ++x)
                    ASSERT_EQ((decoded->rows[y][x / 8] >> (7 - x % 8)) & 1, reference->samples[y * kWidth + x]);
            decodedRows.insert(decodedRows.end(), decoded->rows.begin(), decoded->rows.end());
        }
    // Padding bits past the last pixel are paper in every form.
    for (const Bytes& row : decodedRows)
        EXPECT_EQ(row.back() & (0xFF >> (kWidth % 8)), 0);
}

TEST_F(TiffReaderTest, FramesAreTheImageDirectories)
{
    // Page, mask, page, LZW page: the mask is no frame; the LZW page is one
    // only for a codec that counts LZW directories.
    TiffSpec page = with(spec(8, 1, 1), COMPRESSION_NONE);
    TiffSpec mask = with(spec(1, 1, 4), COMPRESSION_NONE);
    mask.subfileType = FILETYPE_MASK;
    TiffSpec second = with(spec(8, 3, 2), COMPRESSION_PACKBITS);
    TiffSpec lzw = with(spec(8, 1, 1), COMPRESSION_LZW);
    lzw.subfileType = FILETYPE_PAGE;
    const std::vector<TiffSpec> specs = {page, mask, second, lzw};
    std::vector<Bytes> data;
    for (const TiffSpec& s : specs)
        data.push_back(pixelsFor(s, static_cast<std::uint32_t>(data.size() + 1)));
    const std::string path = generate("pages.tif", specs, data);

    std::unique_ptr<ReadImageFileInterface> reader(codec_.openForRead(specifierOf(path)));
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->frameCount(), 3);
    EXPECT_EQ(reader->isValid(), 1);
    const std::optional<Decoded> first = decodeChecked(codec_, path, 0);
    const std::optional<Decoded> secondFrame = decodeChecked(codec_, path, 1);
    const std::optional<Decoded> third = decodeChecked(codec_, path, 2);
    ASSERT_TRUE(first && secondFrame && third);
    EXPECT_EQ(first->colorModel, 3);
    EXPECT_EQ(secondFrame->colorModel, 1);
    EXPECT_EQ(third->rows[0], Bytes(data[3].begin(), data[3].begin() + kWidth));
    EXPECT_EQ(std::unique_ptr<ReadImageFileFrameInterface>(reader->openFrame(3)), nullptr);
    EXPECT_EQ(std::unique_ptr<ReadImageFileFrameInterface>(reader->openFrame(-1)), nullptr);
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(1));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->frameIndex(), 1);

    TiffFormatCodec withoutLzw(TiffFormatCodec::kWithoutLzw);
    std::unique_ptr<ReadImageFileInterface> plain(withoutLzw.openForRead(specifierOf(path)));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->frameCount(), 2);

    OMVI_REQUIRE_TOOL("tifftopnm");
    // tiffcp puts two files into one; both pages read as tifftopnm reads
    // each file.
    OMVI_REQUIRE_TOOL("tiffcp");
    const std::string a = generate("a.tif", with(spec(4, 1, 3), COMPRESSION_NONE));
    const std::string b = generate("b.tif", with(spec(8, 3, 2), COMPRESSION_LZW, 16));
    ASSERT_TRUE(run("tiffcp a.tif b.tif both.tif"));
    const std::optional<Decoded> pageA = decodeChecked(codec_, folder_.file("both.tif"), 0);
    const std::optional<Decoded> pageB = decodeChecked(codec_, folder_.file("both.tif"), 1);
    ASSERT_TRUE(pageA && pageB);
    EXPECT_EQ(rgbOf(*pageA), rgbOf(*tifftopnm(a)));
    EXPECT_EQ(rgbOf(*pageB), rgbOf(*tifftopnm(b)));
}

TEST_F(TiffReaderTest, EveryPageOfAManyPageFileIsReachedInWorkProportionalToItsPages)
{
    OMVI_REQUIRE_READ_CALL_COUNT();
    // Work in proportion to the pages takes at most four times the read
    // calls (and a few more) for four times the pages; going to each page
    // along the chain of directories from the first takes sixteen times.
    const std::uint64_t few = readCallsToReachEveryPage(writePages("few.tif", 100), 100);
    const std::uint64_t many = readCallsToReachEveryPage(writePages("many.tif", 400), 400);
    ASSERT_GT(few, 0u);
    EXPECT_LE(many, 4 * few + 100) << few << " read calls for 100 pages";
    // Pages are found where they are in either byte order and in BigTIFF.
    for (const char* mode : {"wb", "w8", "wb8"})
    {
        SCOPED_TRACE(mode);
        readCallsToReachEveryPage(writePages(std::string(mode) + ".tif", 20, mode), 20);
    }

    // A chain whose last directory leads back to the first ends at the loop:
    // every page before it is there, and no page twice.
    const std::string looped = writePages("looped.tif", 30);
    TIFF* tiff = TIFFOpen(looped.c_str(), "r");
    ASSERT_TRUE(tiff);
    const std::uint64_t first = TIFFCurrentDirOffset(tiff);
    std::uint64_t last = first;
    do
        last = TIFFCurrentDirOffset(tiff);
    while (TIFFReadDirectory(tiff));
    TIFFClose(tiff);
    Bytes bytes = OmviTest::readFileBytes(looped);
    ASSERT_EQ(bytes[0], 'I');  // libtiff writes this machine's order
    ASSERT_LT(last + 2, bytes.size());
    const std::size_t entries = bytes[last] | bytes[last + 1] << 8;
    const std::size_t next = last + 2 + 12 * entries;
    ASSERT_LE(next + 4, bytes.size());
    for (int i = 0; i < 4; ++i)
        bytes[next + i] = static_cast<std::uint8_t>(first >> (8 * i));
    ASSERT_TRUE(OmviTest::writeFileBytes(looped, bytes));
    readCallsToReachEveryPage(looped, 30);
}

TEST_F(TiffReaderTest, RegionsAreClampedAndDelivered)
{
    const TiffSpec grey = with(spec(8, 1, 1), COMPRESSION_NONE);
    const Bytes data = pixelsFor(grey);
    const std::string path = generate("region.tif", {grey}, {data});
    std::unique_ptr<ReadImageFileInterface> reader(codec_.openForRead(specifierOf(path)));
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame->isRowAccessSupported(ReadImageFileFrameInterface::kRandomRows));
    std::unique_ptr<RowIteratorInterface> rows(frame->newRowIterator());
    auto* region = dynamic_cast<SubRegionRowIteratorInterface*>(rows.get());
    ASSERT_TRUE(region);

    region->setTopLeft(-5, static_cast<int>(kWidth) + 3);
    int row = 0;
    int column = 0;
    region->getTopLeft(&row, &column);
    EXPECT_EQ(row, 0);
    EXPECT_EQ(column, static_cast<int>(kWidth) - 1);

    region->setTopLeft(3, 5);
    region->setBottomRight(30, 11);
    EXPECT_EQ(region->rowCount(), static_cast<int>(kHeight) - 3);
    EXPECT_EQ(region->width(), 7);
    EXPECT_EQ(region->bytesPerRow(), 7);
    region->start();
    DataBuffer buffer(7);
    for (int y = 3; y < static_cast<int>(kHeight); ++y)
    {
        region->getRow(buffer);
        ASSERT_EQ(0, std::memcmp(buffer.data(), data.data() + y * kWidth + 5, 7)) << y;
        EXPECT_EQ(region->next(), y + 1 < static_cast<int>(kHeight));
    }
    // Past the last row nothing is read or written.
    std::memset(buffer.data(), 0xA5, 7);
    region->getRow(buffer);
    EXPECT_EQ(buffer.data()[0], 0xA5);
    EXPECT_FALSE(region->next());

    // A buffer shorter than a row is refused through the codec's channel.
    region->start();
    DataBuffer small(3);
    try
    {
        region->getRow(small);
        ADD_FAILURE() << "a short buffer was written";
    }
    catch (OMVIException* error)
    {
        EXPECT_EQ(error->code(), 6);
        delete error;
    }

    // Bit rows of a region start at its left column.
    const TiffSpec bitsSpec = with(spec(1, 1, 0), COMPRESSION_NONE);
    const Bytes bits = pixelsFor(bitsSpec);
    const std::string bitsPath = generate("bits-region.tif", {bitsSpec}, {bits});
    std::unique_ptr<ReadImageFileInterface> bitsReader(codec_.openForRead(specifierOf(bitsPath)));
    std::unique_ptr<ReadImageFileFrameInterface> bitsFrame(bitsReader->openFrame(0));
    std::unique_ptr<RowIteratorInterface> bitRows(bitsFrame->newRowIterator());
    auto* bitRegion = dynamic_cast<SubRegionRowIteratorInterface*>(bitRows.get());
    ASSERT_TRUE(bitRegion);
    bitRegion->setTopLeft(2, 3);
    bitRegion->setBottomRight(2, 14);
    bitRegion->start();
    DataBuffer bitRow(bitRegion->bytesPerRow());
    EXPECT_EQ(bitRegion->bytesPerRow(), 2);
    bitRegion->getRow(bitRow);
    const std::size_t stride = (kWidth + 7) / 8;
    for (int x = 0; x < 12; ++x)
        EXPECT_EQ((bitRow.data()[x / 8] >> (7 - x % 8)) & 1, (bits[2 * stride + (x + 3) / 8] >> (7 - (x + 3) % 8)) & 1);
}

TEST_F(TiffReaderTest, TilesReadDirectlyMatchTheRows)
{
    struct TileCase
    {
        TiffSpec spec;
        int bytesPerPixel;  // 0: bits
    };
    TileCase cases[] = {
        {with(spec(8, 3, 2), COMPRESSION_LZW, 16), 4},   {with(spec(8, 4, 2), COMPRESSION_NONE, 16), 4},
        {with(spec(8, 1, 1), COMPRESSION_NONE, 16), 1},  {with(spec(8, 1, 0), COMPRESSION_NONE, 16), 1},
        {with(spec(1, 1, 0), COMPRESSION_CCITTFAX4, 16), 0}, {with(spec(1, 1, 1), COMPRESSION_NONE, 16), 0},
        {with(spec(4, 1, 1), COMPRESSION_PACKBITS, 16), 1},  {with(spec(8, 1, 3), COMPRESSION_NONE, 16), 1},
    };
    cases[1].spec.extraSamples = {EXTRASAMPLE_UNASSALPHA};
    int n = 0;
    for (const TileCase& c : cases)
    {
        SCOPED_TRACE(n);
        const std::string path = generate("direct" + std::to_string(n++) + ".tif", c.spec);
        const std::optional<Decoded> decoded = decodeChecked(codec_, path);
        ASSERT_TRUE(decoded);
        std::unique_ptr<ReadImageFileInterface> reader(codec_.openForRead(specifierOf(path)));
        std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
        ASSERT_TRUE(frame);
        EXPECT_TRUE(frame->isTiled());
        EXPECT_TRUE(frame->isRowAccessSupported(ReadImageFileFrameInterface::kWholeTiles));
        auto* tiles = dynamic_cast<DirectTileReadInterface*>(frame.get());
        ASSERT_TRUE(tiles);
        ASSERT_EQ(tiles->tileSize(), 16);
        const int lineBytes = c.bytesPerPixel ? 16 * c.bytesPerPixel : 2;
        Bytes tile(static_cast<std::size_t>(lineBytes) * 16);
        for (int tr = 0; tr * 16 < static_cast<int>(kHeight); ++tr)
            for (int tc = 0; tc * 16 < static_cast<int>(kWidth); ++tc)
            {
                ASSERT_TRUE(tiles->readTile(tr, tc, tile.data()));
                for (int y = 0; y < 16 && tr * 16 + y < static_cast<int>(kHeight); ++y)
                {
                    const Bytes& row = decoded->rows[static_cast<std::size_t>(tr * 16 + y)];
                    const int pixels = std::min(16, static_cast<int>(kWidth) - tc * 16);
                    if (c.bytesPerPixel)
                        ASSERT_EQ(0, std::memcmp(tile.data() + y * lineBytes, row.data() + tc * 16 * c.bytesPerPixel,
                                                 static_cast<std::size_t>(pixels * c.bytesPerPixel)));
                    else
                        for (int x = 0; x < pixels; ++x)
                            ASSERT_EQ((tile[static_cast<std::size_t>(y * lineBytes + x / 8)] >> (7 - x % 8)) & 1,
                                      (row[static_cast<std::size_t>((tc * 16 + x) / 8)] >> (7 - (tc * 16 + x) % 8)) & 1);
                }
            }
        EXPECT_FALSE(tiles->readTile(5, 0, tile.data()));
        EXPECT_FALSE(tiles->readTile(0, -1, tile.data()));
    }

    // A stripped frame has no tiles to read.
    const std::string strips = generate("strips.tif", with(spec(8, 1, 1), COMPRESSION_NONE));
    std::unique_ptr<ReadImageFileInterface> reader(codec_.openForRead(specifierOf(strips)));
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
    auto* tiles = dynamic_cast<DirectTileReadInterface*>(frame.get());
    ASSERT_TRUE(tiles);
    EXPECT_EQ(tiles->tileSize(), 0);
    EXPECT_FALSE(frame->isRowAccessSupported(ReadImageFileFrameInterface::kWholeTiles));
    Bytes buffer(256);
    EXPECT_FALSE(tiles->readTile(0, 0, buffer.data()));
}

TEST_F(TiffReaderTest, OrientationTagsMapToBuildOrders)
{
    const std::pair<std::uint16_t, int> cases[] = {{1, 0}, {2, 1}, {3, 3}, {4, 2}, {5, 4}, {6, 5}, {7, 7}, {8, 6}};
    for (const auto& [tag, expected] : cases)
    {
        TiffSpec s = with(spec(8, 1, 1), COMPRESSION_NONE);
        s.orientation = tag;
        const std::optional<Decoded> decoded = decodeChecked(codec_, generate("o" + std::to_string(tag) + ".tif", s));
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->orientation, expected) << tag;
    }
}

TEST_F(TiffReaderTest, PaletteCopiesAtMostItsEntries)
{
    const TiffSpec s = with(spec(2, 1, 3), COMPRESSION_NONE);
    const std::string path = generate("small-palette.tif", s);
    std::unique_ptr<ReadImageFileInterface> reader(codec_.openForRead(specifierOf(path)));
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
    ASSERT_TRUE(frame);
    ASSERT_EQ(frame->paletteCount(), 4);
    Bytes rgb(256 * 3, 0xEE);
    frame->getPalette(256, rgb.data());
    for (std::size_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ(rgb[i * 3], s.red[i] >> 8);
        EXPECT_EQ(rgb[i * 3 + 2], s.blue[i] >> 8);
    }
    EXPECT_EQ(rgb[4 * 3], 0xEE);
}

TEST_F(TiffReaderTest, NonFilesAndStrangersAreRefused)
{
    std::unique_ptr<ReadImageFileInterface> missing(
        codec_.openForRead(FileSpecifier(AsciiStringBuffer(folder_.file("missing.tif")), 0)));
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->frameCount(), 0);
    const std::string text = folder_.write("text.tif", "not a tiff at all");
    std::unique_ptr<ReadImageFileInterface> reader(codec_.openForRead(specifierOf(text)));
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->frameCount(), 0);
    EXPECT_EQ(reader->openFrame(0), nullptr);
    std::unique_ptr<ReadImageFileInterface> stream(codec_.openForRead(FileSpecifier(AsciiStringBuffer(text), 1)));
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->frameCount(), 0);
}

TEST_F(TiffReaderTest, OneLargeCompressedStripServesAnyRegion)
{
    // One deflate strip of 17 MB is not kept whole: rows are decoded in
    // order, the rows before a region's top decoded and dropped, and going
    // back starts the strip again.
    TiffSpec s = with(spec(8, 3, 2), COMPRESSION_ADOBE_DEFLATE);
    s.width = 2400;
    s.height = 2400;
    s.rowsPerStrip = s.height;
    Bytes data(std::size_t{s.width} * s.height * 3);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>((i / 3) % 251 + i / (std::size_t{s.width} * 3));
    const std::string path = generate("large-strip.tif", {s}, {data});
    std::unique_ptr<ReadImageFileInterface> reader(codec_.openForRead(specifierOf(path)));
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
    ASSERT_TRUE(frame);
    std::unique_ptr<RowIteratorInterface> rows(frame->newRowIterator());
    auto* region = dynamic_cast<SubRegionRowIteratorInterface*>(rows.get());
    ASSERT_TRUE(region);
    DataBuffer row(region->bytesPerRow());
    auto expectRows = [&](int top, int left, int count) {
        region->setTopLeft(top, left);
        region->setBottomRight(top + count - 1, left + 9);
        region->start();
        for (int y = top; y < top + count; ++y)
        {
            region->getRow(row);
            for (int x = 0; x < 10; ++x)
                ASSERT_EQ(0, std::memcmp(row.data() + x * 4, data.data() + (std::size_t{s.width} * y + left + x) * 3, 3))
                    << y << "," << x;
            region->next();
        }
    };
    expectRows(1500, 7, 3);
    expectRows(1504, 100, 2);  // forwards from where reading stopped
    expectRows(20, 2390, 2);   // backwards: the strip again from its start
}

TEST_F(TiffReaderTest, WordAlignedRunLengthFilesDecode)
{
    OMVI_REQUIRE_TOOL("tifftopnm");
    // libtiff codes each row in modified Huffman run lengths (one row a
    // strip, each byte-aligned); the rows padded to 16 bits and put into one
    // strip make the word-aligned form, which no tool writes.
    TiffSpec rows = with(spec(1, 1, 0), COMPRESSION_CCITTRLE);
    rows.rowsPerStrip = 1;
    const Bytes bits = pixelsFor(rows);
    const std::string rowFile = generate("rle-rows.tif", {rows}, {bits});
    TIFF* tiff = TIFFOpen(rowFile.c_str(), "r");
    ASSERT_TRUE(tiff);
    Bytes words;
    for (std::uint32_t strip = 0; strip < TIFFNumberOfStrips(tiff); ++strip)
    {
        Bytes coded(1024);
        const tmsize_t size = TIFFReadRawStrip(tiff, strip, coded.data(), static_cast<tmsize_t>(coded.size()));
        ASSERT_GT(size, 0);
        words.insert(words.end(), coded.begin(), coded.begin() + size);
        if (size % 2)
            words.push_back(0);
    }
    TIFFClose(tiff);

    const std::string path = folder_.file("rlew.tif");
    tiff = TIFFOpen(path.c_str(), "w");
    ASSERT_TRUE(tiff);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTRLEW);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, kHeight);
    ASSERT_EQ(TIFFWriteRawStrip(tiff, 0, words.data(), static_cast<tmsize_t>(words.size())),
              static_cast<tmsize_t>(words.size()));
    TIFFClose(tiff);

    // netpbm reads the form as libtiff does; the first rows are the
    // source's.
    expectSameAsTifftopnm(path);
    const std::optional<Decoded> decoded = decodeChecked(codec_, path);
    ASSERT_TRUE(decoded);
    Bytes first(bits.begin(), bits.begin() + (kWidth + 7) / 8);
    first.back() &= static_cast<std::uint8_t>(0xFF00 >> (kWidth % 8));
    EXPECT_EQ(decoded->rows[0], first);
}
