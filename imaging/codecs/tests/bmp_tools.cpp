// The BMP codec against independent tools: files written by ImageMagick,
// netpbm and PIL (and patched from them in python for the variants no tool
// writes) decode to what ImageMagick decodes them to, and our files are
// read back by ImageMagick, netpbm and PIL.
#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/WriteImageFileInterface.h"
#include "imaging/codecs/tests/BmpTestFiles.h"
#include "imaging/tests/ToolCheck.h"

#include <gtest/gtest.h>

using namespace Omvi;
using namespace OmviTest;

namespace
{

// Our decoding of a file as RGB, or why there is none.
TestImage ourRgb(const std::string& path, std::string* why = nullptr)
{
    BmpFormatCodec codec;
    std::unique_ptr<ReadImageFileInterface> reader(
        codec.openForRead(FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile)));
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader ? reader->openFrame(0) : nullptr);
    if (!frame)
    {
        if (why)
            *why = "no frame";
        return {};
    }
    return frameAsRgb(*frame);
}

int probeFile(const std::string& path)
{
    BmpFormatCodec codec;
    return codec.probe(FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile), nullptr);
}

} // namespace

TEST(BmpTools, FilesOfImageMagickNetpbmAndPilDecodeAsImageMagickDoes)
{
    OMVI_REQUIRE_TOOL("convert");
    ScratchFolder folder;
    const TestImage colour = patternImage(45, 21, 3, 3);
    const std::string ppm = folder.file("in.ppm");
    ASSERT_TRUE(writeFileBytes(ppm, toPnm(colour)));
    const std::string m = magick() + " " + quoted(ppm) + " ";
    std::vector<std::pair<std::string, std::string>> files = {
        {"bmp3_24.bmp", m + "BMP3:" + quoted(folder.file("bmp3_24.bmp"))},
        {"bmp2_24.bmp", m + "BMP2:" + quoted(folder.file("bmp2_24.bmp"))},
        {"bmp3_8.bmp", m + "-colors 200 -type Palette -compress None BMP3:" + quoted(folder.file("bmp3_8.bmp"))},
        {"bmp3_4.bmp", m + "-colors 16 -type Palette -compress None BMP3:" + quoted(folder.file("bmp3_4.bmp"))},
        {"bmp3_grey.bmp", m + "-colorspace Gray -type Grayscale BMP3:" + quoted(folder.file("bmp3_grey.bmp"))},
        {"bmp3_1.bmp", m + "-monochrome BMP3:" + quoted(folder.file("bmp3_1.bmp"))},
        {"bmp_16.bmp", m + "-define bmp:subtype=RGB565 BMP:" + quoted(folder.file("bmp_16.bmp"))},
        {"bmp_555.bmp", m + "-define bmp:subtype=RGB555 BMP:" + quoted(folder.file("bmp_555.bmp"))},
    };
    if (haveTool("ppmtobmp"))
    {
        files.push_back({"netpbm_24.bmp", "ppmtobmp " + quoted(ppm) + " > " + quoted(folder.file("netpbm_24.bmp"))});
        files.push_back({"netpbm_os2.bmp", "ppmtobmp -os2 " + quoted(ppm) + " > " + quoted(folder.file("netpbm_os2.bmp"))});
        files.push_back({"netpbm_8.bmp", magick() + " " + quoted(ppm) + " -colors 100 ppm:- | ppmtobmp -bpp 8 > " +
                                             quoted(folder.file("netpbm_8.bmp"))});
        files.push_back({"netpbm_1.bmp", magick() + " " + quoted(ppm) + " -monochrome pbm:- | ppmtobmp > " +
                                             quoted(folder.file("netpbm_1.bmp"))});
    }
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    for (const char* mode : {"RGB", "L", "P", "1"})
    {
        const std::string name = std::string("pil_") + mode + ".bmp";
        files.push_back({name, python + " -c \"from PIL import Image; Image.open('" + ppm + "').convert('" + mode +
                                   "').save('" + folder.file(name) + "')\""});
    }
    // What no tool writes, patched from valid files: rows stored top-down,
    // a 16-bit file without masks, and colours used beyond 256.
    const std::string patch = python + " - " + quoted(folder.path()) + " <<'EOF'\n"
                                                                        "import struct, sys\n"
                                                                        "d = sys.argv[1] + '/'\n"
                                                                        "b = bytearray(open(d + 'bmp3_24.bmp', 'rb').read())\n"
                                                                        "off, w, h = struct.unpack_from('<I', b, 10)[0], *struct.unpack_from('<ii', b, 18)\n"
                                                                        "stride = (w * 24 + 31) // 32 * 4\n"
                                                                        "rows = [b[off + i * stride: off + (i + 1) * stride] for i in range(h)]\n"
                                                                        "struct.pack_into('<i', b, 22, -h)\n"
                                                                        "b[off:] = b''.join(reversed(rows))\n"
                                                                        "open(d + 'topdown.bmp', 'wb').write(b)\n"
                                                                        "s = bytearray(open(d + 'bmp_555.bmp', 'rb').read())\n"
                                                                        "hs = struct.unpack_from('<I', s, 14)[0]\n"
                                                                        "soff = struct.unpack_from('<I', s, 10)[0]\n"
                                                                        "c = bytearray(s[:14]) + struct.pack('<IiiHHIIiiII', 40, *struct.unpack_from('<ii', s, 18), 1, 16, 0, 0, 2835, 2835, 0, 0)\n"
                                                                        "struct.pack_into('<I', c, 10, 54)\n"
                                                                        "c += s[soff:]\n"
                                                                        "struct.pack_into('<I', c, 2, len(c))\n"
                                                                        "open(d + 'plain16.bmp', 'wb').write(c)\n"
                                                                        "p = bytearray(open(d + 'bmp3_8.bmp', 'rb').read())\n"
                                                                        "struct.pack_into('<I', p, 46, 100000)\n"
                                                                        "open(d + 'manycolours.bmp', 'wb').write(p)\n"
                                                                        "EOF";

    std::vector<std::string> made;
    for (const auto& [name, command] : files)
    {
        if (runCommand(command + " 2>/dev/null") == 0 && fileExists(folder.file(name)))
            made.push_back(name);
        else
            ADD_FAILURE() << "could not make " << name;
    }
    ASSERT_EQ(runCommand(patch), 0);
    made.insert(made.end(), {"topdown.bmp", "plain16.bmp", "manycolours.bmp"});

    for (const std::string& name : made)
    {
        const std::string path = folder.file(name);
        EXPECT_EQ(probeFile(path), ImageFormatCodec::kRecognised) << name;
        // ImageMagick refuses a colour count past 256: the file's pixels are
        // those of the file it was patched from.
        const TestImage theirs = magickRgb(name == "manycolours.bmp" ? folder.file("bmp3_8.bmp") : path);
        ASSERT_GT(theirs.pixels.size(), 0u) << name;
        std::string why;
        const TestImage ours = ourRgb(path, &why);
        EXPECT_EQ(ours, theirs) << name << " " << why << " " << firstDifference(ours, theirs);
    }
    // The run-length form is recognised as a variant the codec does not read.
    ASSERT_EQ(runCommand(m + "-colors 50 -type Palette -compress RLE BMP3:" + quoted(folder.file("rle.bmp"))), 0);
    EXPECT_EQ(probeFile(folder.file("rle.bmp")), ImageFormatCodec::kUnsupportedVariant);
}

