// Textures in each of the twelve formats, written at run time by the
// independent tools (ImageMagick, netpbm's libtiff tools, PIL, the RLC/IG4
// and FLIC generators of the codec tests) into a copy of the sample host
// data, named as the host names them (<SystemTexture>\...), and converted:
// each becomes a JPEG that `identify` reads as JPEG of the source's size at
// quality 75, whose pixels are those the tools decode from the source.
#include "addin/tests/ModelPackage.h"
#include "addin/tests/TextureTestSupport.h"
#include "addin/texture/TextureNames.h"
#include "imaging/codecs/tests/BitonalTestImages.h"
#include "imaging/codecs/tests/CcittTiffSupport.h"
#include "imaging/codecs/tests/CodecTestFiles.h"
#include "imaging/codecs/tests/FlicTestFiles.h"
#include "imaging/codecs/tests/ReadCallCount.h"
#include "imaging/tests/ToolCheck.h"
#include "platform/kernel/Path.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

using namespace texture_test;
using OmviTest::BitonalImage;
using OmviTest::Bytes;
using publish_test::Quoted;
using publish_test::RunCommand;

namespace
{

constexpr int kWidth = 52;
constexpr int kHeight = 36;

enum class Kind
{
    kColour, // compared by PSNR
    kBitonal // compared black against white
};

struct Texture
{
    std::string format;
    std::string systemName; // as a host document names it
    Kind kind;
    // Writes the file; false when it could not.
    std::function<bool(const std::string& path)> write;
    // The pixels the source holds, by an independent decoder (or as
    // written, for formats that no tool reads).
    std::function<TestImage(const std::string& path)> reference;
};

// The file a <SystemTexture>\ name stands for below the host data folder.
std::string SystemTexturePath(const std::string& hostData, const std::string& name)
{
    const std::string prefix = "<SystemTexture>\\";
    std::string relative = name.substr(prefix.size());
    for (char& c : relative)
        if (c == '\\')
            c = '/';
    return hostData + "/data/" + relative;
}

TestImage BitonalAsRgb(const BitonalImage& image)
{
    TestImage rgb{image.width, image.height, 3, {}};
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
        {
            const std::uint8_t level = image.pixel(x, y) ? 0 : 255;
            rgb.pixels.insert(rgb.pixels.end(), {level, level, level});
        }
    return rgb;
}

// The share of pixels whose black-or-white reading differs.
double BitonalMismatch(const TestImage& decoded, const TestImage& reference)
{
    if (decoded.width != reference.width || decoded.height != reference.height ||
        reference.pixels.empty())
        return 1.0;
    std::size_t differing = 0;
    const std::size_t pixels = static_cast<std::size_t>(decoded.width) * decoded.height;
    for (std::size_t i = 0; i < pixels; ++i)
        if ((decoded.pixels[3 * i + 1] < 128) != (reference.pixels[3 * i + 1] < 128))
            ++differing;
    return double(differing) / double(pixels);
}

Bytes RlcOf(const BitonalImage& image)
{
    std::vector<std::vector<std::pair<int, int>>> rows;
    for (int y = 0; y < image.height; ++y)
    {
        std::vector<std::pair<int, int>> runs;
        for (int x = 0; x < image.width;)
        {
            if (!image.pixel(x, y))
            {
                ++x;
                continue;
            }
            int end = x;
            while (end < image.width && image.pixel(end, y))
                ++end;
            runs.push_back({x, end});
            x = end;
        }
        rows.push_back(runs);
    }
    return OmviTest::rlcFile(static_cast<std::uint16_t>(image.width), rows);
}

class TwelveFormats : public TextureConversionTest
{
protected:
    void SetUp() override
    {
        TextureConversionTest::SetUp();
        hostData_ = root_ + "/host-data";
        ASSERT_EQ(RunCommand("cp -r " + Quoted(QUILLCAST_SOURCE_DIR "/examples/host-data") + " " +
                             Quoted(hostData_)),
                  0);
        ::mkdir((hostData_ + "/data/twelve").c_str(), 0700);
        picture_ = OmviTest::patternImage(kWidth, kHeight, 3, 2);
        ppm_ = root_ + "/picture.ppm";
        ASSERT_TRUE(OmviTest::writeFileBytes(ppm_, OmviTest::toPnm(picture_)));
        bitonal_ = OmviTest::checkerBitonal(kWidth + 4, kHeight + 4, 8);
        pbm_ = root_ + "/bitonal.pbm";
        ASSERT_TRUE(OmviTest::writePbm(pbm_, bitonal_));
    }

