// PNG files of independent tools (netpbm's pnmtopng, ImageMagick) read by the
// codec equal to what pngtopam decodes, and the files the codec writes read
// by pngtopam equal to their source and passed by pngcheck with the chunk
// values asked for. Each test skips with a message when a tool is missing.
#include "PngTestSupport.h"

#include "imaging/codecs/png/PngCustomProperties.h"
#include "imaging/codecs/png/PngFormatCodec.h"
#include "imaging/codecs/png/PngProperties.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace Omvi;
using namespace OmviRaster;

namespace
{

// A colourful test picture: gradients with noise.
Bytes picture(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes rgb;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            rgb.push_back(static_cast<std::uint8_t>(x * 255 / std::max(width - 1, 1)));
            rgb.push_back(static_cast<std::uint8_t>(y * 255 / std::max(height - 1, 1)));
            rgb.push_back(static_cast<std::uint8_t>(random()));
        }
    return rgb;
}

// A picture of few colours, which pnmtopng stores with a palette.
Bytes fewColours(int width, int height)
{
    const std::uint8_t colours[5][3] = {{0, 0, 0}, {255, 0, 0}, {0, 128, 255}, {250, 250, 250}, {17, 99, 3}};
    Bytes rgb;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rgb.insert(rgb.end(), colours[(x / 3 + y) % 5], colours[(x / 3 + y) % 5] + 3);
    return rgb;
}

class PngTools : public ToolFolderTest
{
protected:
    // Reads `name` with the codec and with pngtopam and compares every
    // pixel (and, for colour frames, every alpha).
    void expectSameAsPngtopam(const std::string& name)
    {
        SCOPED_TRACE(name);
        bool ok = false;
        const Decoded ours = readFile(codec_, file(name), &ok);
        ASSERT_TRUE(ok);
        Netpbm theirs;
        ASSERT_TRUE(parseNetpbm(captureOutput("pngtopam -alphapam '" + file(name) + "' 2>/dev/null"), theirs));
        ASSERT_EQ(ours.width, theirs.width);
        ASSERT_EQ(ours.height, theirs.height);
        const Bytes ourRgb = toRgb(ours);
        std::size_t differing = 0;
        for (int y = 0; y < theirs.height; ++y)
            for (int x = 0; x < theirs.width; ++x)
            {
                const std::size_t at = (static_cast<std::size_t>(y) * theirs.width + x) * 3;
                const bool colour = theirs.depth >= 3;
                bool same = true;
                for (int c = 0; c < 3; ++c)
                    same = same && ourRgb[at + c] == theirs.at8(x, y, colour ? c : 0);
                if (ours.kind == kColorSpaceRgb)
                    same = same && ours.row(y)[4 * x + 3] == theirs.at8(x, y, theirs.depth - 1);
                differing += same ? 0 : 1;
            }
        EXPECT_EQ(differing, 0u);
    }

    PngFormatCodec codec_;
};

} // namespace

