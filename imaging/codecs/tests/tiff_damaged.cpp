// Damaged TIFF files: every prefix of small files (the file arriving one
// byte at a time), and files with bytes changed, read through everything
// the codec offers. The result is a codec exception or a refusal, never a
// crash, a hang, a leak or an allocation out of proportion (the sanitizers
// watch the rest).
#include "MemoryFile.h"
#include "imaging/codecs/tests/SharedTestSupport.h"
#include "TiffExercise.h"
#include "TiffTestSupport.h"
#include "imaging/codecs/tests/RasterTestSupport.h"

#include "imaging/codecs/tests/ImageTestSupport.h"
#include "imaging/codecs/tiff/TiffHandle.h"
#include "imaging/codecs/tiff/TiffLayout.h"
#include "imaging/codecs/tiff/properties/TiffPrivateTag.h"
#include "imaging/codecs/tiff/reader/TiffRowDecoder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <geotiff.h>
#include <geovalues.h>

using namespace Omvi;
using namespace OmviTest::Tiff;
using OmviTest::MemoryFile;
using OmviTest::ScratchFolder;

namespace
{

// Small files of the layouts whose decoding differs most: compressed
// strips, JPEG tiles through the RGBA reader, fax tiles, palettes, separate
// planes, several directories with GeoTIFF keys and a placement record.
std::vector<std::string> seeds()
{
    ScratchFolder folder;
    std::vector<std::string> files;
    auto add = [&](const std::vector<TiffSpec>& specs, const char* mode = "w") {
        std::vector<Bytes> data;
        for (const TiffSpec& s : specs)
            data.push_back(pattern(planeRowBytes(s) * s.height * (s.planar == PLANARCONFIG_SEPARATE ? s.samplesPerPixel : 1),
                                   static_cast<std::uint32_t>(files.size() + 1)));
        const std::string path = folder.file("seed.tif");
        std::remove(path.c_str());
        EXPECT_TRUE(writeTiff(path, specs, data, mode));
        std::ifstream in(path, std::ios::binary);
        files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    TiffSpec grey;
    grey.width = 21;
    grey.height = 13;
    grey.compression = COMPRESSION_LZW;
    grey.rowsPerStrip = 4;
    add({grey});

    TiffSpec jpeg;
    jpeg.width = 24;
    jpeg.height = 20;
    jpeg.samplesPerPixel = 3;
    jpeg.photometric = PHOTOMETRIC_YCBCR;
    jpeg.compression = COMPRESSION_JPEG;
    jpeg.tileWidth = jpeg.tileLength = 16;
    jpeg.tags = [](TIFF* tiff) { TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB); };
    add({jpeg});

    TiffSpec fax;
    fax.width = 40;
    fax.height = 18;
    fax.bitsPerSample = 1;
    fax.photometric = PHOTOMETRIC_MINISWHITE;
    fax.compression = COMPRESSION_CCITTFAX4;
    fax.tileWidth = fax.tileLength = 16;
    add({fax}, "wb");

    TiffSpec palette;
    palette.width = 9;
    palette.height = 7;
    palette.bitsPerSample = 4;
    palette.photometric = PHOTOMETRIC_PALETTE;
    palette.compression = COMPRESSION_PACKBITS;
    palette.red = palette.green = palette.blue = std::vector<std::uint16_t>(16, 0x8080);
    TiffSpec planes;
    planes.width = 11;
    planes.height = 6;
    planes.bitsPerSample = 16;
    planes.samplesPerPixel = 3;
    planes.photometric = PHOTOMETRIC_RGB;
    planes.planar = PLANARCONFIG_SEPARATE;
    planes.compression = COMPRESSION_ADOBE_DEFLATE;
    planes.rowsPerStrip = 2;
    planes.tags = [](TIFF* tiff) {
        double scale[3] = {2.0, -2.0, 0.0};
        double tie[6] = {0.0, 0.0, 0.0, 10.0, 20.0, 0.0};
        TIFFSetField(tiff, 33550, 3, scale);
        TIFFSetField(tiff, 33922, 6, tie);
        GTIF* keys = GTIFNew(tiff);
        GTIFKeySet(keys, GTModelTypeGeoKey, TYPE_SHORT, 1, ModelTypeProjected);
        GTIFKeySet(keys, ProjectedCSTypeGeoKey, TYPE_SHORT, 1, 32631);
        GTIFWriteKeys(keys);
        GTIFFree(keys);
        // A placement record pointer to the start of the file: its bytes make
        // an entry count and entries to walk.
        TiffPrivateTag pointer(33535, TIFF_LONG);
        const std::uint32_t offset = 8;
        pointer.setData(&offset, 1);
        pointer.writeTag(tiff);
    };
    add({palette, planes});
    return files;
}

class TiffDamagedTest : public ::testing::Test
{
protected:
    // Reads everything of `bytes`; damaged files must never raise anything
    // but a corrupt-image exception.
    void read(const std::string& bytes)
    {
        const MemoryFile file(bytes);
        ASSERT_TRUE(file.isOpen());
        const ExerciseResult result = exercise(codec_, file.specifier());
        EXPECT_EQ(result.unexpected, 0);
        total_.frames += result.frames;
        total_.rows += result.rows;
        total_.corrupt += result.corrupt;
    }

