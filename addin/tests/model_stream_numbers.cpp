// What the geometry writer does with values a model stream cannot carry
// (each item they would reach is left out, named, and the stream holds only
// finite floats), with 3D sketch arc axes of any length, and with ellipses
// that have no two axes. The values are set on the sample part's in-memory
// objects, as a host might give them; expected points are worked out by
// hand (rotations of the start about the axis).
#include "addin/tests/GeometryCapture.h"

#include "host/memory/Geometry.h"
#include "host/memory/Sketch.h"
#include "platform/kernel/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using namespace geometry_test;

namespace
{

// Every float of every record, wherever it stands in the tree, is finite.
bool AllFinite(const Node& node)
{
    for (const Item& item : node.items)
        for (const auto* values : {&item.f, &item.normals, &item.parameters})
            for (float value : *values)
                if (!std::isfinite(value))
                    return false;
    for (const Node& child : node.children)
        if (!AllFinite(child))
            return false;
    return true;
}

// Every record of one opcode anywhere in the tree, in stream order.
void Collect(const Node& node, int opcode, std::vector<Item>& found)
{
    std::size_t child = 0;
    for (const Item& item : node.items)
        if (item.opcode == '(')
            Collect(node.children.at(child++), opcode, found);
        else if (item.opcode == opcode)
            found.push_back(item);
}

std::vector<Item> All(const Node& node, int opcode)
{
    std::vector<Item> found;
    Collect(node, opcode, found);
    return found;
}

class ModelStreamNumbers : public GeometryFixture
{
protected:
    std::unique_ptr<host::memory::Application> application = SamplePart();
    host::memory::Document* part = application->documents().front();
    host::memory::Body* body = static_cast<host::memory::Body*>(part->documentBodies.at(0));

    // The sample's edges: a line, a whole circle, an elliptical arc and a
    // B-spline, in this order.
    host::memory::Edge* Edge(std::size_t k)
    {
        return static_cast<host::memory::Edge*>(body->bodyEdges.at(k));
    }
    host::memory::Curve* Curve(std::size_t k) { return Edge(k)->edgeCurve; }
    host::memory::Feature* FeatureOfType(const std::u16string& type)
    {
        host::memory::Feature* feature = part->features;
        while (feature->featureTypeName != type)
            feature = feature->nextFeature;
        return feature;
    }
    host::memory::Sketch& Sketch()
    {
        return *static_cast<host::memory::Sketch*>(
            FeatureOfType(u"3DProfileFeature")->featureSketch);
    }
    host::memory::ThreadData& Thread() { return *FeatureOfType(u"Hole")->firstChild->thread; }

    Node Edges()
    {
        DWFToolkit::DWFSegment& segment = Open();
        CDWF3DGrWriter writer(part, &segment);
        writer.GenerateShellOfBody(body, false);
        writer.GenerateEdgeFromBody(body);
        return Finish();
    }
    std::vector<Item> SketchArcs()
    {
        DWFToolkit::DWFSegment& segment = Open();
        CDWF3DGrWriter writer(part, &segment);
        writer.Generate3Dsketch(part, segment);
        return Finish().all('c');
    }
};

// A 3D sketch arc of radius 1 about the origin with the given axis.
std::vector<double> ArcAbout(std::vector<double> start, std::vector<double> end, double direction,
                             std::vector<double> axis)
{
    std::vector<double> record = {0, 0, 0, 0, -1, 0};
    record.insert(record.end(), start.begin(), start.end());
    record.insert(record.end(), end.begin(), end.end());
    record.insert(record.end(), {0, 0, 0, direction});
    record.insert(record.end(), axis.begin(), axis.end());
    return record;
}
} // namespace

