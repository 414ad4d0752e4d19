// The PICT reader against independent tools: pictures written by
// ImageMagick and netpbm decode to what ImageMagick (and picttoppm, where
// installed) decode them to, and the pictures our tests build (version 1,
// every raster layout, several operations) decode alike in those tools, so
// the generator is checked too. The tools' pictures cut before their end
// opcode give no rows.
#include "imaging/codecs/tests/PictTestFiles.h"
#include "imaging/tests/ToolCheck.h"

#include <gtest/gtest.h>

using namespace Omvi;
using namespace OmviTest;

namespace
{

TestImage ourRgb(const std::string& path)
{
    int probe = -1;
    const TestImage rgb = firstFrameRgb<PictFormatCodec>(path, &probe);
    EXPECT_EQ(probe, ImageFormatCodec::kRecognised) << path;
    return rgb;
}

TestImage picttoppmRgb(const std::string& path)
{
    return asRgb(fromPnm(runCapture("picttoppm " + quoted(path))));
}

struct GeneratedPicture
{
    std::string name;
    Bytes bytes;
    // ImageMagick reads neither one-bit bitmaps nor unpacked 32-bit rows of
    // 8 bytes or more; picttoppm alone checks those.
    bool imageMagickReads = true;
};

// The pictures our generator builds, one of each layout.
std::vector<GeneratedPicture> generatedPictures()
{
    std::vector<GeneratedPicture> pictures;
    const TestImage colour = patternImage(37, 11, 3, 4);
    pictures.push_back({"direct_planar3.pict", PictBuilder(2, {0, 0, 11, 37})
                                                   .clip({0, 0, 11, 37})
                                                   .directBits(directSpec(colour, 4, 3))
                                                   .finish()});
    pictures.push_back(
        {"direct_planar4.pict",
         PictBuilder(2, {0, 0, 11, 37}).directBits(directSpec(colour, 4, 4)).finish()});
    pictures.push_back(
        {"direct_unpacked.pict",
         PictBuilder(2, {0, 0, 11, 37}).directBits(directSpec(colour, 1, 3)).finish(), false});
    const TestImage wide = patternImage(301, 3, 3, 2);
    pictures.push_back(
        {"direct_wide.pict",
         PictBuilder(2, {0, 0, 3, 301}).directBits(directSpec(wide, 4, 3)).finish()});

    const std::vector<PictRgb> table = {
        pictRgb(255, 255, 255), pictRgb(200, 30, 40), pictRgb(20, 180, 60), pictRgb(10, 20, 230),
        pictRgb(0, 0, 0),       pictRgb(128, 128, 0), pictRgb(60, 60, 60),  pictRgb(240, 200, 10)};
    for (int pixelSize : {1, 2, 4, 8})
    {
        const int colours = std::min(1 << pixelSize, 8);
        const TestImage indices =
            noiseImage(45, 9, 1, 3 + static_cast<unsigned>(pixelSize), colours);
        pictures.push_back(
            {"indexed" + std::to_string(pixelSize) + ".pict",
             PictBuilder(2, {0, 0, 9, 45})
                 .bits(indexedSpec(indices.pixels, 45, 9, pixelSize,
                                   std::vector<PictRgb>(table.begin(), table.begin() + colours)))
                 .finish()});
    }

    PictRasterSpec bitmap;
    bitmap.bitmap = true;
    bitmap.bounds = {0, 0, 6, 70};
    for (int y = 0; y < 6; ++y)
    {
        Bytes row(10, 0);
        for (int x = 0; x < 70; ++x)
            if ((x / 3 + y) % 2 == 0)
                row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        bitmap.rows.push_back(row);
    }
    pictures.push_back({"version1_bitmap.pict",
                        PictBuilder(1, {0, 0, 6, 70}).clip({0, 0, 6, 70}).bits(bitmap).finish(),
                        false});
    PictRasterSpec narrow = bitmap;
    narrow.bounds = {0, 0, 6, 40};
    for (Bytes& row : narrow.rows)
        row.resize(6);
    pictures.push_back(
        {"version1_narrow.pict", PictBuilder(1, {0, 0, 6, 40}).bits(narrow).finish(), false});
    pictures.push_back(
        {"version2_bitmap.pict", PictBuilder(2, {0, 0, 6, 70}).bits(bitmap).finish(), false});

    // Two copies side by side, with opcodes between them.
    PictRasterSpec left = directSpec(patternImage(10, 8, 3, 1));
    left.destination = {0, 0, 8, 10};
    PictRasterSpec right = directSpec(patternImage(10, 8, 3, 2));
    right.destination = {0, 10, 8, 20};
    PictBuilder two(2, {0, 0, 8, 20});
    two.clip({0, 0, 8, 20}).directBits(left).opcode(0x00A0).u16(100).directBits(right);
    pictures.push_back({"two_operations.pict", two.finish()});

    PictRasterSpec sixteen;
    sixteen.bounds = {0, 0, 3, 12};
    sixteen.pixelSize = 16;
    sixteen.packType = 3;
    sixteen.componentCount = 3;
    for (int y = 0; y < 3; ++y)
    {
        Bytes row;
        for (int x = 0; x < 12; ++x)
        {
            const int value = ((x * 2) << 10) | ((y * 9) << 5) | (x < 6 ? 31 - 2 * x : 7);
            row.push_back(static_cast<std::uint8_t>(value >> 8));
            row.push_back(static_cast<std::uint8_t>(value));
        }
        sixteen.rows.push_back(row);
    }
    pictures.push_back(
        {"direct16.pict", PictBuilder(2, {0, 0, 3, 12}).directBits(sixteen).finish()});
    return pictures;
}

} // namespace