    TiffFormatCodec codec_{TiffFormatCodec::kTextureMode};
    ExerciseResult total_;
};

} // namespace

TEST_F(TiffDamagedTest, IntactSeedsReadWhole)
{
    const std::vector<std::string> files = seeds();
    ASSERT_EQ(files.size(), 4u);
    for (const std::string& bytes : files)
    {
        const MemoryFile file(bytes);
        const ExerciseResult result = exercise(codec_, file.specifier());
        EXPECT_GT(result.frames, 0);
        EXPECT_EQ(result.corrupt, 0);
        EXPECT_EQ(result.unexpected, 0);
        EXPECT_GT(result.rows, 0);
    }
}

TEST_F(TiffDamagedTest, EveryPrefixIsReadOrRefused)
{
    for (const std::string& bytes : seeds())
    {
        // Every length at the front (the header and first directory), then
        // steps through the rest.
        for (std::size_t length = 0; length < bytes.size(); length += length < 256 ? 1 : 7)
            read(bytes.substr(0, length));
    }
    // Cut files do come back as corrupt images, not only as refusals.
    EXPECT_GT(total_.corrupt, 0);
}

TEST_F(TiffDamagedTest, ChangedBytesAreReadOrRefused)
{
    std::uint32_t state = 0x1234567u;
    auto random = [&]() {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    for (const std::string& bytes : seeds())
        for (int round = 0; round < 150; ++round)
        {
            std::string damaged = bytes;
            const int changes = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < changes; ++i)
            {
                // Mostly the header and directories, where sizes and offsets are.
                const std::size_t span = random() % 3 == 0 ? damaged.size() : std::min<std::size_t>(damaged.size(), 64);
                const std::size_t at = (random() % span + (random() % 2 ? 0 : damaged.size() - span)) % damaged.size();
                const std::uint32_t kind = random() % 4;
                if (kind == 0)
                    damaged[at] = static_cast<char>(random());
                else if (kind == 1)
                    damaged[at] = static_cast<char>(0xFF);
                else if (kind == 2)
                    damaged[at] = 0;
                else
                    damaged[at] = static_cast<char>(damaged[at] ^ (1 << (random() % 8)));
            }
            read(damaged);
        }
}

