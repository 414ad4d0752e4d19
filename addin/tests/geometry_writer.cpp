// The sample part written through the geometry writer into a model, read
// back through the W3D reader, and checked against values worked out by hand
// from examples/sample-part.xml.
#include "addin/tests/GeometryCapture.h"

#include "host/memory/Geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <clocale>
#include <cmath>
#include <string>
#include <vector>

using namespace geometry_test;

namespace
{
using Triangle = std::array<std::array<float, 3>, 3>;

// A triangle turned so that its smallest corner comes first (its turning
// sense is kept): shells may start a triangle at any corner.
Triangle Canonical(Triangle t)
{
    const auto first = std::min_element(t.begin(), t.end()) - t.begin();
    std::rotate(t.begin(), t.begin() + first, t.end());
    return t;
}

std::vector<Triangle> TrianglesOf(const Item& shell)
{
    std::vector<Triangle> triangles;
    for (std::size_t at = 0; at + 3 < shell.faces.size(); at += 4)
    {
        EXPECT_EQ(shell.faces[at], 3);
        Triangle t;
        for (int corner = 0; corner < 3; ++corner)
        {
            const std::size_t v = static_cast<std::size_t>(shell.faces[at + 1 + corner]);
            t[static_cast<std::size_t>(corner)] = {shell.f[3 * v], shell.f[3 * v + 1],
                                                   shell.f[3 * v + 2]};
        }
        triangles.push_back(Canonical(t));
    }
    std::sort(triangles.begin(), triangles.end());
    return triangles;
}

std::vector<Triangle> TrianglesOf(const std::vector<float>& corners)
{
    std::vector<Triangle> triangles;
    for (std::size_t at = 0; at + 9 <= corners.size(); at += 9)
    {
        Triangle t;
        for (std::size_t c = 0; c < 3; ++c)
            t[c] = {corners[at + 3 * c], corners[at + 3 * c + 1], corners[at + 3 * c + 2]};
        triangles.push_back(Canonical(t));
    }
    std::sort(triangles.begin(), triangles.end());
    return triangles;
}

// Channels 0, 2 and 3 of a material colour (channel 4 is filled but not
// announced, channel 1 announced but never filled), in bytes as the record
// carries them.
void ExpectMaterialColour(const Item& colour, const std::array<double, 9>& m)
{
    ASSERT_EQ(colour.opcode, '"');
    EXPECT_EQ(colour.i, (std::vector<int>{1, 0x0F}));
    const double tolerance = 0.5 / 255.0 + 1e-6;
    ExpectNear({colour.f.begin(), colour.f.begin() + 3}, {m[0] * m[4], m[1] * m[4], m[2] * m[4]},
               tolerance);
    ExpectNear({colour.f.begin() + 3, colour.f.begin() + 6}, {0, 0, 0}, tolerance);
    ExpectNear({colour.f.begin() + 6, colour.f.begin() + 9},
               {m[0] * m[5], m[1] * m[5], m[2] * m[5]}, tolerance);
    ExpectNear({colour.f.begin() + 9, colour.f.begin() + 12}, {m[7], m[7], m[7]}, tolerance);
}

// Heuristics with only bit 1 masked, and cleared by the value (which the
// record carries in the mask's width).
void ExpectHeuristics(const Item& heuristics)
{
    EXPECT_EQ(heuristics.opcode, 'H');
    ASSERT_EQ(heuristics.i.size(), 2u);
    EXPECT_EQ(heuristics.i[0], 2);
    EXPECT_EQ(heuristics.i[1] & 2, 0);
}

class SamplePartWrite : public GeometryFixture
{
};
} // namespace

