// What a texture's failure says: what is wrong with the file, in words a
// user can act on, never the name of a function of the imaging library.
// The pictures come from ImageMagick and are cut or altered here.
#include "addin/tests/TextureTestSupport.h"
#include "imaging/tests/ToolCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

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
         {interleaved, "the texture image is a Targa image of a kind that cannot be read"}},
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