TEST_F(TiffDamagedTest, AbsurdSizesAreRefusedWithoutAllocatingThem)
{
    // A directory claiming 2^31 - 2 pixels a row and as many rows, one tile
    // of 65536 x 65536, and strips that are not there.
    ScratchFolder folder;
    const std::string path = folder.file("absurd.tif");
    TiffSpec small;
    small.width = 16;
    small.height = 16;
    ASSERT_TRUE(writeTiff(path, {small}, {Bytes(256, 1)}));
    std::string bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Patch the width and length entries (SHORT 16 values in little-endian
    // directory entries) to LONG 0x7FFFFFFE.
    for (const std::uint16_t tag : {std::uint16_t{256}, std::uint16_t{257}})
    {
        const std::string entry{static_cast<char>(tag & 0xFF), static_cast<char>(tag >> 8)};
        const std::size_t at = bytes.find(entry + std::string("\x03\x00\x01\x00\x00\x00\x10\x00", 8));
        ASSERT_NE(at, std::string::npos) << tag;
        bytes.replace(at + 2, 10, std::string("\x04\x00\x01\x00\x00\x00\xFE\xFF\xFF\x7F", 10));
    }
    const MemoryFile file(bytes);
    const ExerciseResult result = exercise(codec_, file.specifier(), ExerciseLimits{8, std::int64_t{1} << 62});
    EXPECT_EQ(result.unexpected, 0);
    EXPECT_EQ(result.rows, 0);
}

namespace
{

// Cuts the byte count of strip or tile `index` (of the first directory of a
// little-endian classic TIFF, as libtiff writes one here) to `fraction` of
// itself, so that its coded data ends early while the file stays whole.
bool shortenBlock(Bytes& file, std::size_t index, double fraction)
{
    const auto get16 = [&](std::size_t at) { return std::uint32_t{file.at(at)} | std::uint32_t{file.at(at + 1)} << 8; };
    const auto get32 = [&](std::size_t at) { return get16(at) | get16(at + 2) << 16; };
    if (file.size() < 8 || file[0] != 'I' || get16(2) != 42)
        return false;
    const std::size_t directory = get32(4);
    const std::size_t entries = get16(directory);
    for (std::size_t i = 0; i < entries; ++i)
    {
        const std::size_t entry = directory + 2 + 12 * i;
        const std::uint32_t tag = get16(entry);
        if (tag != TIFFTAG_STRIPBYTECOUNTS && tag != TIFFTAG_TILEBYTECOUNTS)
            continue;
        const std::size_t size = get16(entry + 2) == TIFF_SHORT ? 2 : 4;
        const std::size_t count = get32(entry + 4);
        if (index >= count)
            return false;
        const std::size_t at = (count * size > 4 ? get32(entry + 8) : entry + 8) + index * size;
        const auto shorter = static_cast<std::uint32_t>((size == 2 ? get16(at) : get32(at)) * fraction);
        for (std::size_t b = 0; b < size; ++b)
            file.at(at + b) = static_cast<std::uint8_t>(shorter >> (8 * b));
        return true;
    }
    return false;
}

// Smooth rows, as a photograph: JPEG codes them in little space.
Bytes gradient(const TiffSpec& spec)
{
    Bytes pixels(planeRowBytes(spec) * spec.height);
    for (std::uint32_t y = 0; y < spec.height; ++y)
        for (std::size_t i = 0; i < planeRowBytes(spec); ++i)
            pixels[y * planeRowBytes(spec) + i] = static_cast<std::uint8_t>((i * 3 + y * 2 + (i % 3) * 70) & 0xFF);
    return pixels;
}

// A grey (one sample) or YCbCr (three, read back as RGB) image in blocks of
// 16 rows: tiles of 16 x 16 or strips.
TiffSpec blockSpec(std::uint32_t width, std::uint32_t height, std::uint16_t samples,
                   std::uint16_t compression, bool tiled)
{
    TiffSpec spec;
    spec.width = width;
    spec.height = height;
    spec.samplesPerPixel = samples;
    spec.photometric = samples == 3 ? PHOTOMETRIC_YCBCR : PHOTOMETRIC_MINISBLACK;
    spec.compression = compression;
    if (tiled)
        spec.tileWidth = spec.tileLength = 16;
    else
        spec.rowsPerStrip = 16;
    if (samples == 3)
        spec.tags = [](TIFF* tiff) { TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB); };
    return spec;
}

} // namespace