TEST(PictTools, PicturesOfImageMagickAndNetpbmDecodeAsImageMagickDoes)
{
    OMVI_REQUIRE_TOOL("convert");
    ScratchFolder folder;
    const TestImage colour = patternImage(45, 21, 3, 3);
    const std::string ppm = folder.file("in.ppm");
    ASSERT_TRUE(writeFileBytes(ppm, toPnm(colour)));
    const std::string m = magick() + " " + quoted(ppm) + " ";
    std::vector<std::pair<std::string, std::string>> files = {
        {"direct.pict", m + "PICT:" + quoted(folder.file("direct.pict"))},
        {"palette.pict",
         m + "-colors 60 -type Palette PICT:" + quoted(folder.file("palette.pict"))},
        {"few.pict", m + "-colors 6 PICT:" + quoted(folder.file("few.pict"))},
        {"grey.pict",
         m + "-colorspace Gray -type Grayscale PICT:" + quoted(folder.file("grey.pict"))},
        {"three.pict", m + "-crop 3x5+3+3 +repage PICT:" + quoted(folder.file("three.pict"))},
        {"wide.pict", m + "-resize 320x4! PICT:" + quoted(folder.file("wide.pict"))},
    };
    if (haveTool("ppmtopict"))
        files.push_back({"netpbm.pict", magick() + " " + quoted(ppm) +
                                            " -colors 200 ppm:- | ppmtopict > " +
                                            quoted(folder.file("netpbm.pict"))});
    for (const auto& [name, command] : files)
    {
        SCOPED_TRACE(name);
        ASSERT_EQ(runCommand(command + " 2>/dev/null"), 0) << command;
        const TestImage ours = ourRgb(folder.file(name));
        const TestImage theirs = magickRgb(folder.file(name));
        ASSERT_GT(theirs.width, 0);
        EXPECT_EQ(ours, theirs) << firstDifference(ours, theirs);
        if (haveTool("picttoppm"))
        {
            const TestImage netpbm = picttoppmRgb(folder.file(name));
            EXPECT_EQ(ours, netpbm) << "picttoppm: " << firstDifference(ours, netpbm);
        }
    }
    // Direct pictures keep the pixels exactly, also in the narrow widths
    // whose rows ImageMagick packs but does not read back.
    EXPECT_EQ(ourRgb(folder.file("direct.pict")), colour);
    ASSERT_EQ(runCommand(m + "-crop 2x5+3+3 +repage PICT:" + quoted(folder.file("narrow.pict")) +
                         " 2>/dev/null"),
              0);
    const TestImage narrow =
        fromPnm(runCapture(magick() + " " + quoted(ppm) + " -crop 2x5+3+3 +repage ppm:-"));
    EXPECT_EQ(ourRgb(folder.file("narrow.pict")), narrow);
    // ppmtopict keeps the colours exactly (200 of them fit its table).
    if (haveTool("ppmtopict"))
    {
        const TestImage source =
            fromPnm(runCapture(magick() + " " + quoted(ppm) + " -colors 200 ppm:-"));
        const TestImage ours = ourRgb(folder.file("netpbm.pict"));
        EXPECT_EQ(ours, source) << firstDifference(ours, source);
    }
}

