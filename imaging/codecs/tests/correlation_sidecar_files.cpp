// World, resource and tab files beside an image: which files are found,
// what is read from them, what is written, and how damaged files are
// refused.
#include "imaging/codecs/tests/SharedTestSupport.h"

#include "imaging/OMVIException.h"
#include "imaging/codecs/bmp/BmpFormatCodec.h"
#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/correlation/ResourceCorrelation.h"
#include "imaging/codecs/correlation/ResourceFileFormat.h"
#include "imaging/codecs/correlation/SideCarPath.h"
#include "imaging/codecs/correlation/TabCorrelation.h"
#include "imaging/codecs/correlation/WorldCorrelation.h"
#include "imaging/models/RgbColor.h"
#include "imaging/tests/ToolCheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <sstream>
#include <sys/stat.h>

using namespace Omvi;
using OmviTest::ScratchFolder;

namespace
{

FileSpecifier fileSpecifier(const std::string& path)
{
    return FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile);
}

std::string sideCarName(const FormatCodecExternalCorrelation& correlation)
{
    FileSpecifier file;
    correlation.getSideCarFile(file);
    return SideCarPath::split(file.path().text()).base + SideCarPath::split(file.path().text()).extension;
}

// Reads the world file beside `image` for an image of that size.
FormatCodecWorldCorrelation readWorld(const ScratchFolder& folder, const std::string& image, int height,
                                      int width)
{
    static BmpFormatCodec codec;
    FormatCodecWorldCorrelation world(&codec, fileSpecifier(folder.file(image)), nullptr);
    world.setImageSize(height, width);
    world.read();
    return world;
}

std::string padded(std::string text, std::size_t size)
{
    text.resize(size, ' ');
    return text;
}

std::string expectThrownMessage(const std::function<void()>& action, std::int32_t code)
{
    try
    {
        action();
    }
    catch (OMVIException* thrown)
    {
        OwnedException failure(thrown);
        EXPECT_NE(dynamic_cast<FileIOException*>(thrown), nullptr);
        EXPECT_EQ(failure->code(), code);
        return failure->getMessage().text();
    }
    ADD_FAILURE() << "nothing thrown";
    return {};
}

} // namespace

TEST(SideCarNames, WorldFileExtensionsFollowTheImageExtension)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(SideCarPath::worldFileExtensions(".tif"), (V{".tfw", ".tiw"}));
    EXPECT_EQ(SideCarPath::worldFileExtensions(".jpeg"), (V{".jpew", ".jpegw"}));
    EXPECT_EQ(SideCarPath::worldFileExtensions(".TIF"), (V{".TFw", ".TIw"}));
    EXPECT_EQ(SideCarPath::worldFileExtensions(""), (V{"w"}));
    EXPECT_EQ(SideCarPath::worldFileExtensions(".w"), (V{".ww"}));  // ".w" itself is not tried
    EXPECT_EQ(SideCarPath::caseVariants(".TFw"), (V{".TFw", ".tfw", ".TFW"}));
    EXPECT_EQ(SideCarPath::caseVariants(".res"), (V{".res", ".RES"}));

    const auto parts = SideCarPath::split("C:\\maps\\sheet.one.tif");
    EXPECT_EQ(parts.folder, "C:\\maps\\");
    EXPECT_EQ(parts.base, "sheet.one");
    EXPECT_EQ(parts.extension, ".tif");
    EXPECT_EQ(SideCarPath::split("D:plan").folder, "D:");
    EXPECT_EQ(SideCarPath::split("dir.d/plan").extension, "");
}