TEST_F(SamplePartWrite, OneBodySegmentOfThreeFaceShells)
{
    auto application = SamplePart();
    host::memory::Document* part = application->documents().front();
    WritePart(part);
    EXPECT_EQ(Messages(), std::vector<std::u16string>{});
    const Node include = Finish();

    // The body's heuristics in the writer's segment, then the body segment.
    ASSERT_GE(include.items.size(), 3u);
    EXPECT_EQ(include.items[0].opcode, 'U');
    EXPECT_EQ(include.items[1].opcode, 'H');
    ExpectHeuristics(include.items[1]);
    ASSERT_EQ(include.items[2].opcode, '(');
    const Node& body = include.children.at(0);
    EXPECT_EQ(body.name, "");
    ASSERT_EQ(body.children.size(), 3u);

    // The body's own colour from its material values.
    ASSERT_EQ(body.count('"'), 1u);
    ExpectMaterialColour(body.all('"')[0], {0.7, 0.7, 0.72, 0, 1, 0.5, 0, 0.2, 0.1});

    auto* loaded = static_cast<host::memory::Body*>(part->documentBodies.at(0));
    const std::array<std::vector<float>, 3> expectedNormals = {
        std::vector<float>{0, 0, 1}, std::vector<float>{0, -1, 0}, std::vector<float>{0, 0, -1}};
    const std::array<int, 3> triangleCounts = {2, 2, 4};
    host::memory::Face* face = loaded->faces;
    for (std::size_t k = 0; k < 3; ++k, face = face->nextFace)
    {
        SCOPED_TRACE("face " + std::to_string(k));
        const Node& faceNode = body.children[k];
        // Only the side face has material values of its own.
        EXPECT_EQ(faceNode.count('"'), k == 1 ? 1u : 0u);
        if (k == 1)
            ExpectMaterialColour(faceNode.all('"')[0], {0.2, 0.3, 0.8, 0, 1, 0.5, 0, 0.2, 0.1});
        ASSERT_EQ(faceNode.count('P'), 1u);
        EXPECT_EQ(faceNode.all('P')[0].i, std::vector<int>{8});
        ASSERT_EQ(faceNode.count('S'), 1u);
        const Item shell = faceNode.all('S')[0];
        EXPECT_EQ(shell.i[1], triangleCounts[k]);
        // Every triangle comes back as the host gave it; coincident corners
        // may have been merged.
        EXPECT_EQ(TrianglesOf(shell), TrianglesOf(face->faceTriangles));
        EXPECT_LE(shell.i[0], 3 * triangleCounts[k]);
        ASSERT_EQ(shell.normals.size(), shell.f.size());
        for (std::size_t v = 0; v < shell.normals.size(); v += 3)
            ExpectNear({shell.normals.begin() + static_cast<long>(v),
                        shell.normals.begin() + static_cast<long>(v) + 3},
                       {expectedNormals[k][0], expectedNormals[k][1], expectedNormals[k][2]}, 0.01);
        // No texture is in force, so no texture values are written.
        EXPECT_TRUE(shell.parameters.empty());
    }
}

TEST_F(SamplePartWrite, EdgesAsLineArcsEllipseAndNurbs)
{
    auto application = SamplePart();
    WritePart(application->documents().front());
    const Node include = Finish();
    ASSERT_EQ(include.children.size(), 5u); // the body, then four edges

    for (std::size_t e = 1; e <= 4; ++e)
    {
        SCOPED_TRACE("edge " + std::to_string(e));
        const Node& edge = include.children[e];
        ASSERT_GE(edge.items.size(), 4u);
        // Edges use the published-edges style and are visible only as edges.
        EXPECT_EQ(edge.items[0].opcode, '{');
        EXPECT_EQ(edge.items[1].text, "edges");
        EXPECT_EQ(edge.items[2].opcode, 'V');
        ASSERT_EQ(edge.items[2].i.size(), 2u);
        // Only bit 0 is set by the mask, and the value clears it.
        EXPECT_EQ(edge.items[2].i[0], 1);
        EXPECT_EQ(edge.items[2].i[1] & 1, 0);
        ExpectHeuristics(edge.items[3]);
    }

    // The line from the edge's start to its end.
    ASSERT_EQ(include.children[1].count('l'), 1u);
    ExpectNear(include.children[1].all('l')[0].f, {0, 0, 0, 0.04, 0, 0});

    // The rim: centre (0.02, 0.02, 0.01), axis z, radius 0.005, start and end
    // (0.025, 0.02, 0.01). Closed: two half arcs from S to the opposite point
    // O = 2c - S through c ± r (axis x (S - c)) / |...| = c ± (0, 0.005, 0).
    const std::vector<Item> rim = include.children[2].all('c');
    ASSERT_EQ(rim.size(), 2u);
    ExpectNear(rim[0].f, {0.025, 0.02, 0.01, 0.02, 0.025, 0.01, 0.015, 0.02, 0.01});
    ExpectNear(rim[1].f, {0.025, 0.02, 0.01, 0.02, 0.015, 0.01, 0.015, 0.02, 0.01});

    // The ellipse: centre (0.02, 0.02, 0), major point c + 0.008 x, minor
    // point c + 0.004 y; -pi/2 becomes 3pi/2 (0.75 of a turn), 3pi becomes
    // pi (0.5).
    const std::vector<Item> ellipse = include.children[3].all('e');
    ASSERT_EQ(ellipse.size(), 1u);
    ExpectNear(ellipse[0].f, {0.02, 0.02, 0, 0.028, 0.02, 0, 0.02, 0.024, 0, 0.75, 0.5});

    // The B-spline: stride 4, order 4, five points: degree 3, five points
    // and weights, 4 + 5 knots.
    const std::vector<Item> nurbs = include.children[4].all('N');
    ASSERT_EQ(nurbs.size(), 1u);
    EXPECT_EQ(nurbs[0].i[0], 3);
    EXPECT_EQ(nurbs[0].i[1], 5);
    EXPECT_EQ(nurbs[0].i[2], 9);
    ExpectNear(nurbs[0].f,
               {0, 0.04, 0, 0.01, 0.045, 0, 0.02, 0.04, 0, 0.03, 0.035, 0, 0.04, 0.04, 0});
    ExpectNear(nurbs[0].normals, {1, 1, 0.8, 1, 1});
    ExpectNear(nurbs[0].parameters, {0, 0, 0, 0, 0.5, 1, 1, 1, 1});
}

