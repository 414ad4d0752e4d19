// The IG4 codec on files the test generator cuts from Group 4 TIFF files
// that tiffcp writes (least significant bit first); libtiff decodes each
// of those files first, so the strips are known good.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/rlc/Ig4Properties.h"
#include "imaging/codecs/rlc/RlcFormatCodec.h"
#include "imaging/codecs/tests/CalsTestSupport.h"
#include "imaging/codecs/tests/CcittTiffSupport.h"
#include "imaging/codecs/tests/ContainerTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using namespace Omvi;
using OmviTest::BitonalImage;

FileSpecifier specifierOf(const std::string& path)
{
    return FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile);
}

class Ig4Files : public ::testing::Test
{
protected:
    // An IG4 file of the image in strips of `rows`, with the extra spec
    // members given; the strips come from tiffcp and are checked through
    // libtiff first.
    std::string write(const std::string& python, const BitonalImage& image, int rows, const std::string& extra = "")
    {
        const std::string plain = folder.file("plain.tif");
        const std::string coded = folder.file("coded.tif");
        EXPECT_TRUE(OmviTest::writeBitonalTiff(plain, image, rows));
        EXPECT_EQ(OmviTest::runCommand("tiffcp -c g4 -f lsb2msb -r " + std::to_string(rows) + " '" + plain + "' '" +
                                       coded + "' 2>/dev/null"),
                  0);
        BitonalImage checked;
        EXPECT_TRUE(OmviTest::readTiffImage(coded, checked));
        EXPECT_EQ(checked, image);
        const std::string out = folder.file("image" + std::to_string(++files) + ".ig4");
        EXPECT_TRUE(OmviTest::generateContainerFile(python, folder, "ig4",
                                                    "{\"tiff\": \"" + coded + "\"" + extra + "}", out));
        return out;
    }

    OmviTest::ScratchFolder folder;
    Ig4FormatCodec codec;
    int files = 0;
};

TEST_F(Ig4Files, StripsDecodeToTheRowsLibtiffDecodes)
{
    OMVI_REQUIRE_TOOL("tiffcp");
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    OmviTest::CapturedDiagnostics diagnostics;
    for (const BitonalImage& image : {OmviTest::textLikeBitonal(1728, 100, 3), OmviTest::checkerBitonal(333, 41, 1),
                                      OmviTest::noiseBitonal(65, 7, 2)})
        for (int rows : {1, 16, 1000})
        {
            const std::string path = write(python, image, rows);
            EXPECT_EQ(codec.probe(specifierOf(path), nullptr), ImageFormatCodec::kRecognised);
            std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(specifierOf(path)));
            ASSERT_NE(reader, nullptr);
            EXPECT_EQ(reader->frameCount(), 1);
            std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
            ASSERT_NE(frame, nullptr);
            EXPECT_EQ(frame->frameIndex(), 0);
            EXPECT_EQ(OmviTest::readBitonalRows(*frame), image) << image.width << " rows " << rows;
        }
    EXPECT_EQ(diagnostics.text(), "");
}