TEST(TiffJpegData, AStripOrTileWhoseDataEndsEarlyEndsTheRowsBeforeIt)
{
    // JPEG strips of grey and of YCbCr, and YCbCr tiles: the third strip's
    // (or the third tile row's first tile's) coded data ends early. The rows
    // above it come as the whole file gives them, then "Corrupt image
    // file"; libtiff's own tiffcp warns of the premature end.
    OMVI_REQUIRE_TOOL("tiffcp");
    ScratchFolder folder;
    const TiffFormatCodec codec{TiffFormatCodec::kTextureMode};
    struct Case
    {
        const char* name;
        std::uint16_t samples;
        bool tiled;
        std::size_t block;  // the strip or tile that is cut
    };
    for (const Case& each : {Case{"grey strips", 1, false, 2}, Case{"YCbCr strips", 3, false, 2},
                             Case{"YCbCr tiles", 3, true, 2 * 4}})
    {
        SCOPED_TRACE(each.name);
        const TiffSpec spec = blockSpec(61, 80, each.samples, COMPRESSION_JPEG, each.tiled);
        const std::string whole = folder.file("whole.tif");
        std::remove(whole.c_str());
        ASSERT_TRUE(writeTiff(whole, {spec}, {gradient(spec)}));
        const std::optional<Decoded> intact = decode(codec, whole);
        ASSERT_TRUE(intact);
        ASSERT_EQ(intact->rows.size(), 80u);

        Bytes bytes = OmviTest::readFileBytes(whole);
        ASSERT_TRUE(shortenBlock(bytes, each.block, 0.6));
        const std::string cut = folder.file("cut.tif");
        ASSERT_TRUE(OmviTest::writeFileBytes(cut, bytes));
        const std::optional<std::string> said =
            capture("(tiffcp -c none " + quoted(cut) + " " + quoted(folder.file("copy.tif")) + " 2>&1 >/dev/null)");
        std::remove(folder.file("copy.tif").c_str());
        ASSERT_TRUE(said);
        EXPECT_NE(said->find("Premature end of JPEG file"), std::string::npos) << *said;

        std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(specifierOf(cut)));
        ASSERT_NE(reader, nullptr);
        std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
        ASSERT_NE(frame, nullptr);
        std::unique_ptr<RowIteratorInterface> rows(frame->newRowIterator());
        ASSERT_NE(rows, nullptr);
        const OmviRaster::RowsUntilError read =
            OmviRaster::readRowsUntilError(*rows, [&](int index, const DataBuffer& row) {
                const Bytes& expected = intact->rows[static_cast<std::size_t>(index)];
                EXPECT_TRUE(std::equal(expected.begin(), expected.end(), row.data())) << "row " << index;
                return true;
            });
        EXPECT_EQ(read.code, 8);
        EXPECT_EQ(read.delivered, 32);
    }
}

namespace
{

// A little-endian classic TIFF of one directory at offset 8, each entry
// (tag, type, value) holding one SHORT or LONG value.
Bytes oneDirectory(const std::vector<std::array<std::uint32_t, 3>>& entries)
{
    Bytes file = {'I', 'I', 42, 0, 8, 0, 0, 0};
    auto put = [&](std::uint32_t value, int bytes) {
        for (int b = 0; b < bytes; ++b)
            file.push_back(static_cast<std::uint8_t>(value >> (8 * b)));
    };
    put(static_cast<std::uint32_t>(entries.size()), 2);
    for (const auto& [tag, type, value] : entries)
    {
        put(tag, 2);
        put(type, 2);
        put(1, 4);
        put(value, type == TIFF_SHORT ? 2 : 4);
        if (type == TIFF_SHORT)
            put(0, 2);
    }
    put(0, 4);
    return file;
}

// 16 x 65535 pixels in 4,096 tiles of 16 x 16 whose only offset points at
// the directory and whose only byte count is 0; compression and bits per
// sample left at their defaults.
Bytes tilesWithoutData(std::uint32_t samplesPerPixel)
{
    return oneDirectory({{TIFFTAG_IMAGEWIDTH, TIFF_SHORT, 16},
                         {TIFFTAG_IMAGELENGTH, TIFF_SHORT, 65535},
                         {TIFFTAG_SAMPLESPERPIXEL, TIFF_SHORT, samplesPerPixel},
                         {TIFFTAG_TILEWIDTH, TIFF_SHORT, 16},
                         {TIFFTAG_TILELENGTH, TIFF_SHORT, 16},
                         {TIFFTAG_TILEOFFSETS, TIFF_LONG, 8},
                         {TIFFTAG_TILEBYTECOUNTS, TIFF_LONG, 0}});
}

// The decoder of the file's first directory from `source`.
std::unique_ptr<TiffRowDecoder> decoderOf(const std::string& path, TiffRowDecoder::Source source)
{
    std::unique_ptr<TiffHandle> handle = TiffHandle::openDirectory(path, 0);
    TiffLayout layout;
    if (!handle || !layout.read(handle->get()))
        return nullptr;
    return TiffRowDecoder::create(std::move(handle), layout, source);
}

// Every row of the decoder, then every tile when it is tiled, `passes`
// times; the code of the first exception that ends a pass (-1 for none).
int readAll(TiffRowDecoder& decoder, int passes = 1)
{
    const TiffLayout& layout = decoder.layout();
    std::vector<std::uint8_t> row(static_cast<std::size_t>(decoder.outputBytes(layout.width)));
    int code = -1;
    for (int pass = 0; pass < passes; ++pass)
    {
        const int failed = OmviTest::codeOfFailure([&] {
            for (std::uint32_t y = 0; y < layout.height; ++y)
                decoder.decodeRow(static_cast<std::int32_t>(y), 0, static_cast<std::int32_t>(layout.width), row.data());
        });
        if (code == -1 && failed != -2)
            code = failed;
        if (!layout.tiled)
            continue;
        std::vector<std::uint8_t> tile(static_cast<std::size_t>(decoder.outputBytes(std::int64_t{layout.tileWidth} * layout.tileLength)));
        for (std::uint32_t r = 0; r < (layout.height + layout.tileLength - 1) / layout.tileLength; ++r)
            for (std::uint32_t c = 0; c < (layout.width + layout.tileWidth - 1) / layout.tileWidth; ++c)
                if (!decoder.decodeTile(r, c, tile.data()) && code == -1)
                    code = 0;
    }
    return code;
}

} // namespace