TEST(PictTools, GeneratedPicturesDecodeAsImageMagickAndPicttoppmDo)
{
    const bool magickThere = haveTool("convert");
    const bool netpbmThere = haveTool("picttoppm");
    if (!magickThere && !netpbmThere)
        GTEST_SKIP() << "skipped: neither ImageMagick nor picttoppm is installed";
    ScratchFolder folder;
    for (const GeneratedPicture& picture : generatedPictures())
    {
        SCOPED_TRACE(picture.name);
        const std::string path = folder.file(picture.name);
        ASSERT_TRUE(writeFileBytes(path, picture.bytes));
        const TestImage ours = ourRgb(path);
        ASSERT_GT(ours.width, 0);
        if (magickThere && picture.imageMagickReads)
        {
            const TestImage theirs = magickRgb(path);
            EXPECT_EQ(ours, theirs) << "ImageMagick: " << firstDifference(ours, theirs);
        }
        if (netpbmThere)
        {
            const TestImage theirs = picttoppmRgb(path);
            EXPECT_EQ(ours, theirs) << "picttoppm: " << firstDifference(ours, theirs);
        }
    }
}

namespace
{

// Where the opcodes of a version-2 picture as the tools write it stop to
// let the raster come: after the version, the header opcode and the clip
// region. 0 when the picture does not begin so.
std::size_t endOfClipRegion(const Bytes& bytes)
{
    const auto u16 = [&](std::size_t at) {
        return at + 1 < bytes.size() ? (std::size_t{bytes[at]} << 8 | bytes[at + 1]) : std::size_t{0};
    };
    std::size_t at = 512 + 2 + 8;  // the picture size and frame
    if (u16(at) != 0x0011 || u16(at + 2) != 0x02FF || u16(at + 4) != 0x0C00)
        return 0;
    at += 6 + 24;
    if (u16(at) != 0x0001)
        return 0;
    return at + 2 + u16(at + 2);
}

} // namespace

