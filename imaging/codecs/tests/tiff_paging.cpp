// TIFF files under the imaging core: read through the file read descriptor
// into tiled images (a tiled file paged straight from its own tiles, a large
// file of uncompressed strips decoded a band of tiles at a time when first
// touched; either way the image's pixels are the frame's rows), and written
// through the file write descriptor.
#include "imaging/codecs/tests/SharedTestSupport.h"
#include "TiffTestSupport.h"

#include "imaging/descriptors/FileReadDescriptor.h"
#include "imaging/descriptors/FileWriteDescriptor.h"
#include "imaging/paging/DelayLoadPageSystem.h"
#include "imaging/paging/DirectReadPagingSystem.h"
#include "imaging/tests/TiledImageFixtures.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Omvi;
using namespace OmviTest::Tiff;

namespace
{

class TiffPaging : public OmviTest::TiledImageTest
{
protected:
    void SetUp() override { ASSERT_FALSE(folder_.path().empty()); }

    OMVISession& startWithCodec()
    {
        OMVISession& session = start();
        EXPECT_TRUE(session.registerCodec(&codec_));
        return session;
    }

    // A generated file, its decoded rows, and a tiled image built from it.
    struct Built
    {
        Decoded rows;
        std::unique_ptr<FileReadDescriptor> descriptor;
        PagingSystemInterface* paging = nullptr;
    };

    Built build(const std::string& name, const TiffSpec& spec, TiledImage& image)
    {
        Built built;
        const std::string path = folder_.file(name);
        const std::size_t planes = spec.planar == PLANARCONFIG_SEPARATE ? spec.samplesPerPixel : 1;
        EXPECT_TRUE(writeTiff(path, {spec}, {pattern(planeRowBytes(spec) * spec.height * planes, 31)}));
        built.rows = decodeChecked(codec_, path).value_or(Decoded());
        built.descriptor = std::make_unique<FileReadDescriptor>(specifierOf(path));
        EXPECT_TRUE(image.construct(*built.descriptor, kOrganisationFromFile));
        PagingSystemInterface::Handle set = 0;
        image.pagingIdentity(built.paging, set);
        return built;
    }

    // Every `step`-th pixel of the image equals the decoded row's.
    static void expectRows(TiledImage& image, const Decoded& rows, int step)
    {
        OmviTest::TilePixels pixels(image);
        const int dataType = image.dataModel()->dataType();
        for (int y = 0; y < rows.height; y += step)
            for (int x = 0; x < rows.width; x += (x + step < rows.width ? step : 1))
            {
                std::uint64_t expected = 0;
                const Bytes& row = rows.rows[static_cast<std::size_t>(y)];
                if (dataType == kDataTypeOneBit)
                    expected = (row[static_cast<std::size_t>(x / 8)] >> (7 - x % 8)) & 1;
                else
                {
                    const int bytes = bitsPerPixelOf(dataType) / 8;
                    std::memcpy(&expected, row.data() + static_cast<std::size_t>(x) * bytes, static_cast<std::size_t>(bytes));
                }
                ASSERT_EQ(pixels.at(x, y), expected) << x << "," << y;
            }
    }

    TiffFormatCodec codec_{TiffFormatCodec::kTextureMode};
    OmviTest::ScratchFolder folder_;
};

TiffSpec tiled(std::uint32_t width, std::uint32_t height, std::uint16_t bits, std::uint16_t samples,
               std::uint16_t photometric, std::uint32_t tile, std::uint16_t compression)
{
    TiffSpec s;
    s.width = width;
    s.height = height;
    s.bitsPerSample = bits;
    s.samplesPerPixel = samples;
    s.photometric = photometric;
    s.tileWidth = s.tileLength = tile;
    s.compression = compression;
    return s;
}

} // namespace

