// The Targa codec against independent tools: files written by ImageMagick,
// netpbm's pamtotga and PIL decode (after palette expansion and turning to
// top-down order) to what ImageMagick decodes them to; our files are read
// back by ImageMagick and PIL.
#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/WriteImageFileInterface.h"
#include "imaging/codecs/tests/TargaTestFiles.h"
#include "imaging/tests/ToolCheck.h"

#include <gtest/gtest.h>

using namespace Omvi;
using namespace OmviTest;

namespace
{

// ImageMagick hands rows out in the order the file stores them (it keeps
// the origin as an orientation attribute, applied by -auto-orient); PIL
// turns them top row first.
TestImage pilRgb(const std::string& python, const std::string& path)
{
    return fromPnm(runCapture(python + " -c \"import sys; from PIL import Image; i = Image.open('" + path +
                              "').convert('RGB'); i.save(sys.stdout.buffer, 'PPM')\""));
}

TestImage ourRgb(const std::string& path, bool turnTopDown, int* probe = nullptr)
{
    TargaFormatCodec codec;
    const FileSpecifier file(AsciiStringBuffer(path), FileSpecifier::kFile);
    if (probe)
        *probe = codec.probe(file, nullptr);
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(file));
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader ? reader->openFrame(0) : nullptr);
    if (!frame)
        return {};
    const TestImage stored = frameAsRgb(*frame);
    return turnTopDown ? topDown(stored, frame->getOrientation()) : stored;
}

} // namespace

TEST(TargaTools, FilesOfImageMagickNetpbmAndPilDecodeAsImageMagickDoes)
{
    OMVI_REQUIRE_TOOL("convert");
    ScratchFolder folder;
    const TestImage colour = patternImage(37, 19, 3, 7);
    const std::string ppm = folder.file("in.ppm");
    ASSERT_TRUE(writeFileBytes(ppm, toPnm(colour)));
    const std::string m = magick() + " " + quoted(ppm) + " ";
    std::vector<std::pair<std::string, std::string>> files = {
        {"magick.tga", m + quoted(folder.file("magick.tga"))},
        {"magick_rle.tga", m + "-compress RLE " + quoted(folder.file("magick_rle.tga"))},
        {"magick_palette.tga", m + "-colors 40 -type Palette " + quoted(folder.file("magick_palette.tga"))},
        {"magick_grey.tga", m + "-colorspace Gray -type Grayscale " + quoted(folder.file("magick_grey.tga"))},
        {"magick_alpha.tga", m + "-alpha set -channel A -evaluate set 60% +channel " + quoted(folder.file("magick_alpha.tga"))},
        {"magick_topleft.tga", m + "-orient TopLeft " + quoted(folder.file("magick_topleft.tga"))},
    };
    if (haveTool("pamtotga"))
    {
        files.push_back({"netpbm.tga", "pamtotga -norle " + quoted(ppm) + " > " + quoted(folder.file("netpbm.tga"))});
        files.push_back({"netpbm_rle.tga", "pamtotga " + quoted(ppm) + " > " + quoted(folder.file("netpbm_rle.tga"))});
        files.push_back({"netpbm_cmap.tga", magick() + " " + quoted(ppm) + " -colors 30 ppm:- | pamtotga -cmap > " +
                                                quoted(folder.file("netpbm_cmap.tga"))});
        files.push_back({"netpbm_mono.tga", magick() + " " + quoted(ppm) + " -colorspace Gray pgm:- | pamtotga -mono > " +
                                                quoted(folder.file("netpbm_mono.tga"))});
    }
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    for (const char* mode : {"RGB", "L", "P", "RGBA"})
        for (const char* compression : {"None", "'tga_rle'"})
        {
            const std::string name = std::string("pil_") + mode + (compression[0] == 'N' ? "" : "_rle") + ".tga";
            files.push_back({name, python + " -c \"from PIL import Image; Image.open('" + ppm + "').convert('" + mode +
                                       "').save('" + folder.file(name) + "', compression=" + compression + ")\""});
        }
    for (const auto& [name, command] : files)
    {
        if (runCommand(command + " 2>/dev/null") != 0 || !fileExists(folder.file(name)))
        {
            ADD_FAILURE() << "could not make " << name;
            continue;
        }
        int probe = -1;
        const TestImage ours = ourRgb(folder.file(name), false, &probe);
        const TestImage theirs = magickRgb(folder.file(name));
        ASSERT_GT(theirs.pixels.size(), 0u) << name;
        EXPECT_EQ(ours, theirs) << name << " " << firstDifference(ours, theirs);
        EXPECT_EQ(probe, ImageFormatCodec::kRecognised) << name;
        const TestImage pil = pilRgb(python, folder.file(name));
        const TestImage upright = ourRgb(folder.file(name), true);
        EXPECT_EQ(upright, pil) << name << " " << firstDifference(upright, pil);
    }
}