    bool Magick(const std::string& arguments, const std::string& out) const
    {
        return RunCommand(OmviTest::magick() + " " + arguments + Quoted(out) +
                          " >/dev/null 2>&1") == 0;
    }

    std::vector<Texture> Textures(const std::string& python)
    {
        const auto magickReference = [](const std::string& path)
        { return OmviTest::magickRgb(path); };
        const auto bitonalReference = [this](const std::string&) { return BitonalAsRgb(bitonal_); };
        const auto pilReference = [python](const std::string& p)
        {
            return OmviTest::fromPnm(OmviTest::runCapture(
                python +
                " -c \"import sys; from PIL import Image; "
                "Image.open(sys.argv[1]).convert('RGB').save(sys.stdout.buffer, 'PPM')\" " +
                Quoted(p)));
        };
        // Palette indices that change smoothly, as JPEG keeps them.
        TestImage indices{kWidth, kHeight, 1, {}};
        for (std::size_t i = 0; i < picture_.pixels.size(); i += 3)
            indices.pixels.push_back(picture_.pixels[i + 1]);
        std::vector<Texture> textures = {
            {"BMP", "<SystemTexture>\\twelve\\brick.bmp", Kind::kColour,
             [this](const std::string& p) { return Magick(Quoted(ppm_) + " BMP3:", p); },
             magickReference},
            {"CALS", "<SystemTexture>\\twelve\\plan.cal", Kind::kBitonal,
             [this](const std::string& p) { return Magick(Quoted(pbm_) + " CALS:", p); },
             bitonalReference},
            {"FLIC", "<SystemTexture>\\twelve\\water.flc", Kind::kColour,
             [indices](const std::string& p)
             {
                 // Index i shows (i, 255 - i, i / 2).
                 Bytes palette;
                 for (int i = 0; i < 256; ++i)
                     palette.insert(palette.end(), {static_cast<std::uint8_t>(i),
                                                    static_cast<std::uint8_t>(255 - i),
                                                    static_cast<std::uint8_t>(i / 2)});
                 return OmviTest::writeFileBytes(
                     p, OmviTest::flicAnimation(
                            kWidth, kHeight,
                            {OmviTest::flicFrame({OmviTest::flicColours({{0, palette, 0}}),
                                                  OmviTest::flicByteRun(indices)})}));
             },
             pilReference},
            {"GIF", "<SystemTexture>\\twelve\\leaves.gif", Kind::kColour,
             [this](const std::string& p)
             { return Magick(Quoted(ppm_) + " +dither -colors 64 GIF:", p); },
             magickReference},
            {"IG4", "<SystemTexture>\\twelve\\scan.ig4", Kind::kBitonal,
             [this, python](const std::string& p)
             {
                 const std::string plain = root_ + "/plain.tif";
                 const std::string coded = root_ + "/coded.tif";
                 const std::string spec = root_ + "/ig4.json";
                 const std::string generator =
                     QUILLCAST_SOURCE_DIR "/imaging/codecs/tests/data/container_files.py";
                 return OmviTest::writeBitonalTiff(plain, bitonal_, 8) &&
                        RunCommand("tiffcp -c g4 -f lsb2msb -r 8 " + Quoted(plain) + " " +
                                   Quoted(coded) + " 2>/dev/null") == 0 &&
                        OmviTest::writeFileBytes(spec,
                                                 [&]
                                                 {
                                                     const std::string json =
                                                         "{\"tiff\": \"" + coded + "\"}";
                                                     return Bytes(json.begin(), json.end());
                                                 }()) &&
                        RunCommand(python + " " + Quoted(generator) + " ig4 " + Quoted(spec) + " " +
                                   Quoted(p) + " >/dev/null 2>&1") == 0;
             },
             bitonalReference},
            {"JFIF", "<SystemTexture>\\twelve\\marble.JPG", Kind::kColour,
             [this](const std::string& p)
             { return Magick(Quoted(ppm_) + " -quality 92 JPEG:", p); },
             magickReference},
            {"PCX", "<SystemTexture>\\twelve\\tiles.pcx", Kind::kColour,
             [this](const std::string& p) { return Magick(Quoted(ppm_) + " PCX:", p); },
             magickReference},
            {"PICT", "<SystemTexture>\\twelve\\paper.pct", Kind::kColour,
             [this](const std::string& p) { return Magick(Quoted(ppm_) + " PICT:", p); },
             magickReference},
            {"PNG", "<SystemTexture>\\twelve\\cloth.PNG", Kind::kColour,
             [this](const std::string& p) { return Magick(Quoted(ppm_) + " PNG:", p); },
             magickReference},
            {"RLC", "<SystemTexture>\\twelve\\sheet.rlc", Kind::kBitonal,
             [this](const std::string& p) { return OmviTest::writeFileBytes(p, RlcOf(bitonal_)); },
             bitonalReference},
            // ImageMagick stores its rows top row first under a header that
            // says bottom row first, and reads them back alike; PIL (and the
            // format) go by the header.
            {"Targa", "<SystemTexture>\\twelve\\stone.tga", Kind::kColour,
             [this](const std::string& p) { return Magick(Quoted(ppm_) + " TGA:", p); },
             pilReference},
            {"TIFF", "<SystemTexture>\\twelve\\wood.tiff", Kind::kColour,
             [this](const std::string& p)
             { return Magick(Quoted(ppm_) + " -compress lzw TIFF:", p); },
             magickReference},
        };
        return textures;
    }

