// Geometry far off the paper, beyond what a W2D stream can hold (signed
// 32-bit coordinates: some 66 km from the corner of an A3 sheet). Straight
// lines and areas are cut where they leave the range, along their own
// direction; arcs, texts and symbols, which cannot be cut so, are left out
// with a message that names them. Expectations are worked out from the
// document's numbers by hand: a line keeps the direction atan2(dy, dx) its
// ends give, and a cut lies on the line through them.
#include "addin/publishers/DWF2DGrWriter.h"
#include "addin/publishers/StreamRange.h"
#include "addin/tests/HostDrawing.h"
#include "addin/tests/MessageCauses.h"
#include "addin/tests/QuillcastHarness.h"
#include "addin/tests/SheetReadBack.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using addin_test::Causes;
using addin_test::Drawn;
using addin_test::HostDrawing;
using addin_test::W2DCapture;

namespace
{
// A3 landscape, as the drawing publisher sets it.
const double kScale = addin_test::SheetScaleFor(420.0, 297.0);
// The largest coordinates a stream holds.
constexpr double kHigh = 2147483647.0;
constexpr double kLow = -2147483648.0;

// A line of the document (sheet coordinates, metres) that reaches off the
// paper.
struct FarLine
{
    const char* what;
    double x0, y0, x1, y1;
};

std::string Numbers(std::initializer_list<double> values)
{
    std::string text;
    for (double v : values)
    {
        char number[32];
        std::snprintf(number, sizeof number, "%.17g ", v);
        text += number;
    }
    return text;
}

// Every straight kind of a drawing view, each with one line leaving the
// range through one of its four sides; the view is placed at the sheet's
// origin at scale 1, so that its coordinates are the sheet's.
const FarLine kLines[] = {
    {"sketch line", 0.05, 0.05, 100000, 50000},   {"hatch line", 0.05, 0.06, -100000, 30000},
    {"spline", 0.2, 0.1, 40000, 200000},          {"view polyline", 0.1, 0.2, -10000, -90000},
    {"model edge", 0.1, 0.1, 80000, 70000},       {"break line", 0.3, 0.1, 100.3, 1e6},
    {"annotation line", 0.2, 0.2, -70000, 20000}, {"dimension line", 0.1, 0.15, 60000, -90000},
    {"detail outline", 0.15, 0.15, 90000, 0.16},
};

std::string LineOf(const FarLine& line)
{
    return Numbers({line.x0, line.y0, 0, line.x1, line.y1, 0});
}

// A dimension record of m segments (7m numbers), two arrow heads of a style
// that draws nothing, its text at `textAt` twice.
std::string Dimension(int m, const std::string& segments, const std::string& textAt)
{
    const std::string arrow = "0 0 0 0 0 0 0 0 99 ";
    return "1 0 " + std::to_string(m) + " " + segments + " " + arrow + arrow + textAt + " " +
           textAt + " 0.01";
}

std::string StraightKinds()
{
    return "<view name=\"S\" type=\"1\"/><view name=\"V\" type=\"7\"><sketch>"
           "<lines kind=\"1\" count=\"1\">255 0 0 1 -1 0 " +
           LineOf(kLines[0]) + "</lines><lines kind=\"2\" count=\"1\">255 0 0 1 -1 0 " +
           LineOf(kLines[1]) + "</lines></sketch><splines count=\"1\">255 0 0 1 -1 0 3 0.1 0.1 0 " +
           LineOf(kLines[2]) + "</splines><polylines count=\"1\">0 1 4 " + LineOf(kLines[3]) +
           "</polylines><model-edges count=\"1\">0 0 0 0 0 1 0 0 2 " + LineOf(kLines[4]) +
           "</model-edges><break-lines count=\"1\">1 0 0 0 1 0 0 0 0 " + LineOf(kLines[5]) +
           "0.32 0.1 0 0.33 0.1 0</break-lines><dimensions><data>" +
           Dimension(1, "0 " + LineOf(kLines[7]), "0 0 0") +
           "</data><text></text></dimensions><detail-outline type=\"4\">" + LineOf(kLines[8]) +
           "</detail-outline><annotation type=\"1\" colour=\"0\" line-style=\"0\" "
           "position=\"0 0 0\"><display-data><lines count=\"1\">" +
           Numbers({0, 0, 0, 0, kLines[6].x0, kLines[6].y0, 0, kLines[6].x1, kLines[6].y1, 0}) +
           "</lines></display-data></annotation></view>";
}

// Every place that writes an arc, a circle, a text or a symbol, each 100 km
// out; and one circle centred on the paper but 100 km wide.
std::string RoundKindsAndTexts()
{
    const std::string far = "100000 0.1 0 ";
    const std::string end = "100000.01 0.1 0 ";
    const std::string circle = end + end + far; // start, end, centre
    const std::string head = "255 0 0 1 -1 0 ";
    std::string view = "<view name=\"S\" type=\"1\"/><view name=\"V\" type=\"7\"><sketch>";
    view += "<arcs count=\"2\">" + head + circle + "1 " + head +
            "100000.1 0.1 0 100000.1 0.1 0 0.1 0.1 0 1</arcs>";
    view += "<ellipses count=\"1\">" + head + circle + end + "100000 0.105 0 0</ellipses>";
    view += "</sketch><model-edges count=\"1\">1 12 " + far + end + end +
            "0 0 1 0 0 0 1 0 0 0</model-edges>";
    view += "<break-lines count=\"1\">3 0 0 0 1 0 0 0 0 ";
    for (int k = 0; k < 4; ++k)
        view += "1 " + circle;
    view += "</break-lines>";
    view += "<dimensions><data>" + Dimension(0, "", far) + "</data><text>99</text></dimensions>";
    view += "<detail-circles count=\"1\"><data>0 0 " + far + end + end + "0 " + far + "0.005 1 " +
            far + "1 0 0 0.002 0.004 3</data><label>A</label></detail-circles>";
    view += "<annotation type=\"1\" colour=\"0\" line-style=\"0\" position=\"0 0 0\">"
            "<display-data><arcs count=\"1\">0 0 0 0 " +
            circle + "0 0 1 0</arcs><text height=\"0.005\" position=\"" + far +
            "\">FAR &lt;GTOL-FLAT&gt;</text></display-data></annotation>";
    view += "<quadrant-item points=\"100000 0.1 100000.01 0.11 100000.02 0.1\" flag=\"0\">"
            "<annotation type=\"6\"/></quadrant-item>";
    return view + "</view>";
}

class FarGeometry : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::ui().reset();
        platform::ui().setEcho(false);
    }

    static std::vector<Drawn> WalkView(HostDrawing& host)
    {
        W2DCapture capture;
        EXPECT_EQ(ProcessViewFromDrawingDoc(capture.file(), &host.view(1), host.application.get(),
                                            w2dout::SheetContext{kScale}),
                  WT_Result_Success);
        return capture.ReadBack();
    }
};

