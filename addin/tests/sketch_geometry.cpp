// Sketch and view geometry written by the 2D graphics writer over views of
// a stand-in host, read back through the W2D toolkit and checked against
// values worked out by hand (sheet scale 1000 unless said otherwise).
#include "addin/publishers/DWF2DGrWriter.h"
#include "addin/tests/HostDrawing.h"
#include "addin/tests/W2DCapture.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using addin_test::Drawn;
using addin_test::HostDrawing;
using addin_test::OfKind;
using addin_test::W2DCapture;

namespace
{
constexpr double kPi = 3.14159265358979323846;
const WT_RGBA32 kBlack(0, 0, 0, 255);
const WT_RGBA32 kRed(255, 0, 0, 255);
const WT_RGBA32 kGreen(0, 255, 0, 255);

WT_Logical_Point P(int x, int y)
{
    return WT_Logical_Point(x, y);
}

// The sheet's own view, then one drawing view.
std::string OneView(const std::string& attributes, const std::string& content)
{
    return "<view name=\"S\" type=\"1\"/><view name=\"V\" " + attributes + ">" + content +
           "</view>";
}

std::vector<Drawn> WalkView(HostDrawing& host, double sheetScale = 1000.0, std::size_t view = 1)
{
    W2DCapture capture;
    const w2dout::SheetContext sheet{sheetScale};
    EXPECT_EQ(
        ProcessViewFromDrawingDoc(capture.file(), &host.view(view), host.application.get(), sheet),
        WT_Result_Success);
    return capture.ReadBack();
}

class SketchGeometry : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::ui().reset();
        platform::ui().setEcho(false);
    }
    static std::vector<std::u16string> Messages()
    {
        std::vector<std::u16string> texts;
        for (const auto& box : platform::ui().messageBoxes())
            texts.push_back(box.text);
        return texts;
    }
    static std::u16string Message(const char* where)
    {
        std::u16string text =
            u"An error occurred while publishing the file. The error occurred in ";
        for (const char* p = where; *p; ++p)
            text.push_back(static_cast<char16_t>(*p));
        return text + u".";
    }
};
} // namespace

