// What the part road relies on beyond the sample documents: the material's
// two names, configuration counts, the packed B-spline block, 3D sketch
// splines and where texture files are looked for.
#include "host/Document.h"
#include "host/Geometry.h"
#include "host/Loader.h"
#include "host/RecordLayout.h"
#include "host/Sketch.h"
#include "host/memory/Document.h"
#include "host/memory/Geometry.h"
#include "host/tests/PartDocuments.h"

#include <gtest/gtest.h>

#include <limits>

using namespace host;

namespace
{
using host_test::part;
using host_test::refusal;

std::vector<double> curveBlock(const std::string& bspline)
{
    auto application = part("<body><edge><curve kind=\"3005\" bspline=\"" + bspline +
                            "\"/></edge></body>\n");
    return application->activeDocument()->bodies(-1, -1)[0]->edges()[0]->curve()->bsplineData();
}

Texture* faceTexture(memory::Application& application)
{
    return application.activeDocument()->bodies(-1, -1)[0]->firstFace()->texture(u"Default");
}

std::u16string textureFile(const std::string& file, const std::u16string& base)
{
    auto application = part("<configuration name=\"Default\"/><body><face><texture "
                            "configuration=\"Default\" file=\"" +
                                file + "\"/></face></body>\n",
                            base);
    return faceTexture(*application)->fileName();
}
} // namespace

TEST(MaterialNames, TheShownNameAndTheNumberedFormAreSeparateRequests)
{
    auto application =
        part("<material name=\"Oak (host material list)\" id=\"host materials|3\"/>\n"
             "<configuration name=\"A\"/><configuration name=\"B\" current=\"1\"/>\n");
    Document* document = application->activeDocument();
    EXPECT_EQ(document->materialName(), u"Oak (host material list)");
    EXPECT_EQ(document->materialId(), u"host materials|3");
    EXPECT_TRUE(document->materialValues().empty()) << "values may be left out";
    EXPECT_EQ(document->configurationCount(), 2);
    EXPECT_EQ(document->currentConfiguration()->name(), u"B");

    // Either request may fail on its own.
    Session& session = application->hostSession();
    session.failRequest("Document::materialId");
    EXPECT_THROW(document->materialId(), HostFailure);
    EXPECT_EQ(document->materialName(), u"Oak (host material list)");
    EXPECT_EQ(document->materialId(), u"host materials|3");
    session.failRequest("Document::configurationCount");
    EXPECT_THROW(document->configurationCount(), HostFailure);
    EXPECT_EQ(document->configurationNames().size(), 2u);
    EXPECT_EQ(session.requestCount("Document::configurationCount"), 2);

    auto plain = part("<material name=\"Steel\"/>\n");
    EXPECT_EQ(plain->activeDocument()->materialName(), u"Steel");
    EXPECT_TRUE(plain->activeDocument()->materialId().empty());
    EXPECT_EQ(plain->activeDocument()->configurationCount(), 0);
    EXPECT_NE(refusal("<body><material id=\"x|1\"/></body>\n").find("unknown attribute 'id'"),
              std::string::npos)
        << "only the document's material has library names";
}

TEST(BsplineBlocks, TheHeaderTravelsInTheFirstTwoDoubles)
{
    const BsplineHeader header{4, 3, 7, -123456};
    const auto packed = packBsplineHeader(header);
    const BsplineHeader back = readBsplineHeader({packed[0], packed[1], 1.5});
    EXPECT_EQ(back.stride, 4);
    EXPECT_EQ(back.order, 3);
    EXPECT_EQ(back.count, 7);
    EXPECT_EQ(back.unused, -123456);
    EXPECT_EQ(readBsplineHeader({packed[0]}).stride, 0) << "too short a block reads as zeros";

    // The loader packs the four leading integers of the attribute.
    const auto block = curveBlock("3 2 2 9  0 0 1 1  0 0 0  1 2 3");
    ASSERT_EQ(block.size(), 2u + 4u + 6u);
    const BsplineHeader loaded = readBsplineHeader(block);
    EXPECT_EQ(loaded.stride, 3);
    EXPECT_EQ(loaded.order, 2);
    EXPECT_EQ(loaded.count, 2);
    EXPECT_EQ(loaded.unused, 9);
    EXPECT_EQ(block[2], 0);
    EXPECT_EQ(block[4], 1);
    EXPECT_EQ(block.back(), 3);
    const auto walk = layout::bsplineBlock(block);
    ASSERT_TRUE(walk.ok()) << walk.error;
    EXPECT_EQ(walk.offsets, (std::vector<std::size_t>{2, 6}));
}