// The written part of a far line: from its near end, truncated, along the
// direction of the document's line, to where it meets the range's edge.
void ExpectCutAlongItsLine(const std::vector<Drawn>& drawn, const FarLine& line)
{
    const WT_Logical_Point near(static_cast<std::int32_t>(line.x0 * kScale),
                                static_cast<std::int32_t>(line.y0 * kScale));
    const auto found = std::find_if(drawn.begin(), drawn.end(),
                                    [&](const Drawn& d) {
                                        return d.IsPolyline() && d.points.size() >= 2 &&
                                               d.points[d.points.size() - 2] == near;
                                    });
    ASSERT_NE(found, drawn.end()) << line.what;
    const WT_Logical_Point far = found->points.back();
    EXPECT_TRUE(far.m_x == kHigh || far.m_x == kLow || far.m_y == kHigh || far.m_y == kLow)
        << line.what << " ends at (" << far.m_x << ", " << far.m_y << ")";
    const double expected = std::atan2(line.y1 - line.y0, line.x1 - line.x0);
    const double written = std::atan2(static_cast<double>(far.m_y) - near.m_y,
                                      static_cast<double>(far.m_x) - near.m_x);
    EXPECT_NEAR(written, expected, 2e-8) << line.what;
}
} // namespace

TEST_F(FarGeometry, StraightLinesAreCutWhereTheyLeaveTheRangeAndKeepTheirDirection)
{
    HostDrawing host = HostDrawing::FromViews(StraightKinds());
    const std::vector<Drawn> drawn = WalkView(host);
    for (const FarLine& line : kLines)
        ExpectCutAlongItsLine(drawn, line);
    // Lines that stay on the paper are written as they are.
    const WT_Logical_Point from(static_cast<std::int32_t>(0.32 * kScale),
                                static_cast<std::int32_t>(0.1 * kScale));
    EXPECT_TRUE(std::any_of(drawn.begin(), drawn.end(),
                            [&](const Drawn& d) { return d.points.front() == from; }));
    EXPECT_EQ(Causes(), std::vector<std::u16string>{}) << "a cut loses nothing the range holds";
}