TEST_F(PngTools, NetpbmFilesReadAsPngtopamReadsThem)
{
    OMVI_REQUIRE_TOOL("pnmtopng");
    OMVI_REQUIRE_TOOL("pngtopam");
    ASSERT_TRUE(writeFileBytes(file("rgb.ppm"), ppm(61, 37, picture(61, 37, 1))));
    ASSERT_TRUE(writeFileBytes(file("few.ppm"), ppm(40, 21, fewColours(40, 21))));
    Bytes grey(53 * 29);
    for (std::size_t i = 0; i < grey.size(); ++i)
        grey[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_TRUE(writeFileBytes(file("grey.pgm"), pgm(53, 29, grey)));
    Bytes mask(61 * 37);
    for (std::size_t i = 0; i < mask.size(); ++i)
        mask[i] = static_cast<std::uint8_t>(i % 5 == 0 ? 0 : i % 3 == 0 ? 128 : 255);
    ASSERT_TRUE(writeFileBytes(file("mask.pgm"), pgm(61, 37, mask)));
    const char* commands[][2] = {
        {"pnmtopng rgb.ppm > rgb.png", "rgb.png"},
        {"pnmtopng -interlace rgb.ppm > rgbi.png", "rgbi.png"},
        {"pnmtopng -force few.ppm > few-rgb.png", "few-rgb.png"},
        {"pnmtopng few.ppm > few.png", "few.png"},
        {"pnmtopng -interlace few.ppm > fewi.png", "fewi.png"},
        {"pnmtopng grey.pgm > grey.png", "grey.png"},
        {"pnmtopng -interlace grey.pgm > greyi.png", "greyi.png"},
        {"pamthreshold grey.pgm | pnmtopng > bits.png", "bits.png"},
        {"pamthreshold grey.pgm | pnmtopng -interlace > bitsi.png", "bitsi.png"},
        {"pnmdepth 65535 rgb.ppm | pnmtopng > rgb16.png", "rgb16.png"},
        {"pnmdepth 3 grey.pgm | pnmtopng > grey2.png", "grey2.png"},
        {"pnmdepth 15 grey.pgm | pnmtopng -interlace > grey4.png", "grey4.png"},
        {"pnmtopng -alpha=mask.pgm rgb.ppm > rgba.png", "rgba.png"},
        {"pnmtopng -alpha=mask.pgm -interlace rgb.ppm > rgbai.png", "rgbai.png"},
        {"pnmtopng -force -transparent =rgb:ff/00/00 few.ppm > key.png", "key.png"},
        {"pnmtopng -transparent =rgb:ff/00/00 few.ppm > keyp.png", "keyp.png"},
    };
    for (const auto& command : commands)
        if (make(command[0]))
            expectSameAsPngtopam(command[1]);
}

TEST_F(PngTools, ImageMagickFilesReadAsPngtopamReadsThem)
{
    OMVI_REQUIRE_TOOL("convert");
    OMVI_REQUIRE_TOOL("pngtopam");
    ASSERT_TRUE(writeFileBytes(file("src.ppm"), ppm(45, 33, picture(45, 33, 2))));
    ASSERT_TRUE(writeFileBytes(file("few.ppm"), ppm(40, 21, fewColours(40, 21))));
    const char* commands[][2] = {
        {"convert src.ppm PNG24:a24.png", "a24.png"},
        {"convert src.ppm -alpha set -channel A -fx 'i/w' PNG32:a32.png", "a32.png"},
        {"convert src.ppm -depth 16 PNG48:a48.png", "a48.png"},
        {"convert src.ppm -alpha set -channel A -fx 'j/h' -depth 16 PNG64:a64.png", "a64.png"},
        {"convert few.ppm PNG8:a8.png", "a8.png"},
        {"convert src.ppm -colorspace Gray g.png", "g.png"},
        {"convert src.ppm -colorspace Gray -depth 2 g2.png", "g2.png"},
        {"convert src.ppm -monochrome m.png", "m.png"},
        {"convert src.ppm -interlace PNG ai.png", "ai.png"},
        {"convert few.ppm -interlace PNG PNG8:a8i.png", "a8i.png"},
    };
    for (const auto& command : commands)
        if (make(command[0]))
            expectSameAsPngtopam(command[1]);
}

TEST_F(PngTools, FilesWeWriteReadBackEqualAndPassPngcheck)
{
    OMVI_REQUIRE_TOOL("pngcheck");
    OMVI_REQUIRE_TOOL("pngtopam");
    const int width = 29;
    const int height = 17;
    const Bytes rgb = picture(width, height, 3);

    // Writes one frame to name with the properties; pngcheck -v's report.
    auto write = [&](const std::string& name, int kind, int bitsUsed, const Bytes& rows, int rowBytes,
                     const Bytes& palette, std::vector<const FormatCodecPropertyInterface*> properties) {
        std::unique_ptr<WriteImageFileInterface> writer(codec_.createWriter());
        EXPECT_TRUE(writer->open(FileSpecifier(AsciiStringBuffer(file(name)), FileSpecifier::kFile)));
        std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
        frame->setSize(height, width);
        frame->setThirdValue(kind == kColorSpaceRgb ? 32 : kind == kColorSpaceBitonal ? 1 : 8);
        frame->setBitsPerPixel(bitsUsed);
        frame->setDataModelKind(kind);
        if (!palette.empty())
        {
            frame->setPaletteCount(static_cast<int>(palette.size() / 3));
            frame->setPalette(palette.data());
        }
        for (const FormatCodecPropertyInterface* property : properties)
            EXPECT_TRUE(frame->setProperty(property));
        MemoryRowIterator iterator(width, height, rowBytes, rows);
        writer->writeFrame(frame.get(), &iterator);
        int status = -1;
        const Bytes report = captureOutput("pngcheck -v '" + file(name) + "' 2>&1", &status);
        EXPECT_EQ(status, 0) << std::string(report.begin(), report.end());
        return std::string(report.begin(), report.end());
    };

    // Colour with a key, a background, 96 dpi, texts, gamma and offsets.
    Bytes rgbRows;
    for (std::size_t i = 0; i < rgb.size(); i += 3)
        rgbRows.insert(rgbRows.end(), {rgb[i], rgb[i + 1], rgb[i + 2], 0});
    PngTransparency key(kPngRgb);
    key.setRgbKeys(1, rgb.data());
    const PngBackground background(RgbColor(10, 20, 30, 255), PngBackground::kRgb);
    const PngDensity dpi(96, 96, FormatCodecDensity::kPerInch);
    const PngText title(0, AsciiStringBuffer("Picture"));
    const PngText comment(9, AsciiStringBuffer("Written by the codec"));
    const PngGamma gamma(0.45455);
    const PngPageOffset offset(3, 4, PngPageOffset::kPixel);
    const PngScale scale(0.001, 0.001, PngScale::kMetre);
    std::string report = write("rgb.png", kColorSpaceRgb, 24, rgbRows, 4 * width, {},
                               {&key, &background, &dpi, &title, &comment, &gamma, &offset, &scale});
    EXPECT_NE(report.find("3779x3779 pixels/meter"), std::string::npos) << report;
    EXPECT_NE(report.find("chunk tRNS"), std::string::npos) << report;
    EXPECT_NE(report.find("chunk bKGD"), std::string::npos) << report;
    EXPECT_NE(report.find("keyword: Title"), std::string::npos) << report;
    EXPECT_NE(report.find("keyword: Comment"), std::string::npos) << report;
    EXPECT_NE(report.find("chunk oFFs"), std::string::npos) << report;
    EXPECT_NE(report.find("chunk sCAL"), std::string::npos) << report;
    Netpbm back;
    ASSERT_TRUE(parseNetpbm(captureOutput("pngtopam '" + file("rgb.png") + "'"), back));
    EXPECT_EQ(netpbmRgb(back), rgb);

    // Grey at 8 bits with a transparent level and significant bits.
    Bytes grey(static_cast<std::size_t>(width) * height);
    for (std::size_t i = 0; i < grey.size(); ++i)
        grey[i] = static_cast<std::uint8_t>(i * 3);
    std::uint8_t table[256];
    std::fill(table, table + 256, 255);
    table[40] = 0;
    PngTransparency level(kPngGray);
    level.setAlphaTable(FormatCodecTransparency::kGrayAlpha, table);
    const PngBackground light(RgbColor(200, 200, 200, 255), PngBackground::kGray);
    const PngGraySignificantBits eight(8);
    report = write("grey.png", kColorSpaceGray, 8, grey, width, {}, {&level, &light, &eight});
    EXPECT_NE(report.find("gray = 0x0028"), std::string::npos) << report;
    EXPECT_NE(report.find("gray = 0x00c8"), std::string::npos) << report;
    EXPECT_NE(report.find("chunk sBIT"), std::string::npos) << report;
    ASSERT_TRUE(parseNetpbm(captureOutput("pngtopam '" + file("grey.png") + "'"), back));
    EXPECT_EQ(back.samples, std::vector<std::uint32_t>(grey.begin(), grey.end()));

    // Palette of 16 entries at 4 bits with alphas, a histogram that fits and
    // one that does not.
    Bytes palette;
    for (int i = 0; i < 16; ++i)
        palette.insert(palette.end(), {static_cast<std::uint8_t>(i * 16), static_cast<std::uint8_t>(255 - i * 9),
                                       static_cast<std::uint8_t>(i * i)});
    Bytes indices(static_cast<std::size_t>(width) * height);
    for (std::size_t i = 0; i < indices.size(); ++i)
        indices[i] = static_cast<std::uint8_t>((i / 3) % 16);
    std::fill(table, table + 256, 255);
    table[2] = 100;
    PngTransparency alphas(kPngPalette);
    alphas.setAlphaTable(FormatCodecTransparency::kPaletteAlpha, table);
    const PngHistogram histogram(std::vector<std::uint16_t>(16, 3));
    const PngBackground index(RgbColor(5, 0, 0, 255), PngBackground::kPaletteIndex);
    report = write("palette.png", kColorSpacePalette, 4, indices, width, palette, {&alphas, &histogram, &index});
    EXPECT_NE(report.find("4-bit palette"), std::string::npos) << report;
    EXPECT_NE(report.find("16 histogram entries"), std::string::npos) << report;
    EXPECT_NE(report.find("index = 5"), std::string::npos) << report;
    EXPECT_NE(report.find("chunk tRNS"), std::string::npos) << report;
    ASSERT_TRUE(parseNetpbm(captureOutput("pngtopam '" + file("palette.png") + "'"), back));
    Bytes expected;
    for (std::uint8_t i : indices)
        expected.insert(expected.end(), palette.begin() + 3 * i, palette.begin() + 3 * i + 3);
    EXPECT_EQ(netpbmRgb(back), expected);
    const PngHistogram shortHistogram(std::vector<std::uint16_t>(15, 3));
    report = write("palette2.png", kColorSpacePalette, 4, indices, width, palette, {&shortHistogram});
    EXPECT_EQ(report.find("hIST"), std::string::npos) << report;

    // Bitonal: ink is black.
    const int rowBytes = (width + 7) / 8;
    Bytes bits(static_cast<std::size_t>(rowBytes) * height);
    for (std::size_t i = 0; i < bits.size(); ++i)
        bits[i] = static_cast<std::uint8_t>(0x35 * i);
    report = write("bits.png", kColorSpaceBitonal, 1, bits, rowBytes, {}, {&dpi});
    EXPECT_NE(report.find("1-bit grayscale"), std::string::npos) << report;
    ASSERT_TRUE(parseNetpbm(captureOutput("pngtopam '" + file("bits.png") + "'"), back));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(back.at(x, y, 0), (bits[static_cast<std::size_t>(y) * rowBytes + x / 8] >> (7 - x % 8)) & 1u);
}

namespace
{

// What reading a whole file through the codec came to: the rows delivered
// and, when it failed, the codec error's code and the decoder's reason.
struct Reading
{
    int rows = 0;
    int code = -1;
    std::string reason;
};

Reading readThrough(PngFormatCodec& codec, const std::string& path)
{
    Reading reading;
    try
    {
        const FileSpecifier specifier(AsciiStringBuffer(path), FileSpecifier::kFile);
        std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(specifier));
        std::unique_ptr<ReadImageFileFrameInterface> frame(reader ? reader->openFrame(0) : nullptr);
        std::unique_ptr<RowIteratorInterface> rows(frame ? frame->newRowIterator() : nullptr);
        if (!rows)
        {
            reading.code = -2;
            return reading;
        }
        DataBuffer row(rows->bytesPerRow());
        rows->start();
        while (reading.rows < rows->rowCount())
        {
            rows->getRow(row);
            ++reading.rows;
            rows->next();
        }
        rows->finish();
    }
    catch (FormatCodecException* failure)
    {
        reading.code = failure->code();
        reading.reason = failure->reason();
        delete failure;
    }
    return reading;
}

std::string said(const std::string& command)
{
    const Bytes output = captureOutput(command);
    return std::string(output.begin(), output.end());
}

Bytes withoutLast(Bytes bytes, std::size_t count)
{
    bytes.resize(bytes.size() - count);
    return bytes;
}

} // namespace