TEST(TiffSampleCount, MoreSamplesThanThePhotometricAndExtraSamplesHoldAreRefused)
{
    // 65535 samples of one bit, none declared extra, under the default
    // photometric interpretation (one colour sample): libtiff makes 65534
    // extra samples of them, 2 MB a tile. No frame is offered.
    const TiffFormatCodec codec{TiffFormatCodec::kTextureMode};
    const Bytes tiny = tilesWithoutData(65535);
    ASSERT_EQ(tiny.size(), 98u);
    const MemoryFile many(tiny);
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(many.specifier()));
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(std::unique_ptr<ReadImageFileFrameInterface>(reader->openFrame(0)), nullptr);
    EXPECT_EQ(exercise(codec, many.specifier()).frames, 0);
    // One sample a pixel: the frame is offered, its tiles have no data.
    const MemoryFile one(tilesWithoutData(1));
    const ExerciseResult read = exercise(codec, one.specifier());
    EXPECT_EQ(read.frames, 1);
    EXPECT_EQ(read.rows, 0);
    EXPECT_EQ(read.corrupt, 1);
    EXPECT_EQ(read.tiles, 0);

    // Written by libtiff in either byte order, classic and BigTIFF: colour
    // samples, the declared extra samples and one undeclared (an alpha the
    // writer left unnamed) are read; one more is refused.
    ScratchFolder folder;
    struct Case
    {
        std::uint16_t photometric;
        std::uint16_t samples;
        std::vector<std::uint16_t> extras;
        bool read;
    };
    const std::vector<Case> cases = {
        {PHOTOMETRIC_MINISBLACK, 2, {}, true},
        {PHOTOMETRIC_MINISBLACK, 3, {}, false},
        {PHOTOMETRIC_MINISBLACK, 3, {EXTRASAMPLE_UNSPECIFIED, EXTRASAMPLE_UNSPECIFIED}, true},
        {PHOTOMETRIC_RGB, 4, {}, true},
        {PHOTOMETRIC_RGB, 5, {}, false},
        {PHOTOMETRIC_RGB, 6, {EXTRASAMPLE_UNASSALPHA, EXTRASAMPLE_UNSPECIFIED}, true},
        {PHOTOMETRIC_RGB, 7, {EXTRASAMPLE_UNASSALPHA, EXTRASAMPLE_UNSPECIFIED}, false},
    };
    for (const char* mode : {"w", "wb", "w8", "wb8"})
        for (const Case& each : cases)
        {
            SCOPED_TRACE(std::string(mode) + " photometric " + std::to_string(each.photometric) + ", " +
                         std::to_string(each.samples) + " samples, " + std::to_string(each.extras.size()) + " extra");
            TiffSpec spec;
            spec.width = 5;
            spec.height = 3;
            spec.photometric = each.photometric;
            spec.samplesPerPixel = each.samples;
            spec.extraSamples = each.extras;
            const std::string path = folder.file("samples.tif");
            std::remove(path.c_str());
            ASSERT_TRUE(writeTiff(path, {spec}, {pattern(planeRowBytes(spec) * spec.height, 3)}, mode));
            const std::optional<Decoded> decoded = decodeChecked(codec, path);
            EXPECT_EQ(decoded.has_value(), each.read);
        }
}