TEST(BmpTools, GeneratedFilesAreReadAlikeByImageMagickAndPil)
{
    OMVI_REQUIRE_TOOL("convert");
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    ScratchFolder folder;
    BmpSpec spec;
    spec.width = 11;
    spec.height = 4;
    spec.value = [](int x, int y) { return std::uint32_t(x * 0x0A1B2C + y * 0x334455); };
    std::vector<BmpSpec> specs;
    for (const int bits : {4, 8, 24, 32})
    {
        spec.bits = bits;
        spec.palette = bits <= 8 ? colourPalette(1 << bits) : std::vector<std::array<std::uint8_t, 3>>{};
        specs.push_back(spec);
    }
    spec.bits = 24;
    spec.palette.clear();
    spec.headerSize = 12;
    specs.push_back(spec);
    for (std::size_t i = 0; i < specs.size(); ++i)
    {
        const std::string path = folder.file("g" + std::to_string(i) + ".bmp");
        ASSERT_TRUE(writeFileBytes(path, makeBmp(specs[i])));
        const TestImage expected = expectedBmpRgb(specs[i]);
        EXPECT_EQ(magickRgb(path), expected) << i;
        const TestImage pil = fromPnm(runCapture(python + " -c \"import sys; from PIL import Image; i = Image.open('" +
                                                 path + "').convert('RGB'); i.save(sys.stdout.buffer, 'PPM')\""));
        EXPECT_EQ(pil, expected) << i;
        EXPECT_EQ(ourRgb(path), expected) << i;
    }
}

