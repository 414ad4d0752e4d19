// The JFIF codec against independent JPEG tools on this machine: libjpeg's
// cjpeg, djpeg and rdjpgcom, ImageMagick, netpbm and python's PIL. Each test
// skips when its tool is missing.
#include "imaging/codecs/jfif/JfifProperties.h"
#include "imaging/codecs/tests/JpegTestSupport.h"
#include "imaging/codecs/tests/RasterTestSupport.h"
#include "imaging/tests/ToolCheck.h"

#include <gtest/gtest.h>

using namespace Omvi;
using namespace OmviTest;

namespace
{

FrameSetup quality(int value)
{
    return [value](WriteImageFileFrameInterface& frame) {
        JfifCompression compression;
        ASSERT_TRUE(compression.setValue(value));
        ASSERT_TRUE(frame.setProperty(&compression));
    };
}

// djpeg's decoding with the float DCT, as 4-channel rows for colour.
TestImage djpeg(const std::string& path)
{
    const TestImage image = fromPnm(runCapture("djpeg -dct float -pnm '" + path + "'"));
    return image.channels == 3 ? withAlpha(image) : image;
}

// Reads the rows of a cut colour JPEG until its error, each checked against
// `theirs` (djpeg's rows of the whole file).
OmviRaster::RowsUntilError readCut(const Pixels& bytes, const TestImage& theirs, const std::string& what,
                                   bool strict = false)
{
    OpenedJpeg opened(bytes, strict);
    EXPECT_NE(opened.frame, nullptr) << what;
    std::unique_ptr<RowIteratorInterface> rows(opened.frame ? opened.frame->newRowIterator() : nullptr);
    EXPECT_NE(rows, nullptr) << what;
    if (!rows)
        return OmviRaster::RowsUntilError{};
    return OmviRaster::readRowsUntilError(*rows, [&](int index, const DataBuffer& row) {
        EXPECT_TRUE(std::equal(row.data(), row.data() + 4 * theirs.width, theirs.row(index)))
            << what << ": row " << index << " is not djpeg's";
        return true;
    });
}

} // namespace

TEST(JfifTools, TextureSettingsGiveCjpegsBytes)
{
    OMVI_REQUIRE_TOOL("cjpeg");
    ScratchFolder folder;
    for (const int channels : {3, 1})
    {
        const TestImage image = patternImage(203, 77, channels, 4);
        const std::string input = folder.file(channels == 3 ? "in.ppm" : "in.pgm");
        ASSERT_TRUE(writeFileBytes(input, toPnm(image)));
        const Pixels expected = runCapture("cjpeg -dct float -quality 75 -baseline '" + input + "'");
        ASSERT_GT(expected.size(), 100u);
        const TestImage delivered = channels == 3 ? withAlpha(image) : image;
        EXPECT_EQ(encodeJpeg(delivered, quality(75)), expected) << channels << " channels";
        // Without a quality property libjpeg's default, 75, applies.
        EXPECT_EQ(encodeJpeg(delivered), expected) << channels << " channels";
        const Pixels best = runCapture("cjpeg -dct float -quality 100 -baseline '" + input + "'");
        EXPECT_EQ(encodeJpeg(delivered, quality(100)), best) << channels << " channels";
    }
}