TEST_F(Ig4Files, PlacementAndEditsBecomeProperties)
{
    OMVI_REQUIRE_TOOL("tiffcp");
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    const std::string path = write(
        python, OmviTest::textLikeBitonal(100, 30), 8,
        R"(, "entries": [{"type": "raster", "x": 3.0, "y": 4.0, "scale": 2.0, "resolution": 8.0, "quarter": 1, "foreground": 9},
                         {"type": "edits", "edits": [{"kind": 3, "draw": 4, "values": [1, 2, 3, 4]},
                                                     {"kind": 1, "draw": 4, "points": 0}]}])");
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(specifierOf(path)));
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
    std::unique_ptr<FormatCodecPropertySetIterator> properties(frame->getProperties());
    ASSERT_EQ(properties->count(), 4);
    auto* correlation = dynamic_cast<Ig4Correlation*>(properties->at(0));
    ASSERT_NE(correlation, nullptr);
    Point3d origin;
    correlation->getOrigin(origin);
    double rotation = -1;
    correlation->getRotation(rotation);
    Vector2d pixel, scale;
    correlation->getPixelSize(pixel);
    correlation->getScale(scale);
    // No rotation, and the origin stays where the record puts it.
    EXPECT_EQ(rotation, 0.0);
    EXPECT_EQ(origin.x, 3.0);
    EXPECT_EQ(origin.y, 4.0);
    EXPECT_EQ(pixel.x, 0.125);
    EXPECT_EQ(scale.y, 2.0);
    auto* density = dynamic_cast<Ig4Density*>(properties->at(1));
    ASSERT_NE(density, nullptr);
    double x = 0, y = 0;
    density->getDensity(&x, &y);
    EXPECT_EQ(x, 8.0);
    EXPECT_EQ(density->unit(), 2);
    EXPECT_FALSE(density->setUnit(1));
    EXPECT_EQ(static_cast<Ig4ForegroundColor*>(properties->at(2))->pixel().value, 9u);
    auto* edits = dynamic_cast<Ig4RasterEdits*>(properties->at(3));
    ASSERT_NE(edits, nullptr);
    ASSERT_EQ(edits->count(), 1);
    EXPECT_EQ(edits->element(0)->firstCode(), 6);
    EXPECT_NE(dynamic_cast<Ig4DonutEdit*>(edits->element(0)), nullptr);
    std::unique_ptr<FormatCodecPropertyInterface> byType(frame->getPropertyOfType(3));
    EXPECT_NE(dynamic_cast<Ig4Density*>(byType.get()), nullptr);
}

TEST_F(Ig4Files, StripTablesThatDoNotHoldTogetherGiveNoRows)
{
    OMVI_REQUIRE_TOOL("tiffcp");
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    const BitonalImage image = OmviTest::textLikeBitonal(64, 40);
    for (const std::string extra : {R"(, "strip_count": 300)", R"(, "strip_count": 0)", R"(, "rows_per_strip": 0)",
                                    R"(, "rows_per_strip": -5)"})
    {
        const std::string path = write(python, image, 8, extra);
        std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(specifierOf(path)));
        std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
        EXPECT_EQ(frame->newRowIterator(), nullptr) << extra;
    }
    // Rows per strip larger than the strips hold: the rows the code lacks
    // are a corrupt image.
    const std::string path = write(python, image, 8, R"(, "rows_per_strip": 9)");
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(specifierOf(path)));
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
    OmviTest::CapturedDiagnostics diagnostics;
    EXPECT_EQ(OmviTest::codeOfFailure([&] { OmviTest::readBitonalRows(*frame); }), 8);
}

TEST_F(Ig4Files, CutAndMutatedFilesThrowOrRepairButNeverCrash)
{
    OMVI_REQUIRE_TOOL("tiffcp");
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    const std::string path = write(python, OmviTest::textLikeBitonal(200, 48), 16);
    const OmviTest::Pixels good = OmviTest::readFileBytes(path);
    OmviTest::CapturedDiagnostics diagnostics;
    std::uint32_t state = 77;
    for (int round = 0; round < 150; ++round)
    {
        OmviTest::Pixels bytes = good;
        state = state * 1664525u + 1013904223u;
        if (round % 3 == 0)
            bytes.resize((state >> 8) % bytes.size());
        else
            bytes[(state >> 8) % bytes.size()] = static_cast<std::uint8_t>(state >> 22);
        const std::string damaged = folder.file("damaged.ig4");
        ASSERT_TRUE(OmviTest::writeFileBytes(damaged, bytes));
        std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(specifierOf(damaged)));
        if (!reader)
            continue;
        std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
        if (!frame)
            continue;
        int height = 0, width = 0;
        frame->getSize(&height, &width);
        if (static_cast<long>(height) * width > 4000000)
            continue;
        const int code = OmviTest::codeOfFailure([&] { OmviTest::readBitonalRows(*frame); });
        EXPECT_TRUE(code == -2 || code == 8);
    }
}

} // namespace
