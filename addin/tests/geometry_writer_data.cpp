// Host data the loader would refuse or that sits on the edge of the
// geometry (counts that disagree with their arrays, broken B-spline headers,
// sketch offsets past the data, infinite angles, points on an axis), built
// into the sample part's in-memory objects. A face or edge whose data does
// not fit is skipped with its method's message and the walk goes on; nothing
// writes a value that is not a number, loops, or reads past an array.
#include "addin/tests/GeometryCapture.h"

#include "host/memory/Geometry.h"
#include "host/memory/Sketch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace geometry_test;

namespace
{
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const double kPi = 3.141592653589793;

bool AllNumbers(const Node& node)
{
    for (const Item& item : node.items)
        for (float value : item.f)
            if (!std::isfinite(value))
                return false;
    for (const Node& child : node.children)
        if (!AllNumbers(child))
            return false;
    return true;
}

std::vector<double> BsplineBlock(int stride, int order, int count, std::vector<double> rest)
{
    const auto header = host::packBsplineHeader({stride, order, count, 0});
    std::vector<double> block(header.begin(), header.end());
    block.insert(block.end(), rest.begin(), rest.end());
    return block;
}

class GeometryWriterData : public GeometryFixture
{
protected:
    std::unique_ptr<host::memory::Application> application = SamplePart();
    host::memory::Document* part = application->documents().front();
    host::memory::Body* body = static_cast<host::memory::Body*>(part->documentBodies.at(0));

    host::memory::Face* Face(int k)
    {
        host::memory::Face* face = body->faces;
        while (k-- > 0)
            face = face->nextFace;
        return face;
    }
    host::memory::Edge* Edge(std::size_t k)
    {
        return static_cast<host::memory::Edge*>(body->bodyEdges.at(k));
    }
    host::memory::Curve* Curve(std::size_t k) { return Edge(k)->edgeCurve; }
    // Features: boss, hole (holding the thread), sketch, fillet.
    host::memory::Feature* Feature(int k)
    {
        host::memory::Feature* feature = part->features;
        while (k-- > 0)
            feature = feature->nextFeature;
        return feature;
    }
    host::memory::ThreadData* Thread() { return Feature(1)->firstChild->thread; }
    host::memory::Sketch* Sketch()
    {
        return static_cast<host::memory::Sketch*>(Feature(2)->featureSketch);
    }

    // Runs one pass of a writer over the include segment and reads it back.
    template <class Pass> Node Write(Pass&& pass)
    {
        DWFToolkit::DWFSegment& segment = Open();
        CDWF3DGrWriter writer(part, &segment);
        pass(writer, segment);
        return Finish();
    }
    Node Body(bool noColour = false, int componentMode = 0)
    {
        return Write(
            [&](CDWF3DGrWriter& writer, DWFToolkit::DWFSegment&)
            {
                writer.SetComponentMode(componentMode);
                writer.GenerateShellOfBody(body, noColour);
            });
    }
    Node Edges()
    {
        return Write([&](CDWF3DGrWriter& writer, DWFToolkit::DWFSegment&)
                     { writer.GenerateEdgeFromBody(body); });
    }
    Node Sketches()
    {
        return Write([&](CDWF3DGrWriter& writer, DWFToolkit::DWFSegment& segment)
                     { writer.Generate3Dsketch(part, segment); });
    }
    Node Threads()
    {
        return Write([&](CDWF3DGrWriter& writer, DWFToolkit::DWFSegment&)
                     { writer.GenerateThread(nullptr); });
    }
};
} // namespace

TEST_F(GeometryWriterData, FacesWhoseArraysDoNotFitWriteNoShell)
{
    Face(0)->triangleTotal = 3; // the arrays hold 2
    Face(1)->faceNormals.pop_back();
    Face(2)->triangleTotal = -5; // nothing to write, nothing to say
    const Node include = Body();
    EXPECT_EQ(Messages(),
              (std::vector<std::u16string>{Message("CDWF3DGrWriter::GenerateShellSegment"),
                                           Message("CDWF3DGrWriter::GenerateShellSegment")}));
    const Node& bodyNode = include.children.at(0);
    // Every face keeps its segment (and the side face its colour).
    ASSERT_EQ(bodyNode.children.size(), 3u);
    for (const Node& face : bodyNode.children)
    {
        EXPECT_EQ(face.count('S'), 0u);
        EXPECT_EQ(face.count('P'), 0u);
    }
    EXPECT_EQ(bodyNode.children[1].count('"'), 1u);
}