TEST(WorldFile, FoundBesideTheImageInTheOrderOfItsCandidates)
{
    ScratchFolder folder;
    BmpFormatCodec codec;
    const auto lookup = [&](const std::string& image) {
        const FormatCodecWorldCorrelation world(&codec, fileSpecifier(folder.file(image)), nullptr);
        return world.isValid() ? sideCarName(world) : std::string("none");
    };
    EXPECT_EQ(lookup("a.tif"), "none");
    folder.write("a.tiw", "x");
    EXPECT_EQ(lookup("a.tif"), "a.tiw");
    folder.write("a.tfw", "x");
    EXPECT_EQ(lookup("a.tif"), "a.tfw");

    folder.write("a.jpegw", "x");
    EXPECT_EQ(lookup("a.jpeg"), "a.jpegw");
    folder.write("a.jpew", "x");
    EXPECT_EQ(lookup("a.jpeg"), "a.jpew");

    // Names differ in case on this file system: exact, lower, upper.
    folder.write("b.TFW", "x");
    EXPECT_EQ(lookup("b.TIF"), "b.TFW");
    folder.write("b.tfw", "x");
    EXPECT_EQ(lookup("b.TIF"), "b.tfw");

    // A folder of that name is not a world file.
    ::mkdir(folder.file("c.tfw").c_str(), 0700);
    EXPECT_EQ(lookup("c.tif"), "none");
    // Nor is anything found for an image that is no file.
    const FormatCodecWorldCorrelation stream(&codec, FileSpecifier(), nullptr);
    EXPECT_FALSE(stream.isValid());
}

TEST(WorldFile, TheReferenceValuesGiveTheLowerLeftCornerAndUnitPixels)
{
    ScratchFolder folder;
    folder.write("map.tfw", "1\n0\n0\n-1\n0.5\n99.5\n");
    const FormatCodecWorldCorrelation world = readWorld(folder, "map.tif", 100, 200);
    ASSERT_TRUE(world.isValid());
    Point3d origin;
    world.getOrigin(origin);
    EXPECT_NEAR(origin.x, 0.0, 1e-12);
    EXPECT_NEAR(origin.y, 0.0, 1e-12);
    Vector2d vector;
    world.getPixelSize(vector);
    EXPECT_NEAR(vector.x, 1.0, 1e-12);
    EXPECT_NEAR(vector.y, 1.0, 1e-12);
    world.getScale(vector);
    EXPECT_EQ(vector, Vector2d(1, 1));
    double rotation = -1;
    EXPECT_NEAR(world.getRotation(rotation), 0.0, 1e-12);
    std::int32_t unit = -1;
    EXPECT_EQ(world.getUnit(unit), 0);
}

TEST(WorldFile, WritingTheReferenceCorrelationReproducesItsSixValues)
{
    ScratchFolder folder;
    FormatCodecWorldCorrelation world(fileSpecifier(folder.file("out.tif")));
    EXPECT_FALSE(world.isValid());
    world.setPixelSize(Vector2d(1, 1));  // any setter makes it valid
    EXPECT_TRUE(world.isValid());
    world.setOrigin({0, 0, 0});
    world.setImageSize(100, 200);
    world.write();
    const std::string text = folder.read("out.tfw");
    std::istringstream lines(text);
    std::vector<double> values;
    for (std::string line; std::getline(lines, line);)
    {
        EXPECT_EQ(line.size(), 37u) << line;
        values.push_back(std::stod(line));
    }
    EXPECT_EQ(values, (std::vector<double>{1, 0, 0, -1, 0.5, 99.5}));
    EXPECT_NE(text.find("                     0.50000000000000\n"), std::string::npos);
}

TEST(WorldFile, TurnedAndScaledCorrelationsRoundTrip)
{
    ScratchFolder folder;
    FormatCodecWorldCorrelation written(fileSpecifier(folder.file("turned.png")));
    written.setOrigin({1000.25, -250.5, 0});
    written.setPixelSize(Vector2d(0.5, 0.25));
    written.setScale(Vector2d(2, 2));
    written.setRotation(0.3);
    written.setImageSize(40, 60);
    written.write();
    ASSERT_TRUE(folder.exists("turned.pgw"));

    const FormatCodecWorldCorrelation read = readWorld(folder, "turned.png", 40, 60);
    ASSERT_TRUE(read.isValid());
    Point3d origin;
    read.getOrigin(origin);
    EXPECT_NEAR(origin.x, 1000.25, 1e-9);
    EXPECT_NEAR(origin.y, -250.5, 1e-9);
    Vector2d size;
    read.getPixelSize(size);
    EXPECT_NEAR(size.x, 1.0, 1e-12);  // scale folded into the pixel size
    EXPECT_NEAR(size.y, 0.5, 1e-12);
    double rotation = 0;
    EXPECT_NEAR(read.getRotation(rotation), 0.3, 1e-12);
}