TEST_F(ModelStreamNumbers, ValuesSinglePrecisionCannotCarryLeaveTheirItemOut)
{
    // One value out of range on each edge, the thread and each sketch list;
    // all of them finite doubles.
    Edge(0)->parameters[3] = 1e39;
    Curve(1)->circle[6] = 1e39;
    Curve(2)->ellipse[3] = 1e39;
    Curve(3)->bspline[2 + 9 + 4] = -1e39; // the second control point's x
    Thread().threadDiameter = 1e39;
    host::memory::Sketch& sketch = Sketch();
    sketch.sketchLines.data[7] = 1e39;                // line 1's start y
    sketch.sketchSplines.data[3 + 2 * 3 + 2] = 1e300; // spline 1, point 2's z
    // An arc about (2e38, 0, 0.02) of radius 2e38 from 60 degrees to -60:
    // its ends fit, its middle (4e38, 0, 0.02) does not.
    std::copy_n(std::vector<double>{3e38, std::sqrt(3.0) * 1e38, 0.02, 3e38, -std::sqrt(3.0) * 1e38,
                                    0.02, 2e38, 0, 0.02}
                    .begin(),
                9, sketch.sketchArcs.data.begin() + 6);

    WritePart(part);
    const Node include = Finish();
    EXPECT_TRUE(AllFinite(include));
    const std::vector<std::u16string> causes = Causes();
    const std::vector<std::u16string> expected = {
        u"Edge 1 of body 1 is left out: its points are too large for single precision",
        u"Edge 2 of body 1 is left out: its points are too large for single precision",
        u"Edge 3 of body 1 is left out: its points are too large for single precision",
        u"Edge 4 of body 1 is left out: its knots, control points or weights are too large for "
        u"single precision",
        u"3D sketch 'sketch': line 1 is left out: its points are too large for single precision",
        u"3D sketch 'sketch': spline 1 is left out: its points are too large for single precision",
        u"3D sketch 'sketch': arc 1 is left out: its points are too far out to draw",
        u"Cosmetic thread 'thread' is left out: its circle is too large for single precision"};
    EXPECT_EQ(causes, expected);
    // What is left: the second sketch line and the second spline's one line;
    // no arc, ellipse or NURBS curve, and black lines only for the sketch
    // line (of style 9, which has no pattern): none for the thread.
    EXPECT_EQ(All(include, 'l').size(), 2u);
    EXPECT_EQ(All(include, 'c').size(), 0u);
    EXPECT_EQ(All(include, 'e').size(), 0u);
    EXPECT_EQ(All(include, 'N').size(), 0u);
    EXPECT_EQ(All(include, '~').size(), 1u);
    EXPECT_EQ(All(include, 0x2D).size(), 0u);
}