TEST(JfifTools, RowsEqualDjpegsOnFilesOfEveryTool)
{
    OMVI_REQUIRE_TOOL("cjpeg");
    OMVI_REQUIRE_TOOL("djpeg");
    ScratchFolder folder;
    const TestImage colour = patternImage(61, 45, 3, 2);
    const TestImage grey = patternImage(33, 20, 1, 6);
    ASSERT_TRUE(writeFileBytes(folder.file("c.ppm"), toPnm(colour)));
    ASSERT_TRUE(writeFileBytes(folder.file("g.pgm"), toPnm(grey)));
    std::vector<std::string> made;
    auto make = [&](const std::string& name, const std::string& command) {
        if (runCommand(command) == 0 && fileExists(folder.file(name)))
            made.push_back(name);
        else
            ADD_FAILURE() << "could not run: " << command;
    };
    const std::string c = "'" + folder.file("c.ppm") + "'";
    const std::string g = "'" + folder.file("g.pgm") + "'";
    make("cjpeg420.jpg", "cjpeg -quality 80 -outfile '" + folder.file("cjpeg420.jpg") + "' " + c);
    make("cjpeg444.jpg", "cjpeg -sample 1x1 -outfile '" + folder.file("cjpeg444.jpg") + "' " + c);
    make("progressive.jpg", "cjpeg -progressive -optimize -outfile '" + folder.file("progressive.jpg") + "' " + c);
    make("restart.jpg", "cjpeg -restart 1 -outfile '" + folder.file("restart.jpg") + "' " + c);
    make("grey.jpg", "cjpeg -outfile '" + folder.file("grey.jpg") + "' " + g);
    make("rgb.jpg", "cjpeg -rgb -outfile '" + folder.file("rgb.jpg") + "' " + c);
    if (haveTool("convert"))
    {
        make("magick.jpg", magick() + " " + c + " -quality 85 '" + folder.file("magick.jpg") + "'");
        make("magickgrey.jpg", magick() + " " + g + " -quality 60 '" + folder.file("magickgrey.jpg") + "'");
    }
    const std::string python = pythonWith("PIL");
    if (!python.empty())
        make("pil.jpg", python + " -c \"from PIL import Image; Image.open('" + folder.file("c.ppm") +
                            "').save('" + folder.file("pil.jpg") + "', quality=70, subsampling=1, progressive=True)\"");

    for (const std::string& name : made)
    {
        const Pixels bytes = readFileBytes(folder.file(name));
        const TestImage ours = decodeJpeg(bytes);
        const TestImage theirs = djpeg(folder.file(name));
        ASSERT_GT(theirs.pixels.size(), 0u) << name;
        EXPECT_EQ(ours, theirs) << name;
        const TestImage original = ours.channels == 1 ? grey : withAlpha(colour);
        EXPECT_GT(psnr(ours, original), 30.0) << name;
    }
}

TEST(JfifTools, CommentsPassThroughRdjpgcomAndWrjpgcom)
{
    OMVI_REQUIRE_TOOL("rdjpgcom");
    OMVI_REQUIRE_TOOL("wrjpgcom");
    ScratchFolder folder;
    const TestImage grey = patternImage(16, 16, 1);
    JfifComment first(AsciiStringBuffer("made by the imaging library"), JfifComment::kWriterLimit);
    JfifComment second(AsciiStringBuffer("second line"), JfifComment::kWriterLimit);
    const Pixels bytes = encodeJpeg(grey, [&](WriteImageFileFrameInterface& frame) {
        frame.setProperty(&first);
        frame.setProperty(&second);
    });
    ASSERT_TRUE(writeFileBytes(folder.file("ours.jpg"), bytes));
    const Pixels listed = runCapture("rdjpgcom '" + folder.file("ours.jpg") + "'");
    EXPECT_EQ(std::string(listed.begin(), listed.end()), "made by the imaging library\nsecond line\n");

    ASSERT_EQ(runCommand("wrjpgcom -comment 'added by a tool' '" + folder.file("ours.jpg") + "' > '" +
                         folder.file("more.jpg") + "'"),
              0);
    OpenedJpeg opened(readFileBytes(folder.file("more.jpg")));
    std::unique_ptr<FormatCodecPropertySetIterator> set(opened.frame->getProperties());
    std::vector<std::string> texts;
    for (set->start(); !set->isDone(); set->next())
        if (const auto* comment = dynamic_cast<const JfifComment*>(set->current()))
            texts.push_back(comment->text().text());
    EXPECT_EQ(texts, (std::vector<std::string>{"made by the imaging library", "second line", "added by a tool"}));
}

TEST(JfifTools, OurFilesReadBackInImageMagickNetpbmAndPil)
{
    OMVI_REQUIRE_TOOL("convert");
    ScratchFolder folder;
    const TestImage colour = patternImage(90, 70, 3, 8);
    JfifDensity density(300, 300, FormatCodecDensity::kPerInch);
    const Pixels bytes = encodeJpeg(withAlpha(colour), [&](WriteImageFileFrameInterface& frame) {
        frame.setProperty(&density);
        JfifCompression best;
        best.setValue(95);
        frame.setProperty(&best);
    });
    const std::string path = folder.file("ours.jpg");
    ASSERT_TRUE(writeFileBytes(path, bytes));

    const TestImage magickRows = fromPnm(runCapture(magick() + " '" + path + "' ppm:-"));
    EXPECT_GT(psnr(magickRows, colour), 35.0);
    const Pixels resolution = runCapture("identify -format '%x %y %U' '" + path + "'");
    EXPECT_EQ(std::string(resolution.begin(), resolution.end()), "300 300 PixelsPerInch");

    if (haveTool("jpegtopnm"))
    {
        EXPECT_GT(psnr(fromPnm(runCapture("jpegtopnm '" + path + "'")), colour), 35.0);
    }
    const std::string python = pythonWith("PIL");
    if (!python.empty())
    {
        const Pixels answer = runCapture(python + " -c \"from PIL import Image; i = Image.open('" + path +
                                         "'); print(i.size, i.mode, i.info.get('dpi'))\"");
        EXPECT_EQ(std::string(answer.begin(), answer.end()), "(90, 70) RGB (300, 300)\n");
    }
}

