// What the geometry writer draws of 3D sketch arcs (with and without the
// axis of their plane), how it takes a sketch's splines from the host, how
// cosmetic threads and faces that cannot be drawn are left out one by one
// with their reason, and the sample pin's ellipse. Expected points are
// worked out by hand from the values each test sets.
#include "addin/tests/GeometryCapture.h"

#include "host/memory/Geometry.h"
#include "host/memory/Sketch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using namespace geometry_test;

namespace
{

// Each item left out was said once, in its own message from `where`, whose
// cause names the item and the reason.
void ExpectLeftOut(const std::string& where, const std::vector<std::u16string>& causes)
{
    EXPECT_EQ(Messages(), std::vector<std::u16string>(causes.size(), Message(where)));
    EXPECT_EQ(Causes(), causes);
}

// A 3D sketch arc record: the head (colour 0, layer -1), start, end,
// centre, direction and, when given, the axis.
std::vector<double> Arc(std::vector<double> start, std::vector<double> end,
                        std::vector<double> centre, double direction, std::vector<double> axis = {})
{
    std::vector<double> record = {0, 0, 0, 0, -1, 0};
    for (const auto* part : {&start, &end, &centre})
        record.insert(record.end(), part->begin(), part->end());
    record.push_back(direction);
    record.insert(record.end(), axis.begin(), axis.end());
    return record;
}

class SketchThreadFaceReports : public GeometryFixture
{
protected:
    std::unique_ptr<host::memory::Application> application = SamplePart();
    host::memory::Document* part = application->documents().front();

