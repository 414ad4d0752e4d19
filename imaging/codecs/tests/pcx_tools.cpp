// PCX files of independent tools (netpbm's ppmtopcx, ImageMagick, PIL) read
// by the codec equal to what pcxtoppm decodes, and the files the codec
// writes read by pcxtoppm equal to their source; 256-colour files whose
// palette was cut or lost its marker refused, as pcxtoppm refuses them.
// Each test skips with a message when a tool is missing.
#include "PcxTestSupport.h"

#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/pcx/PcxFormatCodec.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

using namespace Omvi;
using namespace OmviRaster;

namespace
{

Bytes picture(int width, int height, int levels, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes rgb;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const int noise = static_cast<int>(random() % 3);
            rgb.push_back(static_cast<std::uint8_t>(((x * levels / width + noise) % levels) * 255 / (levels - 1)));
            rgb.push_back(static_cast<std::uint8_t>((y * levels / height) * 255 / (levels - 1)));
            rgb.push_back(static_cast<std::uint8_t>(((x + y) % levels) * 255 / (levels - 1)));
        }
    return rgb;
}

// 61 x 23 grey pixels stepping by 11 levels: all 256 levels appear.
Bytes greyPgm()
{
    Bytes grey(61 * 23);
    for (std::size_t i = 0; i < grey.size(); ++i)
        grey[i] = static_cast<std::uint8_t>(i * 11);
    return pgm(61, 23, grey);
}

class PcxTools : public ToolFolderTest
{
protected:
    Bytes pcxtoppm(const std::string& name)
    {
        Netpbm image;
        if (!parseNetpbm(captureOutput("pcxtoppm '" + file(name) + "' 2>/dev/null"), image))
            return {};
        return netpbmRgb(image);
    }

    void expectSameAsPcxtoppm(const std::string& name)
    {
        SCOPED_TRACE(name);
        bool ok = false;
        const Decoded ours = readFile(codec_, file(name), &ok);
        ASSERT_TRUE(ok);
        const Bytes theirs = pcxtoppm(name);
        const Bytes mine = toRgb(ours);
        ASSERT_EQ(mine.size(), theirs.size());
        std::size_t differing = 0;
        for (std::size_t i = 0; i < mine.size(); i += 3)
            differing += std::equal(mine.begin() + i, mine.begin() + i + 3, theirs.begin() + i) ? 0 : 1;
        EXPECT_EQ(differing, 0u);
    }

    // The bytes of a version 5 file of 8 bits a pixel whose 256-entry
    // palette follows its lines, marked as the format marks it.
    void readPalettedFile(const std::string& name, Bytes& whole)
    {
        whole = readFileBytes(file(name));
        ASSERT_GT(whole.size(), 128u + 769u);
        ASSERT_EQ(whole[1], 5);
        ASSERT_EQ(whole[3] * whole[65], 8);
        ASSERT_EQ(whole[whole.size() - 769], 12);
    }

    // The code of the imaging exception that opening and reading the file
    // ends in; -1 when it reads whole, -2 when no frame is offered.
    int failureCode(const std::string& name)
    {
        const FileSpecifier specifier(AsciiStringBuffer(file(name)), FileSpecifier::kFile);
        std::unique_ptr<ReadImageFileInterface> reader(codec_.openForRead(specifier));
        if (!reader)
            return -2;
        try
        {
            std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
            if (!frame)
                return -2;
            readFrame(*frame);
        }
        catch (OMVIException* thrown)
        {
            const int code = thrown->code();
            delete thrown;
            return code;
        }
        return -1;
    }

    PcxFormatCodec codec_;
};

} // namespace