TEST(WorldFile, OppositeRotationTermsAreReadWithBNegated)
{
    ScratchFolder folder;
    // A quarter turn written the usual way: A=0, D=1, B=1, E=0 has the same
    // signs; with B=-1 the terms disagree and B is taken as +1.
    folder.write("q.tfw", "0\n1\n-1\n0\n0\n0\n");
    const FormatCodecWorldCorrelation world = readWorld(folder, "q.tif", 1, 1);
    ASSERT_TRUE(world.isValid());
    double rotation = 0;
    EXPECT_NEAR(world.getRotation(rotation), M_PI / 2, 1e-12);
    Point3d origin;
    world.getOrigin(origin);
    // With B = +1: L = (C + B*r - A/2, F + E*r - D/2) = (0.5, -0.5).
    EXPECT_NEAR(origin.x, 0.5, 1e-12);
    EXPECT_NEAR(origin.y, -0.5, 1e-12);
}

TEST(WorldFile, DamagedFilesAreNotRead)
{
    ScratchFolder folder;
    const std::vector<std::pair<std::string, std::string>> files = {
        {"empty", ""},
        {"five numbers", "1\n0\n0\n-1\n0.5\n"},
        {"a word", "1\n0\nzero\n-1\n0.5\n99.5\n"},
        {"one line", "1 0 0 -1 0.5 99.5"},
        {"1024 bytes", padded("1\n0\n0\n-1\n0.5\n99.5\n", 1024)},
    };
    for (const auto& [what, text] : files)
    {
        folder.write("d.tfw", text);
        EXPECT_FALSE(readWorld(folder, "d.tif", 10, 10).isValid()) << what;
    }
    // 1023 bytes still are, CR LF lines and blank lines between them too.
    folder.write("d.tfw", padded("1\r\n\r\n0\r\n0\r\n-1\r\n0.5\r\n99.5\r\n", 1023));
    EXPECT_TRUE(readWorld(folder, "d.tif", 10, 10).isValid());
    // Without the image size no corner can be placed.
    EXPECT_FALSE(readWorld(folder, "d.tif", 0, 10).isValid());
    // A failed read leaves nothing for a later one to read.
    FormatCodecWorldCorrelation twice = readWorld(folder, "d.tif", 10, 10);
    twice.setImageSize(10, 0);
    twice.read();
    EXPECT_FALSE(twice.isValid());
    twice.setImageSize(10, 10);
    twice.read();
    EXPECT_FALSE(twice.isValid());
}

TEST(WorldFile, NamesAndFoldersOfWrittenFiles)
{
    ScratchFolder folder;
    ScratchFolder other;
    FormatCodecWorldCorrelation upper(fileSpecifier(folder.file("SCAN.TIF")));
    StringBuffer name;
    EXPECT_EQ(upper.getSideCarName(name).text(), "SCAN.TFW");

    FormatCodecWorldCorrelation moved(fileSpecifier(folder.file("scan.tif")));
    moved.setOutputFolder(fileSpecifier(other.path() + "/"));
    moved.setUnit(0);
    moved.setImageSize(1, 1);
    moved.write();
    EXPECT_TRUE(other.exists("scan.tfw"));
    EXPECT_FALSE(folder.exists("scan.tfw"));

    FormatCodecWorldCorrelation nowhere(fileSpecifier("/nonexistent-folder/scan.tif"));
    nowhere.setUnit(0);
    EXPECT_EQ(expectThrownMessage([&] { nowhere.write(); }, 5), "File Create Error");
}