TEST_F(GeometryWriterData, AnAbsurdTriangleCountIsRefusedBeforeAnythingIsSized)
{
    Face(0)->triangleTotal = CDWF3DGrWriter::kMaxFaceTriangles + 1;
    Face(1)->triangleTotal = std::numeric_limits<int>::max();
    const Node include = Body();
    EXPECT_EQ(Messages(),
              (std::vector<std::u16string>{Message("CDWF3DGrWriter::GenerateShellSegment"),
                                           Message("CDWF3DGrWriter::GenerateShellSegment")}));
    // The two faces' arrays were never asked for.
    EXPECT_EQ(application->hostSession().requestCount("Face::normals"), 1);
    EXPECT_EQ(include.children.at(0).children.at(2).count('S'), 1u);
}

TEST_F(GeometryWriterData, TexturedShellsCarryTheirTextureValues)
{
    // A component being written counts as textured: the shells carry the
    // host's texture values (u, v, 0), here unturned and unscaled.
    const Node include = Body(false, 1);
    EXPECT_EQ(Messages(), std::vector<std::u16string>{});
    const Node& top = include.children.at(0).children.at(0);
    // No colour while a component is written.
    EXPECT_EQ(include.children.at(0).count('"'), 0u);
    EXPECT_EQ(top.count('"'), 0u);
    const Item shell = top.all('S').at(0);
    ASSERT_EQ(shell.parameters.size(), shell.f.size());
    for (std::size_t v = 0; v < shell.f.size(); v += 3)
    {
        // The top face maps (x, y) of its 0.04 square onto (u, v) = (x, y)/0.04.
        SCOPED_TRACE("vertex " + std::to_string(v / 3));
        EXPECT_NEAR(shell.parameters[v], shell.f[v] / 0.04, 1e-3);
        EXPECT_NEAR(shell.parameters[v + 1], shell.f[v + 1] / 0.04, 1e-3);
        EXPECT_EQ(shell.parameters[v + 2], 0.0f);
    }
}

TEST_F(GeometryWriterData, UnreadableTextureValuesLeaveZeros)
{
    Face(0)->uv.pop_back();
    application->hostSession().failRequest("Face::textureCoordinates", 2);
    const Node include = Body(false, 1);
    // Both faces say so without a period, and keep their shells.
    EXPECT_EQ(Messages(), (std::vector<std::u16string>{
                              Message("CDWF3DGrWriter::GenerateShellSegment", false),
                              Message("CDWF3DGrWriter::GenerateShellSegment", false)}));
    for (int k : {0, 1})
    {
        const Item shell =
            include.children.at(0).children.at(static_cast<std::size_t>(k)).all('S').at(0);
        for (float value : shell.parameters)
            EXPECT_EQ(value, 0.0f);
    }
}

TEST_F(GeometryWriterData, NoColourSuppressedFacesAndTheShellStatus)
{
    {
        const Node include = Body(true);
        EXPECT_EQ(include.children.at(0).count('"'), 0u);
        for (const Node& face : include.children.at(0).children)
            EXPECT_EQ(face.count('"'), 0u);
    }
    // A suppressed feature's faces get no segment; status 1 writes no shell
    // but still the colours.
    Feature(0)->isSuppressed = true;
    part->shellStatusFlag = 1;
    const Node include = Body();
    const Node& bodyNode = include.children.at(0);
    ASSERT_EQ(bodyNode.children.size(), 1u);
    EXPECT_EQ(bodyNode.children[0].count('S'), 0u);
    EXPECT_EQ(bodyNode.count('"'), 1u);
    EXPECT_EQ(Messages(), std::vector<std::u16string>{});
}

TEST_F(GeometryWriterData, AFaceListThatComesBackEndsTheWalk)
{
    Face(2)->nextFace = Face(0);
    const Node include = Body();
    EXPECT_EQ(include.children.at(0).children.size(), 3u);
    EXPECT_EQ(application->hostSession().requestCount("Face::triangleCount"), 3);
}

