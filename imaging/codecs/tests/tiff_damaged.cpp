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

#include "imaging/codecs/tiff/properties/TiffPrivateTag.h"

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
        TiffSpec spec;
        spec.width = 61;
        spec.height = 80;
        spec.samplesPerPixel = each.samples;
        spec.photometric = each.samples == 3 ? PHOTOMETRIC_YCBCR : PHOTOMETRIC_MINISBLACK;
        spec.compression = COMPRESSION_JPEG;
        if (each.tiled)
            spec.tileWidth = spec.tileLength = 16;
        else
            spec.rowsPerStrip = 16;
        if (each.samples == 3)
            spec.tags = [](TIFF* tiff) { TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB); };
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