TEST(ResourceFile, VersionOneRoundTripsThroughItsScrambledRecord)
{
    ScratchFolder folder;
    FormatCodecResourceCorrelation written(fileSpecifier(folder.file("line.rlc")));
    written.setBitsPerPixel(1);
    written.setOrigin({12.5, -3.25, 0});
    written.setScale(Vector2d(2, 2));
    written.setPixelSize(Vector2d(0.25, 0.25));
    EXPECT_TRUE(written.setTransparentPixel(ImagePixel(kPixelPalette, 1)));
    written.setImageSize(30, 40);
    written.write();
    const std::string bytes = folder.read("line.res");
    ASSERT_EQ(bytes.size(), 264u);
    EXPECT_EQ(bytes.compare(0, 17, "DAV RESOURCE FILE"), 0);
    EXPECT_EQ(bytes.substr(26, 2), "II");

    BmpFormatCodec codec;
    FormatCodecResourceCorrelation read(&codec, fileSpecifier(folder.file("line.rlc")), nullptr);
    ASSERT_TRUE(read.isValid());
    read.setImageSize(30, 40);
    read.read();
    ASSERT_TRUE(read.isValid());
    Point3d origin;
    read.getOrigin(origin);
    EXPECT_EQ(origin, (Point3d{12.5, -3.25, 0}));
    Vector2d vector;
    EXPECT_EQ(read.getScale(vector), Vector2d(2, 2));
    EXPECT_EQ(read.getPixelSize(vector), Vector2d(0.25, 0.25));
    ImagePixel transparent;
    EXPECT_TRUE(read.getTransparentPixel(transparent));
    EXPECT_EQ(transparent, ImagePixel(kPixelPalette, 1));
}

TEST(ResourceFile, VersionTwoCarriesTheOriginScaleAndTransparentColour)
{
    ScratchFolder folder;
    FormatCodecResourceCorrelation written(fileSpecifier(folder.file("photo.jpg")));
    written.setBitsPerPixel(24);
    written.setOrigin({100, 200, 0});
    written.setScale(Vector2d(0.5, 0.75));
    EXPECT_FALSE(written.setTransparentPixel(ImagePixel(kPixelPalette, 3)));
    EXPECT_TRUE(written.setTransparentPixel(ImagePixel(kPixelRgb, RgbColor(10, 20, 30, 0).value)));
    written.write();
    const std::string bytes = folder.read("photo.res");
    ASSERT_EQ(bytes.size(), 174u);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    EXPECT_EQ(ByteOrder::littleEndian16(data + 28), 2);
    EXPECT_EQ(ByteOrder::littleEndian16(data + 44), 8);
    EXPECT_EQ(ByteOrder::littleEndian16(data + 46), 286);
    EXPECT_EQ(ByteOrder::littleEndian32(data + 46 + 8), 142u);
    EXPECT_EQ(ByteOrder::littleEndian32(data + 46 + 4 * 12 + 8), 1u);  // top byte 0
    EXPECT_EQ(data[46 + 5 * 12 + 8], 10);
    EXPECT_EQ(ByteOrder::littleEndianDouble(data + 166), 0.75);

    BmpFormatCodec codec;
    FormatCodecResourceCorrelation read(&codec, fileSpecifier(folder.file("photo.jpg")), nullptr);
    read.setImageSize(10, 10);
    read.read();
    ASSERT_TRUE(read.isValid());
    Point3d origin;
    EXPECT_EQ(read.getOrigin(origin), (Point3d{100, 200, 0}));
    Vector2d scale;
    EXPECT_EQ(read.getScale(scale), Vector2d(0.5, 0.75));
    ImagePixel transparent;
    read.getTransparentPixel(transparent);
    EXPECT_EQ(transparent.kind, kPixelRgb);
    EXPECT_EQ(RgbColor(static_cast<std::uint32_t>(transparent.value)), RgbColor(10, 20, 30, 255));
}

TEST(ResourceFile, TransparentPixelsFitTheImageDepth)
{
    FormatCodecResourceCorrelation correlation(fileSpecifier("/tmp/x.tif"));
    correlation.setBitsPerPixel(4);
    EXPECT_FALSE(correlation.setTransparentPixel(ImagePixel(kPixelRgb, 0)));
    EXPECT_FALSE(correlation.setTransparentPixel(ImagePixel(kPixelPalette, 0)));
    correlation.setBitsPerPixel(1);
    EXPECT_TRUE(correlation.setTransparentPixel(ImagePixel(kPixelRgb, 0)));
    EXPECT_TRUE(correlation.setTransparentPixel(ImagePixel(kPixelBitonal, 1)));
    correlation.setBitsPerPixel(8);
    EXPECT_TRUE(correlation.setTransparentPixel(ImagePixel(kPixelRgb, 5)));
}