    // The sample's 3D sketch (feature 'sketch') with only the given arcs.
    host::memory::Sketch& SketchWithArcs(const std::vector<std::vector<double>>& arcs)
    {
        host::memory::Feature* feature = part->features;
        while (feature->featureTypeName != u"3DProfileFeature")
            feature = feature->nextFeature;
        auto& sketch = *static_cast<host::memory::Sketch*>(feature->featureSketch);
        sketch.sketchLines = {};
        sketch.sketchSplines = {};
        sketch.sketchArcs.count = static_cast<int>(arcs.size());
        sketch.sketchArcs.data.clear();
        for (const auto& arc : arcs)
            sketch.sketchArcs.data.insert(sketch.sketchArcs.data.end(), arc.begin(), arc.end());
        return sketch;
    }
    std::vector<Item> SketchArcs(host::Document* document)
    {
        DWFToolkit::DWFSegment& segment = Open();
        CDWF3DGrWriter writer(document, &segment);
        writer.Generate3Dsketch(document, segment);
        return Finish().all('c');
    }
    Node Threads(host::Document* document)
    {
        DWFToolkit::DWFSegment& segment = Open();
        CDWF3DGrWriter writer(document, &segment);
        writer.GenerateThread(nullptr);
        return Finish();
    }
};

TEST_F(SketchThreadFaceReports, ArcsWithAnAxisTurnAboutItWholeHalfOrLong)
{
    SketchWithArcs({
        // A whole circle about (0.02, 0.02, 0.02) in z = 0.02, its axis not
        // of unit length.
        Arc({0.03, 0.02, 0.02}, {0.03, 0.02, 0.02}, {0.02, 0.02, 0.02}, 1, {0, 0, 2}),
        // A half circle in x = 0 from +y to -y: counter-clockwise about +x
        // it passes +z, clockwise -z.
        Arc({0, 0.01, 0}, {0, -0.01, 0}, {0, 0, 0}, 1, {1, 0, 0}),
        Arc({0, 0.01, 0}, {0, -0.01, 0}, {0, 0, 0}, -1, {1, 0, 0}),
        // Three quarters counter-clockwise from +x to -y: through 135 degrees.
        Arc({1, 0, 0}, {0, -1, 0}, {0, 0, 0}, 1, {0, 0, 1}),
        // A quarter clockwise about -z is a quarter counter-clockwise about
        // +z: from +x to +y through 45 degrees.
        Arc({1, 0, 0}, {0, 1, 0}, {0, 0, 0}, -1, {0, 0, -1}),
    });
    const std::vector<Item> arcs = SketchArcs(part);
    EXPECT_EQ(Messages(), std::vector<std::u16string>{});
    ASSERT_EQ(arcs.size(), 6u);
    // The whole circle: two half arcs from the start to the opposite point,
    // through the points a quarter turn either side.
    ExpectNear(arcs[0].f, {0.03, 0.02, 0.02, 0.02, 0.03, 0.02, 0.01, 0.02, 0.02});
    ExpectNear(arcs[1].f, {0.03, 0.02, 0.02, 0.02, 0.01, 0.02, 0.01, 0.02, 0.02});
    ExpectNear(arcs[2].f, {0, 0.01, 0, 0, 0, 0.01, 0, -0.01, 0});
    ExpectNear(arcs[3].f, {0, 0.01, 0, 0, 0, -0.01, 0, -0.01, 0});
    const double h = std::sqrt(0.5);
    ExpectNear(arcs[4].f, {1, 0, 0, -h, h, 0, 0, -1, 0});
    ExpectNear(arcs[5].f, {1, 0, 0, h, h, 0, 0, 1, 0});
}

TEST_F(SketchThreadFaceReports, WholeAndHalfCirclesWithoutAnAxisAreLeftOutWithTheirReason)
{
    SketchWithArcs({
        Arc({0.03, 0.02, 0.02}, {0.03, 0.02, 0.02}, {0.02, 0.02, 0.02}, 1),
        Arc({0, 0.01, 0}, {0, -0.01, 0}, {0, 0, 0}, 1),
        // The shorter way round, as ever: through 45 degrees.
        Arc({1, 0, 0}, {0, 1, 0}, {0, 0, 0}, 1),
    });
    std::vector<Item> arcs = SketchArcs(part);
    ASSERT_EQ(arcs.size(), 1u);
    const double h = std::sqrt(0.5);
    ExpectNear(arcs[0].f, {1, 0, 0, h, h, 0, 0, 1, 0});
    ExpectLeftOut("CDWF3DGrWriter::Generate3Dsketch",
                  {u"3D sketch 'sketch': arc 1 is left out: it is a whole circle without an "
                   u"axis, so its plane is unknown",
                   u"3D sketch 'sketch': arc 2 is left out: it is a half circle without an axis, "
                   u"so the side it passes on is unknown"});

    // An axis of no length is none; a start on the axis gives no plane; a
    // start at the centre no radius. The arcs after them are still drawn.
    platform::ui().reset();
    SketchWithArcs({
        Arc({0.03, 0.02, 0.02}, {0.03, 0.02, 0.02}, {0.02, 0.02, 0.02}, 1, {0, 0, 0}),
        Arc({0, 0, 1}, {0, 0, 1}, {0, 0, 0}, 1, {0, 0, 1}),
        Arc({0, 0, 0}, {0, 1, 0}, {0, 0, 0}, 1, {0, 0, 1}),
        Arc({1, 0, 0}, {0, 1, 0}, {0, 0, 0}, 1, {0, 0, 1}),
        // Finite, but the way from the centre to the end overflows.
        Arc({-1e308, 1, 0}, {1e308, 0, 0}, {-1e308, 0, 0}, 1, {0, 0, 1}),
    });
    arcs = SketchArcs(part);
    ASSERT_EQ(arcs.size(), 1u);
    ExpectNear(arcs[0].f, {1, 0, 0, h, h, 0, 0, 1, 0});
    const std::vector<std::u16string> causes = Causes();
    ASSERT_EQ(causes.size(), 4u);
    EXPECT_NE(causes[0].find(u"arc 1 is left out: it is a whole circle without an axis"),
              std::u16string::npos);
    EXPECT_NE(causes[1].find(u"arc 2 is left out: its start lies on its axis"),
              std::u16string::npos);
    EXPECT_NE(causes[2].find(u"arc 3 is left out: its start is its centre"), std::u16string::npos);
    EXPECT_NE(causes[3].find(u"arc 5 is left out: its points are too far out to draw"),
              std::u16string::npos);
}

TEST_F(SketchThreadFaceReports, ArcsEndingAtTheirCentreOrOnTheirAxisAreLeftOut)
{
    const double h = std::sqrt(0.5);
    SketchWithArcs({
        // Three points of which two are one.
        Arc({1, 0, 0}, {0, 0, 0}, {0, 0, 0}, 1, {0, 0, 1}),
        // An end above the centre, on the axis: no angle from the start.
        Arc({1, 0, 0}, {0, 0, 1}, {0, 0, 0}, 1, {0, 0, 1}),
        // Drawn: a quarter from +x to +y through 45 degrees.
        Arc({1, 0, 0}, {0, 1, 0}, {0, 0, 0}, 1, {0, 0, 1}),
    });
    std::vector<Item> arcs = SketchArcs(part);
    ASSERT_EQ(arcs.size(), 1u);
    ExpectNear(arcs[0].f, {1, 0, 0, h, h, 0, 0, 1, 0});
    ExpectLeftOut("CDWF3DGrWriter::Generate3Dsketch",
                  {u"3D sketch 'sketch': arc 1 is left out: its end is its centre",
                   u"3D sketch 'sketch': arc 2 is left out: its end lies on its axis, so where "
                   u"it ends is unknown"});

    // Without an axis too.
    platform::ui().reset();
    SketchWithArcs({
        Arc({1, 0, 0}, {0, 0, 0}, {0, 0, 0}, 1),
        Arc({1, 0, 0}, {0, 1, 0}, {0, 0, 0}, 1),
    });
    arcs = SketchArcs(part);
    ASSERT_EQ(arcs.size(), 1u);
    ExpectNear(arcs[0].f, {1, 0, 0, h, h, 0, 0, 1, 0});
    ExpectLeftOut("CDWF3DGrWriter::Generate3Dsketch",
                  {u"3D sketch 'sketch': arc 1 is left out: its end is its centre"});
}

TEST_F(SketchThreadFaceReports, SplineDataIsAskedForOnceForAllSplines)
{
    host::memory::Sketch& sketch = SketchWithArcs({});
    // 500 splines of two points each: one line apiece.
    const int count = 500;
    sketch.sketchSplines.count = count;
    for (int s = 0; s < count; ++s)
        for (double value : {0.0, 0.0, 2.0, double(s), 0.0, 0.0, double(s), 1.0, 0.0})
            sketch.sketchSplines.data.push_back(value);
    DWFToolkit::DWFSegment& segment = Open();
    CDWF3DGrWriter writer(part, &segment);
    writer.Generate3Dsketch(part, segment);
    const std::vector<Item> lines = Finish().all('l');
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(count));
    ExpectNear(lines.back().f, {count - 1, 0, 0, count - 1, 1, 0});
    EXPECT_EQ(application->hostSession().requestCount("Sketch::splineData"), 1);
    EXPECT_EQ(Messages(), std::vector<std::u16string>{});
}