TEST_F(FarGeometry, APolylineThatLeavesAndComesBackIsWrittenInTwoParts)
{
    // Out along y = x to (100 km, 100 km), across, and back along y = x - 0.1.
    HostDrawing host = HostDrawing::FromViews(
        "<view name=\"S\" type=\"1\"/><view name=\"V\" type=\"7\"><splines count=\"1\">"
        "255 0 0 1 -1 0 4 0.1 0.1 0 100000 100000 0 100000 99999.9 0 0.2 0.1 0</splines></view>");
    const std::vector<Drawn> drawn = WalkView(host);
    ASSERT_EQ(drawn.size(), 2u);
    const auto unit = [](double metres) { return static_cast<std::int32_t>(metres * kScale); };
    // Each part meets the edge where its line does: y = x, and y = x - 0.1 m.
    EXPECT_EQ(drawn[0].points,
              (std::vector<WT_Logical_Point>{WT_Logical_Point(unit(0.1), unit(0.1)),
                                             WT_Logical_Point(kHigh, kHigh)}));
    ASSERT_EQ(drawn[1].points.size(), 2u);
    EXPECT_EQ(drawn[1].points[1], WT_Logical_Point(unit(0.2), unit(0.1)));
    EXPECT_NEAR(drawn[1].points[0].m_y, kHigh - 0.1 * kScale, 2.0);
    EXPECT_EQ(drawn[1].points[0].m_x, kHigh);
}

TEST_F(FarGeometry, AreasKeepTheirShapeInsideTheRange)
{
    // A triangle with one corner 100 km out, as a solid hatch and as a
    // filled weld triangle: both keep the part of their area inside the
    // range, a quadrilateral cut off along x = 2^31 - 1.
    const std::string corners = "0.1 0.1 0 100000 50000 0 0.1 0.2 0";
    HostDrawing host = HostDrawing::FromViews(
        "<view name=\"S\" type=\"1\"/><view name=\"V\" type=\"7\"><sketch>"
        "<hatch solid=\"1\" colour=\"255\"><face><loop><edge><curve>" +
        corners +
        " 0.1 0.1 0</curve></edge></loop></face></hatch></sketch>"
        "<annotation type=\"8\"/><weld-item list=\"2\"><triangle filled=\"1\">" +
        corners + "</triangle></weld-item></view>");
    const std::vector<Drawn> drawn = WalkView(host);
    const std::vector<Drawn> areas = addin_test::OfKind(drawn, WT_Object::Polygon_ID);
    ASSERT_EQ(areas.size(), 2u);
    const double ax = 0.1 * kScale, ay = 0.1 * kScale;
    const double bx = 100000 * kScale, by = 50000 * kScale;
    const double cx = 0.1 * kScale, cy = 0.2 * kScale;
    // Where A→B and B→C cross x = 2^31 - 1.
    const double onAB = ay + (kHigh - ax) * (by - ay) / (bx - ax);
    const double onBC = by + (kHigh - bx) * (cy - by) / (cx - bx);
    for (const Drawn& area : areas)
    {
        ASSERT_EQ(area.points.size(), 4u);
        std::vector<WT_Logical_Point> edge;
        for (const WT_Logical_Point& p : area.points)
            if (p.m_x == kHigh)
                edge.push_back(p);
        ASSERT_EQ(edge.size(), 2u);
        const double low = std::min(edge[0].m_y, edge[1].m_y);
        const double high = std::max(edge[0].m_y, edge[1].m_y);
        EXPECT_NEAR(low, onAB, 2.0);
        EXPECT_NEAR(high, onBC, 2.0);
        EXPECT_NE(std::find(area.points.begin(), area.points.end(),
                            WT_Logical_Point(static_cast<std::int32_t>(ax),
                                             static_cast<std::int32_t>(ay))),
                  area.points.end());
    }
    EXPECT_EQ(Causes(), std::vector<std::u16string>{});
}