TEST(BmpTools, OurFilesAreReadByImageMagickNetpbmAndPil)
{
    OMVI_REQUIRE_TOOL("convert");
    ScratchFolder folder;
    BmpFormatCodec codec;
    const TestImage colour = patternImage(30, 17, 3, 5);
    const TestImage grey = patternImage(30, 17, 1, 5);
    struct Case
    {
        const char* name;
        int kind;
        int bits;
        TestImage image;
        TestImage expected;
    };
    auto quantised = [&](int bits) {
        TestImage out = asRgb(grey);
        for (auto& value : out.pixels)
            value = static_cast<std::uint8_t>((value >> (8 - bits)) * 255 / ((1 << bits) - 1));
        return out;
    };
    std::vector<Case> cases = {
        {"rgb24.bmp", 1, 24, withAlpha(colour), colour},
        {"rgb32.bmp", 1, 32, withAlpha(colour), colour},
        {"grey8.bmp", 3, 8, grey, asRgb(grey)},
        {"grey4.bmp", 3, 4, grey, quantised(4)},
        {"grey2.bmp", 3, 2, grey, quantised(2)},
    };
    for (const Case& each : cases)
    {
        const std::string path = folder.file(each.name);
        std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
        ASSERT_TRUE(writer->open(FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile)));
        std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
        frame->setSize(each.image.height, each.image.width);
        frame->setBitsPerPixel(each.bits);
        frame->setDataModelKind(each.kind);
        ImageRows rows(each.image);
        writer->writeFrame(frame.get(), &rows);
        // 2-bit frames are stored at 4 bits, which every reader takes.
        EXPECT_EQ(magickRgb(path), each.expected) << each.name;
        if (haveTool("bmptopnm"))
        {
            EXPECT_EQ(asRgb(fromPnm(runCapture("bmptopnm " + quoted(path)))), each.expected) << each.name;
        }
        const std::string python = pythonWith("PIL");
        if (!python.empty())
        {
            const TestImage pil = fromPnm(runCapture(python + " -c \"import sys; from PIL import Image; i = Image.open('" +
                                                     path + "').convert('RGB'); i.save(sys.stdout.buffer, 'PPM')\""));
            EXPECT_EQ(pil, each.expected) << each.name;
        }
    }
}

namespace
{

// What PIL decodes a file to, as RGB (empty when it cannot).
TestImage pilRgb(const std::string& python, const std::string& path)
{
    return fromPnm(runCapture(python + " -c \"import sys; from PIL import Image; i = Image.open('" + path +
                              "').convert('RGB'); i.save(sys.stdout.buffer, 'PPM')\" 2>/dev/null"));
}

bool isBlackAndWhite(const std::array<std::uint8_t, 3>& a, const std::array<std::uint8_t, 3>& b)
{
    const std::array<std::uint8_t, 3> black{0, 0, 0};
    const std::array<std::uint8_t, 3> white{255, 255, 255};
    return (a == black && b == white) || (a == white && b == black);
}

} // namespace

