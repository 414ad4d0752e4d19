// The bundled sample drawing walked sheet by sheet as the sheet writer walks
// it, its geometry read back from W2D; and its symbol file found through the
// host's settings as a user's installation would.
#include "addin/publishers/DWF2DGrWriter.h"
#include "addin/tests/HostDrawing.h"
#include "addin/tests/W2DCapture.h"
#include "platform/kernel/HostSettings.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <cmath>

using addin_test::Drawn;
using addin_test::HostDrawing;
using addin_test::OfKind;
using addin_test::SheetScaleFor;
using addin_test::W2DCapture;

namespace
{
WT_Logical_Point P(int x, int y)
{
    return WT_Logical_Point(x, y);
}

int Trunc(double value)
{
    return static_cast<int>(std::trunc(value));
}

// Leaves only the plain geometry in the sheet's views: annotations,
// dimensions, detail circles, break lines, tables, blocks, leaders, marks
// and hatches are checked on their own.
void KeepGeometryOnly(host::memory::Sheet& sheet)
{
    for (host::memory::View* view : sheet.views)
    {
        view->annotations = nullptr;
        view->weldList1 = view->weldList2 = nullptr;
        view->leaders = nullptr;
        view->centreMarks = nullptr;
        view->blocks = nullptr;
        view->quadrants = nullptr;
        view->detailCircles = {};
        view->breakLines = {};
        view->dimensions.clear();
        view->table = nullptr;
        view->centreLines = nullptr;
        view->outline = nullptr;
        if (view->viewSketch)
            view->viewSketch->sketchHatches.clear();
    }
}

// Every view of the sheet that is drawn, in the host's order.
std::vector<Drawn> WalkSheet(HostDrawing& host, std::size_t index, double& scale)
{
    host::memory::Sheet& sheet = host.sheet(index);
    KeepGeometryOnly(sheet);
    const std::vector<double> properties = sheet.properties();
    scale = SheetScaleFor(properties[5] * 1000, properties[6] * 1000);
    const w2dout::SheetContext context{scale};
    W2DCapture capture;
    for (host::memory::View* view : sheet.views)
    {
        if (view->stateFlag() != 0)
            continue;
        const WT_Result result =
            view->type() == 1
                ? ProcessSheetFormatFromDrawingDoc(capture.file(), &sheet, view,
                                                   host.application.get(), context)
                : ProcessViewFromDrawingDoc(capture.file(), view, host.application.get(), context);
        EXPECT_EQ(result, WT_Result_Success);
    }
    return capture.ReadBack();
}
} // namespace

TEST(SampleDrawingGeometry, FirstSheet)
{
    platform::ui().reset();
    HostDrawing host = HostDrawing::Sample();
    double s = 0;
    const std::vector<Drawn> drawn = WalkSheet(host, 0, s);
    EXPECT_TRUE(platform::ui().messageBoxes().empty());
    // Sheet format: 3 view polylines, 6 format lines and an arc, 2 sketch
    // lines, a spline, 2 hatch lines. Drawing View1: 4 visible lines, 3 hatch
    // lines, 2 splines, 2 polylines, a parabola, a model-edge polyline; 2
    // arcs, an ellipse, 3 model-edge arcs. Detail view: a line, an edge
    // polyline and an edge arc.
    EXPECT_EQ(OfKind(drawn, WT_Object::Polyline_ID).size(), 14u + 13u + 2u);
    EXPECT_EQ(OfKind(drawn, WT_Object::Outline_Ellipse_ID).size(), 1u + 6u + 1u);

    // The frame's first line, in black (the format sketch's default), weight 20.
    const Drawn& frame = drawn[3];
    EXPECT_EQ(frame.points, (std::vector<WT_Logical_Point>{P(Trunc(0.01 * s), Trunc(0.01 * s)),
                                                           P(Trunc(0.41 * s), Trunc(0.01 * s))}));
    EXPECT_EQ(frame.colour, WT_RGBA32(0, 0, 0, 255));
    EXPECT_EQ(frame.weight, 20);
    // The sheet view's sketch: colour 5 takes preference 116 (grey), the
    // next line its own 0x00A000 with the dash-dot-dot pattern.
    const Drawn& title = drawn[10];
    EXPECT_EQ(title.colour, WT_RGBA32(0x80, 0x80, 0x80, 255));
    EXPECT_EQ(title.pattern, WT_Line_Pattern::ISO_Dash);
    EXPECT_EQ(drawn[11].colour, WT_RGBA32(0, 0xA0, 0, 255));
    EXPECT_EQ(drawn[11].pattern, WT_Line_Pattern::Medium_Dash_Short_Dash_Short_Dash);

    // Drawing View1 (at 0.12, 0.15, scale 0.5): the arc item tilted by 60
    // degrees about x is an ellipse of radii r and r/2, r = 0.01.
    const std::vector<Drawn> ellipses = OfKind(drawn, WT_Object::Outline_Ellipse_ID);
    const Drawn& tilted = ellipses[6];
    EXPECT_EQ(tilted.points[0], P(Trunc((0.5 * -0.05 + 0.12) * s), Trunc(0.15 * s)));
    EXPECT_EQ(tilted.major, Trunc(0.5 * 0.01 * s));
    EXPECT_EQ(tilted.minor, Trunc(0.5 * 0.005 * s));
    // The detail view draws its 60-degree arc as a circle (scale 2).
    const Drawn& detail = ellipses[7];
    EXPECT_EQ(detail.major, detail.minor);
    EXPECT_EQ(detail.major, Trunc(2 * 0.01 * s));
    // Its sketch line has weight code -1: the thinnest weight.
    const std::vector<Drawn> lines = OfKind(drawn, WT_Object::Polyline_ID);
    EXPECT_EQ(lines[27].weight, 0);
    EXPECT_EQ(lines[27].points[0], P(Trunc((2 * 0.04 + 0.23) * s), Trunc((2 * 0.03 + 0.08) * s)));
}