TEST_F(GeometryWriterData, EdgesThatAreNoneOrDoNotFitAreSkipped)
{
    body->bodyEdges.insert(body->bodyEdges.begin(), nullptr);
    Edge(2)->parameters.resize(10);       // the circle
    Edge(3)->edgeCurve->curveKind = 3004; // not written, but a segment
    auto* bare = application->make<host::memory::Edge>();
    body->bodyEdges.push_back(bare); // an edge without a curve
    const Node include = Edges();
    EXPECT_EQ(Messages(),
              std::vector<std::u16string>{Message("CDWF3DGrWriter::GenerateEdgeFromBody")});
    // Line, ellipse (now of no kind), B-spline and the bare edge.
    ASSERT_EQ(include.children.size(), 4u);
    EXPECT_EQ(include.children[0].count('l'), 1u);
    for (std::size_t k : {1u, 3u})
    {
        EXPECT_EQ(include.children[k].count('V'), 1u);
        EXPECT_EQ(include.children[k].count('H'), 1u);
        EXPECT_EQ(include.children[k].items.size(), 4u);
    }
    EXPECT_EQ(include.children[2].count('N'), 1u);
}

TEST_F(GeometryWriterData, CircularEdgesByTheirSweep)
{
    // A unit circle about the origin in the x-y plane.
    host::memory::Curve& circle = *Curve(1);
    circle.circle = {0, 0, 0, 0, 0, 1, 1};
    auto arcsFor = [&](std::vector<double> params)
    {
        Edge(1)->parameters = params;
        const Node include = Edges();
        return include.children.at(1).all('c');
    };
    const double h = std::sqrt(0.5);
    // A quarter: through the point above the chord's middle.
    auto arcs = arcsFor({1, 0, 0, 0, 1, 0, 0, kPi / 2, 0, 0, 0});
    ASSERT_EQ(arcs.size(), 1u);
    ExpectNear(arcs[0].f, {1, 0, 0, h, h, 0, 0, 1, 0});
    // Three quarters: through the point opposite it.
    arcs = arcsFor({1, 0, 0, 0, -1, 0, 0, 3 * kPi / 2, 0, 0, 0});
    ASSERT_EQ(arcs.size(), 1u);
    ExpectNear(arcs[0].f, {1, 0, 0, -h, h, 0, 0, -1, 0});
    // A half: the chord's middle is the centre; one arc through the point a
    // quarter turn on, axis x (S - c) = (0, 1, 0).
    arcs = arcsFor({1, 0, 0, -1, 0, 0, 0, kPi, 0, 0, 0});
    ASSERT_EQ(arcs.size(), 1u);
    ExpectNear(arcs[0].f, {1, 0, 0, 0, 1, 0, -1, 0, 0});
    // A whole circle whose start lies on the axis: no plane, nothing drawn,
    // and the edge is named with the reason.
    circle.circle = {0, 0, 0, 1, 0, 0, 1};
    arcs = arcsFor({1, 0, 0, 1, 0, 0, 0, 2 * kPi, 0, 0, 0});
    EXPECT_TRUE(arcs.empty());
    const auto& boxes = platform::ui().messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].cause.find(u"is left out: its start lies on its circle's axis"),
              std::u16string::npos);
}

TEST_F(GeometryWriterData, EllipseAnglesAreBroughtIntoOneTurn)
{
    auto limitsFor = [&](double start, double end)
    {
        Edge(2)->parameters[6] = start;
        Edge(2)->parameters[7] = end;
        platform::ui().reset();
        const Node include = Edges();
        const std::vector<Item> arcs = include.children.at(2).all('e');
        return arcs.empty() ? std::vector<float>{}
                            : std::vector<float>(arcs[0].f.end() - 2, arcs[0].f.end());
    };
    ExpectNear(limitsFor(-kPi / 2, 3 * kPi), {0.75, 0.5});
    // A whole number of turns stays a whole turn; a tiny angle is 0.
    ExpectNear(limitsFor(4 * kPi, 1e-7), {1.0, 0.0});
    // Huge angles end at once, inside one turn.
    const std::vector<float> huge = limitsFor(1e300, -1e300);
    ASSERT_EQ(huge.size(), 2u);
    for (float limit : huge)
    {
        EXPECT_GE(limit, 0.0f);
        EXPECT_LE(limit, 1.0f);
    }
    // Infinite or undefined angles and parameters give no arc.
    for (const auto& [start, end] :
         {std::pair{kInf, 1.0}, std::pair{0.0, -kInf}, std::pair{kNaN, 1.0}})
    {
        EXPECT_TRUE(limitsFor(start, end).empty());
        EXPECT_EQ(Messages(),
                  std::vector<std::u16string>{Message("CDWF3DGrWriter::GenerateEllipseWire")});
    }
    Edge(2)->parameters[6] = 0;
    Curve(2)->ellipse[3] = kInf;
    platform::ui().reset();
    EXPECT_EQ(Edges().children.at(2).count('e'), 0u);
    EXPECT_EQ(Messages(),
              std::vector<std::u16string>{Message("CDWF3DGrWriter::GenerateEllipseWire")});
}