TEST_F(SketchThreadFaceReports, AThreadThatCannotBeDrawnIsLeftOutAloneWithItsReason)
{
    // Four threads under one hole: an edge that is not a circle, refused
    // selections, a circle with no radius, then one that can be drawn.
    const std::string rim =
        "<edge params=\"0.025 0.02 0.01  0.025 0.02 0.01  0 6.283185307179586  0 0 0\">"
        "<curve kind=\"3002\" circle=\"0.02 0.02 0.01  0 0 1  RADIUS\" is-circle=\"CIRCLE\"/>"
        "</edge>";
    const auto thread = [&](const std::string& id, const std::string& access,
                            const std::string& radius, const std::string& circle)
    {
        std::string edge = rim;
        edge.replace(edge.find("RADIUS"), 6, radius);
        edge.replace(edge.find("CIRCLE"), 6, circle);
        return "<feature id=\"" + id +
               "\" type-name=\"CosmeticThread\" kind=\"2\">"
               "<thread setting=\"0\" diameter=\"0.008\" access=\"" +
               access + "\">" + edge + "</thread></feature>\n";
    };
    auto application = host::parseHostDocument(
        "<host-document><document type=\"1\" title=\"t.PRT\" active=\"1\">\n"
        "<feature id=\"hole\" type-name=\"Hole\" kind=\"1\">\n" +
            thread("not round", "1", "0.005", "0") + thread("locked", "0", "0.005", "1") +
            thread("flat", "1", "0", "1") + thread("good", "1", "0.005", "1") +
            "</feature>\n</document></host-document>\n",
        u"");
    const Node include = Threads(application->documents().front());

    // Only the last thread: two arcs of diameter 0.008 about (0.02, 0.02, 0.01).
    const std::vector<Item> arcs = include.all('c');
    ASSERT_EQ(arcs.size(), 2u);
    ExpectNear(arcs[0].f, {0.024, 0.02, 0.01, 0.02, 0.024, 0.01, 0.016, 0.02, 0.01});
    ExpectNear(arcs[1].f, {0.024, 0.02, 0.01, 0.02, 0.016, 0.01, 0.016, 0.02, 0.01});
    ExpectLeftOut("CDWF3DGrWriter::GenerateThread",
                  {u"Cosmetic thread 'not round' is left out: its edge is not a circle",
                   u"Cosmetic thread 'locked' is left out: the host refused access to its "
                   u"selections",
                   u"Cosmetic thread 'flat' is left out: its circle gives no plane (no radius, "
                   u"or the edge starts on its axis)"});
    // Every selection granted was given back.
    const auto& log = application->hostSession().callLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), "ThreadData::accessSelections()"), 4);
    EXPECT_EQ(std::count(log.begin(), log.end(), "ThreadData::releaseSelections()"), 3);
}