TEST(PictTools, PicturesWhoseOpcodesStopBeforeTheEndOpcodeAreRefused)
{
    OMVI_REQUIRE_TOOL("convert");
    ScratchFolder folder;
    const TestImage colour = patternImage(40, 30, 3, 5);
    const std::string ppm = folder.file("in.ppm");
    ASSERT_TRUE(writeFileBytes(ppm, toPnm(colour)));
    const std::string m = magick() + " " + quoted(ppm) + " ";
    // A direct pixel map (DirectBitsRect) and an indexed one (PackBitsRect).
    std::vector<std::pair<std::string, std::string>> files = {
        {"direct.pict", m + "PICT:" + quoted(folder.file("direct.pict"))},
        {"palette.pict", m + "-colors 60 -type Palette PICT:" + quoted(folder.file("palette.pict"))},
    };
    if (haveTool("ppmtopict"))
        files.push_back({"netpbm.pict", m + "-colors 200 ppm:- | ppmtopict > " + quoted(folder.file("netpbm.pict"))});
    for (const auto& [name, command] : files)
    {
        SCOPED_TRACE(name);
        ASSERT_EQ(runCommand(command + " 2>/dev/null"), 0) << command;
        const Bytes whole = readFileBytes(folder.file(name));
        const TestImage ours = ourRgb(folder.file(name));
        ASSERT_GT(ours.width, 0);
        EXPECT_EQ(ours, magickRgb(folder.file(name)));
        ASSERT_GE(whole.size(), 2u);
        ASSERT_EQ(whole[whole.size() - 2], 0x00);
        ASSERT_EQ(whole[whole.size() - 1], 0xFF);

        // Cut right after the clip region (no raster at all), two bytes
        // either side of it, and without the end opcode alone.
        const std::size_t clipEnd = endOfClipRegion(whole);
        ASSERT_GT(clipEnd, 0u);
        ASSERT_TRUE(whole[clipEnd] == 0x00 && (whole[clipEnd + 1] == 0x98 || whole[clipEnd + 1] == 0x9A));
        for (const std::size_t kept : {clipEnd, clipEnd - 2, clipEnd + 2, whole.size() - 2})
        {
            SCOPED_TRACE(kept);
            OpenedPict opened = openPict(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(kept)));
            ASSERT_TRUE(opened.frame);
            EXPECT_EQ(std::unique_ptr<RowIteratorInterface>(opened.frame->newRowIterator()), nullptr);
        }
    }
}

TEST(PictTools, RowsWhosePackedLengthsAreOfTheOtherWidthAreRead)
{
    // ImageMagick (and netpbm from 202) write 16-bit lengths on palette
    // rows of 201 to 250 bytes, ImageMagick 8-bit ones on 32-bit rows of
    // 252 to 264 bytes; the neighbouring widths keep to the row bytes' rule.
    OMVI_REQUIRE_TOOL("convert");
    ScratchFolder folder;
    // Each picture holds the colours it was made of (quantised ones for
    // palettes), as ImageMagick also reads them.
    const auto check = [&](const std::string& name, const std::string& make,
                           const std::string& source)
    {
        SCOPED_TRACE(name);
        const std::string path = folder.file(name);
        ASSERT_EQ(runCommand(make + quoted(path) + " 2>/dev/null"), 0) << make;
        const TestImage expected = fromPnm(runCapture(magick() + " " + quoted(source) + " ppm:-"));
        const TestImage ours = ourRgb(path);
        EXPECT_EQ(ours, expected) << firstDifference(ours, expected);
        // ImageMagick fails on netpbm's picture of 201 pixels alone.
        const TestImage theirs = magickRgb(path);
        if (theirs.width > 0)
        {
            EXPECT_EQ(ours, theirs) << "ImageMagick: " << firstDifference(ours, theirs);
        }
    };
    for (int width : {200, 201, 202, 226, 250, 251})
    {
        const std::string ppm = folder.file("p.ppm");
        const std::string quantised = folder.file("q.ppm");
        const TestImage colour = patternImage(width, 9, 3, static_cast<unsigned>(width));
        ASSERT_TRUE(writeFileBytes(ppm, toPnm(colour)));
        ASSERT_EQ(runCommand(magick() + " " + quoted(ppm) + " -colors 60 " + quoted(quantised)), 0);
        const std::string name = std::to_string(width) + ".pict";
        check("palette" + name, magick() + " " + quoted(quantised) + " -type Palette PICT:", quantised);
        if (haveTool("ppmtopict"))
            check("netpbm" + name, "ppmtopict " + quoted(quantised) + " > ", quantised);
    }
    for (int width : {62, 63, 64, 66, 67})
    {
        const std::string ppm = folder.file("d.ppm");
        const TestImage colour = patternImage(width, 40, 3, static_cast<unsigned>(width));
        ASSERT_TRUE(writeFileBytes(ppm, toPnm(colour)));
        check("direct" + std::to_string(width) + ".pict", magick() + " " + quoted(ppm) + " PICT:",
              ppm);
    }
}
