// The RLC codec on files the test generator writes from PBM images: run
// lists, rasters listed by the trailer and referenced in other files,
// placement, reference and edit records, and damaged files.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/rlc/RlcFormatCodec.h"
#include "imaging/codecs/rlc/RlcProperties.h"
#include "imaging/codecs/rlc/RlcReadFile.h"
#include "imaging/codecs/tests/CalsTestSupport.h"
#include "imaging/codecs/tests/CcittTiffSupport.h"
#include "imaging/codecs/tests/CodecTestFiles.h"
#include "imaging/codecs/tests/ContainerTestSupport.h"
#include "imaging/codecs/tests/MemoryFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace
{

using namespace Omvi;
using OmviTest::BitonalImage;

FileSpecifier specifierOf(const std::string& path)
{
    return FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile);
}

class RlcFiles : public ::testing::Test
{
protected:
    // An RLC file of the image with the trailer entries given (JSON list),
    // or none when `entries` is empty.
    std::string write(const std::string& python, const BitonalImage& image, const std::string& name,
                      const std::string& entries = "", const std::string& extra = "")
    {
        const std::string pbm = folder.file(name + ".pbm");
        EXPECT_TRUE(OmviTest::writePbm(pbm, image));
        const std::string out = folder.file(name + ".rlc");
        std::string spec = "{\"pbm\": \"" + pbm + "\"";
        if (!entries.empty())
            spec += ", \"entries\": " + entries;
        spec += extra + "}";
        EXPECT_TRUE(OmviTest::generateContainerFile(python, folder, "rlc", spec, out));
        return out;
    }

    OmviTest::ScratchFolder folder;
    RlcFormatCodec codec;
};

TEST_F(RlcFiles, RunListsWithoutATrailerAreOneRaster)
{
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    BitonalImage image = OmviTest::textLikeBitonal(203, 57);
    // A white row and a black one.
    std::fill(image.row(5), image.row(5) + image.rowBytes(), 0x00);
    std::fill(image.row(6), image.row(6) + image.rowBytes(), 0xFF);
    image.clearPadding();
    const std::string path = write(python, image, "plain");
    EXPECT_EQ(codec.probe(specifierOf(path), nullptr), ImageFormatCodec::kRecognised);
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(specifierOf(path)));
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->frameCount(), 1);
    EXPECT_EQ(reader->isValid(), 1);
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
    int height = 0, width = 0;
    frame->getSize(&height, &width);
    EXPECT_EQ(height, 57);
    EXPECT_EQ(width, 203);
    EXPECT_EQ(frame->dataModelKind(), 4);
    EXPECT_EQ(OmviTest::readBitonalRows(*frame), image);
    std::unique_ptr<FormatCodecPropertySetIterator> properties(frame->getProperties());
    EXPECT_EQ(properties->count(), 0);
}

