// Files written by independent tools (ImageMagick, netpbm, python's PIL)
// are recognised by their own codec, refused by every other codec with a
// signature, and found by the session's three-pass lookup. Each test skips
// with a message when its tool is missing.
#include "CodecTestFiles.h"
#include "imaging/codecs/tests/SharedTestSupport.h"

#include "imaging/platform/ScratchFile.h"
#include "imaging/session/OMVISession.h"
#include "imaging/tests/ToolCheck.h"

#include <gtest/gtest.h>

using namespace Omvi;
using OmviTest::AllCodecs;
using OmviTest::ScratchFolder;

namespace
{

std::string nameOf(const ImageFormatCodec& codec)
{
    StringBuffer name;
    codec.getName(name);
    return name.text();
}

// Checks one file against every codec and the session's lookup.
class ToolFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        session_ = OMVISession::create(makeScratchFileSpecifier("IMG"), 0);
        ASSERT_NE(session_, nullptr);
        for (ImageFormatCodec* codec : codecs_.list())
            ASSERT_TRUE(session_->registerCodec(codec));
        ASSERT_FALSE(folder_.path().empty());
    }
    void TearDown() override { OMVISession::destroy(); }

    // Runs `command` in the test folder; false (with a failure) when it fails.
    bool make(const std::string& command)
    {
        const int status = OmviTest::runCommand("cd '" + folder_.path() + "' && ( " + command + " ) >/dev/null 2>&1");
        EXPECT_EQ(status, 0) << command;
        return status == 0;
    }

    void expectOwner(const std::string& file, const std::string& owner, int expected = ImageFormatCodec::kRecognised)
    {
        SCOPED_TRACE(file);
        const FileSpecifier specifier(AsciiStringBuffer(folder_.file(file)), FileSpecifier::kFile);
        for (ImageFormatCodec* codec : codecs_.list())
        {
            const std::string name = nameOf(*codec);
            if (name == owner)
            {
                EXPECT_EQ(codec->probe(specifier, nullptr), expected) << name;
            }
            else if (codec->getProbeClass() == ImageFormatCodec::kStrongSignature)
            {
                EXPECT_EQ(codec->probe(specifier, nullptr), ImageFormatCodec::kNotThisFormat) << name;
            }
        }
        ImageFormatCodec* found = nullptr;
        EXPECT_EQ(session_->findCodec(specifier, found), expected);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(nameOf(*found), owner);
    }

    AllCodecs codecs_;
    ScratchFolder folder_;
    OMVISession* session_ = nullptr;
};

} // namespace

TEST_F(ToolFiles, ImageMagickFiles)
{
    OMVI_REQUIRE_TOOL("convert");
    ASSERT_TRUE(make("convert -size 12x7 gradient:red-blue -depth 8 src.ppm"));
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"BMP3:v3.bmp", "v3.bmp", "BMP"},
        {"v5.bmp", "v5.bmp", "BMP"},
        {"-type palette BMP3:p8.bmp", "p8.bmp", "BMP"},
        {"-monochrome BMP3:m1.bmp", "m1.bmp", "BMP"},
        {"a.jpg", "a.jpg", "JFIF"},
        {"a.png", "a.png", "PNG"},
        {"a.gif", "a.gif", "GIF"},
        {"a.pcx", "a.pcx", "PCX"},
        {"-type palette p.pcx", "p.pcx", "PCX"},
        {"a.tga", "a.tga", "Targa"},
        {"-compress RLE rle.tga", "rle.tga", "Targa"},
        {"-type grayscale gray.tga", "gray.tga", "Targa"},
        {"a.tif", "a.tif", "TIFF"},
        {"-compress lzw lzw.tif", "lzw.tif", "TIFF"},
        {"-compress zip zip.tif", "zip.tif", "TIFF"},
        {"-monochrome -compress group4 g4.tif", "g4.tif", "TIFF"},
        {"PICT:a.pict", "a.pict", "PICT"},
        {"-monochrome CALS:a.cal", "a.cal", "CALS"},
    };
    for (const auto& [arguments, file, owner] : cases)
        if (make("convert src.ppm -depth 8 " + arguments))
            expectOwner(file, owner);

    // A run-length coded bitmap is recognised but not read.
    if (make("convert src.ppm -depth 8 -type palette -compress RLE BMP3:rle.bmp"))
        expectOwner("rle.bmp", "BMP", ImageFormatCodec::kUnsupportedVariant);
    // Without the LZW mode, LZW-only files are recognised with reservations.
    TiffFormatCodec withoutLzw(TiffFormatCodec::kWithoutLzw);
    EXPECT_EQ(withoutLzw.probe(FileSpecifier(AsciiStringBuffer(folder_.file("lzw.tif")), FileSpecifier::kFile), nullptr),
              ImageFormatCodec::kUnsupportedVariant);
}