TEST(TiffBlockData, StripsAndTilesWithoutDataMakeNoBuffersAndBuffersAreReused)
{
    // The 4,096 tiles without data: each fails before a buffer is made.
    const MemoryFile empty(tilesWithoutData(1));
    std::unique_ptr<TiffRowDecoder> tiles = decoderOf(empty.path(), TiffRowDecoder::Source::kTiles);
    ASSERT_NE(tiles, nullptr);
    EXPECT_EQ(readAll(*tiles), 8);
    EXPECT_EQ(tiles->bufferBytesMade(), 0);

    // Whole files, read twice, rows and tiles: one buffer a tile column for
    // the rows, one tile for the tiles read directly, one strip for strips
    // (none for uncompressed strips read a scanline at a time).
    // With a block's byte count 0 the rows stop there, the tiles read
    // directly skip it, and a block without data gets no buffer.
    ScratchFolder folder;
    struct Case
    {
        const char* name;
        std::uint16_t samples;
        std::uint16_t compression;
        bool tiled;
        TiffRowDecoder::Source source;
    };
    for (const Case& each : {Case{"LZW tiles", 1, COMPRESSION_LZW, true, TiffRowDecoder::Source::kTiles},
                             Case{"LZW strips", 1, COMPRESSION_LZW, false, TiffRowDecoder::Source::kStrips},
                             Case{"scanlines", 1, COMPRESSION_NONE, false, TiffRowDecoder::Source::kScanlines},
                             Case{"JPEG tiles", 3, COMPRESSION_JPEG, true, TiffRowDecoder::Source::kRgbaTiles},
                             Case{"JPEG strips", 3, COMPRESSION_JPEG, false, TiffRowDecoder::Source::kRgbaStrips}})
    {
        SCOPED_TRACE(each.name);
        const TiffSpec spec = blockSpec(40, 35, each.samples, each.compression, each.tiled);
        const std::string path = folder.file("whole.tif");
        std::remove(path.c_str());
        ASSERT_TRUE(writeTiff(path, {spec}, {gradient(spec)}));
        std::unique_ptr<TiffRowDecoder> decoder = decoderOf(path, each.source);
        ASSERT_NE(decoder, nullptr);
        EXPECT_EQ(readAll(*decoder, 2), -1);
        std::int64_t block = 0;
        {
            std::unique_ptr<TiffHandle> handle = TiffHandle::openDirectory(path, 0);
            ASSERT_NE(handle, nullptr);
            if (each.source == TiffRowDecoder::Source::kTiles)
                block = TIFFTileSize64(handle->get()) * (3 + 1);
            else if (each.source == TiffRowDecoder::Source::kStrips)
                block = TIFFVStripSize64(handle->get(), 16);
            else if (each.source == TiffRowDecoder::Source::kScanlines)
                block = 0;  // one scanline at a time, no strip kept
            else if (each.source == TiffRowDecoder::Source::kRgbaTiles)
                block = 16 * 16 * 4 * (3 + 1);
            else
                block = 40 * 16 * 4;
        }
        EXPECT_EQ(decoder->bufferBytesMade(), block);

        Bytes bytes = OmviTest::readFileBytes(path);
        const std::size_t blocks = each.tiled ? 3 * 3 : 3;
        for (std::size_t b = 0; b < blocks; ++b)
            ASSERT_TRUE(shortenBlock(bytes, b, 0.0));
        const std::string none = folder.file("none.tif");
        std::remove(none.c_str());
        ASSERT_TRUE(OmviTest::writeFileBytes(none, bytes));
        std::unique_ptr<TiffRowDecoder> empty = decoderOf(none, each.source);
        ASSERT_NE(empty, nullptr);
        EXPECT_EQ(readAll(*empty), 8);
        EXPECT_EQ(empty->bufferBytesMade(), 0);
    }
}