TEST_F(PcxTools, NetpbmFilesReadAsPcxtoppmReadsThem)
{
    OMVI_REQUIRE_TOOL("ppmtopcx");
    OMVI_REQUIRE_TOOL("pcxtoppm");
    ASSERT_TRUE(writeFileBytes(file("many.ppm"), ppm(83, 41, picture(83, 41, 256, 1))));
    ASSERT_TRUE(writeFileBytes(file("few.ppm"), ppm(83, 41, picture(83, 41, 6, 2))));
    // Twelve colours: ppmtopcx stores them in four 1-bit planes (eight or
    // fewer would take three planes, a depth the format's readers do not
    // all know).
    Bytes twelve;
    for (int y = 0; y < 29; ++y)
        for (int x = 0; x < 37; ++x)
        {
            const int colour = (x / 3 + y / 4) % 12;
            twelve.insert(twelve.end(), {static_cast<std::uint8_t>(colour * 20), static_cast<std::uint8_t>(255 - colour * 7),
                                         static_cast<std::uint8_t>(colour % 3 * 100)});
        }
    ASSERT_TRUE(writeFileBytes(file("sixteen.ppm"), ppm(37, 29, twelve)));
    ASSERT_TRUE(writeFileBytes(file("grey.pgm"), greyPgm()));
    const char* commands[][2] = {
        {"ppmtopcx many.ppm > many.pcx", "many.pcx"},
        {"ppmtopcx few.ppm > few.pcx", "few.pcx"},
        {"ppmtopcx -24bit few.ppm > few24.pcx", "few24.pcx"},
        {"ppmtopcx sixteen.ppm > sixteen.pcx", "sixteen.pcx"},
        {"ppmtopcx -packed sixteen.ppm > packed.pcx", "packed.pcx"},
        {"ppmtopcx -8bit sixteen.ppm > eight.pcx", "eight.pcx"},
        {"ppmtopcx grey.pgm > grey.pcx", "grey.pcx"},
        {"pamthreshold grey.pgm | ppmtopcx > bits.pcx", "bits.pcx"},
        {"pamthreshold grey.pgm | pnminvert | ppmtopcx > inverted.pcx", "inverted.pcx"},
        {"ppmtopcx -xpos 5 -ypos 7 sixteen.ppm > moved.pcx", "moved.pcx"},
    };
    for (const auto& command : commands)
        if (make(command[0]))
            expectSameAsPcxtoppm(command[1]);
}

TEST_F(PcxTools, ImageMagickAndPilFilesReadAsPcxtoppmReadsThem)
{
    OMVI_REQUIRE_TOOL("pcxtoppm");
    ASSERT_TRUE(writeFileBytes(file("src.ppm"), ppm(51, 35, picture(51, 35, 256, 4))));
    if (OmviTest::haveTool("convert"))
    {
        const char* commands[][2] = {
            {"convert src.ppm a.pcx", "a.pcx"},
            {"convert src.ppm -type palette p.pcx", "p.pcx"},
            {"convert src.ppm -colors 16 -type palette p16.pcx", "p16.pcx"},
            {"convert src.ppm -colorspace Gray -type grayscale g.pcx", "g.pcx"},
            {"convert src.ppm -monochrome m.pcx", "m.pcx"},
        };
        for (const auto& command : commands)
            if (make(command[0]))
                expectSameAsPcxtoppm(command[1]);
    }
    const std::string python = OmviTest::pythonWith("PIL");
    if (python.empty())
        GTEST_SKIP() << "skipped: no python3 with PIL is installed";
    if (make(python + " -c \"from PIL import Image\nim = Image.open('src.ppm')\n"
                      "im.save('rgb.pcx')\nim.convert('P').save('pp.pcx')\nim.convert('L').save('l.pcx')\n"
                      "im.convert('1').save('one.pcx')\""))
        for (const char* name : {"rgb.pcx", "pp.pcx", "l.pcx", "one.pcx"})
            expectSameAsPcxtoppm(name);
}