namespace
{

// A version 1 file holding one record given in little-endian order; the
// record is stored big-endian (converted by the layout) when asked.
std::string resourceFile(std::uint8_t record[ResourceFileFormat::kRecordSize], bool bigEndian)
{
    std::string bytes(40 + 16 + 208, '\0');
    auto* data = reinterpret_cast<std::uint8_t*>(bytes.data());
    std::memcpy(data, ResourceFileFormat::kMagic, 20);
    data[26] = 'I';
    data[27] = 'I';
    ByteOrder::putLittleEndian16(data + 28, 1);
    ByteOrder::putLittleEndian16(data + 30, 1);
    ByteOrder::putLittleEndian32(data + 32, 40);
    ByteOrder::putLittleEndian32(data + 36, 16);
    ByteOrder::putLittleEndian16(data + 40, 0x0102);
    data[44] = bigEndian ? 'M' : 'I';
    data[45] = bigEndian ? 'M' : 'I';
    ByteOrder::putLittleEndian32(data + 48, 56);
    ByteOrder::putLittleEndian32(data + 52, 208);
    if (bigEndian)
        ResourceFileFormat::convertByteOrder(2, record, ResourceFileFormat::kRecordSize);
    ResourceFileFormat::scramble(record);
    std::memcpy(data + 56, record, 208);
    return bytes;
}

void fillRecord(std::uint8_t record[208], double x, double y, double scale, double divisor, double degrees,
                std::int16_t quarterTurns)
{
    std::memset(record, 0, 208);
    ByteOrder::putLittleEndianDouble(record + 8, x);
    ByteOrder::putLittleEndianDouble(record + 16, y);
    ByteOrder::putLittleEndianDouble(record + 24, scale);
    ByteOrder::putLittleEndianDouble(record + 32, divisor);
    ByteOrder::putLittleEndianDouble(record + 40, degrees);
    ByteOrder::putLittleEndian16(record + 52, static_cast<std::uint16_t>(quarterTurns));
    record[56] = 7;
}

FormatCodecResourceCorrelation readResource(const ScratchFolder& folder, int height, int width)
{
    static BmpFormatCodec codec;
    FormatCodecResourceCorrelation read(&codec, fileSpecifier(folder.file("r.tif")), nullptr);
    read.setImageSize(height, width);
    read.read();
    return read;
}

} // namespace

TEST(ResourceFile, BigEndianRecordsAndQuarterTurns)
{
    ScratchFolder folder;
    std::uint8_t record[208];
    fillRecord(record, 10, 20, 2, 4, 0, 1);
    folder.write("r.res", resourceFile(record, true));
    const FormatCodecResourceCorrelation turned = readResource(folder, 30, 50);
    ASSERT_TRUE(turned.isValid());
    double rotation = 0;
    EXPECT_EQ(turned.getRotation(rotation), M_PI / 2);
    Point3d origin;
    turned.getOrigin(origin);
    // Moved along x by the image's height in model units: 30 * 0.25 * 2.
    EXPECT_EQ(origin, (Point3d{25, 20, 0}));
    Vector2d size;
    EXPECT_EQ(turned.getPixelSize(size), Vector2d(0.25, 0.25));
    ImagePixel transparent;
    turned.getTransparentPixel(transparent);
    EXPECT_EQ(transparent, ImagePixel(kPixelPalette, 7));

    fillRecord(record, 10, 20, 1, 0, 0, 2);  // a divisor of 0 means 1
    folder.write("r.res", resourceFile(record, false));
    const FormatCodecResourceCorrelation halfTurn = readResource(folder, 30, 50);
    halfTurn.getOrigin(origin);
    EXPECT_EQ(origin, (Point3d{60, 50, 0}));
    EXPECT_EQ(halfTurn.getPixelSize(size), Vector2d(1, 1));

    // Outside quarter-turn mode 4 the quarter turns do not count.
    BmpFormatCodec codec;
    FormatCodecResourceCorrelation plain(&codec, fileSpecifier(folder.file("r.tif")), nullptr);
    plain.setQuarterTurnMode(0);
    plain.setImageSize(30, 50);
    plain.read();
    EXPECT_EQ(plain.getRotation(rotation), 0.0);
    fillRecord(record, 0, 0, 1, 1, 90, 0);
    folder.write("r.res", resourceFile(record, false));
    EXPECT_NEAR(readResource(folder, 1, 1).getRotation(rotation), M_PI / 2, 1e-15);
}