TEST_F(TiffPaging, TiledFilesArePagedFromTheirOwnTiles)
{
    OMVISession& session = startWithCodec();
    struct Case
    {
        const char* name;
        TiffSpec spec;
        int step;
    };
    const Case cases[] = {
        {"rgb.tif", tiled(600, 520, 8, 3, PHOTOMETRIC_RGB, 256, COMPRESSION_LZW), 7},
        {"grey-white.tif", tiled(300, 270, 8, 1, PHOTOMETRIC_MINISWHITE, 256, COMPRESSION_NONE), 5},
        {"bits-black.tif", tiled(1100, 530, 1, 1, PHOTOMETRIC_MINISBLACK, 512, COMPRESSION_CCITTFAX4), 3},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TiledImage image;
        const Built built = build(c.name, c.spec, image);
        EXPECT_EQ(built.paging, &session.directReadPagingSystem());
        EXPECT_EQ(image.tileEdge(), static_cast<int>(c.spec.tileWidth));
        expectRows(image, built.rows, c.step);
    }
}

TEST_F(TiffPaging, LargeStripFilesAreDecodedWhenFirstTouched)
{
    OMVISession& session = startWithCodec();
    TiffSpec grey;
    grey.width = 1100;
    grey.height = 1000;
    grey.photometric = PHOTOMETRIC_MINISWHITE;
    grey.rowsPerStrip = 64;
    TiledImage image;
    const Built built = build("strips.tif", grey, image);
    EXPECT_EQ(built.paging, &session.delayLoadPagingSystem());
    expectRows(image, built.rows, 13);

    // Compressed strips cannot serve any band cheaply: read through their
    // rows into the paging file.
    TiffSpec lzw = grey;
    lzw.compression = COMPRESSION_LZW;
    TiledImage whole;
    const Built read = build("lzw.tif", lzw, whole);
    EXPECT_EQ(read.paging, &session.temporaryPagingSystem());
    expectRows(whole, read.rows, 13);
}

TEST_F(TiffPaging, FramesWrittenThroughTheWriteDescriptorReadBackTheSame)
{
    startWithCodec();
    struct Case
    {
        const char* name;
        TiffSpec spec;
    };
    TiffSpec palette = tiled(45, 31, 4, 1, PHOTOMETRIC_PALETTE, 0, COMPRESSION_NONE);
    palette.red = palette.green = palette.blue = std::vector<std::uint16_t>(16);
    for (std::size_t i = 0; i < 16; ++i)
    {
        palette.red[i] = static_cast<std::uint16_t>(i * 4369);
        palette.blue[i] = static_cast<std::uint16_t>(65535 - i * 4369);
    }
    const Case cases[] = {
        {"rgb.tif", tiled(45, 31, 8, 3, PHOTOMETRIC_RGB, 0, COMPRESSION_LZW)},
        {"grey.tif", tiled(45, 31, 8, 1, PHOTOMETRIC_MINISWHITE, 16, COMPRESSION_NONE)},
        {"bits.tif", tiled(45, 31, 1, 1, PHOTOMETRIC_MINISBLACK, 0, COMPRESSION_CCITTFAX4)},
        {"palette.tif", palette},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string path = folder_.file(c.name);
        ASSERT_TRUE(writeTiff(path, {c.spec}, {pattern(planeRowBytes(c.spec) * c.spec.height, 41)}));
        FileReadDescriptor source(specifierOf(path));
        const std::string copy = folder_.file(std::string("copy-") + c.name);
        {
            // The directory is complete once the writer is closed.
            FileWriteDescriptor out(codec_);
            ASSERT_TRUE(out.create(specifierOf(copy)));
            out.createImageFrame(*source.dataModel(), static_cast<std::int32_t>(c.spec.width),
                                 static_cast<std::int32_t>(c.spec.height));
            ASSERT_TRUE(out.isFrameValid());
            EXPECT_EQ(out.writeImageFrame(source.rowProvider()), 1);
        }
        const std::optional<Decoded> original = decodeChecked(codec_, path);
        const std::optional<Decoded> written = decodeChecked(codec_, copy);
        ASSERT_TRUE(original && written);
        EXPECT_EQ(written->colorModel, original->colorModel);
        EXPECT_TRUE(rgbOf(*written) == rgbOf(*original));
    }
}