TEST_F(SketchThreadFaceReports, FacesLeftOutNameTheFaceAndTheReason)
{
    auto* body = static_cast<host::memory::Body*>(part->documentBodies.at(0));
    host::memory::Face* first = body->faces;
    host::memory::Face* second = first->nextFace;
    host::memory::Face* third = second->nextFace;
    first->faceNormals.pop_back();
    const std::vector<float> normals = second->faceNormals;
    second->faceNormals.clear();
    third->triangleTotal = CDWF3DGrWriter::kMaxFaceTriangles + 1;

    DWFToolkit::DWFSegment& segment = Open();
    CDWF3DGrWriter writer(part, &segment);
    writer.GenerateShellOfBody(body, false);
    // The face of another body: the bodies are counted too.
    second->faceNormals = normals;
    writer.GenerateShellOfBody(body, false);
    const Node include = Finish();
    ASSERT_EQ(include.children.size(), 2u);
    // Three face segments each; only the mended face has a shell.
    EXPECT_EQ(include.children[0].children.size(), 3u);
    for (const Node& face : include.children[0].children)
        EXPECT_EQ(face.count('S'), 0u);
    EXPECT_EQ(include.children[1].children.at(1).count('S'), 1u);
    ExpectLeftOut("CDWF3DGrWriter::GenerateShellSegment",
                  {u"Face 1 of body 1 is left out: its normals hold 17 numbers where its 2 "
                   u"triangles need 18",
                   u"Face 2 of body 1 is left out: it has no normals (a face needs one normal per "
                   u"triangle corner)",
                   u"Face 3 of body 1 is left out: its 4194305 triangles are more than the "
                   u"4194304 a face may have",
                   u"Face 1 of body 2 is left out: its normals hold 17 numbers where its 2 "
                   u"triangles need 18",
                   u"Face 3 of body 2 is left out: its 4194305 triangles are more than the "
                   u"4194304 a face may have"});
}

TEST_F(SketchThreadFaceReports, TexturedFacesWithoutTheirCoordinatesSaySo)
{
    auto* body = static_cast<host::memory::Body*>(part->documentBodies.at(0));
    body->faces->uv.clear();
    body->faces->nextFace->uv.resize(5);
    DWFToolkit::DWFSegment& segment = Open();
    CDWF3DGrWriter writer(part, &segment);
    writer.SetComponentMode(1); // every shell carries texture values
    writer.GenerateShellOfBody(body, false);
    const Node include = Finish();
    // The shells are kept, with zeros.
    EXPECT_EQ(include.children.at(0).children.at(0).count('S'), 1u);
    EXPECT_EQ(Causes(), (std::vector<std::u16string>{
                            u"Face 1 of body 1 is drawn with texture coordinates 0: it has none",
                            u"Face 2 of body 1 is drawn with texture coordinates 0: it has 5 "
                            u"where its 2 triangles need 12"}));
}

TEST_F(SketchThreadFaceReports, TheSamplePinsEllipseCarriesBothRadii)
{
    auto assembly =
        host::loadHostDocument(u"" QUILLCAST_SOURCE_DIR "/examples/sample-assembly.xml");
    host::memory::Document* pin = nullptr;
    for (host::memory::Document* document : assembly->documents())
        if (document->title() == u"pin.PRT")
            pin = document;
    ASSERT_NE(pin, nullptr);
    auto* body = static_cast<host::memory::Body*>(pin->documentBodies.at(0));
    DWFToolkit::DWFSegment& segment = Open();
    CDWF3DGrWriter writer(pin, &segment);
    writer.GenerateEdgeFromBody(body);
    const Node include = Finish();
    std::vector<Item> ellipses;
    for (const Node& edge : include.children)
        for (const Item& item : edge.all('e'))
            ellipses.push_back(item);
    ASSERT_EQ(ellipses.size(), 1u);
    // Centre (0.003, 0.003, 0); the major end 0.003 along x, the minor end
    // 0.002 along y; the whole turn.
    ExpectNear(ellipses[0].f, {0.003, 0.003, 0, 0.006, 0.003, 0, 0.003, 0.005, 0, 0, 1});
    EXPECT_EQ(Messages(), std::vector<std::u16string>{});
}
} // namespace