TEST_F(SketchGeometry, LinesMapColourStyleWeightAndLayers)
{
    HostDrawing host = HostDrawing::FromViews(OneView("type=\"7\" transform=\"0.1 0.2 0.5\"", R"(
        <sketch><lines kind="1" count="3">
          5 0 1 3 -1 0    0 0 0   0.04 -0.02 0
          255 0 0 1 2 0   0 0 0   0.01 0.01 0
          255 0 0 1 1 0   0 0 0   0.02 0 0
        </lines></sketch>)"));
    const std::vector<Drawn> drawn = WalkView(host);
    ASSERT_EQ(drawn.size(), 2u) << "the line on the hidden layer is left out";
    EXPECT_EQ(drawn[0].points, (std::vector<WT_Logical_Point>{P(100, 200), P(120, 190)}));
    EXPECT_EQ(drawn[0].colour, kBlack) << "colour 5 takes the view's default, black";
    EXPECT_EQ(drawn[0].pattern, WT_Line_Pattern::ISO_Dash);
    EXPECT_EQ(drawn[0].weight, 60);
    EXPECT_FALSE(drawn[0].fill);
    EXPECT_EQ(drawn[1].points, (std::vector<WT_Logical_Point>{P(100, 200), P(110, 200)}));
    EXPECT_EQ(drawn[1].colour, kRed);
    EXPECT_EQ(drawn[1].pattern, WT_Line_Pattern::Solid);
    EXPECT_EQ(drawn[1].weight, 20);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(SketchGeometry, ArcsAndEllipsesInAPlainAndARotatedView)
{
    const std::string sketch = R"(
        <sketch>
          <arcs count="2">
            255 0 0 1 -1 0   0.02 0 0   0 0.02 0   0 0 0   1
            255 0 0 1 -1 0   0.02 0 0   0 0.02 0   0 0 0  -1
          </arcs>
          <ellipses count="2">
            5 0 0 2 -1 0   0.03 0 0   0 0.015 0   0 0 0   0.03 0 0   0 0.015 0   0
            5 0 0 2 -1 0   0.025980762 0.015 0   0.025980762 0.015 0   0 0 0
                           0.025980762 0.015 0   -0.0075 0.012990381 0   0
          </ellipses>
        </sketch>)";
    for (const double rotation : {0.0, kPi / 2})
    {
        HostDrawing host = HostDrawing::FromViews(
            OneView("type=\"7\" transform=\"0.1 0.2 0.5\" rotation=\"" +
                        std::string(rotation == 0.0 ? "0" : "1.5707963267948966") + "\"",
                    sketch));
        const std::vector<Drawn> drawn = WalkView(host);
        ASSERT_EQ(drawn.size(), 4u);
        const std::uint32_t turn = rotation == 0.0 ? 0 : 16384;
        // Circular arcs: centre (0.1, 0.2) on the sheet, radius 0.5 × 0.02.
        EXPECT_EQ(drawn[0].points[0], P(100, 200));
        EXPECT_EQ(drawn[0].major, 10);
        EXPECT_EQ(drawn[0].minor, 10);
        // A quarter turn may land a unit short of its exact angle.
        EXPECT_NEAR(drawn[0].start, turn, 1.0);
        EXPECT_NEAR(drawn[0].end, turn + 16384, 1.0);
        EXPECT_NEAR(drawn[1].start, turn + 16384, 1.0) << "direction -1 exchanges the angles";
        EXPECT_NEAR(drawn[1].end, turn + 65536, 1.0);
        EXPECT_EQ(drawn[1].colour, kRed);
        // Ellipse on the x axis: radii 15 and 7 (7.5 truncated), weight 20 × 2.
        const Drawn& plain = drawn[2];
        EXPECT_EQ(plain.major, 15);
        EXPECT_EQ(plain.minor, 7);
        EXPECT_NEAR(plain.tilt, turn, 1.0);
        EXPECT_EQ(plain.start, 0u);
        EXPECT_NEAR(plain.end, 16384.0, 1.0);
        EXPECT_EQ(plain.weight, 40);
        // Tilted by 30 degrees (5461.33 units): one point at the major end
        // (start and end), a full turn.
        const Drawn& tilted = drawn[3];
        EXPECT_NEAR(tilted.tilt, (5461 + turn) % 65536, 1.0);
        EXPECT_EQ(tilted.end - tilted.start, 65536u);
    }
}

TEST_F(SketchGeometry, RotatedViewTurnsLinesAboutTheViewOrigin)
{
    HostDrawing host = HostDrawing::FromViews(
        OneView("type=\"7\" transform=\"0.1 0.2 1\" rotation=\"0.5235987755982988\"", R"(
        <sketch><lines kind="1" count="1">255 0 0 1 -1 0  0 0 0  0.02 0 0</lines></sketch>)"));
    const std::vector<Drawn> drawn = WalkView(host, 10000.0);
    ASSERT_EQ(drawn.size(), 1u);
    // (0.02, 0) turned by 30 degrees: (0.017320508, 0.01).
    EXPECT_EQ(drawn[0].points[0], P(1000, 2000));
    EXPECT_EQ(drawn[0].points[1], P(1173, 2100));
}

TEST_F(SketchGeometry, ParabolasAreSampledInTheirOwnFrame)
{
    // y = 25 x² (focus 0.01 above the apex), ends 0.3 and 0.31 apart.
    HostDrawing host = HostDrawing::FromViews(OneView("type=\"7\"", R"(
        <sketch><parabolas count="3">
          255 0 0 3 -1 0  -0.15 0.5625 0    0.15 0.5625 0    0 0.01 0    0 0 0
          255 0 0 3 -1 0  -0.155 0.600625 0 0.155 0.600625 0 0 0.01 0    0 0 0
          255 0 0 3 -1 0  -0.1 0 0          0.1 0 0          0 0 0       0 0 0
        </parabolas></sketch>)"));
    const std::vector<Drawn> drawn = WalkView(host, 100000.0);
    ASSERT_EQ(drawn.size(), 2u) << "a focus on the apex is no parabola";
    for (const Drawn& curve : drawn)
    {
        EXPECT_EQ(curve.weight, 60);
        for (const WT_Logical_Point& p : curve.points)
        {
            // x is truncated too, which moves y by up to its slope 50·x.
            const double x = p.m_x / 100000.0;
            EXPECT_NEAR(p.m_y, 25 * x * x * 100000.0, 50 * std::fabs(x) + 2.0);
        }
    }
    // 0.3 apart: steps of 0.0003 (30 units), at most n + 2 = 1002 points.
    const std::vector<WT_Logical_Point>& fine = drawn[0].points;
    EXPECT_GE(fine.size(), 1000u);
    EXPECT_LE(fine.size(), 1002u);
    EXPECT_EQ(fine.front(), P(-15000, 56250));
    EXPECT_EQ(fine.back(), P(15000, 56250));
    EXPECT_NEAR(fine[1].m_x - fine[0].m_x, 30, 1);
    // 0.31 apart: 999 steps of 0.31 / 999.
    const std::vector<WT_Logical_Point>& coarse = drawn[1].points;
    EXPECT_GE(coarse.size(), 1000u);
    EXPECT_LE(coarse.size(), 1001u);
    EXPECT_NEAR(coarse[1].m_x - coarse[0].m_x, 31000.0 / 999, 1);
    EXPECT_EQ(coarse.back(), P(15500, 60062));
}

TEST_F(SketchGeometry, SplinesHatchLinesAndViewPolylines)
{
    HostDrawing host = HostDrawing::FromViews(OneView("type=\"7\" transform=\"0.1 0.1 1\"", R"(
        <sketch><lines kind="2" count="2">
          -1 0 0 1 -1 0  0 0 0  0.01 0.01 0
          255 0 0 1 2 0  0 0 0  0.02 0.02 0
        </lines></sketch>
        <splines count="2">
          5 0 5 2 -1 0 3  0 0 0  0.01 0.01 0  0.02 0 0
          255 0 0 1 2 0 2  0 0 0  0.01 0 0
        </splines>
        <polylines count="2">0  1  6 0.1 0.1 0 0.2 0.1 0  1  7 0.1 0.2 0 0.2 0.2 0</polylines>)"));
    const std::vector<Drawn> drawn = WalkView(host);
    ASSERT_EQ(drawn.size(), 5u);
    // Hatch lines: colour -1 takes the view's hatch colour 10; no layer test.
    EXPECT_EQ(drawn[0].colour, WT_RGBA32(10, 0, 0, 255));
    EXPECT_EQ(drawn[0].points, (std::vector<WT_Logical_Point>{P(100, 100), P(110, 110)}));
    EXPECT_EQ(drawn[1].colour, kRed);
    // The spline on the hidden layer is left out.
    EXPECT_EQ(drawn[2].points,
              (std::vector<WT_Logical_Point>{P(100, 100), P(110, 110), P(120, 100)}));
    EXPECT_EQ(drawn[2].colour, kBlack);
    EXPECT_EQ(drawn[2].pattern, WT_Line_Pattern::Dotted);
    EXPECT_EQ(drawn[2].weight, 40);
    // View polylines are in sheet coordinates: no view transform.
    EXPECT_EQ(drawn[3].points, (std::vector<WT_Logical_Point>{P(100, 100), P(200, 100)}));
    EXPECT_EQ(drawn[3].pattern, WT_Line_Pattern::ISO_Long_Dash_Short_Dash);
    EXPECT_EQ(drawn[4].points, (std::vector<WT_Logical_Point>{P(100, 200), P(200, 200)}));
    EXPECT_EQ(drawn[4].pattern, WT_Line_Pattern::ISO_Long_Dash_Short_Dash) << "style 7 keeps";
}

TEST_F(SketchGeometry, ModelEdgesFacingTiltedAndInADetailView)
{
    const std::string edges = R"(
        <model-edges count="4">
          0 0  0 0  1 2  0 0  3   0 0 0  0.01 0 0  0.01 0.01 0
          1 12  0 0 0  0.02 0 0  0 0.02 0  0 0 1   0 0  0 1  0 0  0
          1 12  0 0 0  0.02 0 0  0 0.02 0  0 0 -1  0 0  0 1  0 0  0
          1 12  0 0 0  0.02 0 0  -0.02 0 0  0 0.866025403784 0.5  0 0  0 1  0 0  0
        </model-edges>)";
    HostDrawing host = HostDrawing::FromViews(OneView("type=\"7\"", edges));
    const std::vector<Drawn> drawn = WalkView(host);
    ASSERT_EQ(drawn.size(), 4u);
    for (const Drawn& d : drawn)
        EXPECT_EQ(d.colour, kGreen) << "the model-edge colour of preference 108";
    EXPECT_EQ(drawn[0].points, (std::vector<WT_Logical_Point>{P(0, 0), P(10, 0), P(10, 10)}));
    EXPECT_EQ(drawn[0].pattern, WT_Line_Pattern::ISO_Dash);
    EXPECT_EQ(drawn[0].weight, 40);
    EXPECT_EQ(drawn[1].start, 0u);
    EXPECT_EQ(drawn[1].end, 16384u);
    EXPECT_EQ(drawn[1].major, drawn[1].minor);
    EXPECT_EQ(drawn[2].start, 16384u) << "seen from behind: clockwise";
    EXPECT_EQ(drawn[2].end, 65536u);
    // Tilted by 60 degrees about the x axis: minor radius r/2, major axis
    // across the projected axis (tilt 0), a half turn from 0 to 32768.
    const Drawn& tilted = drawn[3];
    EXPECT_EQ(tilted.major, 20);
    EXPECT_EQ(tilted.minor, 10);
    EXPECT_EQ(tilted.tilt, 0);
    EXPECT_EQ(tilted.start, 0u);
    EXPECT_NEAR(tilted.end, 32768.0, 1.0);

    // In a detail view, a 30-degree tilt is drawn as a circular arc.
    HostDrawing detail = HostDrawing::FromViews(OneView("type=\"3\"", R"(
        <model-edges count="1">
          1 12  0 0 0  0.02 0 0  0 0.02 0  0 0.5 0.866025403784  0 0  0 1  0 0  0
        </model-edges>)"));
    const std::vector<Drawn> circular = WalkView(detail);
    ASSERT_EQ(circular.size(), 1u);
    EXPECT_EQ(circular[0].major, 20);
    EXPECT_EQ(circular[0].minor, 20);
    EXPECT_EQ(circular[0].end, 16384u);
}

TEST_F(SketchGeometry, ModelEdgeArcAxesOfAnyLengthFaceTheirWay)
{
    // The arcs above, their axes scaled so far that a squared length would
    // overflow or underflow a double: drawn all the same.
    const std::string edges = R"(
        <model-edges count="3">
          1 12  0 0 0  0.02 0 0  0 0.02 0  0 0 1e200   0 0  0 1  0 0  0
          1 12  0 0 0  0.02 0 0  0 0.02 0  0 0 -1e-200  0 0  0 1  0 0  0
          1 12  0 0 0  0.02 0 0  -0.02 0 0  0 0.866025403784e-170 0.5e-170  0 0  0 1  0 0  0
        </model-edges>)";
    HostDrawing host = HostDrawing::FromViews(OneView("type=\"7\"", edges));
    const std::vector<Drawn> drawn = WalkView(host);
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[0].start, 0u);
    EXPECT_EQ(drawn[0].end, 16384u);
    EXPECT_EQ(drawn[0].major, drawn[0].minor);
    EXPECT_EQ(drawn[1].start, 16384u) << "seen from behind: clockwise";
    EXPECT_EQ(drawn[1].end, 65536u);
    EXPECT_EQ(drawn[2].major, 20);
    EXPECT_EQ(drawn[2].minor, 10);
    EXPECT_NEAR(drawn[2].end, 32768.0, 1.0);
}

TEST_F(SketchGeometry, ModelEdgeArcAxesBeyondASquaredLengthTiltAsTheirDirection)
{
    // Whole circles of radius 0.0205 about the origin (20.5 units; lengths
    // are cut to whole units), their start across the axis. An axis
    // (1, 2, 2) is tilted by α = acos(2/3) from the sheet's normal: minor
    // radius 20.5 · 2/3 = 13.7; its projection (1, 2) lies at
    // ψ = acos(1/√5) = 63.435° (11547.98 units), the major axis a quarter
    // turn before it: tilt -4836.02, 60700 as a 16-bit angle. The axis
    // (0.6e308, 1.2e308, 1.2e308) has that direction and a length beyond
    // the largest double.
    // An axis of (1e-321, 2e-321, 2e-321) is (202, 405, 405) times the
    // least subnormal, exactly: α = acos(405/√368854), minor 13.67;
    // ψ = acos(202/√204829) = 11558.29 units, tilt -4825.71, 60711.
    // Each pair in a view of its own: the plain axis, then the extreme one.
    const auto walk =
        [&](const std::string& start, const std::string& plain, const std::string& extreme)
    {
        const std::string head = "1 12  0 0 0  " + start + " 0  " + start + " 0  ";
        const std::string tail = "   0 0  0 1  0 0  0\n";
        HostDrawing host = HostDrawing::FromViews(
            OneView("type=\"7\"", "<model-edges count=\"2\">" + head + plain + tail + head +
                                      extreme + tail + "</model-edges>"));
        return WalkView(host);
    };
    const std::vector<Drawn> overflowing =
        walk("0.018335757415498276 -0.0091678787077491379", "1 2 2", "0.6e308 1.2e308 1.2e308");
    const std::vector<Drawn> subnormal =
        walk("0.018344807628017868 -0.00914975590335706", "202 405 405", "1e-321 2e-321 2e-321");
    for (const auto& [drawn, tilt] : {std::pair{overflowing, 60700}, std::pair{subnormal, 60711}})
    {
        EXPECT_EQ(drawn.size(), 2u) << tilt;
        if (drawn.size() != 2)
            continue;
        for (const Drawn& circle : drawn)
        {
            EXPECT_EQ(circle.major, 20) << tilt;
            EXPECT_EQ(circle.minor, 13) << tilt;
            EXPECT_EQ(circle.tilt, tilt);
            EXPECT_EQ(circle.end - circle.start, 65536u) << tilt;
        }
        // The extreme axis draws its circle as the plain one does.
        EXPECT_EQ(drawn[1].start, drawn[0].start) << tilt;
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(SketchGeometry, DisplayModeIsSwitchedAndRestoredAndLazyEdgesBuilt)
{
    HostDrawing host =
        HostDrawing::FromViews(OneView("type=\"7\" display-mode=\"3\" flag-a=\"1\"", R"(
        <model-edges count="1" lazy="1">0 0  0 0  0 1  0 0  2  0 0 0  0.01 0 0</model-edges>)"));
    host.view(1).label = "V";
    const std::vector<Drawn> drawn = WalkView(host);
    EXPECT_EQ(drawn.size(), 1u) << "the edges are built once the display mode is applied";
    const std::vector<std::string> expected = {
        "V::setDisplayMode(0,2,0,1)", "V::setDisplayMode(0,2,1,1)", "V::setDisplayMode(0,3,1,1)"};
    EXPECT_EQ(host.application->hostSession().callLog(), expected);
    EXPECT_EQ(host.view(1).displayMode(), 3);

    // A view in another mode is left alone, and without edges even after
    // the mode is applied again, nothing is drawn.
    HostDrawing plain = HostDrawing::FromViews(OneView("type=\"7\" display-mode=\"1\"", ""));
    plain.view(1).label = "V";
    EXPECT_TRUE(WalkView(plain).empty());
    EXPECT_EQ(plain.application->hostSession().callLog(),
              std::vector<std::string>{"V::setDisplayMode(0,1,1,1)"});
}

TEST_F(SketchGeometry, HostFailuresAreReportedOnceAndTheWalkGoesOn)
{
    HostDrawing host = HostDrawing::FromViews(OneView("type=\"7\" display-mode=\"3\"", R"(
        <splines count="1">255 0 0 1 -1 0 2  0 0 0  0.01 0 0</splines>
        <model-edges count="1">0 0  0 0  0 1  0 0  2  0 0 0  0.01 0 0</model-edges>)"));
    host.view(1).label = "V";
    host.application->hostSession().failRequest("View::splineData");
    std::vector<Drawn> drawn = WalkView(host);
    EXPECT_EQ(drawn.size(), 1u) << "the model edges are still written";
    EXPECT_EQ(Messages(), std::vector<std::u16string>{Message("CDWF2DGrWriter::GenerateSpline")});

    // A failure of the walk itself still puts the display mode back.
    platform::ui().reset();
    host.application->hostSession().clearLog();
    host.application->hostSession().failRequest("View::transform");
    drawn = WalkView(host);
    EXPECT_TRUE(drawn.empty());
    EXPECT_EQ(Messages(), std::vector<std::u16string>{Message("ProcessViewFromDrawingDoc")});
    EXPECT_EQ(host.view(1).displayMode(), 3);
}

TEST_F(SketchGeometry, SheetFormatWalk)
{
    HostDrawing host = HostDrawing::FromViews(R"(
        <format-sketch><lines kind="1" count="1">5 0 0 1 -1 0  0.01 0.01 0  0.02 0.01 0</lines></format-sketch>
        <view name="S" type="1" transform="0.1 0 1">
          <sketch>
            <lines kind="1" count="1">5 0 0 1 -1 0  0 0 0  0.01 0 0</lines>
            <lines kind="2" count="1">-1 0 0 1 -1 0  0 0 0  0 0.01 0</lines>
          </sketch>
          <polylines count="1">0 1  0 0.3 0.3 0 0.4 0.3 0</polylines>
        </view>)");
    W2DCapture capture;
    const w2dout::SheetContext sheet{1000.0};
    ASSERT_EQ(ProcessSheetFormatFromDrawingDoc(capture.file(), &host.sheet(), &host.view(0),
                                               host.application.get(), sheet),
              WT_Result_Success);
    const std::vector<Drawn> drawn = capture.ReadBack();
    ASSERT_EQ(drawn.size(), 4u);
    // Polylines first, then the format sketch in black at (0, 0, 1), then the
    // sheet view's sketch in preference 116 and its hatch in preference 108,
    // both placed by the sheet view's transform.
    EXPECT_EQ(drawn[0].points, (std::vector<WT_Logical_Point>{P(300, 300), P(400, 300)}));
    EXPECT_EQ(drawn[1].points, (std::vector<WT_Logical_Point>{P(10, 10), P(20, 10)}));
    EXPECT_EQ(drawn[1].colour, kBlack);
    EXPECT_EQ(drawn[2].points, (std::vector<WT_Logical_Point>{P(100, 0), P(110, 0)}));
    EXPECT_EQ(drawn[2].colour, WT_RGBA32(0x80, 0x80, 0x80, 255));
    EXPECT_EQ(drawn[3].points, (std::vector<WT_Logical_Point>{P(100, 0), P(100, 10)}));
    EXPECT_EQ(drawn[3].colour, kGreen);
}

TEST_F(SketchGeometry, TinyArcsAndEllipseArcsAreNotDrawnWhole)
{
    // Each arc's two ends differ in the document but their angles fall into
    // one stream unit; only the last arc of each kind, whose ends coincide,
    // is whole.
    // Sketch arcs (sheet scale 10000): about (0.337409, 0.296205) from
    // (0.355144, 0.308374) to 1 µm above it, directions 6272.569 and
    // 6272.969 units (atan(dy / dx) · 65536 / 2π); centre (3374, 2962),
    // radius 215.08.
    HostDrawing arcs = HostDrawing::FromViews(OneView("type=\"7\"", R"(
        <sketch><arcs count="3">
          255 0 0 1 -1 0   0.355144 0.308374 0   0.355144 0.308375 0   0.337409 0.296205 0   1
          255 0 0 1 -1 0   0.355144 0.308374 0   0.355144 0.308375 0   0.337409 0.296205 0  -1
          255 0 0 1 -1 0   0.355144 0.308374 0   0.355144 0.308374 0   0.337409 0.296205 0   1
        </arcs></sketch>)"));
    const std::vector<Drawn> sketched = WalkView(arcs, 10000.0);
    ASSERT_EQ(sketched.size(), 3u);
    EXPECT_EQ(sketched[0].points[0], P(3374, 2962));
    EXPECT_EQ(sketched[0].major, 215);
    EXPECT_EQ(sketched[0].start, 6272u);
    EXPECT_EQ(sketched[0].end, 6273u);
    EXPECT_EQ(sketched[1].start, 6272u) << "clockwise, the long way round";
    EXPECT_EQ(sketched[1].end, 6271u + 65536u);
    EXPECT_EQ(sketched[2].end - sketched[2].start, 65536u);

    // Sketch ellipse (a = 0.03 along x, b = 0.015; sheet scale 1000): the
    // parametric angle of a point is acos(x / a): 0.024 gives 6711.960
    // units, 0.0240007939 gives 6711.500, just short of the start going
    // counter-clockwise, so the arc is all but the whole ellipse.
    HostDrawing ellipses = HostDrawing::FromViews(OneView("type=\"7\"", R"(
        <sketch><ellipses count="2">
          5 0 0 1 -1 0   0.024 0.009 0   0.0240007939 0.0089994707 0   0 0 0
                         0.03 0 0   0 0.015 0   0
          5 0 0 1 -1 0   0.024 0.009 0   0.024 0.009 0   0 0 0   0.03 0 0   0 0.015 0   0
        </ellipses></sketch>)"));
    const std::vector<Drawn> elliptic = WalkView(ellipses);
    ASSERT_EQ(elliptic.size(), 2u);
    EXPECT_EQ(elliptic[0].major, 30);
    EXPECT_EQ(elliptic[0].minor, 15);
    EXPECT_EQ(elliptic[0].start, 6711u);
    EXPECT_EQ(elliptic[0].end, 6710u + 65536u);
    EXPECT_EQ(elliptic[1].start, 6711u);
    EXPECT_EQ(elliptic[1].end, 6711u + 65536u);

    // A model-edge circle of radius 0.02 tilted 60 degrees about the x axis
    // (major 20, minor 10, tilt 0): its point at angle φ in its plane is
    // 0.02 · (cos φ, sin φ / 2, −√3/2 sin φ), at parametric angle φ: 0.3
    // and 0.30001 rad, 3129.114 and 3129.218 units.
    HostDrawing edges = HostDrawing::FromViews(OneView("type=\"7\"", R"(
        <model-edges count="2">
          1 12  0 0 0  0.01910672978251212 0.0029552020666133954 -0.0051185601260069465
                       0.019106670677515453 0.0029552976001145466 -0.0051187255948847649
                       0 0.866025403784 0.5   0 0  0 1  0 0  0
          1 12  0 0 0  0.01910672978251212 0.0029552020666133954 -0.0051185601260069465
                       0.01910672978251212 0.0029552020666133954 -0.0051185601260069465
                       0 0.866025403784 0.5   0 0  0 1  0 0  0
        </model-edges>)"));
    const std::vector<Drawn> tilted = WalkView(edges);
    ASSERT_EQ(tilted.size(), 2u);
    EXPECT_EQ(tilted[0].major, 20);
    EXPECT_EQ(tilted[0].minor, 10);
    EXPECT_EQ(tilted[0].tilt, 0);
    EXPECT_EQ(tilted[0].start, 3129u);
    EXPECT_EQ(tilted[0].end, 3130u);
    EXPECT_EQ(tilted[1].end - tilted[1].start, 65536u);
    EXPECT_TRUE(Messages().empty());
}