TEST_F(PngTools, AFileWithoutItsWholeEndChunkFailsAsItsLastRowIsRead)
{
    OMVI_REQUIRE_TOOL("pnmtopng");
    ASSERT_TRUE(writeFileBytes(file("rgb.ppm"), ppm(61, 37, picture(61, 37, 3))));
    for (const std::string options : {"", "-interlace"})
    {
        SCOPED_TRACE(options);
        ASSERT_TRUE(make("pnmtopng " + options + " rgb.ppm > whole.png"));
        const Bytes whole = readFileBytes(file("whole.png"));
        ASSERT_EQ(std::string(whole.end() - 8, whole.end() - 4), "IEND");
        Bytes badCrc = whole;
        badCrc.back() ^= 0x01;
        Bytes trailing = whole;
        trailing.insert(trailing.end(), {'m', 'o', 'r', 'e'});
        const struct
        {
            const char* name;
            Bytes bytes;
            const char* reason;  // null: read whole
        } cases[] = {
            {"whole.png", whole, nullptr},
            {"trailing.png", trailing, nullptr},
            {"no-iend.png", withoutLast(whole, 12), "Premature end of PNG file"},
            {"cut-iend.png", withoutLast(whole, 6), "Premature end of PNG file"},
            {"bad-iend.png", badCrc, "IEND: CRC error"},
        };
        for (const auto& c : cases)
        {
            SCOPED_TRACE(c.name);
            ASSERT_TRUE(writeFileBytes(file(c.name), c.bytes));
            const Reading reading = readThrough(codec_, file(c.name));
            if (c.reason == nullptr)
            {
                EXPECT_EQ(reading.code, -1) << reading.reason;
                EXPECT_EQ(reading.rows, 37);
                continue;
            }
            EXPECT_EQ(reading.code, 8);
            EXPECT_EQ(reading.reason, c.reason);
            // The last row is not handed out (interlaced files have none
            // before every pass is read).
            EXPECT_EQ(reading.rows, options.empty() ? 36 : 0);
        }
    }
    if (OmviTest::haveTool("pngcheck"))
    {
        EXPECT_NE(said("pngcheck '" + file("no-iend.png") + "' 2>&1")
                      .find("doesn't end with an IEND chunk"),
                  std::string::npos);
        EXPECT_NE(said("pngcheck '" + file("bad-iend.png") + "' 2>&1").find("CRC error in chunk IEND"),
                  std::string::npos);
    }
}