TEST_F(RlcFiles, TheTrailerListsRastersAndReferencesInOrder)
{
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    const BitonalImage own = OmviTest::textLikeBitonal(120, 40, 1);
    const BitonalImage other = OmviTest::checkerBitonal(64, 30, 3);
    write(python, other, "other");
    const std::string entries =
        R"([{"type": "raster", "x": 100.0, "y": 200.0, "scale": 2.0, "resolution": 0.0, "quarter": 1, "foreground": 7},
            {"type": "raster", "resolution": 4.0},
            {"type": "edits", "edits": [{"kind": 0, "draw": 4, "values": [1, 2, 3, 4]},
                                        {"kind": 1, "draw": 0, "points": 2, "values": [0, 0, 5, 5]},
                                        {"kind": 1, "draw": 4, "points": 11},
                                        {"kind": 2, "draw": 4, "values": [1, 1, 9]},
                                        {"kind": 3, "draw": 4, "values": [1, 1, 2, 3]},
                                        {"kind": 4, "draw": 0, "values": [1, 2, 3, 4, 5, 6]},
                                        {"kind": 9, "draw": 4},
                                        {"kind": 0, "draw": 2}]},
            {"type": "reference", "name": "C:\\scans\\other.rlc", "x": 5.0, "resolution": 2.0, "foreground": 3},
            {"type": "reference", "name": "missing.rlc"},
            {"type": "reference", "name": "..\\outside.rlc"},
            {"type": "raster"}])";
    const std::string path = write(python, own, "listing", entries);
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(specifierOf(path)));
    ASSERT_NE(reader, nullptr);
    ASSERT_EQ(reader->frameCount(), 4);
    EXPECT_EQ(reader->isValid(), 4);
    const auto& rasters = static_cast<RlcReadFile*>(reader.get())->rasters();
    EXPECT_EQ(rasters[0].entryIndex, 0);
    EXPECT_EQ(rasters[1].entryIndex, 1);
    EXPECT_EQ(rasters[2].entryIndex, 3);
    EXPECT_EQ(rasters[3].entryIndex, 6);

    std::unique_ptr<ReadImageFileFrameInterface> first(reader->openFrame(0));
    EXPECT_EQ(first->frameIndex(), 0);
    EXPECT_EQ(OmviTest::readBitonalRows(*first), own);
    std::unique_ptr<FormatCodecPropertySetIterator> properties(first->getProperties());
    ASSERT_EQ(properties->count(), 4);  // correlation, density, colour, edits
    auto* correlation = dynamic_cast<RlcCorrelation*>(properties->at(0));
    ASSERT_NE(correlation, nullptr);
    Point3d origin;
    correlation->getOrigin(origin);
    Vector2d pixel;
    correlation->getPixelSize(pixel);
    double rotation = 0;
    correlation->getRotation(rotation);
    std::int32_t unit = 0;
    // Resolution 0: pixels of one unit; a quarter turn moves the origin by
    // the height extent (40 rows x 1 x scale 2).
    EXPECT_EQ(pixel.x, 1.0);
    EXPECT_DOUBLE_EQ(origin.x, 100.0 + 80.0);
    EXPECT_DOUBLE_EQ(origin.y, 200.0);
    EXPECT_DOUBLE_EQ(rotation, M_PI / 2);
    EXPECT_EQ(correlation->getUnit(unit), 5);
    auto* foreground = dynamic_cast<RlcForegroundColor*>(properties->at(2));
    ASSERT_NE(foreground, nullptr);
    EXPECT_EQ(foreground->pixel().value, 7u);
    EXPECT_EQ(foreground->pixel().kind, kPixelPalette);
    auto* edits = dynamic_cast<RlcRasterEdits*>(properties->at(3));
    ASSERT_NE(edits, nullptr);
    ASSERT_EQ(edits->count(), 5);  // the 11-point polygon and unknown kinds are skipped
    auto* rectangle = dynamic_cast<RlcRectangleEdit*>(edits->element(0));
    ASSERT_NE(rectangle, nullptr);
    EXPECT_TRUE(rectangle->draws());
    EXPECT_EQ(rectangle->values(), (std::vector<double>{1, 4, 3, 2}));
    auto* polygon = dynamic_cast<RlcPolygonEdit*>(edits->element(1));
    ASSERT_NE(polygon, nullptr);
    EXPECT_FALSE(polygon->draws());
    EXPECT_EQ(polygon->pointCount(), 2);
    EXPECT_NE(dynamic_cast<RlcCircleEdit*>(edits->element(2)), nullptr);
    EXPECT_NE(dynamic_cast<RlcDonutEdit*>(edits->element(3)), nullptr);
    auto* arc = dynamic_cast<RlcArcEdit*>(edits->element(4));
    ASSERT_NE(arc, nullptr);
    EXPECT_EQ(arc->values().size(), 6u);
    EXPECT_EQ(arc->firstCode(), 8);
    std::unique_ptr<FormatCodecPropertyInterface> byType(first->getPropertyOfType(7));
    EXPECT_NE(dynamic_cast<RlcCorrelation*>(byType.get()), nullptr);
    std::unique_ptr<FormatCodecPropertyInterface> byName(first->getProperty(edits->name()));
    EXPECT_NE(dynamic_cast<RlcRasterEdits*>(byName.get()), nullptr);
    EXPECT_TRUE(codec.isPropertySupported(0, &edits->name()));

    // The second raster: resolution 4 gives quarter-unit pixels; no edits.
    std::unique_ptr<ReadImageFileFrameInterface> second(reader->openFrame(1));
    EXPECT_EQ(second->frameIndex(), 1);
    std::unique_ptr<FormatCodecPropertySetIterator> secondProperties(second->getProperties());
    ASSERT_EQ(secondProperties->count(), 3);
    static_cast<RlcCorrelation*>(secondProperties->at(0))->getPixelSize(pixel);
    EXPECT_EQ(pixel.x, 0.25);

    // The reference: the rows of the other file, with its name.
    std::unique_ptr<ReadImageFileFrameInterface> referenced(reader->openFrame(2));
    EXPECT_EQ(OmviTest::readBitonalRows(*referenced), other);
    std::unique_ptr<FormatCodecPropertySetIterator> referenceProperties(referenced->getProperties());
    ASSERT_EQ(referenceProperties->count(), 4);
    auto* name = dynamic_cast<RlcImageReference*>(referenceProperties->at(2));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text().text(), "C:\\scans\\other.rlc");
    EXPECT_EQ(reader->openFrame(4), nullptr);
}