TEST(ResourceFile, ForeignAndDamagedFilesAreIgnored)
{
    ScratchFolder folder;
    std::uint8_t record[208];
    fillRecord(record, 1, 2, 1, 1, 0, 0);
    const std::string good = resourceFile(record, false);
    folder.write("r.res", good);
    ASSERT_TRUE(readResource(folder, 1, 1).isValid());
    for (std::size_t i = 0; i < 20; ++i)
    {
        std::string changed = good;
        changed[i] ^= 0x20;
        folder.write("r.res", changed);
        EXPECT_FALSE(readResource(folder, 1, 1).isValid()) << "magic byte " << i;
    }
    for (std::size_t length : {0, 39, 55, 100, 263})
    {
        folder.write("r.res", good.substr(0, length));
        EXPECT_FALSE(readResource(folder, 1, 1).isValid()) << length << " bytes";
    }
    std::string version3 = good;
    version3[28] = 3;
    folder.write("r.res", version3);
    EXPECT_FALSE(readResource(folder, 1, 1).isValid());
    std::string otherEntry = good;
    otherEntry[40] = 0x03;  // not a correlation record
    folder.write("r.res", otherEntry);
    EXPECT_FALSE(readResource(folder, 1, 1).isValid());
    std::string manyEntries = good;
    manyEntries[30] = 0x7F;  // entries past the end of the file
    folder.write("r.res", manyEntries);
    EXPECT_FALSE(readResource(folder, 1, 1).isValid());
    std::string farRecord = good;
    ByteOrder::putLittleEndian32(reinterpret_cast<std::uint8_t*>(farRecord.data()) + 48, 0xFFFFFFF0);
    folder.write("r.res", farRecord);
    EXPECT_FALSE(readResource(folder, 1, 1).isValid());
}

TEST(ResourceFile, WritingReplacesTheWholeFileAndRemovesItOnFailure)
{
    ScratchFolder folder;
    folder.write("w.res", std::string(4000, 'x'));
    FormatCodecResourceCorrelation correlation(fileSpecifier(folder.file("w.tif")));
    correlation.setBitsPerPixel(24);
    correlation.setUnit(0);
    correlation.write();
    EXPECT_EQ(folder.read("w.res").size(), 174u);  // not 4000: the old tail is gone

    FormatCodecResourceCorrelation noDepth(fileSpecifier(folder.file("w.tif")));
    noDepth.setUnit(0);
    EXPECT_EQ(expectThrownMessage([&] { noDepth.write(); }, 5), "Write file error");
    EXPECT_TRUE(folder.exists("w.res"));  // an existing file is kept when nothing can be written

    FormatCodecResourceCorrelation nowhere(fileSpecifier("/nonexistent-folder/w.tif"));
    nowhere.setBitsPerPixel(1);
    EXPECT_EQ(expectThrownMessage([&] { nowhere.write(); }, 5), "File Create Error");

    // Output name and folder: the file takes the output name's base name.
    ScratchFolder other;
    FormatCodecResourceCorrelation renamed(fileSpecifier(folder.file("w.tif")));
    renamed.setBitsPerPixel(1);
    renamed.setOutputFolder(fileSpecifier(other.file("anything.tif")));
    renamed.setOutputName(AsciiStringBuffer("/x/y/final.png"));
    renamed.write();
    EXPECT_TRUE(other.exists("final.res"));
    FormatCodecResourceCorrelation unnamed(fileSpecifier(folder.file("v.tif")));
    unnamed.setBitsPerPixel(1);
    unnamed.setOutputFolder(fileSpecifier(other.path() + "/"));
    unnamed.write();
    EXPECT_TRUE(other.exists("v.res"));  // not ".res"
}