TEST_F(GeometryWriterData, BsplineBlocksAreTrustedOnlyAsFarAsTheyReach)
{
    const std::vector<double> knots = {0, 0, 0, 0.5, 1, 1, 1};
    const std::vector<double> points = {0, 0, 0, 1, 1, 0, 2, 0, 0, 3, 1, 0};
    auto with = [](std::vector<double> a, const std::vector<double>& b)
    {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    struct Case
    {
        const char* what;
        std::vector<double> block;
        bool written;
    };
    const std::vector<Case> cases = {
        {"stride 3, no weights", BsplineBlock(3, 3, 4, with(knots, points)), true},
        {"more values than the header needs",
         BsplineBlock(3, 3, 4, with(with(knots, points), {9, 9, 9})), true},
        {"stride 0", BsplineBlock(0, 3, 4, with(knots, points)), false},
        {"stride 5", BsplineBlock(5, 3, 4, with(knots, points)), false},
        {"order 0", BsplineBlock(3, 0, 4, with(knots, points)), false},
        {"count 0", BsplineBlock(3, 3, 0, with(knots, points)), false},
        {"negative count", BsplineBlock(3, 3, -4, with(knots, points)), false},
        {"one point too many", BsplineBlock(3, 3, 5, with(knots, points)), false},
        {"a count far past the block", BsplineBlock(4, 4, 1 << 30, with(knots, points)), false},
        {"order above a byte's degree", BsplineBlock(3, 300, 4, with(knots, points)), false},
        {"shorter than its header", {1.0}, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Curve(3)->bspline = c.block;
        platform::ui().reset();
        const std::vector<Item> nurbs = Edges().children.at(3).all('N');
        EXPECT_EQ(nurbs.size(), c.written ? 1u : 0u);
        EXPECT_EQ(Messages(), c.written ? std::vector<std::u16string>{}
                                        : std::vector<std::u16string>{
                                              Message("CDWF3DGrWriter::GenerateBcurveWire")});
        if (c.written && !nurbs.empty())
        {
            EXPECT_EQ(nurbs[0].i[0], 2);
            EXPECT_EQ(nurbs[0].i[1], 4);
            ExpectNear(nurbs[0].f, points);
            EXPECT_TRUE(nurbs[0].normals.empty());
            ExpectNear(nurbs[0].parameters, knots);
        }
    }
    // An empty block is no curve, and nothing to say.
    Curve(3)->bspline.clear();
    platform::ui().reset();
    EXPECT_EQ(Edges().children.at(3).count('N'), 0u);
    EXPECT_EQ(Messages(), std::vector<std::u16string>{});
}

TEST_F(GeometryWriterData, SketchSplinesAreReadOnlyInsideTheirData)
{
    host::memory::Sketch& sketch = *Sketch();
    const std::vector<double> first = {0, 0, 3, 0, 0, 0, 1, 0, 0, 1, 1, 0};
    struct Case
    {
        const char* what;
        double count;
        std::size_t lines; // of the splines: 2 from the first, then the second's
    };
    const std::vector<Case> cases = {
        {"a count past the data", 3, 2}, {"a negative count", -1, 2},
        {"a fractional count", 1.5, 2},  {"an undefined count", kNaN, 2},
        {"a huge count", 1e300, 2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        sketch.sketchSplines.count = 2;
        sketch.sketchSplines.data = first;
        // The second head claims `count` points but only two follow.
        for (double value : {0.0, 0.0, c.count, 5.0, 5.0, 5.0, 6.0, 6.0, 6.0})
            sketch.sketchSplines.data.push_back(value);
        platform::ui().reset();
        const Node include = Sketches();
        // Two sketch lines, the first spline's two, and the arc.
        EXPECT_EQ(include.count('l'), 2u + c.lines);
        EXPECT_EQ(include.count('c'), 1u);
        EXPECT_EQ(Messages(),
                  std::vector<std::u16string>{Message("CDWF3DGrWriter::Generate3Dsketch")});
        EXPECT_TRUE(AllNumbers(include));
    }
    // Data that runs out ends the whole sketch walk: no arcs after it.
    sketch.sketchSplines.count = 2;
    sketch.sketchSplines.data.clear();
    platform::ui().reset();
    const Node include = Sketches();
    EXPECT_EQ(include.count('l'), 2u);
    EXPECT_EQ(include.count('c'), 0u);
    EXPECT_EQ(Messages(), std::vector<std::u16string>{});
}

TEST_F(GeometryWriterData, SketchLinesAndArcsThatDoNotFitOrHaveNoMiddle)
{
    host::memory::Sketch& sketch = *Sketch();
    sketch.sketchLines.count = 3; // two records
    // A half circle: its chord's middle is its centre. Then a proper arc.
    sketch.sketchArcs.count = 2;
    sketch.sketchArcs.data = {0, 0, 0, 0, -1, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1,
                              0, 0, 0, 0, -1, 0, 1, 0, 0, 0,  1, 0, 0, 0, 0, 1};
    const Node include = Sketches();
    // One message for the lines, one for the half circle, which gives no
    // axis to tell its side.
    EXPECT_EQ(Messages(),
              std::vector<std::u16string>(2, Message("CDWF3DGrWriter::Generate3Dsketch")));
    // No sketch lines, the splines' four, and only the quarter arc.
    EXPECT_EQ(include.count('l'), 4u);
    const std::vector<Item> arcs = include.all('c');
    ASSERT_EQ(arcs.size(), 1u);
    const double h = std::sqrt(0.5);
    ExpectNear(arcs[0].f, {1, 0, 0, h, h, 0, 0, 1, 0});
    EXPECT_TRUE(AllNumbers(include));

    // A sketch whose flag is not 1 is not written.
    sketch.sketchFlag = 0;
    EXPECT_TRUE(Sketches().items.size() == 1u); // only the include's own options
}

TEST_F(GeometryWriterData, SketchLineStylesAndAFeatureListThatComesBack)
{
    host::memory::Sketch& sketch = *Sketch();
    sketch.sketchSplines.count = 0;
    sketch.sketchArcs.count = 0;
    const std::vector<double> styles = {0, 5.9, 6, 7, 8, 9, -0.5, -1, kNaN, 1e300};
    sketch.sketchLines.count = static_cast<int>(styles.size());
    sketch.sketchLines.data.clear();
    for (double style : styles)
        for (double value : {0.0, style, 0.0, 0.0, -1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 1.0, 1.0})
            sketch.sketchLines.data.push_back(value);
    Feature(3)->nextFeature = Feature(0); // the list comes back to its start
    const Node include = Sketches();
    std::vector<int> patterns;
    for (const Item& item : include.items)
        if (item.opcode == '-')
            patterns.push_back(item.i[0]);
        else if (item.opcode == 'l')
            patterns.push_back(-1); // a line
    // 0 -> 0, 5.9 -> 0, 6 -> 1, 7 -> 0, 8 -> 0, 9 none, -0.5 -> 0 (truncated),
    // -1 none, undefined none, huge none.
    EXPECT_EQ(patterns,
              (std::vector<int>{0, -1, 0, -1, 1, -1, 0, -1, 0, -1, -1, 0, -1, -1, -1, -1}));
    EXPECT_EQ(application->hostSession().requestCount("Feature::typeName"), 4);
}

TEST_F(GeometryWriterData, ThreadsWithoutAPlaneDrawNothing)
{
    host::memory::ThreadData& thread = *Thread();
    auto* rim = static_cast<host::memory::Edge*>(thread.threadEdge);
    auto arcsOf = [&]
    {
        platform::ui().reset();
        const Node include = Threads();
        EXPECT_TRUE(AllNumbers(include));
        return include.all('c');
    };
    // Setting 0 keeps the diameter: 0.008 about (0.02, 0.02, 0.01).
    thread.threadSetting = 0;
    auto arcs = arcsOf();
    ASSERT_EQ(arcs.size(), 2u);
    ExpectNear(arcs[0].f, {0.024, 0.02, 0.01, 0.02, 0.024, 0.01, 0.016, 0.02, 0.01});
    // A circle of no radius, a start on the axis: nothing drawn, and said.
    rim->edgeCurve->circle[6] = 0.0;
    EXPECT_TRUE(arcsOf().empty());
    EXPECT_EQ(Messages(), std::vector<std::u16string>{Message("CDWF3DGrWriter::GenerateThread")});
    rim->edgeCurve->circle[6] = 0.005;
    rim->parameters[0] = 0.02;
    EXPECT_TRUE(arcsOf().empty());
    EXPECT_EQ(Messages(), std::vector<std::u16string>{Message("CDWF3DGrWriter::GenerateThread")});
    // Values that do not fit: the thread's message, its selections given back.
    rim->parameters.resize(3);
    EXPECT_TRUE(arcsOf().empty());
    EXPECT_EQ(Messages(), std::vector<std::u16string>{Message("CDWF3DGrWriter::GenerateThread")});
    const auto& log = application->hostSession().callLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), "ThreadData::releaseSelections()"),
              std::count(log.begin(), log.end(), "ThreadData::accessSelections()"));
}