TEST_F(ModelStreamNumbers, ScaledTextureCoordinatesAndPlacementsThatOverflowAreSaid)
{
    // A textured component scales texture coordinates up to 1e39.
    DWFToolkit::DWFSegment& segment = Open();
    {
        CDWF3DGrWriter writer(part, &segment);
        ComponentEntry root;
        ComponentEntry textured;
        textured.textured = true;
        textured.scale = 1e39;
        textured.parent = 0;
        writer.SetComponentList({root, textured});
        writer.SetComponentMode(1);
        writer.GenerateShellOfBody(body, false);

        auto* component = application->make<host::memory::Component>();
        component->placement = application->make<host::memory::Transform>();
        component->placement->values = {1e30, 0, 0, 0, 1e30, 0, 0, 0, 1e30, 1, 2, 3, 1e10};
        float matrix[16];
        EXPECT_EQ(writer.GetComponentTransform(component, matrix), platform::E_FAIL);
        EXPECT_EQ(std::vector<float>(matrix, matrix + 16),
                  (std::vector<float>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
        // Within single precision the placement is written as ever.
        component->placement->values = {1e30, 0, 0, 0, 1e30, 0, 0, 0, 1e30, 1, 2, 3, 1e8};
        EXPECT_EQ(writer.GetComponentTransform(component, matrix), platform::S_OK);
        EXPECT_EQ(matrix[0], 1e38f);
    }
    const Node include = Finish();
    EXPECT_TRUE(AllFinite(include));
    const std::vector<Item> shells = All(include, 'S');
    ASSERT_EQ(shells.size(), 3u);
    // The first face's coordinates (u or v 1 somewhere) overflow; the third
    // face's too.
    for (const Item& shell : shells)
        for (float value : shell.parameters)
            EXPECT_EQ(value, 0.0f);
    const std::u16string zeros = u" is drawn with texture coordinates 0: its texture "
                                 u"coordinates, turned and scaled by its texture, do not fit "
                                 u"single precision";
    EXPECT_EQ(Causes(), (std::vector<std::u16string>{
                            u"Face 1 of body 1" + zeros, u"Face 2 of body 1" + zeros,
                            u"Face 3 of body 1" + zeros,
                            u"Its placement is left out: its axes times its scale are too large "
                            u"for single precision"}));
}

TEST_F(ModelStreamNumbers, ArcAxesOfAnyLengthButZeroGiveTheArcsPlane)
{
    const double h = std::sqrt(0.5);
    // Lengths whose squares overflow or underflow a double, and ordinary
    // ones: three quarters clockwise about +z from +x to +y pass -x-y at
    // 135 degrees; about (1, 1, 0) counter-clockwise from +z to (-h, h, 0)
    // they pass (0.5, -0.5, -h).
    for (const double length : {1.0, 1e-300, 1e-160, 1e-155, 1e154, 1e155, 1e300})
    {
        platform::ui().reset();
        host::memory::Sketch& sketch = Sketch();
        sketch.sketchLines = {};
        sketch.sketchSplines = {};
        sketch.sketchArcs.count = 3;
        sketch.sketchArcs.data.clear();
        for (const auto& arc : {ArcAbout({1, 0, 0}, {0, 1, 0}, -1, {0, 0, length}),
                                ArcAbout({0, 0, 1}, {-h, h, 0}, 1, {length, length, 0}),
                                // A whole circle in z = 0.
                                ArcAbout({1, 0, 0}, {1, 0, 0}, 1, {0, 0, length})})
            sketch.sketchArcs.data.insert(sketch.sketchArcs.data.end(), arc.begin(), arc.end());
        const std::vector<Item> arcs = SketchArcs();
        EXPECT_EQ(Messages(), std::vector<std::u16string>{}) << length;
        ASSERT_EQ(arcs.size(), 4u) << length;
        ExpectNear(arcs[0].f, {1, 0, 0, -h, -h, 0, 0, 1, 0});
        ExpectNear(arcs[1].f, {0, 0, 1, 0.5, -0.5, -h, -h, h, 0});
        ExpectNear(arcs[2].f, {1, 0, 0, 0, 1, 0, -1, 0, 0});
        ExpectNear(arcs[3].f, {1, 0, 0, 0, -1, 0, -1, 0, 0});
    }
}

TEST_F(ModelStreamNumbers, EllipsesWithoutTwoAxesAreLeftOutNamed)
{
    struct Case
    {
        std::vector<double> ellipse; // radius, direction, radius, direction
        const char16_t* reason;      // nullptr: drawn
    };
    const std::vector<Case> cases = {
        {{0.008, 0, 0, 0, 0.004, 0, 1, 0}, u"its major direction is (0, 0, 0)"},
        {{0.008, 1, 0, 0, 0.004, 0, 0, 0}, u"its minor direction is (0, 0, 0)"},
        {{0, 1, 0, 0, 0.004, 0, 1, 0}, u"its major radius is 0"},
        {{0.008, 1, 0, 0, 0, 0, 1, 0}, u"its minor radius is 0"},
        {{0.008, 1, 0, 0, 0.004, -2, 0, 0}, u"its major and minor directions are parallel"},
        {{0.008, 1, 0, 0, 0.004, 1, 1e-7, 0}, u"its major and minor directions are parallel"},
        {{1e-300, 1, 0, 0, 0.004, 0, 1, 0}, u"its axes are too short for single precision"},
        // Axes that are not square to each other, or not of unit length,
        // still make an ellipse.
        {{0.008, 1, 0, 0, 0.004, 1, 1, 0}, nullptr},
        {{0.008, 2, 0, 0, 0.004, 0, 0.5, 0}, nullptr},
        {{0.008, 1e-200, 0, 0, 0.004, 0, 1, 0}, u"its axes are too short for single precision"},
    };
    for (const Case& c : cases)
    {
        platform::ui().reset();
        std::vector<double>& ellipse = Curve(2)->ellipse;
        ellipse = {0.02, 0.02, 0};
        ellipse.insert(ellipse.end(), c.ellipse.begin(), c.ellipse.end());
        const Node include = Edges();
        const std::size_t written = All(include, 'e').size();
        if (!c.reason)
        {
            EXPECT_EQ(written, 1u);
            EXPECT_EQ(Messages(), std::vector<std::u16string>{});
            continue;
        }
        EXPECT_EQ(written, 0u) << platform::utf16ToUtf8(c.reason);
        EXPECT_EQ(Messages(),
                  std::vector<std::u16string>{Message("CDWF3DGrWriter::GenerateEllipseWire")});
        EXPECT_EQ(Causes(), std::vector<std::u16string>{u"Edge 3 of body 1 is left out: " +
                                                        std::u16string(c.reason)});
        // The edge's segment stays, without a curve; the other three edges
        // are drawn.
        ASSERT_EQ(include.children.size(), 5u);
        EXPECT_EQ(include.children[1].count('l'), 1u);
        EXPECT_EQ(include.children[2].count('c'), 2u);
        EXPECT_EQ(include.children[3].items.size(), include.children[1].items.size() - 1);
        EXPECT_EQ(include.children[4].count('N'), 1u);
    }
}