TEST(JfifTools, AdobeCmykFilesReadAsPilAndImageMagickReadThem)
{
    // PIL writes CMYK JPEGs with the Adobe marker (transform 0) and inverted
    // inks; PIL and ImageMagick decode them to the colours they came from.
    OMVI_REQUIRE_TOOL("convert");
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    ScratchFolder folder;
    // Flat 8 x 8 blocks of strong colours, so the decoders' differences stay
    // in the last bit or two.
    const std::uint8_t colours[6][3] = {{0, 0, 255}, {255, 255, 0}, {255, 0, 0}, {0, 160, 0}, {40, 40, 40}, {250, 250, 250}};
    TestImage image{48, 16, 3, Pixels(48 * 16 * 3)};
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            std::copy_n(colours[(x / 8 + y / 8 * 3) % 6], 3, image.row(y) + 3 * x);
    const std::string ppm = folder.file("in.ppm");
    const std::string path = folder.file("cmyk.jpg");
    ASSERT_TRUE(writeFileBytes(ppm, toPnm(image)));
    ASSERT_EQ(runCommand(python + " -c \"from PIL import Image; Image.open('" + ppm +
                         "').convert('CMYK').save('" + path + "', quality=100, subsampling=0)\""),
              0);
    const Pixels file = readFileBytes(path);
    const std::string adobe = "Adobe";
    const auto marker = std::search(file.begin(), file.end(), adobe.begin(), adobe.end());
    ASSERT_NE(marker, file.end()) << "no Adobe marker";
    ASSERT_EQ(*(marker + 11), 0) << "not the CMYK transform";

    const TestImage magickRows = fromPnm(runCapture(magick() + " '" + path + "' -colorspace sRGB -depth 8 ppm:-"));
    const TestImage pilRows = fromPnm(runCapture(python + " -c \"import sys; from PIL import Image; Image.open('" +
                                                 path + "').convert('RGB').save(sys.stdout.buffer, 'PPM')\""));
    const TestImage ours = asRgb(decodeJpeg(file));
    ASSERT_EQ(ours.pixels.size(), image.pixels.size());
    for (const TestImage* theirs : {&magickRows, &pilRows})
    {
        ASSERT_EQ(theirs->pixels.size(), image.pixels.size());
        int worst = 0;
        for (std::size_t i = 0; i < ours.pixels.size(); ++i)
            worst = std::max(worst, std::abs(ours.pixels[i] - theirs->pixels[i]));
        EXPECT_LE(worst, 3) << (theirs == &magickRows ? "ImageMagick" : "PIL");
    }
    // The first block is blue, not black.
    EXPECT_LE(ours.pixels[0], 3);
    EXPECT_LE(ours.pixels[1], 3);
    EXPECT_GE(ours.pixels[2], 252);
}

TEST(JfifTools, RowsOfACutFileEndWhereItsDataDoes)
{
    OMVI_REQUIRE_TOOL("cjpeg");
    OMVI_REQUIRE_TOOL("djpeg");
    ScratchFolder folder;
    const TestImage colour = patternImage(61, 45, 3, 4);
    ASSERT_TRUE(writeFileBytes(folder.file("c.ppm"), toPnm(colour)));
    for (const std::string options : {"-quality 80", "-progressive"})
    {
        const std::string path = folder.file("whole.jpg");
        ASSERT_EQ(runCommand("cjpeg " + options + " -outfile '" + path + "' '" + folder.file("c.ppm") + "'"), 0);
        const Pixels whole = readFileBytes(path);
        const TestImage theirs = djpeg(path);
        ASSERT_EQ(theirs.height, 45);

        // Without its end-of-image marker the file is not whole, though its
        // rows decode: they are djpeg's until the last ones, which come
        // with the file's end and are refused.
        const OmviRaster::RowsUntilError noEnd =
            readCut(Pixels(whole.begin(), whole.end() - 2), theirs, options + ", no end marker");
        EXPECT_EQ(noEnd.code, 8) << options;
        EXPECT_GE(noEnd.delivered, 45 - 4) << options;
        EXPECT_LT(noEnd.delivered, 45) << options;

        // Cut in the middle of the coded data: the rows delivered are those
        // djpeg decodes from the whole file, then "Corrupt image file".
        const Pixels cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() * 6 / 10));
        const OmviRaster::RowsUntilError read = readCut(cut, theirs, options);
        EXPECT_EQ(read.code, 8) << options;
        EXPECT_LT(read.delivered, 45) << options;
    }
}

