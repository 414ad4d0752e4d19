// What a texture's failure says: what is wrong with the file, in words a
// user can act on, never the name of a function of the imaging library.
// The pictures come from ImageMagick and are cut or altered here.
#include "addin/tests/TextureTestSupport.h"
#include "imaging/tests/ToolCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>

using namespace texture_test;
using Bytes = std::vector<std::uint8_t>;
using publish_test::Quoted;
using publish_test::RunCommand;

namespace
{

Bytes Cut(const Bytes& bytes, std::size_t size)
{
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
}

class TextureCauses : public TextureConversionTest
{
protected:
    // ImageMagick's picture of 64 x 48 pixels, written as `name` says
    // (`format`, as "PNG8:", chooses another than its extension does).
    Bytes Magick(const std::string& name, const std::string& options = "",
                 const std::string& format = "") const
    {
        const std::string path = root_ + "/" + name;
        if (RunCommand(OmviTest::magick() + " -seed 3 -size 64x48 plasma:fractal " + options + " " +
                       Quoted(format + path)) != 0)
            return {};
        return OmviTest::readFileBytes(path);
    }

    // Why the texture at `path` fails, the way the publish takes it: read
    // as it is when named as a JPEG or PNG, else converted.
    std::string CauseFor(const std::string& path)
    {
        TextureImageConverter converter(*folder_);
        converter.setReportFailures(false);
        const std::u16string file = platform::path::fromNative(path);
        const std::string extension = path.substr(path.rfind('.') + 1);
        if (extension == "jpg" || extension == "png")
        {
            EXPECT_EQ(converter.ReadTextureImage(file), TextureFileFormat::Unreadable);
        }
        else
        {
            bool converted = true;
            converter.ConvertTextureImage(file, &converted);
            EXPECT_FALSE(converted);
        }
        return platform::path::toNative(converter.failure());
    }
};

} // namespace

TEST_F(TextureCauses, EachCauseSaysWhatIsWrongWithTheFile)
{
    OMVI_REQUIRE_TOOL("convert");
    const Bytes pcx = Magick("made.pcx");
    const Bytes targa = Magick("made.tga");
    const Bytes gif = Magick("made.gif");
    const Bytes tiff = Magick("made.tif");
    const Bytes palette = Magick("made.png", "-colors 16", "PNG8:");
    for (const Bytes* made : {&pcx, &targa, &gif, &tiff, &palette})
        ASSERT_GT(made->size(), 200u);

    // A PCX whose window declares 65535 x 65535 pixels with the line
    // length of its 64.
    Bytes huge = pcx;
    for (const std::size_t at : {8u, 10u})
    {
        huge[at] = 0xFE;
        huge[at + 1] = 0xFF;
    }
    const std::string lineLength = std::to_string(pcx[66] | pcx[67] << 8);
    // ImageMagick writes a TIFF's directory after its image data.
    const std::uint32_t directory =
        tiff[4] | tiff[5] << 8 | tiff[6] << 16 | std::uint32_t(tiff[7]) << 24;
    ASSERT_EQ(std::string(tiff.begin(), tiff.begin() + 2), "II");
    ASSERT_GT(directory, tiff.size() / 2);
    // One bit of the PNG's palette flipped.
    Bytes damagedPalette = palette;
    const std::string plte = "PLTE";
    const auto chunk =
        std::search(damagedPalette.begin(), damagedPalette.end(), plte.begin(), plte.end());
    ASSERT_NE(chunk, damagedPalette.end());
    chunk[6] ^= 0x01;
    // A Targa whose header marks its rows interleaved, a kind not read.
    Bytes interleaved = targa;
    interleaved[17] |= 0x40;

    const std::map<std::string, std::pair<Bytes, std::string>> cases = {
        {"huge.pcx",
         {huge, "the texture image cannot be read: The PCX header's line length, " + lineLength +
                    " bytes, does not fit its width of 65535 pixels"}},
        {"notes.png",
         {Bytes{'w', 'o', 'o', 'd',  ' ', 'g', 'r', 'a', 'i', 'n', ' ', 'n', 'o',
                't', 'e', 's', '\n', 'l', 'i', 'n', 'e', ' ', 't', 'w', 'o', '\n'},
          "the texture image is in no format that can be read"}},
        {"empty.jpg", {Bytes(), "the texture file is empty"}},
        {"half.tga",
         {Cut(targa, targa.size() / 2),
          "the texture image cannot be read: The Targa file ends before its pixel data does"}},
        {"interleaved.tga",
         {interleaved,
          "the texture image is of a kind that cannot be read: Targa with interleaved rows"}},
        {"header.gif",
         {Cut(gif, 20),
          "the texture image cannot be read: The GIF file ends within its global colour table"}},
        {"half.tif", {Cut(tiff, tiff.size() / 2), "the texture image is cut short"}},
        {"palette.png",
         {damagedPalette,
          "the texture image cannot be read: The PNG file is damaged: PLTE: CRC error"}},
        {"palette.PNG",
         {damagedPalette,
          "the texture image cannot be read: The PNG file is damaged: PLTE: CRC error"}},
    };
    for (const auto& [name, c] : cases)
    {
        SCOPED_TRACE(name);
        const std::string cause = CauseFor(Source(name, c.first));
        EXPECT_EQ(cause, c.second);
        EXPECT_EQ(cause.find("::"), std::string::npos);
    }
    ExpectNoTemporaryFiles();
}