TEST_F(PcxTools, PcxtoppmReadsOurFilesEqualToTheirSource)
{
    OMVI_REQUIRE_TOOL("pcxtoppm");
    auto write = [&](const std::string& name, int kind, int bits, int width, int height, const Bytes& palette,
                     const Bytes& rows) {
        std::unique_ptr<WriteImageFileInterface> writer(codec_.createWriter());
        ASSERT_TRUE(writer->open(FileSpecifier(AsciiStringBuffer(file(name)), FileSpecifier::kFile)));
        std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
        frame->setSize(height, width);
        frame->setThirdValue(bits);
        frame->setBitsPerPixel(bits);
        frame->setDataModelKind(kind);
        if (!palette.empty())
        {
            frame->setPaletteCount(static_cast<int>(palette.size() / 3));
            frame->setPalette(palette.data());
        }
        MemoryRowIterator iterator(width, height, bits == 1 ? (width + 7) / 8 : width, rows);
        EXPECT_EQ(writer->writeFrame(frame.get(), &iterator), 1);
    };
    std::mt19937 random(5);
    // Sides of 1 pixel are written too, and every line length is even.
    for (int width : {1, 2, 3, 7, 64, 301})
    {
        SCOPED_TRACE(width);
        const int height = width == 3 ? 1 : 13;
        Bytes grey(static_cast<std::size_t>(width) * height);
        for (std::size_t i = 0; i < grey.size(); ++i)
            grey[i] = static_cast<std::uint8_t>(i % 97 < 70 ? 200 : random());  // long runs and noise
        const std::string w = std::to_string(width);
        write("grey" + w + ".pcx", kColorSpaceGray, 8, width, height, {}, grey);
        Bytes expected;
        for (std::uint8_t g : grey)
            expected.insert(expected.end(), 3, g);
        EXPECT_EQ(pcxtoppm("grey" + w + ".pcx"), expected);

        Bytes palette;
        for (int i = 0; i < 256; ++i)
            palette.insert(palette.end(), {static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(i),
                                           static_cast<std::uint8_t>(255 - i)});
        write("palette" + w + ".pcx", kColorSpacePalette, 8, width, height, palette, grey);
        expected.clear();
        for (std::uint8_t i : grey)
            expected.insert(expected.end(), palette.begin() + 3 * i, palette.begin() + 3 * i + 3);
        EXPECT_EQ(pcxtoppm("palette" + w + ".pcx"), expected);

        const int rowBytes = (width + 7) / 8;
        Bytes bits(static_cast<std::size_t>(rowBytes) * height);
        for (auto& byte : bits)
            byte = static_cast<std::uint8_t>(random());
        write("bits" + w + ".pcx", kColorSpaceBitonal, 1, width, height, {}, bits);
        expected.clear();
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                expected.insert(expected.end(), 3,
                                ((bits[static_cast<std::size_t>(y) * rowBytes + x / 8] >> (7 - x % 8)) & 1) ? 0 : 255);
        EXPECT_EQ(pcxtoppm("bits" + w + ".pcx"), expected);
        for (const std::string name : {"grey", "palette", "bits"})
        {
            const Bytes written = readFileBytes(file(name + w + ".pcx"));
            ASSERT_GT(written.size(), 128u);
            const int bytesPerLine = written[66] | written[67] << 8;
            EXPECT_EQ(bytesPerLine % 2, 0) << name;
            EXPECT_GE(bytesPerLine, name == "bits" ? rowBytes : width) << name;
        }
    }
}

TEST_F(PcxTools, PalettesCutOrUnmarkedAreRefusedAsPcxtoppmRefusesThem)
{
    OMVI_REQUIRE_TOOL("ppmtopcx");
    OMVI_REQUIRE_TOOL("pcxtoppm");
    // 216 colours and 256 greys: ppmtopcx writes both at 8 bits in one
    // plane, with the 256-entry palette after the lines.
    ASSERT_TRUE(writeFileBytes(file("colour.ppm"), ppm(83, 41, picture(83, 41, 6, 2))));
    ASSERT_TRUE(writeFileBytes(file("grey.pgm"), greyPgm()));
    std::vector<std::string> names = {"colour.pcx", "grey.pcx"};
    ASSERT_TRUE(make("ppmtopcx colour.ppm > colour.pcx && ppmtopcx grey.pgm > grey.pcx"));
    if (OmviTest::haveTool("convert") && make("convert colour.ppm -type palette magick.pcx"))
        names.push_back("magick.pcx");
    for (const std::string& name : names)
    {
        SCOPED_TRACE(name);
        Bytes whole;
        ASSERT_NO_FATAL_FAILURE(readPalettedFile(name, whole));
        expectSameAsPcxtoppm(name);

        // Cut inside the palette (the first 95% of the file among them), cut
        // before it, and its marker changed: the last 768 bytes are no
        // palette, and pcxtoppm refuses every one.
        std::vector<std::pair<std::string, Bytes>> damaged;
        for (const std::size_t kept : {whole.size() * 95 / 100, whole.size() - 1, whole.size() - 300,
                                       whole.size() - 768, whole.size() - 769})
            damaged.emplace_back("cut" + std::to_string(kept) + "-" + name,
                                 Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(kept)));
        Bytes unmarked = whole;
        unmarked[whole.size() - 769] ^= 1;
        damaged.emplace_back("unmarked-" + name, unmarked);
        for (const auto& [damagedName, bytes] : damaged)
        {
            SCOPED_TRACE(damagedName);
            ASSERT_TRUE(writeFileBytes(file(damagedName), bytes));
            int status = 0;
            captureOutput("pcxtoppm '" + file(damagedName) + "' 2>/dev/null", &status);
            EXPECT_NE(status, 0);
            EXPECT_EQ(failureCode(damagedName), kCodecCorruptImage);
        }
    }
}

