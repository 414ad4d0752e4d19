// GIF files of independent tools (netpbm's pamtogif, ImageMagick, PIL) read
// by the codec equal to what giftopnm decodes. Each test skips with a
// message when a tool is missing.
#include "GifTestSupport.h"

#include "imaging/codecs/gif/GifFormatCodec.h"

#include <gtest/gtest.h>

using namespace Omvi;
using namespace OmviRaster;

namespace
{

class GifTools : public ToolFolderTest
{
protected:
    void expectSameAsGiftopnm(const std::string& name)
    {
        SCOPED_TRACE(name);
        bool ok = false;
        const Decoded ours = readFile(codec_, file(name), &ok);
        ASSERT_TRUE(ok);
        Netpbm theirs;
        ASSERT_TRUE(parseNetpbm(captureOutput("giftopnm '" + file(name) + "' 2>/dev/null"), theirs));
        ASSERT_EQ(ours.width, theirs.width);
        ASSERT_EQ(ours.height, theirs.height);
        const Bytes a = toRgb(ours);
        const Bytes b = netpbmRgb(theirs);
        std::size_t differing = 0;
        for (std::size_t i = 0; i < a.size(); i += 3)
            differing += std::equal(a.begin() + i, a.begin() + i + 3, b.begin() + i) ? 0 : 1;
        EXPECT_EQ(differing, 0u);
    }

    GifFormatCodec codec_;
};

Bytes picture(int width, int height, int levels)
{
    Bytes rgb;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            rgb.push_back(static_cast<std::uint8_t>((x * levels / width) * 255 / (levels - 1)));
            rgb.push_back(static_cast<std::uint8_t>((y * levels / height) * 255 / (levels - 1)));
            rgb.push_back(static_cast<std::uint8_t>(((x + y) % levels) * 255 / (levels - 1)));
        }
    return rgb;
}

} // namespace

TEST_F(GifTools, NetpbmFilesReadAsGiftopnmReadsThem)
{
    OMVI_REQUIRE_TOOL("pamtogif");
    OMVI_REQUIRE_TOOL("giftopnm");
    ASSERT_TRUE(writeFileBytes(file("few.ppm"), ppm(77, 53, picture(77, 53, 6))));  // 216 colours at most
    ASSERT_TRUE(writeFileBytes(file("two.ppm"), ppm(33, 9, picture(33, 9, 2))));
    Bytes grey(101 * 67);
    for (std::size_t i = 0; i < grey.size(); ++i)
        grey[i] = static_cast<std::uint8_t>(i * 13 / 7);
    ASSERT_TRUE(writeFileBytes(file("grey.pgm"), pgm(101, 67, grey)));
    const char* commands[][2] = {
        {"pamtogif few.ppm > few.gif", "few.gif"},
        {"pamtogif -interlace few.ppm > fewi.gif", "fewi.gif"},
        {"pamtogif grey.pgm > grey.gif", "grey.gif"},
        {"pamtogif -interlace grey.pgm > greyi.gif", "greyi.gif"},
        {"pamtogif -interlace two.ppm > twoi.gif", "twoi.gif"},
        {"pamtogif -nolzw few.ppm > raw.gif", "raw.gif"},
        {"pamtogif -comment 'a comment' -transparent=black few.ppm > comment.gif", "comment.gif"},
        {"pamthreshold grey.pgm | pamtogif -interlace > bits.gif", "bits.gif"},
        {"pamcut -height 1 few.ppm | pamtogif -interlace > one.gif", "one.gif"},
        {"pamcut -height 5 few.ppm | pamtogif -interlace > five.gif", "five.gif"},
    };
    for (const auto& command : commands)
        if (make(command[0]))
            expectSameAsGiftopnm(command[1]);
}