TEST_F(SamplePartWrite, SketchThreadAndPartColourInTheWritersSegment)
{
    auto application = SamplePart();
    WritePart(application->documents().front());
    const Node include = Finish();

    // After the body and edge segments: the part colour (the document's
    // material values, since no material texture is in force), the sketch,
    // then the thread.
    std::vector<Item> after;
    bool pastSegments = false;
    for (const Item& item : include.items)
    {
        if (item.opcode == '(' && item.i[0] == 4)
            pastSegments = true;
        else if (pastSegments)
            after.push_back(item);
    }
    std::string opcodes;
    for (const Item& item : after)
        opcodes.push_back(static_cast<char>(item.opcode));
    // colour; line 1: black, pattern 1 (style 6), line; line 2: black, no
    // pattern (style 9), line; spline lines 3 + 1; the arc; the thread:
    // black, pattern 2, two arcs.
    ASSERT_EQ(opcodes, "\"~-l~lllllc~-cc");

    ExpectMaterialColour(after[0], {0.8, 0.8, 0.82, 0, 1, 0.6, 0, 0.3, 0.2});
    EXPECT_EQ(after[1].i, std::vector<int>{4});
    ExpectNear(after[1].f, {0, 0, 0});
    EXPECT_EQ(after[2].i, std::vector<int>{1});
    ExpectNear(after[3].f, {0, 0, 0.02, 0.04, 0, 0.02});
    ExpectNear(after[5].f, {0.04, 0, 0.02, 0.04, 0.04, 0.03});
    // The first spline's four points as three lines, the second's two as
    // one, read at offset 3 (4 + 1) = 15.
    ExpectNear(after[6].f, {0, 0, 0.03, 0.01, 0.005, 0.03});
    ExpectNear(after[7].f, {0.01, 0.005, 0.03, 0.02, 0.005, 0.03});
    ExpectNear(after[8].f, {0.02, 0.005, 0.03, 0.03, 0, 0.03});
    ExpectNear(after[9].f, {0.03, 0, 0.03, 0.04, 0, 0.03});
    // The arc from S (0.03, 0.02, 0.02) to E (0.02, 0.03, 0.02) about C
    // (0.02, 0.02, 0.02): through C + r (M - C)/|M - C|, r = 0.01, M the
    // chord's middle.
    const double d = 0.01 / std::sqrt(2.0);
    ExpectNear(after[10].f, {0.03, 0.02, 0.02, 0.02 + d, 0.02 + d, 0.02, 0.02, 0.03, 0.02});

    // The thread: diameter 0.008 is below the rim's 0.01 with setting 1, so
    // it is drawn 2.2 radii (0.011) wide: h = 0.0055 about c in the rim's
    // plane, from the rim's start moved out to h.
    EXPECT_EQ(after[12].i, std::vector<int>{2});
    ExpectNear(after[13].f, {0.0255, 0.02, 0.01, 0.02, 0.0255, 0.01, 0.0145, 0.02, 0.01});
    ExpectNear(after[14].f, {0.0255, 0.02, 0.01, 0.02, 0.0145, 0.01, 0.0145, 0.02, 0.01});

    // The document was prepared once; the thread's selections were taken
    // and given back.
    EXPECT_EQ(application->hostSession().callLog(),
              (std::vector<std::string>{"Document[flange.PRT]::prepare(-1)",
                                        "ThreadData::accessSelections()",
                                        "ThreadData::releaseSelections()"}));
}