    std::string hostData_;
    TestImage picture_;
    std::string ppm_;
    BitonalImage bitonal_;
    std::string pbm_;
};

} // namespace

TEST_F(TwelveFormats, EachTextureBecomesAJpegOfItsSizeAndPixelsAtQuality75)
{
    OMVI_REQUIRE_TOOL("convert");
    OMVI_REQUIRE_TOOL("identify");
    OMVI_REQUIRE_TOOL("tiffcp");
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    std::vector<std::string> formats;
    for (const Texture& texture : Textures(python))
    {
        SCOPED_TRACE(texture.format);
        const std::string path = SystemTexturePath(hostData_, texture.systemName);
        ASSERT_TRUE(texture.write(path)) << path;
        const TestImage reference = texture.reference(path);
        ASSERT_GT(reference.width, 0) << "no reference decoding";

        const Outcome outcome = Convert(path);
        ASSERT_TRUE(outcome.converted) << platform::path::toNative(outcome.failure);
        const std::string name =
            platform::path::toNative(platform::path::lastComponent(outcome.result));
        EXPECT_EQ(name.substr(name.size() - 19), "xos_a1d9A_w2w95.jpg");
        EXPECT_EQ(outcome.path().rfind(FolderPath() + "/", 0), 0u);
        EXPECT_EQ(Identify(outcome.path()), "JPEG " + std::to_string(reference.width) + " " +
                                                std::to_string(reference.height) + " 75");
        const TestImage decoded = JpegFileAsRgb(outcome.path());
        if (texture.kind == Kind::kColour)
            EXPECT_GT(OmviTest::psnr(decoded, reference), 28.0);
        else
            EXPECT_LT(BitonalMismatch(decoded, reference), 0.03);
        // Each texture is converted once per publish.
        EXPECT_TRUE(Convert(path).details.reused);
        formats.push_back(texture.format);
    }
    EXPECT_EQ(formats.size(), 12u);
    // The source folder holds only the sources; the folder goes whole.
    EXPECT_EQ(publish_test::FilesIn(hostData_ + "/data/twelve").size(), 12u);
    folder_->remove();
    ExpectNoTemporaryFiles();
}