namespace
{

// Where the scans of a JPEG file start (the offsets of its start-of-scan
// markers), found by walking the marker segments and the coded data.
std::vector<std::size_t> scanStarts(const Pixels& bytes)
{
    std::vector<std::size_t> starts;
    std::size_t at = 2;
    while (at + 4 <= bytes.size() && bytes[at] == 0xFF)
    {
        const std::uint8_t marker = bytes[at + 1];
        if (marker == 0xD9)
            break;
        const std::size_t length = static_cast<std::size_t>(bytes[at + 2] << 8 | bytes[at + 3]);
        if (marker == 0xDA)
            starts.push_back(at);
        at += 2 + length;
        if (marker != 0xDA)
            continue;
        // Coded data runs to the next marker that is neither a stuffed zero
        // nor a restart marker.
        while (at + 1 < bytes.size() &&
               !(bytes[at] == 0xFF && bytes[at + 1] != 0 && (bytes[at + 1] < 0xD0 || bytes[at + 1] > 0xD7)))
            ++at;
    }
    return starts;
}

} // namespace

TEST(JfifTools, ArithmeticAndProgressiveFilesCutShortEndTheirRows)
{
    OMVI_REQUIRE_TOOL("cjpeg");
    OMVI_REQUIRE_TOOL("djpeg");
    ScratchFolder folder;
    const TestImage colour = patternImage(61, 90, 3, 4);
    ASSERT_TRUE(writeFileBytes(folder.file("c.ppm"), toPnm(colour)));
    // What djpeg says on its error output about a file, and its rows.
    const auto djpegWarns = [&](const Pixels& bytes) {
        const std::string path = folder.file("cut.jpg");
        EXPECT_TRUE(writeFileBytes(path, bytes));
        const Pixels said = runCapture("(djpeg -pnm '" + path + "' 2>&1 >/dev/null)");
        return std::string(said.begin(), said.end());
    };

    // One scan a component, in sequence.
    const std::string script = folder.file("scans.txt");
    ASSERT_TRUE(writeFileBytes(script, Pixels{'0', ';', '1', ';', '2', ';'}));
    const std::vector<std::string> variants = {"-arithmetic -quality 80", "-arithmetic -progressive", "-progressive",
                                               "-scans '" + script + "'"};
    for (const std::string& options : variants)
    {
        const std::string path = folder.file("whole.jpg");
        ASSERT_EQ(runCommand("cjpeg " + options + " -outfile '" + path + "' '" + folder.file("c.ppm") + "'"), 0);
        const Pixels whole = readFileBytes(path);
        const TestImage theirs = djpeg(path);
        ASSERT_EQ(theirs.height, 90) << options;
        EXPECT_EQ(decodeJpeg(whole), theirs) << options;
        const bool severalScans = options.find("-progressive") != std::string::npos ||
                                  options.find("-scans") != std::string::npos;

        // Cut in the middle of the coded data.
        const Pixels cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() * 6 / 10));
        EXPECT_NE(djpegWarns(cut).find("Premature end of JPEG file"), std::string::npos) << options;
        const OmviRaster::RowsUntilError read = readCut(cut, theirs, options + ", cut in the data");
        EXPECT_EQ(read.code, 8) << options;
        // A single scan holds the rows above the cut; no row of a file of
        // several scans has all of them.
        if (severalScans)
        {
            EXPECT_EQ(read.delivered, 0) << options;
        }
        else
        {
            EXPECT_GT(read.delivered, 0) << options;
        }
        EXPECT_LT(read.delivered, 90) << options;

        if (!severalScans)
            continue;
        // Cut between two scans, before each scan after the first.
        const std::vector<std::size_t> starts = scanStarts(whole);
        ASSERT_GE(starts.size(), 3u) << options;
        for (std::size_t i = 1; i < starts.size(); ++i)
        {
            const Pixels between(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(starts[i]));
            const std::string what = options + ", cut before scan " + std::to_string(i + 1);
            EXPECT_NE(djpegWarns(between).find("Premature end of JPEG file"), std::string::npos) << what;
            const OmviRaster::RowsUntilError early = readCut(between, theirs, what);
            EXPECT_EQ(early.code, 8) << what;
            EXPECT_EQ(early.delivered, 0) << what;
        }
    }

    // A file that lacks no more than its end-of-image marker is not whole
    // either, where djpeg warns as well: its rows end before the last ones.
    // (Arithmetic-coded data never shows whether the decoder still needed
    // what is missing, so there they may end earlier.)
    for (const std::string& options : variants)
    {
        const std::string path = folder.file("whole.jpg");
        ASSERT_EQ(runCommand("cjpeg " + options + " -outfile '" + path + "' '" + folder.file("c.ppm") + "'"), 0);
        const Pixels whole = readFileBytes(path);
        const TestImage theirs = djpeg(path);
        const Pixels noEnd(whole.begin(), whole.end() - 2);
        EXPECT_NE(djpegWarns(noEnd).find("Premature end of JPEG file"), std::string::npos) << options;
        const OmviRaster::RowsUntilError read = readCut(noEnd, theirs, options + ", no end marker");
        EXPECT_EQ(read.code, 8) << options;
        EXPECT_LT(read.delivered, 90) << options;
    }
}