class ToOtherFile : public RlcReferenceResolver
{
public:
    explicit ToOtherFile(std::string path) : path_(std::move(path)) {}
    bool resolveReference(const FileSpecifier& reference, const FileSpecifier&, FileSpecifier& out) const override
    {
        asked.push_back(reference.path().text());
        out = FileSpecifier(AsciiStringBuffer(path_), FileSpecifier::kFile);
        return true;
    }
    mutable std::vector<std::string> asked;

private:
    std::string path_;
};

TEST_F(RlcFiles, UnrecognisedReferencesGoToTheResolver)
{
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    const BitonalImage other = OmviTest::noiseBitonal(30, 9, 2);
    const std::string otherPath = write(python, other, "elsewhere");
    const std::string path =
        write(python, OmviTest::textLikeBitonal(20, 5), "refs", R"([{"type": "reference", "name": "gone.rlc"}])");
    ToOtherFile resolver(otherPath);
    codec.setReferenceResolver(&resolver);
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(specifierOf(path)));
    codec.setReferenceResolver(nullptr);
    ASSERT_EQ(reader->frameCount(), 1);
    EXPECT_EQ(resolver.asked, std::vector<std::string>{"gone.rlc"});
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
    EXPECT_EQ(OmviTest::readBitonalRows(*frame), other);
}

TEST_F(RlcFiles, TrailersOfAnotherFormatOrDamagedRecordsAreBounded)
{
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    const BitonalImage image = OmviTest::textLikeBitonal(40, 12);
    // A trailer whose first entry says IG4: the file is one raster.
    const std::string ig4Trailer = write(python, image, "code5", R"([{"type": "raster"}])", R"(, "format": 5)");
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(specifierOf(ig4Trailer)));
    EXPECT_EQ(reader->frameCount(), 1);
    // Edit counts beyond the record, and a record size beyond the file.
    const std::string counted = write(
        python, image, "counted",
        R"([{"type": "raster"}, {"type": "edits", "count": 30000, "edits": [{"kind": 2, "draw": 4, "values": [1, 2, 3]}]},
            {"type": "edits", "size": 100000000, "edits": [{"kind": 2, "draw": 4}]}])");
    std::unique_ptr<ReadImageFileInterface> countedReader(codec.openForRead(specifierOf(counted)));
    std::unique_ptr<ReadImageFileFrameInterface> frame(countedReader->openFrame(0));
    std::unique_ptr<FormatCodecPropertySetIterator> properties(frame->getProperties());
    ASSERT_EQ(properties->count(), 4);
    EXPECT_EQ(static_cast<RlcRasterEdits*>(properties->at(3))->count(), 1);
}