TEST(BsplineBlocks, BlocksThatDoNotFitTheirHeaderAreRefused)
{
    const auto refusedFor = [](const std::string& bspline)
    {
        return refusal("<body><edge><curve kind=\"3005\" bspline=\"" + bspline +
                       "\"/></edge></body>\n");
    };
    EXPECT_NE(refusedFor("3 2 2").find("3: attribute 'bspline' needs four integers"),
              std::string::npos);
    EXPECT_NE(refusedFor("3.5 2 2 0  0 0 1 1  0 0 0  1 2 3").find("value 1 is not a 32-bit"),
              std::string::npos);
    EXPECT_NE(refusedFor("3 2 2 2147483648  0 0 1 1  0 0 0  1 2 3").find("value 4 is not"),
              std::string::npos);
    EXPECT_NE(refusedFor("5 2 2 0  0 0 1 1  0 0 0 0 0  1 2 3 4 5").find("stride 5"),
              std::string::npos);
    EXPECT_NE(refusedFor("3 0 2 0  0 0  0 0 0  1 2 3").find("order 0"), std::string::npos);
    EXPECT_NE(refusedFor("3 2 0 0  0 0").find("control point count 0"), std::string::npos);
    EXPECT_NE(refusedFor("3 2 2 0  0 0 1 1  0 0 0  1 2").find("found 9 numbers"),
              std::string::npos);
    EXPECT_NE(refusedFor("3 2 2 0  0 0 1 1  0 0 0  1 2 3 4").find("found 11 numbers"),
              std::string::npos);
    EXPECT_NE(refusedFor("4 2 2 0  0 0 1 1  0 0 0  1 2 3").find("needs 4 knots and 8 point"),
              std::string::npos)
        << "stride 4 carries a weight per point";
    EXPECT_NE(refusedFor("3 1000000 1000000 0").find("found 0 numbers"), std::string::npos)
        << "huge counts are measured, not allocated";

    // Blocks the host may give but the loader never makes.
    EXPECT_FALSE(layout::bsplineBlock({}).ok());
    const auto negative = packBsplineHeader({3, -1, 2, 0});
    EXPECT_FALSE(layout::bsplineBlock({negative[0], negative[1], 0, 0, 0, 0, 0, 0, 0}).ok());
    const auto big = packBsplineHeader({4, std::numeric_limits<std::int32_t>::max(),
                                        std::numeric_limits<std::int32_t>::max(), 0});
    EXPECT_FALSE(layout::bsplineBlock({big[0], big[1]}).ok());
}

TEST(SketchSplines, ThreeDimensionalSplinesCountTheirPointsInAThreeNumberHead)
{
    const std::vector<double> two = {0, 0, 2, 1, 2, 3, 4, 5, 6, 9, 9, 1, 7, 8, 9};
    const auto walk = layout::sketchSplines(2, two);
    ASSERT_TRUE(walk.ok()) << walk.error;
    EXPECT_EQ(walk.offsets, (std::vector<std::size_t>{0, 9}));
    EXPECT_NE(layout::sketchSplines(3, two).error.find("record 3 ends before its count"),
              std::string::npos);
    EXPECT_NE(layout::sketchSplines(1, two).error.find("6 numbers after its last record"),
              std::string::npos);
    EXPECT_NE(layout::sketchSplines(1, {0, 0, 2.5, 1, 2, 3}).error.find("not a whole number"),
              std::string::npos);
    EXPECT_NE(layout::sketchSplines(1, {0, 0, 4, 1, 2, 3}).error.find("needs 15 numbers"),
              std::string::npos);
    EXPECT_FALSE(layout::sketchSplines(-1, {}).ok());

    auto application =
        part("<feature type-name=\"3DProfileFeature\"><sketch>\n"
             "<splines count=\"1\">0 0 2  0 0 0  1 1 1</splines>\n</sketch></feature>\n");
    Sketch* sketch = application->activeDocument()->firstFeature()->specificSketch();
    EXPECT_EQ(sketch->splineCount(), 1);
    EXPECT_EQ(sketch->splineDataSize(), 9);
    // A view's spline layout (point count at index 6) does not fit.
    EXPECT_NE(refusal("<feature><sketch>\n<splines count=\"1\">0 0 0 0 0 0 1  1 2 3</splines>\n"
                      "</sketch></feature>\n")
                  .find("4: <splines>: spline data holds 7 numbers after its last record"),
              std::string::npos);
}

TEST(TextureFiles, RelativeNamesAreTakenFromTheDocumentsFolder)
{
    const std::u16string base = u"/work/documents";
    EXPECT_EQ(textureFile("textures/oak.jpg", base), u"/work/documents/textures/oak.jpg");
    EXPECT_EQ(textureFile("textures\\oak.jpg", base), u"/work/documents/textures/oak.jpg");
    EXPECT_EQ(textureFile("oak.jpg", base), u"/work/documents/oak.jpg");
    // The host's own forms stay as the host gives them.
    EXPECT_EQ(textureFile("&lt;SystemTexture&gt;\\wood\\oak.jpg", base),
              u"<SystemTexture>\\wood\\oak.jpg");
    EXPECT_EQ(textureFile("/srv/textures/oak.jpg", base), u"/srv/textures/oak.jpg");
    EXPECT_EQ(textureFile("\\\\server\\share\\oak.jpg", base), u"\\\\server\\share\\oak.jpg");
    EXPECT_EQ(textureFile("C:\\tex\\my wood-1.png", base), u"C:\\tex\\my wood-1.png");
    EXPECT_EQ(textureFile("d:/tex/a.png", base), u"d:/tex/a.png");
    // A drive without a separator is not absolute.
    EXPECT_EQ(textureFile("C:a.png", base), u"/work/documents/C:a.png");
    // Without a folder (a document parsed from memory) the name stays relative.
    EXPECT_EQ(textureFile("textures/oak.jpg", u""), u"textures/oak.jpg");
    EXPECT_NE(refusal("<body><face><texture/></face></body>\n").find("missing attribute 'file'"),
              std::string::npos);
}