// A JPEG holds at most 65,500 pixels a side (the JPEG library's limit): a
// texture beyond it is too large for a JPEG texture, not damaged. The TIFFs
// come from netpbm, the JPEG from PIL, and djpeg refuses it as we do.
TEST_F(TextureCauses, SidesBeyondTheJpegLimitAreTooLargeForAJpegTexture)
{
    OMVI_REQUIRE_TOOL("pgmmake");
    OMVI_REQUIRE_TOOL("pamtotiff");
    OMVI_REQUIRE_TOOL("djpeg");
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    for (const int height : {65500, 65501, 65535})
    {
        const std::string name = root_ + "/" + std::to_string(height) + ".tif";
        ASSERT_EQ(RunCommand("pgmmake 0.5 4 " + std::to_string(height) + " | pamtotiff > " +
                             Quoted(name) + " 2>/dev/null"),
                  0);
    }
    for (const int height : {65501, 65535})
    {
        SCOPED_TRACE(height);
        EXPECT_EQ(CauseFor(root_ + "/" + std::to_string(height) + ".tif"),
                  "the texture image is too large for a JPEG texture: 4 x " +
                      std::to_string(height) + " pixels (at most 65,500 pixels a side)");
    }
    TextureImageConverter converter(*folder_);
    converter.setReportFailures(false);
    bool converted = false;
    const std::string jpeg = platform::path::toNative(converter.ConvertTextureImage(
        platform::path::fromNative(root_ + "/65500.tif"), &converted));
    ASSERT_TRUE(converted) << platform::path::toNative(converter.failure());
    std::string header;
    RunCommand("djpeg -pnm " + Quoted(jpeg) + " | head -c 14", &header);
    EXPECT_EQ(header, "P5\n4 65500\n255");

    // PIL's JPEG of 65,500 rows made 65,501 rows high: its last row of
    // blocks already covers the one more row, so the file is whole.
    const std::string tall = root_ + "/tall.jpg";
    ASSERT_EQ(RunCommand(python +
                         " -c \"from PIL import Image\nImage.new('L', (4, 65500), 90).save('" +
                         tall + "')\""),
              0);
    Bytes bytes = OmviTest::readFileBytes(tall);
    std::size_t at = 2;
    while (at + 9 < bytes.size() &&
           !(bytes[at] == 0xFF && bytes[at + 1] >= 0xC0 && bytes[at + 1] <= 0xC2))
        at += 2 + (std::size_t(bytes[at + 2]) << 8 | bytes[at + 3]);
    ASSERT_LT(at + 9, bytes.size());
    ASSERT_EQ((bytes[at + 5] << 8 | bytes[at + 6]), 65500);
    bytes[at + 6] = 65501 & 0xFF;
    const std::string path = Source("tall.jpg", bytes);
    std::string said;
    RunCommand("djpeg " + Quoted(path) + " 2>&1 >/dev/null", &said);
    EXPECT_NE(said.find("Maximum supported image dimension is 65500 pixels"), std::string::npos)
        << said;
    EXPECT_EQ(CauseFor(path),
              "the texture image cannot be read: The JPEG image is wider or taller than the "
              "65,500 pixels a side that can be decoded");
    // The publish's folder goes with the publish.
    folder_.reset();
    ExpectNoTemporaryFiles();
}