TEST_F(FarGeometry, ArcsTextsAndSymbolsBeyondTheRangeAreLeftOutAndNamed)
{
    HostDrawing host = HostDrawing::FromViews(RoundKindsAndTexts());
    const std::vector<Drawn> drawn = WalkView(host);
    for (const Drawn& d : drawn)
        EXPECT_TRUE(d.IsPolyline() || d.IsPolygon())
            << "a drawable of kind " << d.kind << " at (" << d.points[0].m_x << ", "
            << d.points[0].m_y << ")";
    std::vector<std::u16string> causes = Causes();
    std::sort(causes.begin(), causes.end());
    const std::u16string centre = u" is left out: its centre lies beyond the range of the "
                                  u"sheet's coordinates";
    const std::u16string position = u" is left out: its position lies beyond the range of the "
                                    u"sheet's coordinates";
    std::vector<std::u16string> expected = {
        u"A sketch arc" + centre,
        u"A sketch arc is left out: its radius is beyond the range of the sheet's coordinates",
        u"A sketch ellipse" + centre,
        u"A model edge arc" + centre,
        u"A break line arc" + centre,
        u"A break line arc" + centre,
        u"A break line arc" + centre,
        u"A break line arc" + centre,
        u"The dimension text \"99\"" + position,
        u"A detail circle" + centre,
        u"The text \"A\"" + position,
        u"An arrow head" + centre,
        u"An annotation arc" + centre,
        u"The text \"FAR \"" + position,
        u"The symbol <GTOL-FLAT>" + position,
        u"A quadrant circle" + centre,
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(causes, expected);
}

namespace
{
using namespace publish_test;

// A drawing of one line from near the paper's corner to
// (100 km, 50 km), and, when asked, a circle 100 km out.
std::string FarDrawing(bool withArc)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<host-document version=\"1\">\n"
           "<document type=\"3\" title=\"far.DRW\" picture=\"" QUILLCAST_SOURCE_DIR
           "/examples/sample-preview.png\">\n<drawing>\n"
           "<sheet name=\"Sheet1\" properties=\"0 0 0 0 0 0.42 0.297\">\n"
           "<view name=\"Sheet1\" type=\"1\"><sketch>\n"
           "<lines kind=\"1\" count=\"1\">255 0 0 1 -1 0 0.05 0.05 0 100000 50000 0</lines>\n" +
           std::string(withArc ? "<arcs count=\"1\">255 0 0 1 -1 0 100000.01 0 0 100000.01 0 0 "
                                 "100000 0 0 1</arcs>\n"
                               : "") +
           "</sketch></view>\n</sheet>\n</drawing>\n</document>\n</host-document>\n";
}
} // namespace