TEST(TargaTools, GeneratedFilesAreReadAlikeByImageMagickAndPil)
{
    OMVI_REQUIRE_TOOL("convert");
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    ScratchFolder folder;
    std::vector<TgaSpec> specs;
    TgaSpec spec;
    spec.width = 9;
    spec.height = 4;
    spec.value = [](int x, int y) { return std::uint32_t((x / 2) * 0x1F2E3D + y * 0x4C5B6A) & 0xFFFFFF; };
    for (const int type : {2, 10})
        for (const int depth : {16, 24})
        {
            spec.type = type;
            spec.depth = depth;
            specs.push_back(spec);
        }
    spec.type = 9;
    spec.depth = 8;
    spec.mapLength = 256;
    spec.value = [](int x, int y) { return std::uint32_t(x / 3 + y * 40); };
    specs.push_back(spec);
    spec.descriptor = 0x20;  // top left
    specs.push_back(spec);
    for (std::size_t i = 0; i < specs.size(); ++i)
    {
        const std::string path = folder.file("g" + std::to_string(i) + ".tga");
        ASSERT_TRUE(writeFileBytes(path, makeTga(specs[i])));
        const TestImage stored = ourRgb(path, false);
        EXPECT_EQ(magickRgb(path), stored) << i << " " << firstDifference(magickRgb(path), stored);
        const TestImage upright = ourRgb(path, true);
        EXPECT_EQ(pilRgb(python, path), upright) << i << " " << firstDifference(pilRgb(python, path), upright);
    }
}

TEST(TargaTools, OurFilesAreReadByImageMagickAndPil)
{
    OMVI_REQUIRE_TOOL("convert");
    ScratchFolder folder;
    TargaFormatCodec codec;
    const TestImage colour = patternImage(26, 15, 3, 2);
    const TestImage grey = patternImage(26, 15, 1, 2);
    for (const int kind : {1, 3})
    {
        const std::string path = folder.file(kind == 1 ? "rgb.tga" : "grey.tga");
        std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
        ASSERT_TRUE(writer->open(FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile)));
        std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
        frame->setSize(15, 26);
        frame->setDataModelKind(kind);
        const TestImage delivered = kind == 1 ? withAlpha(colour) : grey;
        ImageRows rows(delivered);
        writer->writeFrame(frame.get(), &rows);
        const TestImage expected = kind == 1 ? colour : asRgb(grey);
        EXPECT_EQ(asRgb(fromPnm(runCapture(magick() + " '" + path + "' -auto-orient -depth 8 ppm:-"))), expected)
            << path;
        const std::string python = pythonWith("PIL");
        if (!python.empty())
        {
            EXPECT_EQ(pilRgb(python, path), expected) << path;
        }
    }
}

TEST(TargaTools, ColourMapsOfFifteenBitEntriesWithoutFooterAreRecognised)
{
    // pamtotga -cmap16 writes a colour map of 15-bit entries and no footer.
    OMVI_REQUIRE_TOOL("pamtotga");
    OMVI_REQUIRE_TOOL("convert");
    ScratchFolder folder;
    const std::string ppm = folder.file("in.ppm");
    ASSERT_TRUE(writeFileBytes(ppm, toPnm(patternImage(29, 11, 3, 2))));
    const std::string path = folder.file("cmap16.tga");
    ASSERT_EQ(runCommand(magick() + " " + quoted(ppm) + " -colors 25 ppm:- | pamtotga -cmap16 > " + quoted(path) +
                         " 2>/dev/null"),
              0);
    const Pixels file = readFileBytes(path);
    ASSERT_GT(file.size(), 18u);
    ASSERT_EQ(file[1], 1);   // a colour map
    ASSERT_EQ(file[7], 15);  // of 15-bit entries
    int probe = -1;
    const TestImage ours = ourRgb(path, false, &probe);
    EXPECT_EQ(probe, ImageFormatCodec::kRecognised);
    const TestImage theirs = magickRgb(path);
    ASSERT_GT(theirs.pixels.size(), 0u);
    EXPECT_EQ(ours, theirs) << firstDifference(ours, theirs);
}

TEST(TargaTools, GreyWithAlphaOfPilIsReadAsItsGrey)
{
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    ScratchFolder folder;
    for (const int width : {1, 30, 131})
        for (const char* compression : {"None", "'tga_rle'"})
        {
            // Grey with runs for the packets, under an alpha of its own.
            const TestImage grey = patternImage(width, 9, 1, 4);
            const std::string name = "la" + std::to_string(width) + (compression[0] == 'N' ? "" : "_rle");
            const std::string path = folder.file(name + ".tga");
            ASSERT_TRUE(writeFileBytes(folder.file("grey.pgm"), toPnm(grey)));
            ASSERT_TRUE(writeFileBytes(folder.file("alpha.pgm"), toPnm(noiseImage(width, 9, 1, 3))));
            ASSERT_EQ(runCommand(python + " -c \"from PIL import Image; Image.merge('LA', [Image.open('" +
                                 folder.file("grey.pgm") + "'), Image.open('" + folder.file("alpha.pgm") +
                                 "')]).save('" + path + "', compression=" + compression + ")\""),
                      0);
            // Pillow ends its files with the footer; the same file without
            // it must pass the header's test.
            Bytes bare = readFileBytes(path);
            ASSERT_GT(bare.size(), 44u);
            ASSERT_EQ(bare[16], 16);
            bare.resize(bare.size() - 26);
            ASSERT_TRUE(writeFileBytes(folder.file(name + "_bare.tga"), bare));
            for (const std::string& each : {path, folder.file(name + "_bare.tga")})
            {
                SCOPED_TRACE(each);
                int probe = -1;
                EXPECT_EQ(ourRgb(each, true, &probe), asRgb(grey));
                EXPECT_EQ(probe, ImageFormatCodec::kRecognised);
                TargaFormatCodec codec;
                std::unique_ptr<ReadImageFileInterface> reader(
                    codec.openForRead(FileSpecifier(AsciiStringBuffer(each), FileSpecifier::kFile)));
                std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
                EXPECT_EQ(frame->dataModelKind(), 3);
                EXPECT_EQ(frame->bitsPerPixel(), 8);
            }
        }
}