TEST_F(GeometryWriterData, ThreadsAreLeftOutAtANonCircleOrARefusedAccess)
{
    host::memory::ThreadData& thread = *Thread();
    static_cast<host::memory::Edge*>(thread.threadEdge)->edgeCurve->circular = false;
    Node include = Threads();
    EXPECT_EQ(include.count('c'), 0u);
    EXPECT_EQ(application->hostSession().callLog().back(), "ThreadData::releaseSelections()");

    application->hostSession().clearLog();
    thread.grantsAccess = false;
    include = Threads();
    EXPECT_EQ(include.items.size(), 1u);
    EXPECT_EQ(application->hostSession().callLog(),
              std::vector<std::string>{"ThreadData::accessSelections()"});
    // Each time the thread is named in a message of its own.
    EXPECT_EQ(Messages(),
              std::vector<std::u16string>(2, Message("CDWF3DGrWriter::GenerateThread")));
}

TEST_F(GeometryWriterData, ComponentTransformsStartFromTheIdentity)
{
    DWFToolkit::DWFSegment& segment = Open();
    CDWF3DGrWriter writer(part, &segment);
    auto* component = application->make<host::memory::Component>();
    const std::vector<float> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float matrix[16];
    auto matrixOf = [&] { return std::vector<float>(matrix, matrix + 16); };

    EXPECT_EQ(writer.GetComponentTransform(nullptr, matrix), platform::S_OK);
    EXPECT_EQ(matrixOf(), identity);
    std::fill(matrix, matrix + 16, 7.0f);
    EXPECT_EQ(writer.GetComponentTransform(component, matrix), platform::E_FAIL);
    EXPECT_EQ(matrixOf(), identity);

    auto* placement = application->make<host::memory::Transform>();
    component->placement = placement;
    // The scale (the thirteenth number) multiplies the images of the axes;
    // the matrix's last element stays 1, as no reader takes it for a scale.
    placement->values = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0.5};
    EXPECT_EQ(writer.GetComponentTransform(component, matrix), platform::S_OK);
    EXPECT_EQ(matrixOf(), (std::vector<float>{0.5f, 1, 1.5f, 0, 2, 2.5f, 3, 0, 3.5f, 4, 4.5f, 0, 10,
                                              11, 12, 1}));

    placement->values.resize(12);
    EXPECT_EQ(writer.GetComponentTransform(component, matrix), platform::E_FAIL);
    EXPECT_EQ(matrixOf(), identity);
    placement->values.resize(13);
    application->hostSession().failRequest("Transform::arrayData");
    EXPECT_EQ(writer.GetComponentTransform(component, matrix), platform::E_FAIL);
    EXPECT_EQ(matrixOf(), identity);
    // The caller tests the result; nothing is shown.
    EXPECT_EQ(Messages(), std::vector<std::u16string>{});
    Finish();
}