TEST_F(TextureConversionTest, TiffFilesConvertTheirFullImagePastReducedCopiesAndMasks)
{
    OMVI_REQUIRE_TOOL("convert");
    OMVI_REQUIRE_TOOL("tiffcp");
    OMVI_REQUIRE_TOOL("tiffset");
    const TestImage full = OmviTest::patternImage(40, 30, 3, 6);
    const std::string ppm = root_ + "/full.ppm";
    ASSERT_TRUE(OmviTest::writeFileBytes(ppm, OmviTest::toPnm(full)));
    const std::string whole = root_ + "/whole.tif";
    const std::string small = root_ + "/small.tif";
    const std::string mask = root_ + "/mask.tif";
    ASSERT_EQ(
        RunCommand(OmviTest::magick() + " " + Quoted(ppm) + " -compress lzw " + Quoted(whole)), 0);
    ASSERT_EQ(
        RunCommand(OmviTest::magick() + " " + Quoted(ppm) + " -resize 20x15! " + Quoted(small)), 0);
    ASSERT_EQ(RunCommand("tiffset -s 254 1 " + Quoted(small)), 0);
    ASSERT_TRUE(OmviTest::writeBitonalTiff(mask, OmviTest::checkerBitonal(40, 30, 4), 30));
    ASSERT_EQ(RunCommand("tiffset -s 254 4 " + Quoted(mask)), 0);

    struct Case
    {
        const char* name;
        std::string parts;
        std::int32_t frame;
        std::int32_t frames;
    } cases[] = {
        {"wood.tiff", Quoted(small) + " " + Quoted(whole), 1, 2},
        // The TIFF reader does not offer masks as frames at all.
        {"masked.tif", Quoted(mask) + " " + Quoted(whole), 0, 1},
        {"first.tif", Quoted(whole) + " " + Quoted(small), 0, 2},
        {"plain.tif", Quoted(whole), 0, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string path = sources_ + "/" + c.name;
        ASSERT_EQ(RunCommand("tiffcp " + c.parts + " " + Quoted(path)), 0);
        const Outcome outcome = Convert(path);
        ASSERT_TRUE(outcome.converted) << platform::path::toNative(outcome.failure);
        EXPECT_EQ(outcome.details.fileFrames, c.frames);
        EXPECT_EQ(outcome.details.frame, c.frame);
        EXPECT_EQ(outcome.details.selectedFrames, 1);
        const TestImage decoded = JpegFileAsRgb(outcome.path());
        EXPECT_GT(OmviTest::psnr(decoded, full), 28.0);
    }
    EXPECT_TRUE(OmviTest::fileExists(FolderPath() + "/wood.tiffxos_a1d9A_w2w95.jpg"));
}

TEST_F(TextureConversionTest, ATiffOfManyPagesConvertsItsFirstInWorkProportionalToItsPages)
{
    OMVI_REQUIRE_TOOL("convert");
    OMVI_REQUIRE_READ_CALL_COUNT();
    const TestImage first = OmviTest::patternImage(16, 12, 3, 7);
    const TestImage other = OmviTest::patternImage(16, 12, 3, 8);
    const std::string firstPpm = root_ + "/first.ppm";
    const std::string otherPpm = root_ + "/other.ppm";
    ASSERT_TRUE(OmviTest::writeFileBytes(firstPpm, OmviTest::toPnm(first)));
    ASSERT_TRUE(OmviTest::writeFileBytes(otherPpm, OmviTest::toPnm(other)));
    // The read calls of converting a file of `pages` pages, the first page
    // unlike the others; every page counts, the first is the texture.
    auto readCallsToConvert = [&](int pages)
    {
        const std::string path = sources_ + "/pages" + std::to_string(pages) + ".tif";
        EXPECT_EQ(RunCommand(OmviTest::magick() + " " + Quoted(firstPpm) + " " + Quoted(otherPpm) +
                             " -duplicate " + std::to_string(pages - 2) + " " + Quoted(path)),
                  0);
        const std::uint64_t before = *OmviTest::readCallsSoFar();
        const Outcome outcome = Convert(path);
        const std::uint64_t calls = *OmviTest::readCallsSoFar() - before;
        EXPECT_TRUE(outcome.converted) << platform::path::toNative(outcome.failure);
        EXPECT_EQ(outcome.details.fileFrames, pages);
        EXPECT_EQ(outcome.details.selectedFrames, pages);
        EXPECT_EQ(outcome.details.frame, 0);
        EXPECT_GT(OmviTest::psnr(JpegFileAsRgb(outcome.path()), first), 28.0);
        return calls;
    };
    // Work in proportion to the pages: at most four times the read calls
    // (and a few more) for four times the pages, where going to each page
    // along the chain of directories from the first takes sixteen times.
    const std::uint64_t few = readCallsToConvert(100);
    const std::uint64_t many = readCallsToConvert(400);
    EXPECT_LE(many, 4 * few + 100) << few << " read calls for 100 pages";
}

TEST_F(TextureConversionTest, TheW2DImageTakesTheFileItselfForPngJpegAndWhiteZeroGroup4)
{
    OMVI_REQUIRE_TOOL("convert");
    OMVI_REQUIRE_TOOL("tiffcp");
    const std::string ppm = root_ + "/picture.ppm";
    ASSERT_TRUE(
        OmviTest::writeFileBytes(ppm, OmviTest::toPnm(OmviTest::patternImage(24, 16, 3, 3))));
    const BitonalImage bitonal = OmviTest::checkerBitonal(48, 32, 8);
    const std::string plain = root_ + "/plain.tif";
    ASSERT_TRUE(OmviTest::writeBitonalTiff(plain, bitonal, 32));
    struct Case
    {
        const char* name;
        std::string command;
        bool fileBytes;
    } cases[] = {
        {"a.png", OmviTest::magick() + " " + Quoted(ppm) + " PNG:", true},
        {"b.jpg", OmviTest::magick() + " " + Quoted(ppm) + " JPEG:", true},
        {"c.tif", "tiffcp -c g4 " + Quoted(plain) + " ", true},
        {"d.tif", OmviTest::magick() + " " + Quoted(ppm) + " -compress lzw TIFF:", false},
        {"e.tif", "tiffcp -c none " + Quoted(plain) + " ", false},
        {"f.bmp", OmviTest::magick() + " " + Quoted(ppm) + " BMP3:", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string path = sources_ + "/" + c.name;
        ASSERT_EQ(RunCommand(c.command + Quoted(path) + " 2>/dev/null"), 0);
        const Outcome outcome = Convert(path);
        ASSERT_TRUE(outcome.converted) << platform::path::toNative(outcome.failure);
        EXPECT_EQ(outcome.details.fileBytesInW2D, c.fileBytes);
        // The file is the re-encoded JPEG whatever the W2D stream held.
        EXPECT_NE(JpegFileAsRgb(outcome.path()).width, 0);
    }
    EXPECT_LT(BitonalMismatch(JpegFileAsRgb(FolderPath() + "/cxos_a1d9A_w2w95.jpg"),
                              BitonalAsRgb(bitonal)),
              0.03);
}

// An assembly of fourteen parts, one textured in each of the twelve formats,
// one more with the first texture again and one with a texture that no
// codec reads: the package holds each of the twelve textures once, as a
// JPEG of its source's size, and the unreadable one is no texture at all
// (the converter's message says so) in a package that is still whole.
TEST_F(TwelveFormats, AnAssemblyOfThemPublishesEachTextureOnceAsAJpeg)
{
    OMVI_REQUIRE_TOOL("convert");
    OMVI_REQUIRE_TOOL("identify");
    OMVI_REQUIRE_TOOL("tiffcp");
    OMVI_REQUIRE_TOOL("xmllint");
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    const std::vector<Texture> textures = Textures(python);
    std::map<std::string, std::string> sizes; // file stem -> "W H"
    std::vector<std::string> names;
    for (const Texture& texture : textures)
    {
        const std::string path = SystemTexturePath(hostData_, texture.systemName);
        ASSERT_TRUE(texture.write(path)) << texture.format;
        const TestImage reference = texture.reference(path);
        ASSERT_GT(reference.width, 0) << texture.format;
        const std::string file = texture.systemName.substr(texture.systemName.rfind('\\') + 1);
        // The resource is named by the letters and digits of the converted
        // file's path.
        const std::string converted = platform::path::toNative(
            CDWF3DGrWriter::TextureImageName(ConvertedTextureName(platform::path::fromNative(file))));
        sizes[converted] = std::to_string(reference.width) + " " + std::to_string(reference.height);
        names.push_back(texture.systemName);
    }
    names.push_back(textures.front().systemName);
    ASSERT_TRUE(OmviTest::writeFileBytes(hostData_ + "/data/twelve/broken.bmp",
                                         Bytes{'B', 'M', 'n', 'o', 't', ' ', 'a', 'n', 'y'}));
    names.push_back("<SystemTexture>\\twelve\\broken.bmp");

    const auto escaped = [](std::string name)
    { return "&lt;SystemTexture&gt;" + name.substr(std::string("<SystemTexture>").size()); };
    std::string xml = "<host-document version=\"1\">\n"
                      "<application toolbox-ini=\"host-data/toolbox/toolbox.ini\"/>\n"
                      "<document type=\"2\" title=\"twelve.ASM\" active=\"1\">\n"
                      "<configuration name=\"Default\" current=\"1\"/>\n"
                      "<components><component name=\"twelve\">\n";
    for (std::size_t i = 0; i < names.size(); ++i)
        xml += "<component name=\"part-" + std::to_string(i) +
               "\" document=\"plate.PRT\" state=\"2\" box=\"0 0 0 1 1 1\" "
               "transform=\"1 0 0 0 1 0 0 0 1 " +
               std::to_string(i) +
               " 0 0 1\"><body><face triangles=\"1\">"
               "<triangles>0 0 0 1 0 0 0 1 0</triangles><normals>0 0 1 0 0 1 0 0 1</normals>"
               "<texture-coordinates>0 0 1 0 0 1</texture-coordinates>"
               "<texture configuration=\"Default\" file=\"" +
               escaped(names[i]) + "\" angle=\"0\" scale=\"1\"/></face></body></component>\n";
    xml += "</component></components></document>\n"
           "<document type=\"1\" title=\"plate.PRT\"><configuration name=\"Default\" "
           "current=\"1\"/></document>\n</host-document>\n";
    const std::string document = root_ + "/twelve.xml";
    ASSERT_TRUE(OmviTest::writeFileBytes(document, Bytes(xml.begin(), xml.end())));

    auto application = host::loadHostDocument(platform::path::fromNative(document));
    ASSERT_TRUE(application);
    const PublishOutcome outcome = RunPublishCommand(*application, Request("twelve.dwf"));
    EXPECT_EQ(outcome.status, PublishOutcome::Status::PublishedWithErrors);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_NE(outcome.messages[0].find(u"TextureImageConverter::ConvertTextureImage"),
              std::u16string::npos);
    ExpectNoTemporaryFiles();

    const model_package::ModelPackage package =
        model_package::ReadModelPackage(Target("twelve.dwf"), "", root_ + "/read");
    EXPECT_EQ(package.header, "(DWF V06.01)");
    EXPECT_EQ(package.shells, 14);
    const auto resources = package.withRole("texture");
    ASSERT_EQ(resources.size(), 12u);
    std::set<std::string> stems;
    for (const model_package::Resource& texture : resources)
    {
        SCOPED_TRACE(texture.title);
        EXPECT_EQ(texture.mime, "image/jpeg");
        std::string stem;
        for (const auto& [name, size] : sizes)
            if (texture.title.size() > name.size() &&
                texture.title.compare(texture.title.size() - name.size(), name.size(), name) == 0)
                stem = name;
        ASSERT_FALSE(stem.empty());
        EXPECT_TRUE(stems.insert(stem).second);
        EXPECT_EQ(Identify(texture.file).substr(0, 5 + sizes[stem].size()),
                  "JPEG " + sizes[stem]);
    }
    // Thirteen faces name a texture (the fourteenth is coloured instead).
    EXPECT_EQ(package.textureNames.size(), 13u);
    EXPECT_EQ(std::set<std::string>(package.images.begin(), package.images.end()).size(), 12u);
}