TEST(RlcReader, SmallFilesAreOneRasterAndDamagedRowsThrow)
{
    RlcFormatCodec codec;
    // 2 rows of width 16: a white row, a row with one pair (0, 16) and one
    // past the width, which is left out.
    OmviTest::Bytes bytes = OmviTest::rlcFile(16, {{}, {{0, 16}, {3, 40}}});
    const OmviTest::MemoryFile file(bytes);
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(file.specifier()));
    ASSERT_EQ(reader->frameCount(), 1);
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
    const BitonalImage rows = OmviTest::readBitonalRows(*frame);
    ASSERT_EQ(rows.height, 2);
    EXPECT_EQ(rows.row(0)[0], 0x00);
    EXPECT_EQ(rows.row(1)[0], 0xFF);
    EXPECT_EQ(rows.row(1)[1], 0xFF);
    // Pairs count from the right: (2, 5) is columns 11-13.
    const OmviTest::MemoryFile pair(OmviTest::rlcFile(16, {{{2, 5}}}));
    std::unique_ptr<ReadImageFileInterface> pairReader(codec.openForRead(pair.specifier()));
    std::unique_ptr<ReadImageFileFrameInterface> pairFrame(pairReader->openFrame(0));
    const BitonalImage one = OmviTest::readBitonalRows(*pairFrame);
    EXPECT_EQ(one.row(0)[0], 0x00);
    EXPECT_EQ(one.row(0)[1], 0x1C);
    // Cut: the second row's pairs are missing.
    bytes.resize(bytes.size() - 6);
    const OmviTest::MemoryFile cut(bytes);
    std::unique_ptr<ReadImageFileInterface> cutReader(codec.openForRead(cut.specifier()));
    std::unique_ptr<ReadImageFileFrameInterface> cutFrame(cutReader->openFrame(0));
    EXPECT_EQ(OmviTest::codeOfFailure([&] { OmviTest::readBitonalRows(*cutFrame); }), 8);
    // Mutated bytes never crash.
    std::uint32_t state = 5;
    const OmviTest::Bytes good = OmviTest::rlcFile(40, {{{1, 9}, {12, 30}}, {{0, 40}}, {}, {{5, 6}}});
    for (int round = 0; round < 200; ++round)
    {
        OmviTest::Bytes mutated = good;
        state = state * 1664525u + 1013904223u;
        mutated[(state >> 8) % mutated.size()] = static_cast<std::uint8_t>(state >> 20);
        const OmviTest::MemoryFile memory(mutated);
        std::unique_ptr<ReadImageFileInterface> mutatedReader(codec.openForRead(memory.specifier()));
        if (!mutatedReader || mutatedReader->frameCount() < 1)
            continue;
        std::unique_ptr<ReadImageFileFrameInterface> mutatedFrame(mutatedReader->openFrame(0));
        int height = 0, width = 0;
        mutatedFrame->getSize(&height, &width);
        if (static_cast<long>(height) * width > 4000000)
            continue;
        const int code = OmviTest::codeOfFailure([&] { OmviTest::readBitonalRows(*mutatedFrame); });
        EXPECT_TRUE(code == -2 || code == 8);
    }
}

TEST(RlcReader, ReferencesStayInTheFolderOfTheFileThatNamesThem)
{
    EXPECT_EQ(RlcReadFile::referencedPath("/data/maps/a.rlc", "b.rlc"), "/data/maps/b.rlc");
    EXPECT_EQ(RlcReadFile::referencedPath("/data/maps/a.rlc", "sub\\b.rlc"), "/data/maps/sub/b.rlc");
    EXPECT_EQ(RlcReadFile::referencedPath("/data/maps/a.rlc", "C:\\scans\\b.rlc"), "/data/maps/b.rlc");
    EXPECT_EQ(RlcReadFile::referencedPath("/data/maps/a.rlc", "/etc/b.rlc"), "/data/maps/b.rlc");
    EXPECT_EQ(RlcReadFile::referencedPath("/data/maps/a.rlc", "..\\b.rlc"), "");
    EXPECT_EQ(RlcReadFile::referencedPath("/data/maps/a.rlc", "x/../../b.rlc"), "");
    EXPECT_EQ(RlcReadFile::referencedPath("/data/maps/a.rlc", ""), "");
    EXPECT_EQ(RlcReadFile::referencedPath("/data/maps/a.rlc", "C:\\"), "");
}

} // namespace