TEST(ResourceFile, ScramblingAndLayoutsAreExactInverses)
{
    std::uint8_t record[208];
    for (int i = 0; i < 208; ++i)
        record[i] = static_cast<std::uint8_t>(i * 37 + 11);
    std::uint8_t copy[208];
    std::memcpy(copy, record, sizeof copy);
    ResourceFileFormat::scramble(copy);
    EXPECT_NE(std::memcmp(copy, record, 208), 0);
    // Byte i lands at (i + 10) mod 208, rotated right by three bits.
    EXPECT_EQ(copy[10], static_cast<std::uint8_t>((record[0] >> 3) | (record[0] << 5)));
    ResourceFileFormat::unscramble(copy);
    EXPECT_EQ(std::memcmp(copy, record, 208), 0);

    ResourceFileFormat::convertByteOrder(2, copy, sizeof copy);
    EXPECT_EQ(copy[0], record[1]);   // the first short swapped
    EXPECT_EQ(copy[8], record[15]);  // the first double reversed
    EXPECT_EQ(copy[60], record[63]); // the long at 60
    EXPECT_EQ(copy[64], record[64]); // the skipped tail
    ResourceFileFormat::convertByteOrder(2, copy, sizeof copy);
    EXPECT_EQ(std::memcmp(copy, record, 208), 0);

    // Layouts without entries, unknown indexes and short buffers change
    // nothing past the buffer.
    ResourceFileFormat::convertByteOrder(0, copy, sizeof copy);
    ResourceFileFormat::convertByteOrder(25, copy, sizeof copy);
    ResourceFileFormat::convertByteOrder(-1, copy, sizeof copy);
    EXPECT_EQ(std::memcmp(copy, record, 208), 0);
    std::vector<std::uint8_t> small(record, record + 5);
    ResourceFileFormat::convertByteOrder(19, small.data(), small.size());
    EXPECT_EQ(small[0], record[1]);
    EXPECT_EQ(small[4], record[4]);
}

namespace
{

FormatCodecTabCorrelation readTab(const ScratchFolder& folder, int height)
{
    static BmpFormatCodec codec;
    FormatCodecTabCorrelation tab(&codec, fileSpecifier(folder.file("t.bmp")), nullptr);
    tab.setImageSize(height, 100);
    tab.read();
    return tab;
}

} // namespace

TEST(TabFile, ControlPointsGiveOriginAndPixelSize)
{
    ScratchFolder folder;
    BmpFormatCodec codec;
    const FormatCodecTabCorrelation absent(&codec, fileSpecifier(folder.file("t.bmp")), nullptr);
    EXPECT_FALSE(absent.isValid());
    EXPECT_TRUE(absent.name().isEmpty());  // texts come only with a file

    // Two metres a pixel; row 0 lies at y = 1000, rows running down.
    folder.write("t.tab", "!table\n"
                          "Definition Table\n"
                          "  Type \"RASTER\"\n"
                          "  (500, 1000) (0, 0) Label \"Pt 1\",\r\n"
                          "  (700, 1000) (100, 0) Label \"Pt 2\",\n"
                          "  (500, 800) (0, 100) Label \"Pt 3\"\n");
    const FormatCodecTabCorrelation tab = readTab(folder, 100);
    ASSERT_TRUE(tab.isValid());
    EXPECT_EQ(tab.name().text(), "Tab File Correlation");
    Point3d origin;
    tab.getOrigin(origin);
    EXPECT_DOUBLE_EQ(origin.x, 500 - 0.5 * 2);
    // origin.y + height / ky - 0.5 / ky with ky = -0.5 pixels a unit.
    EXPECT_DOUBLE_EQ(origin.y, 1000 - 200 + 1);
    Vector2d size;
    tab.getPixelSize(size);
    EXPECT_DOUBLE_EQ(size.x, 2);
    EXPECT_DOUBLE_EQ(size.y, 2);
}