TEST(BmpTools, TwoColourFilesKeepTheirColoursAndBlackAndWhiteStaysBitonal)
{
    // Near-white paper with near-black ink, yellow with navy, two colours
    // that are neither light nor dark, and black with white, written at
    // 1 bit by two tools that order the palette differently: every file
    // reads as netpbm and PIL decode it, and only the black-and-white ones
    // are bitonal.
    OMVI_REQUIRE_TOOL("convert");
    OMVI_REQUIRE_TOOL("ppmtobmp");
    OMVI_REQUIRE_TOOL("bmptopnm");
    OMVI_REQUIRE_TOOL("ppmtoppm");
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    ScratchFolder folder;
    struct Pair
    {
        std::array<std::uint8_t, 3> paper;
        std::array<std::uint8_t, 3> ink;
    };
    int entryZeroDarker = 0;
    int entryZeroLighter = 0;
    int index = 0;
    const auto check = [&](const std::string& path, const Pair& pair, const std::string& what) {
        const TestImage theirs = fromPnm(runCapture("bmptopnm " + quoted(path) + " 2>/dev/null | ppmtoppm"));
        ASSERT_GT(theirs.pixels.size(), 0u) << what;
        EXPECT_EQ(pilRgb(python, path), theirs) << what << ": PIL and netpbm differ";
        BmpFormatCodec codec;
        std::unique_ptr<ReadImageFileInterface> reader(
            codec.openForRead(FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile)));
        std::unique_ptr<ReadImageFileFrameInterface> frame(reader ? reader->openFrame(0) : nullptr);
        ASSERT_NE(frame, nullptr) << what;
        EXPECT_EQ(frame->dataModelKind(), isBlackAndWhite(pair.paper, pair.ink) ? 4 : 2) << what;
        const TestImage ours = frameAsRgb(*frame);
        EXPECT_EQ(ours, theirs) << what << " " << firstDifference(ours, theirs);
    };
    for (const Pair& pair : {Pair{{250, 250, 250}, {5, 5, 5}}, Pair{{255, 255, 0}, {0, 0, 128}},
                             Pair{{84, 250, 237}, {13, 101, 200}}, Pair{{255, 255, 255}, {0, 0, 0}}})
    {
        TestImage image{13, 7, 3, Pixels(13 * 7 * 3)};
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
            {
                const bool ink = (x * 3 + y * 5) % 7 < 3 || x == 0;
                std::copy_n((ink ? pair.ink : pair.paper).data(), 3, image.row(y) + 3 * x);
            }
        const std::string ppm = folder.file("two" + std::to_string(index) + ".ppm");
        ASSERT_TRUE(writeFileBytes(ppm, toPnm(image)));
        for (const std::string& command :
             {"ppmtobmp " + quoted(ppm) + " > ", magick() + " " + quoted(ppm) + " -type palette BMP3:"})
        {
            const std::string path = folder.file("two" + std::to_string(index++) + ".bmp");
            ASSERT_EQ(runCommand(command + quoted(path) + " 2>/dev/null"), 0) << command;
            const Pixels file = readFileBytes(path);
            ASSERT_GT(file.size(), 62u);
            ASSERT_EQ(file[28], 1) << command << ": not a 1-bit file";
            const std::uint8_t* entries = file.data() + 14 + file[14];
            // Entries are blue, green, red: compare the darker by luminance.
            const auto luminance = [](const std::uint8_t* bgr) { return 114 * bgr[0] + 587 * bgr[1] + 299 * bgr[2]; };
            (luminance(entries) < luminance(entries + 4) ? entryZeroDarker : entryZeroLighter)++;
            check(path, pair, command);
            // The tools' decoding is the image that was written.
            EXPECT_EQ(fromPnm(runCapture("bmptopnm " + quoted(path) + " 2>/dev/null | ppmtoppm")), image) << command;
        }
    }
    // Both orders of the palette were met.
    EXPECT_GT(entryZeroDarker, 0);
    EXPECT_GT(entryZeroLighter, 0);

    // Both orders of each pair by hand, in both header forms.
    for (const Pair& pair : {Pair{{255, 255, 255}, {0, 0, 0}}, Pair{{255, 255, 0}, {0, 0, 128}},
                             Pair{{84, 250, 237}, {13, 101, 200}}})
        for (const bool swapped : {false, true})
            for (const std::uint32_t header : {12u, 40u})
            {
                BmpSpec spec;
                spec.width = 21;
                spec.height = 3;
                spec.bits = 1;
                spec.headerSize = header;
                spec.palette = swapped ? std::vector<std::array<std::uint8_t, 3>>{pair.ink, pair.paper}
                                       : std::vector<std::array<std::uint8_t, 3>>{pair.paper, pair.ink};
                spec.value = [](int x, int y) { return std::uint32_t((x + y) % 3 == 0 || x == 20); };
                const std::string path = folder.file("hand" + std::to_string(index++) + ".bmp");
                ASSERT_TRUE(writeFileBytes(path, makeBmp(spec)));
                check(path, pair,
                      "by hand, header " + std::to_string(header) + (swapped ? ", ink first" : ", paper first"));
            }
}

TEST(BmpTools, TwoBitPaletteFramesAreStoredAtFourBits)
{
    OMVI_REQUIRE_TOOL("convert");
    ScratchFolder folder;
    BmpFormatCodec codec;
    const std::uint8_t palette[12] = {200, 30, 40, 10, 180, 90, 250, 240, 0, 20, 20, 120};
    TestImage indices{19, 6, 1, Pixels(19 * 6)};
    for (std::size_t i = 0; i < indices.pixels.size(); ++i)
        indices.pixels[i] = static_cast<std::uint8_t>((i * 7 + i / 19) % 4);
    TestImage expected{19, 6, 3, Pixels()};
    for (std::uint8_t index : indices.pixels)
        expected.pixels.insert(expected.pixels.end(), palette + 3 * index, palette + 3 * index + 3);

    const std::string path = folder.file("palette2.bmp");
    std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
    ASSERT_TRUE(writer->open(FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile)));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    frame->setSize(indices.height, indices.width);
    frame->setBitsPerPixel(2);
    frame->setDataModelKind(2);
    frame->setPaletteCount(4);
    frame->setPalette(palette);
    ImageRows rows(indices);
    writer->writeFrame(frame.get(), &rows);
    writer.reset();

    const Pixels file = readFileBytes(path);
    ASSERT_GT(file.size(), 54u);
    EXPECT_EQ(file[28], 4);       // bits a pixel
    EXPECT_EQ(file[46], 4);       // colours used: the frame's four
    EXPECT_EQ(magickRgb(path), expected);
    if (haveTool("bmptopnm"))
    {
        EXPECT_EQ(asRgb(fromPnm(runCapture("bmptopnm " + quoted(path)))), expected);
    }
    const std::string python = pythonWith("PIL");
    if (!python.empty())
    {
        const TestImage pil = fromPnm(runCapture(python + " -c \"import sys; from PIL import Image; i = Image.open('" +
                                                 path + "').convert('RGB'); i.save(sys.stdout.buffer, 'PPM')\""));
        EXPECT_EQ(pil, expected);
    }
    EXPECT_EQ(ourRgb(path), expected);
}