TEST_F(GifTools, ImageMagickAndPilFilesReadAsGiftopnmReadsThem)
{
    OMVI_REQUIRE_TOOL("giftopnm");
    ASSERT_TRUE(writeFileBytes(file("src.ppm"), ppm(64, 48, picture(64, 48, 5))));
    if (OmviTest::haveTool("convert"))
    {
        const char* commands[][2] = {
            {"convert src.ppm a.gif", "a.gif"},
            {"convert src.ppm -interlace GIF ai.gif", "ai.gif"},
            {"convert src.ppm -colors 16 a16.gif", "a16.gif"},
            {"convert src.ppm -monochrome m.gif", "m.gif"},
            {"convert src.ppm -colorspace Gray g.gif", "g.gif"},
            {"convert -delay 10 src.ppm -negate src.ppm anim.gif", "anim.gif"},
        };
        for (const auto& command : commands)
            if (make(command[0]))
                expectSameAsGiftopnm(command[1]);
    }
    const std::string python = OmviTest::pythonWith("PIL");
    if (python.empty())
        GTEST_SKIP() << "skipped: no python3 with PIL is installed";
    if (make(python + " -c \"from PIL import Image\nim = Image.open('src.ppm')\n"
                      "im.convert('P').save('p.gif')\nim.convert('P').save('pi.gif', interlace=True)\n"
                      "im.convert('L').save('l.gif')\"") )
    {
        expectSameAsGiftopnm("p.gif");
        expectSameAsGiftopnm("pi.gif");
        expectSameAsGiftopnm("l.gif");
    }
}

TEST_F(GifTools, CutFilesDeliverGiftopnmsRowsThenTheCodecError)
{
    // pamtogif's files cut in their image data: the rows that come are
    // giftopnm's rows of the whole file, then "Corrupt image file".
    OMVI_REQUIRE_TOOL("pamtogif");
    OMVI_REQUIRE_TOOL("giftopnm");
    ASSERT_TRUE(writeFileBytes(file("few.ppm"), ppm(77, 53, picture(77, 53, 6))));
    for (const char* name : {"plain.gif", "interlaced.gif"})
    {
        SCOPED_TRACE(name);
        const std::string option = std::string(name) == "plain.gif" ? "" : "-interlace ";
        if (!make("pamtogif " + option + "few.ppm > " + name))
            continue;
        Netpbm theirs;
        ASSERT_TRUE(parseNetpbm(captureOutput("giftopnm '" + file(name) + "' 2>/dev/null"), theirs));
        const Bytes expected = netpbmRgb(theirs);
        const Bytes whole = readFileBytes(file(name));
        ASSERT_TRUE(writeFileBytes(file("cut.gif"), Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2))));

        const FileSpecifier specifier(AsciiStringBuffer(file("cut.gif")), FileSpecifier::kFile);
        std::unique_ptr<ReadImageFileInterface> reader(codec_.openForRead(specifier));
        std::unique_ptr<ReadImageFileFrameInterface> frame(reader ? reader->openFrame(0) : nullptr);
        ASSERT_NE(frame, nullptr);
        Bytes palette(static_cast<std::size_t>(frame->paletteCount()) * 3);
        frame->getPalette(frame->paletteCount(), palette.data());
        std::unique_ptr<RowIteratorInterface> rows(frame->newRowIterator());
        ASSERT_NE(rows, nullptr);
        const RowsUntilError read = readRowsUntilError(*rows, [&](int index, const DataBuffer& row) {
            for (int x = 0; x < 77; ++x)
            {
                const bool same = std::equal(palette.begin() + 3 * row.data()[x], palette.begin() + 3 * row.data()[x] + 3,
                                             expected.begin() + (index * 77 + x) * 3);
                EXPECT_TRUE(same) << "row " << index << " column " << x;
                if (!same)
                    return false;
            }
            return true;
        });
        EXPECT_EQ(read.code, 8);
        EXPECT_LT(read.delivered, 53);
        if (option.empty())
        {
            EXPECT_GT(read.delivered, 0);
        }
    }
}
