// CALS files both ways with ImageMagick: what it writes reads back pixel
// for pixel, and what we write it reads with an absolute error of 0.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/WriteImageFileInterface.h"
#include "imaging/codecs/cals/CalsFormatCodec.h"
#include "imaging/codecs/tests/CalsTestSupport.h"
#include "imaging/codecs/tests/CcittTiffSupport.h"
#include "imaging/codecs/tests/ImageTestSupport.h"
#include "imaging/tests/ToolCheck.h"

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

std::vector<BitonalImage> samples()
{
    return {OmviTest::textLikeBitonal(850, 1100, 4), OmviTest::checkerBitonal(333, 77, 1),
            OmviTest::noiseBitonal(97, 13, 5, 50)};
}

std::string compareTool()
{
    return ::access("/usr/bin/compare", X_OK) == 0 ? "/usr/bin/compare" : "compare";
}

TEST(CalsTools, ImageMagickFilesReadPixelForPixel)
{
    OMVI_REQUIRE_TOOL("convert");
    OmviTest::ScratchFolder folder;
    CalsFormatCodec codec;
    OmviTest::CapturedDiagnostics diagnostics;
    int index = 0;
    for (const BitonalImage& image : samples())
    {
        const std::string pbm = folder.file("source" + std::to_string(index) + ".pbm");
        const std::string cals = folder.file("theirs" + std::to_string(index++) + ".cal");
        ASSERT_TRUE(OmviTest::writePbm(pbm, image));
        ASSERT_EQ(OmviTest::runCommand(OmviTest::magick() + " '" + pbm + "' 'cals:" + cals + "' 2>/dev/null"), 0);
        EXPECT_EQ(codec.probe(specifierOf(cals), nullptr), ImageFormatCodec::kRecognised);
        std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(specifierOf(cals)));
        ASSERT_NE(reader, nullptr);
        std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
        EXPECT_EQ(frame->getOrientation(), 0);
        EXPECT_EQ(OmviTest::readBitonalRows(*frame), image) << image.width << "x" << image.height;
    }
    EXPECT_EQ(diagnostics.text(), "");
}

TEST(CalsTools, OurFilesReadInImageMagickWithNoDifference)
{
    OMVI_REQUIRE_TOOL("convert");
    OMVI_REQUIRE_TOOL("compare");
    OmviTest::ScratchFolder folder;
    CalsFormatCodec codec;
    int index = 0;
    for (const BitonalImage& image : samples())
    {
        const std::string pbm = folder.file("source" + std::to_string(index) + ".pbm");
        const std::string cals = folder.file("ours" + std::to_string(index++) + ".cal");
        ASSERT_TRUE(OmviTest::writePbm(pbm, image));
        std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
        ASSERT_TRUE(writer->open(specifierOf(cals)));
        std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
        frame->setSize(image.height, image.width);
        frame->setDataModelKind(4);
        OmviTest::BitonalRows rows(image);
        ASSERT_EQ(writer->writeFrame(frame.get(), &rows), 1);
        // The absolute error count: pixels that differ.
        int status = -1;
        const OmviTest::Pixels report = OmviTest::runCapture(
            "(" + compareTool() + " -metric AE 'cals:" + cals + "' '" + pbm + "' null: 2>&1)", &status);
        EXPECT_EQ(std::string(report.begin(), report.end()).substr(0, 1), "0")
            << std::string(report.begin(), report.end());
        // And the pixels as ImageMagick sees them.
        const OmviTest::Pixels back = OmviTest::runCapture(OmviTest::magick() + " 'cals:" + cals + "' pbm:-");
        const OmviTest::TestImage decoded = OmviTest::fromPnm(back);
        ASSERT_EQ(decoded.width, image.width);
        ASSERT_EQ(decoded.height, image.height);
        bool same = true;
        for (int y = 0; y < image.height && same; ++y)
            for (int x = 0; x < image.width && same; ++x)
                same = decoded.pixels[static_cast<std::size_t>(y) * image.width + x] == (image.pixel(x, y) ? 1 : 0);
        EXPECT_TRUE(same) << image.width << "x" << image.height;
    }
}

} // namespace