namespace
{

// The reason the codec's exception gave when reading every row of a JPEG
// failed (by a strict reader when asked); empty when it read them all.
std::string failureReason(const Pixels& bytes, bool strict)
{
    try
    {
        OpenedJpeg opened(bytes, strict);
        std::unique_ptr<RowIteratorInterface> rows(opened.frame ? opened.frame->newRowIterator() : nullptr);
        if (!rows)
            return "no rows";
        DataBuffer row(rows->bytesPerRow());
        rows->start();
        for (int r = 0; r < rows->rowCount(); ++r)
        {
            rows->getRow(row);
            rows->next();
        }
        rows->finish();
    }
    catch (FormatCodecException* failure)
    {
        const std::string reason = failure->reason();
        delete failure;
        return reason.empty() ? "no reason" : reason;
    }
    return {};
}

} // namespace

TEST(JfifTools, DamagedCodedDataDecodesAsDjpegDecodesItUnlessTheReaderIsStrict)
{
    OMVI_REQUIRE_TOOL("cjpeg");
    OMVI_REQUIRE_TOOL("djpeg");
    ScratchFolder folder;
    const TestImage colour = patternImage(61, 45, 3, 5);
    ASSERT_TRUE(writeFileBytes(folder.file("c.ppm"), toPnm(colour)));
    const std::string path = folder.file("whole.jpg");
    ASSERT_EQ(runCommand("cjpeg -quality 85 -outfile '" + path + "' '" + folder.file("c.ppm") + "'"), 0);
    const Pixels whole = readFileBytes(path);
    const std::vector<std::size_t> starts = scanStarts(whole);
    ASSERT_EQ(starts.size(), 1u);

    // A restart marker written over two bytes midway into the coded data.
    Pixels damaged = whole;
    std::size_t at = (starts[0] + whole.size()) / 2;
    while (damaged[at - 1] == 0xFF || damaged[at] == 0xFF)
        ++at;
    damaged[at] = 0xFF;
    damaged[at + 1] = 0xD3;
    const std::string damagedPath = folder.file("damaged.jpg");
    ASSERT_TRUE(writeFileBytes(damagedPath, damaged));
    const Pixels warned = runCapture("(djpeg -pnm '" + damagedPath + "' 2>&1 >/dev/null)");
    const std::string warning = "Corrupt JPEG data: premature end of data segment";
    EXPECT_NE(std::string(warned.begin(), warned.end()).find(warning), std::string::npos);

    // The library goes on over the damage as djpeg does, row for row; a
    // strict reader stops at it with libjpeg's words.
    EXPECT_EQ(decodeJpeg(damaged), djpeg(damagedPath));
    EXPECT_EQ(failureReason(damaged, false), "");
    EXPECT_EQ(failureReason(damaged, true), warning);
    const OmviRaster::RowsUntilError strict = readCut(damaged, djpeg(damagedPath), "strict", true);
    EXPECT_EQ(strict.code, 8);
    EXPECT_LT(strict.delivered, 45);

    // A whole file is whole to a strict reader too, bytes after its end
    // marker or not; one without its end marker is not, to any reader.
    Pixels trailing = whole;
    trailing.insert(trailing.end(), {'m', 'o', 'r', 'e'});
    EXPECT_EQ(failureReason(whole, true), "");
    EXPECT_EQ(failureReason(trailing, true), "");
    EXPECT_EQ(failureReason(trailing, false), "");
    const Pixels noEnd(whole.begin(), whole.end() - 2);
    EXPECT_EQ(failureReason(noEnd, false), "Premature end of JPEG file");
    EXPECT_EQ(failureReason(noEnd, true), "Premature end of JPEG file");
}