TEST_F(ToolFiles, NetpbmFiles)
{
    OMVI_REQUIRE_TOOL("ppmtobmp");
    OMVI_REQUIRE_TOOL("pnmtotiff");
    ASSERT_TRUE(make("pgmramp -lr 9 5 > gray.pgm && pgmtoppm rgb:20/80/c0 gray.pgm > src.ppm && "
                     "pbmmake -g 9 5 > bits.pbm"));
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"ppmtobmp src.ppm > a.bmp", "a.bmp", "BMP"},
        {"ppmtobmp -bpp=1 bits.pbm > b.bmp", "b.bmp", "BMP"},
        {"ppmtobmp -os2 src.ppm > os2.bmp", "os2.bmp", "BMP"},
        {"pnmtotiff src.ppm > a.tif", "a.tif", "TIFF"},
        {"pnmtotiff -lzw gray.pgm > lzw.tif", "lzw.tif", "TIFF"},
        {"pnmtotiff -g4 bits.pbm > g4.tif", "g4.tif", "TIFF"},
        {"ppmtopcx src.ppm > a.pcx", "a.pcx", "PCX"},
        {"ppmtopict src.ppm > a.pict", "a.pict", "PICT"},
        {"pnmtopng src.ppm > a.png", "a.png", "PNG"},
        {"pnmtopng -interlace gray.pgm > i.png", "i.png", "PNG"},
        {"pamtogif gray.pgm > a.gif", "a.gif", "GIF"},
        {"ppmtotga -rgb -norle src.ppm > a.tga", "a.tga", "Targa"},
        {"ppmtotga -rgb src.ppm > rle.tga", "rle.tga", "Targa"},
        {"ppmtotga -mono gray.pgm > mono.tga", "mono.tga", "Targa"},
        {"pnmtojpeg src.ppm > a.jpg", "a.jpg", "JFIF"},
    };
    for (const auto& [command, file, owner] : cases)
        if (make(command))
            expectOwner(file, owner);
}

TEST_F(ToolFiles, PythonImagingFiles)
{
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    const std::string script = folder_.file("write.py");
    folder_.write("write.py",
                  "from PIL import Image\n"
                  "rgb = Image.new('RGB', (10, 6), (200, 30, 90))\n"
                  "rgb.save('a.bmp'); rgb.save('a.jpg'); rgb.save('a.png'); rgb.save('a.pcx')\n"
                  "rgb.save('a.tga'); rgb.save('rle.tga', compression='tga_rle')\n"
                  "rgb.save('a.tif'); rgb.save('lzw.tif', compression='tiff_lzw')\n"
                  "rgb.save('p.tif', compression='packbits')\n"
                  "rgb.convert('P').save('a.gif'); rgb.convert('P').save('p.bmp')\n"
                  "rgb.convert('L').save('g.png'); rgb.convert('1').save('g4.tif', compression='group4')\n"
                  "rgb.convert('1').save('m.bmp'); rgb.convert('RGBA').save('rgba.png')\n"
                  "rgb.save('prog.jpg', progressive=True)\n");
    ASSERT_TRUE(make("'" + python + "' write.py"));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a.bmp", "BMP"},   {"p.bmp", "BMP"},    {"m.bmp", "BMP"},     {"a.jpg", "JFIF"},  {"prog.jpg", "JFIF"},
        {"a.png", "PNG"},   {"g.png", "PNG"},    {"rgba.png", "PNG"},  {"a.pcx", "PCX"},   {"a.tga", "Targa"},
        {"rle.tga", "Targa"}, {"a.tif", "TIFF"}, {"lzw.tif", "TIFF"},  {"p.tif", "TIFF"},  {"g4.tif", "TIFF"},
        {"a.gif", "GIF"},
    };
    for (const auto& [file, owner] : cases)
        expectOwner(file, owner);
}