TEST_F(PcxTools, EveryCutInsideThePaletteIsRefusedAndPaddingBeforeItIsRead)
{
    OMVI_REQUIRE_TOOL("ppmtopcx");
    OMVI_REQUIRE_TOOL("pcxtoppm");
    OMVI_REQUIRE_TOOL("convert");
    // 256-colour files of netpbm (200 colours, and 256 greys), ImageMagick
    // and PIL, each with its palette right after its lines. Their last
    // lines hold the byte 12 here and there, as pictures do.
    ASSERT_TRUE(writeFileBytes(file("grey.pgm"), greyPgm()));
    ASSERT_TRUE(make("convert -seed 2 -size 64x48 plasma:fractal -colors 200 colour.ppm && "
                     "ppmtopcx colour.ppm > colour.pcx && ppmtopcx grey.pgm > grey.pcx && "
                     "convert -seed 2 -size 64x48 plasma:fractal -type palette magick.pcx"));
    std::vector<std::string> names = {"colour.pcx", "grey.pcx", "magick.pcx"};
    const std::string python = OmviTest::pythonWith("PIL");
    if (!python.empty() &&
        make(python + " -c \"from PIL import Image\nImage.open('colour.ppm').convert('P').save('pil.pcx')\""))
        names.push_back("pil.pcx");

    // Cuts that leave the marker byte 769 bytes before their end, among the
    // last coded bytes of the lines: a reader that took the marker's word
    // for it would colour every pixel through bytes that are no palette.
    std::map<std::string, int> marked;
    for (const std::string& name : names)
    {
        SCOPED_TRACE(name);
        Bytes whole;
        ASSERT_NO_FATAL_FAILURE(readPalettedFile(name, whole));
        const Bytes right = pcxtoppm(name);
        ASSERT_FALSE(right.empty());
        for (std::size_t kept = whole.size() - 769; kept < whole.size(); ++kept)
        {
            SCOPED_TRACE(kept);
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(kept));
            ASSERT_TRUE(writeFileBytes(file("cut.pcx"), cut));
            EXPECT_EQ(failureCode("cut.pcx"), kCodecCorruptImage);
            if (whole[kept - 769] != 12)
                continue;
            ++marked[name];
            int status = 0;
            captureOutput("pcxtoppm '" + file("cut.pcx") + "' 2>/dev/null", &status);
            EXPECT_NE(status, 0);
            EXPECT_NE(OmviTest::runCommand("convert '" + file("cut.pcx") + "' ppm:/dev/null 2>/dev/null"), 0);
        }

        // Bytes between the lines and the marker: the lines end before it,
        // and the palette is the file's own (the colours pcxtoppm gives
        // the file without them).
        Bytes padded = whole;
        padded.insert(padded.end() - 769, 7, 0);
        ASSERT_TRUE(writeFileBytes(file("padded.pcx"), padded));
        bool ok = false;
        const Decoded ours = readFile(codec_, file("padded.pcx"), &ok);
        ASSERT_TRUE(ok);
        EXPECT_EQ(toRgb(ours), right);
    }
    // Our own grey picture leaves such cuts whatever the tools' versions.
    EXPECT_GT(marked["grey.pcx"], 0);
}