// A picture of a kind that is recognised but not read names its kind, so the
// user knows what to convert. The pictures come from ImageMagick, netpbm and
// PIL; the RLE4 bitmap, which none of them writes, is built here and
// checked by ImageMagick.
TEST_F(TextureCauses, KindsThatAreNotReadAreNamed)
{
    OMVI_REQUIRE_TOOL("convert");
    OMVI_REQUIRE_TOOL("ppmtopcx");
    std::map<std::string, std::pair<Bytes, std::string>> cases;
    auto add = [&](const std::string& name, const Bytes& bytes, const std::string& kind)
    {
        ASSERT_GT(bytes.size(), 100u) << name;
        cases[name] = {bytes, "the texture image is of a kind that cannot be read: " + kind};
    };
    auto little = [](const Bytes& bytes, std::size_t at, int size)
    {
        std::uint32_t value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
        return value;
    };

    const Bytes rle8 = Magick("rle8.bmp", "-colors 200 -compress RLE", "bmp3:");
    ASSERT_EQ(little(rle8, 30, 4), 1u);
    add("rle8.bmp", rle8, "BMP with run-length compression (RLE8)");
    const Bytes alpha =
        Magick("alpha.bmp", "-alpha on -channel A -evaluate set 50% +channel", "bmp:");
    ASSERT_EQ(little(alpha, 28, 2), 32u);
    ASSERT_EQ(little(alpha, 30, 4), 3u);
    add("alpha.bmp", alpha, "BMP whose 32-bit pixels are laid out by bit fields");
    // 4 x 2 pixels of 16 colours, each row one run of two alternating
    // colours; a 40-byte header, 16 palette entries, the runs.
    Bytes rle4 = {'B', 'M', 126, 0, 0, 0, 0, 0, 0, 0, 118, 0, 0, 0, 40, 0, 0, 0,
                  4,   0,   0,   0, 2, 0, 0, 0, 1, 0, 4,   0, 2, 0, 0,  0, 8, 0,
                  0,   0,   0,   0, 0, 0, 0, 0, 0, 0, 16,  0, 0, 0, 0,  0, 0, 0};
    for (int i = 0; i < 16; ++i)
        rle4.insert(rle4.end(), {static_cast<std::uint8_t>(i * 16),
                                 static_cast<std::uint8_t>(255 - i * 16), 0, 0});
    rle4.insert(rle4.end(), {4, 0x12, 0, 0, 4, 0x34, 0, 1});
    ASSERT_EQ(rle4.size(), 126u);
    std::string identified;
    RunCommand("identify -format '%w %h %C' " + Quoted(Source("rle4.bmp", rle4)) + " 2>&1",
               &identified);
    EXPECT_EQ(identified, "4 2 RLE");
    add("rle4.bmp", rle4, "BMP with run-length compression (RLE4)");

    add("cmyk.tif", Magick("cmyk.tif", "-depth 8 -colorspace CMYK"), "CMYK TIFF");
    add("rgb16.tif", Magick("rgb16.tif", "-depth 16"), "TIFF of 16 bits a sample (RGB)");
    // ImageMagick's gradient is a 16-bit grey TIFF.
    ASSERT_EQ(RunCommand("convert -size 64x48 gradient: " + Quoted(root_ + "/grey16.tif")), 0);
    add("grey16.tif", OmviTest::readFileBytes(root_ + "/grey16.tif"), "TIFF of 16 bits a sample");
    const std::string python = OmviTest::pythonWith("PIL");
    if (!python.empty())
    {
        ASSERT_EQ(RunCommand(
                      python +
                      " -c \"from PIL import Image\nImage.new('I;16', (40, 30), 300).save('" +
                      root_ + "/pil16.tif')\nImage.new('CMYK', (40, 30), (10, 20, 30, 40)).save('" +
                      root_ + "/pilcmyk.tif')\""),
                  0);
        add("pil16.tif", OmviTest::readFileBytes(root_ + "/pil16.tif"), "TIFF of 16 bits a sample");
        add("pilcmyk.tif", OmviTest::readFileBytes(root_ + "/pilcmyk.tif"), "CMYK TIFF");
    }

    // netpbm's PCX of 4 and 8 colours: bit planes, or 2 bits a pixel packed.
    for (const auto& [name, colours, packed, bits, planes, kind] :
         {std::tuple{"planes2.pcx", 4, false, 1, 2, "PCX of 4 colours in 2 bit planes"},
          std::tuple{"planes3.pcx", 8, false, 1, 3, "PCX of 8 colours in 3 bit planes"},
          std::tuple{"packed.pcx", 4, true, 2, 1, "PCX of 2 bits a pixel"}})
    {
        const std::string path = root_ + "/" + name;
        ASSERT_EQ(RunCommand("convert -seed 3 -size 64x48 plasma:fractal -colors " +
                             std::to_string(colours) + " ppm:- | ppmtopcx " +
                             (packed ? "-packed " : "") + "> " + Quoted(path) + " 2>/dev/null"),
                  0);
        const Bytes pcx = OmviTest::readFileBytes(path);
        ASSERT_GT(pcx.size(), 128u);
        ASSERT_EQ(pcx[3], bits) << name;
        ASSERT_EQ(pcx[65], planes) << name;
        add(name, pcx, kind);
    }

    for (const auto& [name, c] : cases)
    {
        SCOPED_TRACE(name);
        EXPECT_EQ(CauseFor(Source(name, c.first)), c.second);
    }
    ExpectNoTemporaryFiles();
}