TEST(TabFile, PointLimitsAndDegenerateFiles)
{
    ScratchFolder folder;
    folder.write("t.tab", "!only comments\n\ntype raster\n");
    EXPECT_FALSE(readTab(folder, 10).isValid());

    // All points in one column: the column factor stays at its start (1).
    folder.write("t.tab", "(5, 0) (3, 0)\n(5, 10) (3, 20)\n");
    FormatCodecTabCorrelation oneColumn = readTab(folder, 10);
    ASSERT_TRUE(oneColumn.isValid());
    Vector2d size;
    oneColumn.getPixelSize(size);
    EXPECT_DOUBLE_EQ(size.x, 1);
    EXPECT_DOUBLE_EQ(size.y, 0.5);

    // 150 points: the first 100 decide. Points 0-99 step one column a unit,
    // the later ones ten columns a unit.
    std::string text;
    for (int i = 0; i < 150; ++i)
        text += "(" + std::to_string(i) + ", 0) (" + std::to_string(i < 100 ? i : 99 + 10 * (i - 99)) + ", " +
                std::to_string(i) + ")\n";
    folder.write("t.tab", text);
    FormatCodecTabCorrelation hundred = readTab(folder, 10);
    ASSERT_TRUE(hundred.isValid());
    hundred.getPixelSize(size);
    EXPECT_DOUBLE_EQ(size.x, 1);

    // A file of 1 MiB or more is ignored.
    folder.write("t.tab", "(0,0) (0,0)\n(1,1) (1,1)\n" + std::string(1 << 20, ' '));
    EXPECT_FALSE(readTab(folder, 10).isValid());
    // Numbers that do not parse are no points.
    folder.write("t.tab", "(a, 0) (0, 0)\n(1, 1) (99999999999999999999999, 1)\n");
    EXPECT_FALSE(readTab(folder, 10).isValid());
}

TEST(WorldFile, ReadByGdalAndReadingWhatItWrites)
{
    OMVI_REQUIRE_TOOL("gdalinfo");
    ScratchFolder folder;
    // Our world file beside a small image: gdalinfo reports its origin.
    ASSERT_EQ(OmviTest::runCommand("cd '" + folder.path() +
                                   "' && convert -size 20x10 xc:gray g.png >/dev/null 2>&1"),
              0);
    FormatCodecWorldCorrelation world(fileSpecifier(folder.file("g.png")));
    world.setOrigin({1000, 2000, 0});
    world.setPixelSize(Vector2d(2, 2));
    world.setImageSize(10, 20);
    world.write();
    ASSERT_EQ(OmviTest::runCommand("gdalinfo '" + folder.file("g.png") + "' > '" + folder.file("info.txt") + "'"),
              0);
    const std::string info = folder.read("info.txt");
    EXPECT_NE(info.find("Origin = (1000.000000000000000,2020.000000000000000)"), std::string::npos) << info;
    EXPECT_NE(info.find("Pixel Size = (2.000000000000000,-2.000000000000000)"), std::string::npos) << info;

    // A world file written by the GDAL tools is read back. (Their PNG
    // driver names its world file ".wld", which is no candidate of ours; the
    // TIFF driver's ".tfw" is.)
    ASSERT_EQ(OmviTest::runCommand("cd '" + folder.path() +
                                   "' && gdal_translate -q -of GTiff -co TFW=YES -a_ullr 0 100 200 0 g.png h.tif"),
              0);
    ASSERT_TRUE(folder.exists("h.tfw"));
    const FormatCodecWorldCorrelation read = readWorld(folder, "h.tif", 10, 20);
    ASSERT_TRUE(read.isValid());
    Point3d origin;
    read.getOrigin(origin);
    EXPECT_NEAR(origin.x, 0, 1e-9);
    EXPECT_NEAR(origin.y, 0, 1e-9);
    Vector2d size;
    read.getPixelSize(size);
    EXPECT_NEAR(size.x, 10, 1e-9);
    EXPECT_NEAR(size.y, 10, 1e-9);
}