TEST_F(PngTools, AStrictReaderRefusesADamagedAncillaryChunkThatOthersSkip)
{
    OMVI_REQUIRE_TOOL("pnmtopng");
    ASSERT_TRUE(writeFileBytes(file("rgb.ppm"), ppm(40, 21, picture(40, 21, 4))));
    ASSERT_TRUE(writeFileBytes(file("text.txt"), Bytes{'T', 'i', 't', 'l', 'e', ' ', 'o', 'a', 'k', '\n'}));
    ASSERT_TRUE(make("pnmtopng -text text.txt rgb.ppm > text.png"));
    Bytes damaged = readFileBytes(file("text.png"));
    const std::string keyword = "tEXtTitle";
    const auto chunk = std::search(damaged.begin(), damaged.end(), keyword.begin(), keyword.end());
    ASSERT_NE(chunk, damaged.end());
    chunk[keyword.size() + 1] ^= 0x20;  // "oak" becomes "oAk", its CRC no longer fits
    ASSERT_TRUE(writeFileBytes(file("damaged.png"), damaged));

    const Reading lenient = readThrough(codec_, file("damaged.png"));
    EXPECT_EQ(lenient.code, -1) << lenient.reason;
    EXPECT_EQ(lenient.rows, 21);
    PngFormatCodec strict;
    strict.setStrictDecoding(true);
    // The chunk comes before the image data: the reader cannot even be
    // made, and says why.
    const FileSpecifier damagedFile(AsciiStringBuffer(file("damaged.png")), FileSpecifier::kFile);
    std::unique_ptr<ReadImageFileInterface> refused(strict.openForRead(damagedFile));
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->frameCount(), 0);
    ASSERT_NE(refused->frameRefusal(), nullptr);
    EXPECT_STREQ(refused->frameRefusal(), "The PNG file is damaged: tEXt: CRC error");
    EXPECT_EQ(readThrough(strict, file("text.png")).code, -1);
    if (OmviTest::haveTool("pngcheck"))
    {
        EXPECT_NE(said("pngcheck '" + file("damaged.png") + "' 2>&1").find("CRC error in chunk tEXt"),
                  std::string::npos);
    }
}