TEST_F(QuillcastProgram, ALineFarOffThePaperKeepsItsDirectionAndAFarArcIsNamed)
{
    if (!HaveTool("python3"))
        GTEST_SKIP() << "python3 is not installed";
    std::string errors;
    ASSERT_EQ(Quillcast("publish " + Quoted(Document("far.xml", FarDrawing(false))) + " -o " +
                            Quoted(Target()),
                        errors),
              0)
        << errors;
    // The sheet's stream, out of the package by an independent reader.
    const std::string sheet = root_ + "/sheet.w2d";
    ASSERT_EQ(RunCommand("python3 -c " +
                         Quoted("import sys, zipfile\n"
                                "z = zipfile.ZipFile(sys.argv[1])\n"
                                "[n] = [i for i in z.namelist() if i.endswith('.w2d')]\n"
                                "open(sys.argv[2], 'wb').write(z.read(n))\n") +
                         " " + Quoted(Target()) + " " + Quoted(sheet)),
              0);
    const sheet_test::Sheet read = sheet_test::Read(ReadBytes(sheet));
    const std::vector<sheet_test::Item> lines = read.Of(WT_Object::Polyline_ID);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].points.size(), 2u);
    const WT_Logical_Point from = lines[0].points[0];
    const WT_Logical_Point to = lines[0].points[1];
    EXPECT_EQ(from, WT_Logical_Point(static_cast<std::int32_t>(0.05 * kScale),
                                     static_cast<std::int32_t>(0.05 * kScale)));
    EXPECT_EQ(to.m_x, 2147483647);
    // 26.57 degrees, as the document's line runs, not 37.09 (the far end
    // pressed onto x = 2^31 - 1 alone).
    const double degrees =
        std::atan2(static_cast<double>(to.m_y) - from.m_y, static_cast<double>(to.m_x) - from.m_x) *
        180 / M_PI;
    EXPECT_NEAR(degrees, std::atan2(50000 - 0.05, 100000 - 0.05) * 180 / M_PI, 1e-6);

    ASSERT_EQ(Quillcast("publish " + Quoted(Document("far-arc.xml", FarDrawing(true))) + " -o " +
                            Quoted(Target("arc.dwf")),
                        errors),
              3)
        << errors;
    EXPECT_NE(errors.find("cause: Sheet 'Sheet1': A sketch arc is left out: its centre lies "
                          "beyond the range of the sheet's coordinates\n"),
              std::string::npos)
        << errors;
}

TEST(StreamRangeCut, EveryPointTheCutHandsOnLiesOnTheLineInsideTheRange)
{
    using w2dout::SheetPosition;
    // Ends many orders of magnitude apart, where a parameter counted from
    // the far end rounds to exactly 0 or 1; the expected cut is worked out
    // from the end near the range.
    struct Case
    {
        SheetPosition near, far;
        double edgeX;     // where the line leaves the range
        double expectedY; // its y there
    };
    const double mid = 0.5 * (kHigh - 1e9); // along y = x/2 from (1e9, 1e9)
    const Case cases[] = {
        {{1e9, 1e9}, {4e32 + 1e9, 2e32 + 1e9}, kHigh, 1e9 + mid},
        {{1e9, 1e9}, {1e300, 5e299}, kHigh, 1e9 + mid},
        {{-1e9, -1e9}, {-4e32 - 1e9, -2e32 - 1e9}, kLow, -1e9 - 0.5 * (-kLow - 1e9)},
    };
    for (const Case& c : cases)
        for (bool reversed : {false, true})
        {
            const std::vector<SheetPosition> line =
                reversed ? std::vector<SheetPosition>{c.far, c.near}
                         : std::vector<SheetPosition>{c.near, c.far};
            const auto parts = w2dout::ClipPolyline(line);
            ASSERT_EQ(parts.size(), 1u) << c.far.x << " reversed " << reversed;
            const WT_Logical_Point cut = reversed ? parts[0].front() : parts[0].back();
            EXPECT_EQ(cut.m_x, c.edgeX) << c.far.x << " reversed " << reversed;
            EXPECT_NEAR(cut.m_y, c.expectedY, 2.0) << c.far.x << " reversed " << reversed;

            // The triangle the line spans with a point below it on the paper
            // keeps its corner on the paper and crosses the edge on the line.
            const std::vector<WT_Logical_Point> area =
                w2dout::ClipPolygon({c.near, c.far, SheetPosition(c.near.x, c.near.y - 10)});
            ASSERT_GE(area.size(), 3u);
            EXPECT_TRUE(std::any_of(area.begin(), area.end(), [&](const WT_Logical_Point& p)
                                    { return p.m_x == c.edgeX && std::abs(p.m_y - c.expectedY) <= 2; }))
                << c.far.x;
        }
    // A line whose ends both lie beyond, far apart, across the whole range.
    const auto across = w2dout::ClipPolyline({{-1e32, 1}, {3e9, 1}});
    ASSERT_EQ(across.size(), 1u);
    EXPECT_EQ(across[0], (std::vector<WT_Logical_Point>{WT_Logical_Point(kLow, 1),
                                                         WT_Logical_Point(kHigh, 1)}));
}