TEST(SampleDrawingGeometry, SecondSheetWithARotatedViewAndAHiddenView)
{
    HostDrawing host = HostDrawing::Sample();
    double s = 0;
    const std::vector<Drawn> drawn = WalkSheet(host, 1, s);
    // Frame 4, view lines 2 and a square of model edges; one ellipse. The
    // hidden view draws nothing.
    ASSERT_EQ(OfKind(drawn, WT_Object::Polyline_ID).size(), 7u);
    ASSERT_EQ(OfKind(drawn, WT_Object::Outline_Ellipse_ID).size(), 1u);
    // The view turns its sketch by 30 degrees: (±0.04, 0) becomes
    // (±0.034641016, ±0.02), placed at (0.105, 0.15).
    const Drawn& axis = drawn[4];
    EXPECT_EQ(axis.points, (std::vector<WT_Logical_Point>{
                               P(Trunc((0.105 - 0.034641016151377546) * s), Trunc(0.13 * s)),
                               P(Trunc((0.105 + 0.034641016151377546) * s), Trunc(0.17 * s))}));
    // The ellipse's axis turns with it: 30 degrees is 5461.33 units.
    const Drawn& ellipse = drawn[6];
    ASSERT_TRUE(ellipse.IsEllipse());
    EXPECT_NEAR(ellipse.tilt, 5461, 1);
    EXPECT_EQ(ellipse.major, Trunc(0.03 * s));
    EXPECT_EQ(ellipse.minor, Trunc(0.015 * s));
    // Model edges are not turned: the square stays square.
    const Drawn& square = drawn[7];
    EXPECT_EQ(square.points.front(), P(Trunc(0.055 * s), Trunc(0.1 * s)));
}

TEST(SampleDrawingGeometry, SymbolFileFoundThroughTheHostSettings)
{
    HostDrawing host = HostDrawing::Sample();
    platform::Registry& registry = platform::processRegistry();
    registry.clear();
    ASSERT_TRUE(
        platform::seedToolboxIniFile(registry, std::nullopt, host.application->toolboxIniFile));
    CSymbolDrawer drawer;
    ASSERT_TRUE(drawer.Reader().IsOpen()) << drawer.Reader().Path();
    W2DCapture capture;
    const w2dout::SheetContext sheet{1000.0};
    drawer.SetLibraryName(u"GTOL");
    const std::pair<const char16_t*, std::size_t> symbols[] = {
        {u"FLAT", 4}, {u"POS", 3}, {u"TOTRUN", 5}, {u"ARC", 1}};
    std::size_t expected = 0;
    for (const auto& [name, count] : symbols)
    {
        drawer.SetSymbolName(name);
        ASSERT_EQ(drawer.Draw(capture.file(), sheet, 1000, 1000, 0.5, 3.5), WT_Result_Success);
        expected += count;
    }
    EXPECT_EQ(capture.ReadBack().size(), expected);
    registry.clear();
}