TEST_F(SamplePartWrite, PropertiesOfEveryGroupInTheCLocale)
{
    // Decimal points stay points whatever locale the process runs in.
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    const bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    auto application = SamplePart();
    WritePart(application->documents().front());
    Finish();
    std::setlocale(LC_ALL, previous.c_str());
    if (!german)
        std::printf("de_DE.UTF-8 is not installed: the properties were formatted in %s\n",
                    previous.c_str());

    std::vector<std::string> properties = Properties();
    std::sort(properties.begin(), properties.end());
    std::vector<std::string> expected = {
        "Configuration/ConfigName=Default",
        "Mass/Area(m^2)=0.004957",
        "Mass/CenterMass(m)=(0.020000,0.020000,0.005000)",
        "Mass/Mass(kg)=0.041079",
        "Mass/MomentInertia(kg^m^2)=(0.0000055,0.0000055,0.0000105,0.000000,0.000000,0.000000)",
        "Mass/Volume(m^3)=0.0000152146",
        "Material/Material=Brushed aluminium",
        "Summary/CreateData=2024-03-01",
        "Summary/SaveBy=Quillcast",
        "Summary/SaveData=2024-03-02",
        "Summary/Title=Flange plate",
        "Summary/author=Quillcast",
        "Summary/commants=One body of three faces",
        "Summary/keywords=plate, hole, thread",
        "Summary/subject=Sample part",
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(properties, expected);
    EXPECT_EQ(PropertyContainers(), 1u);
}

TEST_F(SamplePartWrite, OptionsChooseThePropertyGroups)
{
    auto application = SamplePart();
    host::memory::Document* part = application->documents().front();

    PublishOptions none;
    none.option1006 = 0;
    none.option1007 = 0;
    DWFToolkit::DWFSegment& segment = Open();
    CDWF3DGrWriter writer(part, &segment);
    // With both boxes clear an empty container is still attached.
    EXPECT_EQ(writer.ProcessDocumentProps(part, nullptr, segment, &none), platform::S_OK);
    EXPECT_EQ(PropertyContainers(), 1u);
    EXPECT_EQ(Properties(), std::vector<std::string>{});

    PublishOptions massOnly = none;
    massOnly.option1007 = 1;
    part->modelExtension->massStatus = 3; // the host could not compute them
    writer.ProcessDocumentProps(part, nullptr, segment, &massOnly);
    EXPECT_EQ(Properties(), std::vector<std::string>{"Configuration/ConfigName=Default"});
    Finish();
}

TEST_F(SamplePartWrite, MaterialNamesAndSparseSummaries)
{
    auto application = SamplePart();
    host::memory::Document* part = application->documents().front();
    PublishOptions summaryOnly;
    summaryOnly.option1007 = 0;
    part->summary = std::vector<std::u16string>(8);
    part->summary[0] = u"Only a title";

    struct Case
    {
        std::u16string name;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {u"Steel", {"Material/Material=Steel", "Summary/Title=Only a title"}},
        // 30 characters: the first 9 stay.
        {u"Aluminium" + std::u16string(21, u'x'),
         {"Material/Material=Aluminium", "Summary/Title=Only a title"}},
        // 21 characters or fewer: nothing stays of the name.
        {u"Short name", {"Material/Material=", "Summary/Title=Only a title"}},
        {u"", {"Summary/Title=Only a title"}},
    };
    for (const Case& c : cases)
    {
        part->materialNameText = c.name;
        DWFToolkit::DWFSegment& segment = Open();
        CDWF3DGrWriter writer(part, &segment);
        writer.ProcessDocumentProps(part, nullptr, segment, &summaryOnly);
        std::vector<std::string> properties = Properties();
        std::sort(properties.begin(), properties.end());
        EXPECT_EQ(properties, c.expected);
        Finish();
    }
}
