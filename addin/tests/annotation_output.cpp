// Annotations, arrow heads, texts with symbol codes, dimensions, detail
// circles, break lines, hatches, tables, blocks and quadrant circles, each
// written into a W2D stream and read back with the toolkit's reader; the
// expected W2D values are worked out by hand from the host's numbers.
#include "SheetReadBack.h"
#include "addin/ErrorReport.h"
#include "addin/publishers/DWF2DGrWriter.h"
#include "host/memory/Annotation.h"
#include "host/memory/Application.h"
#include "host/memory/Geometry.h"
#include "host/memory/Sketch.h"
#include "host/memory/View.h"
#include "platform/kernel/HostSettings.h"
#include "platform/kernel/Path.h"
#include "platform/tests/PinnedFonts.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using sheet_test::Item;
using sheet_test::Sheet;
using P = WT_Logical_Point;
namespace mem = host::memory;

namespace
{

void PointToSampleSymbols()
{
    const std::u16string ini = platform::path::fromNative(
        std::string(QUILLCAST_SOURCE_DIR) + "/examples/host-data/toolbox/toolbox.ini");
    platform::processRegistry().setValue(platform::Hive::LocalMachine, platform::kHostSetupKey,
                                         platform::kToolboxIniFileValue, ini);
}

std::vector<P> Pts(std::initializer_list<P> points)
{
    return points;
}

class AnnotationOutput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::ui().reset();
        platform::ui().setEcho(false);
        PointToSampleSymbols();
    }
    std::size_t Messages() const { return platform::ui().messageBoxes().size(); }

    mem::DisplayData* Data() { return app.make<mem::DisplayData>(); }
    mem::View* View() { return app.make<mem::View>(); }
    static void AddText(mem::DisplayData* data, std::u16string text, double x, double y,
                        double height, int justification = 0)
    {
        mem::DisplayText t;
        t.height = height;
        t.position = {x, y, 0.0};
        t.justification = justification;
        t.text = std::move(text);
        t.font = u"Arial";
        data->texts.push_back(t);
    }

    mem::Application app;
    w2dout::SheetContext sheet{10000.0};
    sheet_test::Capture capture;
    CDWF2DGrWriter writer{sheet, &app};
};

TEST_F(AnnotationOutput, MultiLineNoteDrawsItsSymbolsAndMovesEachLineDown)
{
    std::string skip;
    if (!font_test::Pinned(font_test::kSans, skip))
        GTEST_SKIP() << skip;
    mem::DisplayData* data = Data();
    // S·h = 100 W2D units; the symbol STRAIGHT is one line from (0.1, 0.5)
    // to (1.1, 0.5) text heights.
    AddText(data, u"A<GTOL-STRAIGHT>B<GTOL-STRAIGHT>\nC<NOTE>", 0.1, 0.2, 0.01);
    ASSERT_EQ(writer.GenerateDisplayData(capture.file(), data), WT_Result_Success);
    const Sheet out = capture.Finish();

    // First line: P = (1000, 2000) moved down by S·h. The font is 130 units
    // tall, Arial's cell (Liberation Sans: 1854 + 434 = 2288 font units),
    // so "A" and "B" (1366 font units each) are 77.61 units wide. The first
    // symbol sits past "A" and a gap of S·h, at 177.61 (written at 1177),
    // and reaches 110 units past that; "B" follows its right edge and a
    // gap, at 387.61, and the second symbol a gap after "B", at 565.23.
    const auto lines = out.Of(WT_Object::Polyline_ID);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].points, Pts({P(1187, 1950), P(1287, 1950)}));
    EXPECT_EQ(lines[1].points, Pts({P(1575, 1950), P(1675, 1950)}));
    const auto texts = out.Of(WT_Object::Text_ID);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, u"A");
    EXPECT_EQ(texts[0].points[0], P(1000, 1900));
    EXPECT_EQ(texts[0].fontHeight, 130); // S·h·1.3
    EXPECT_EQ(texts[0].fontName, "Arial");
    EXPECT_EQ(texts[1].text, u"B");
    EXPECT_EQ(texts[1].points[0], P(1387, 1900));
    // Second line: a line pitch (five thirds of a height) below the first;
    // a code without '-' stays in the text.
    EXPECT_EQ(texts[2].text, u"C<NOTE>");
    EXPECT_EQ(texts[2].points[0], P(1000, 1733));
    EXPECT_EQ(Messages(), 0u);
}

TEST_F(AnnotationOutput, JustificationMovesByHeightAndLength)
{
    struct Case
    {
        int code;
        P expected;
    } cases[] = {{0, P(1000, 1900)}, {1, P(1000, 2050)}, {2, P(895, 1950)},
                 {3, P(895, 1950)},  {5, P(790, 1900)},  {4, P(1000, 1900)}};
    for (const Case& c : cases)
    {
        // A line 210 units wide: centred codes move back half of it, code 5
        // all of it.
        w2dout::SheetPosition at(1000, 2000);
        writer.AdjustTextPosition(c.code, at, 0.01, 210.0);
        EXPECT_EQ(w2dout::ToLogical(at), c.expected) << "justification " << c.code;
    }
}

TEST_F(AnnotationOutput, TextAngleTurnsTheFontAndSymbolPlacement)
{
    mem::DisplayData* data = Data();
    AddText(data, u"<GTOL-STRAIGHT>X", 0.1, 0.2, 0.01);
    data->texts[0].angle = w2dout::kPi / 2;
    ASSERT_EQ(writer.GenerateDisplayData(capture.file(), data), WT_Result_Success);
    const Sheet out = capture.Finish();
    const auto texts = out.Of(WT_Object::Text_ID);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].fontRotation, 16383);
    // The line hangs a height below its anchor in its own frame: turned
    // upright, that is a height to the right, at (1100, 2000). The symbol's
    // line turns about that insertion point; "X" follows the symbol's right
    // edge (110) and a gap (100) up the turned baseline.
    EXPECT_EQ(texts[0].points[0], P(1100, 2210));
    const auto lines = out.Of(WT_Object::Polyline_ID);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].points[0].m_x, 1100 - 50);
    EXPECT_EQ(lines[0].points[0].m_y, 2000 + 10);
}

TEST_F(AnnotationOutput, DisplayDataLinesFollowTheirStyle)
{
    mem::DisplayData* data = Data();
    data->lines.count = 3;
    data->lines.data = {255, 9, 0, 0, 0.25, 0.5,  0, 0.5,  0.5,  0,  // own colour, pattern 18
                        255, 3, 0, 0, 0.25, 0.25, 0, 0.5,  0.25, 0,  // caller's colour
                        255, 6, 0, 0, 0,    0,    0, 0.25, 0,    0}; // centre line
    w2dout::SetColor(capture.file(), 0x00FF00);
    ASSERT_EQ(writer.GetLineOfDisplaydata(capture.file(), data), WT_Result_Success);
    writer.SetLinesOnly(true);
    ASSERT_EQ(writer.GetLineOfDisplaydata(capture.file(), data), WT_Result_Success);
    const Sheet out = capture.Finish();
    const auto lines = out.Of(WT_Object::Polyline_ID);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].points, Pts({P(2500, 5000), P(5000, 5000)}));
    EXPECT_EQ(lines[0].pattern, 18);
    EXPECT_EQ(lines[0].colour, WT_RGBA32(255, 0, 0, 255));
    EXPECT_EQ(lines[1].pattern, 1);
    EXPECT_EQ(lines[1].colour, WT_RGBA32(255, 0, 0, 255)) << "the colour stays as set before";
    EXPECT_EQ(lines[2].pattern, 24);
    // Lines only: the centre line alone.
    EXPECT_EQ(lines[3].points, Pts({P(0, 0), P(2500, 0)}));
    EXPECT_EQ(lines[3].weight, 0);
}

TEST_F(AnnotationOutput, DimensionWritesSegmentsTextsAndArrows)
{
    mem::View* view = View();
    // One dimension with one segment; arrows of styles 1 and 0 pointing
    // at (0.03, 0.02) from either side.
    view->dimensions = {1,    0,    1,                                 // not read, m
                        0,    0.01, 0, 0,    0.05, 0, 0,               // segment
                        0.01, 0.02, 0, 0.03, 0.02, 0, 0.002, 0.004, 1, // arrow A
                        0.05, 0.02, 0, 0.03, 0.02, 0, 0.002, 0.004, 0, // arrow B
                        0.02, 0.03, 0, 0.04, 0.03, 0,                  // text positions
                        0.005};                                        // text height
    view->dimensionStrings = {u"25"};
    const w2dout::ViewTransform transform{0.1, 0.2, 0.5};
    ASSERT_EQ(writer.GenerateDimension(capture.file(), view, transform), WT_Result_Success);
    const Sheet out = capture.Finish();

    const auto lines = out.Of(WT_Object::Polyline_ID);
    ASSERT_EQ(lines.size(), 3u);
    // trunc(k·S·x) + S·ox: 50 + 1000 and 250 + 1000; y = 0 + 2000.
    EXPECT_EQ(lines[0].points, Pts({P(1050, 2000), P(1250, 2000)}));
    EXPECT_EQ(lines[0].pattern, 12);
    const auto texts = out.Of(WT_Object::Text_ID);
    ASSERT_EQ(texts.size(), 2u);
    // Moved left and down by the text's height, S·h = 50.
    EXPECT_EQ(texts[0].points[0], P(150, 250));
    EXPECT_EQ(texts[1].points[0], P(350, 250));
    EXPECT_EQ(texts[0].text, u"25");
    EXPECT_EQ(texts[0].fontHeight, 50);
    // Style 1: the shaft, then the head with its base 40 units from A and
    // 10 units to either side.
    EXPECT_EQ(lines[1].points, Pts({P(100, 200), P(300, 200)}));
    const auto heads = out.Of(WT_Object::Polygon_ID);
    ASSERT_EQ(heads.size(), 1u);
    EXPECT_EQ(heads[0].points, Pts({P(140, 210), P(140, 190), P(300, 200)}));
    // Style 0: the outline c1, c0, B, c1 from the other side.
    EXPECT_EQ(lines[2].points, Pts({P(460, 190), P(460, 210), P(300, 200), P(460, 190)}));
    EXPECT_EQ(Messages(), 0u);
}

TEST_F(AnnotationOutput, ArrowHeadStyles)
{
    WT_File& file = capture.file();
    const P a(0, 400);
    const P b(0, 0);
    ASSERT_EQ(writer.DrawArrowHead(file, a, b, 20, 40, 2), WT_Result_Success);
    ASSERT_EQ(writer.DrawArrowHead(file, a, b, 30, 40, 3), WT_Result_Success);
    ASSERT_EQ(writer.DrawArrowHead(file, a, b, 30, 40, 4), WT_Result_Success);
    ASSERT_EQ(writer.DrawArrowHead(file, a, b, 20, 40, 6), WT_Result_Success);
    ASSERT_EQ(writer.DrawArrowHead(file, a, b, 20, 40, 7), WT_Result_Success);
    ASSERT_EQ(writer.DrawArrowHead(file, a, b, 20, 40, 12), WT_Result_Success);
    ASSERT_EQ(writer.DrawArrowHead(file, b, b, 20, 40, 1), WT_Result_Success);
    const Sheet out = capture.Finish();
    ASSERT_EQ(out.items.size(), 6u);
    // Slash: s = b·cos(0 + π/3) = 20.
    EXPECT_EQ(out.items[0].points, Pts({P(-20, -20), P(20, 20)}));
    EXPECT_EQ(out.items[1].kind, WT_Object::Filled_Ellipse_ID);
    EXPECT_EQ(out.items[1].major, 10);
    EXPECT_EQ(out.items[2].kind, WT_Object::Outline_Ellipse_ID);
    EXPECT_EQ(out.items[2].end - out.items[2].start, 65536u);
    // Style 6 starts at the middle of the shaft (0, 200).
    EXPECT_EQ(out.items[3].points, Pts({P(10, 160), P(0, 0), P(-10, 160)}));
    // Style 7: M = (((c0 + c1)/2 + B)/2 + A)/2 = (0, 290), two filled halves.
    EXPECT_EQ(out.items[4].points, Pts({P(0, 290), P(-10, 360), P(0, 0)}));
    EXPECT_EQ(out.items[5].points, Pts({P(0, 290), P(10, 360), P(0, 0)}));
}

TEST_F(AnnotationOutput, DetailCircleWithLabelAndArrow)
{
    mem::View* view = View();
    view->detailCircles.count = 1;
    view->detailCircles.data = {0,                                        // not read
                                0,    0.5,   0.25, 0,      0.75, 0.25, 0, // centre, start
                                0.75, 0.25,  0,    1,                     // end, style
                                0.5,  0.625, 0,    0.0625,                // label at, height
                                1,                                        // one arrow
                                0.75, 0.25,  0,    0,      1,    0,    0.0625, 0.125, 5};
    view->detailLabels = {u"A"};
    writer.SetView(view);
    ASSERT_EQ(writer.GenerateDetailCircle(capture.file()), WT_Result_Success);
    const Sheet out = capture.Finish();
    const auto circles = out.Of(WT_Object::Outline_Ellipse_ID);
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_EQ(circles[0].points[0], P(5000, 2500));
    EXPECT_EQ(circles[0].major, 2500);
    EXPECT_EQ(circles[0].end - circles[0].start, 65536u);
    EXPECT_EQ(circles[0].colour, WT_RGBA32(0, 0, 0, 255));
    const auto labels = out.Texts(u"A");
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0].points[0], P(5000, 5625)); // a label height below
    EXPECT_EQ(labels[0].fontHeight, 812);
    // Open head: tip at T, back at T + 3·L·D, base half a length up from the back.
    const auto heads = out.Of(WT_Object::Polyline_ID);
    ASSERT_EQ(heads.size(), 1u);
    EXPECT_EQ(heads[0].points, Pts({P(7656, 5625), P(7500, 2500), P(7343, 5625)}));
}

TEST_F(AnnotationOutput, BreakLinesByTypeAndUnknownTypesSkipTheirHead)
{
    mem::View* view = View();
    view->breakLines.count = 3;
    view->breakLines.data = {1,    255, 0, 1,    2,   0, 0,   0, 0, // two straight lines
                             0.25, 0,   0, 0.25, 0.5, 0, 0.5, 0, 0, 0.5, 0.5,
                             0,    9,   0, 0,    0,   0, 0,   0, 0, 0, // no geometry
                             3,    0,   0, 0,    1,   0, 0,   0, 0};   // four arcs
    for (int k = 0; k < 4; ++k)
        view->breakLines.data.insert(view->breakLines.data.end(),
                                     {1, 0.5, 0.25, 0, 0.25, 0.5, 0, 0.25, 0.25, 0});
    writer.SetView(view);
    ASSERT_EQ(writer.GenerateBreakLine(capture.file()), WT_Result_Success);
    const Sheet out = capture.Finish();
    const auto lines = out.Of(WT_Object::Polyline_ID);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].points, Pts({P(2500, 0), P(2500, 5000)}));
    EXPECT_EQ(lines[1].points, Pts({P(5000, 0), P(5000, 5000)}));
    EXPECT_EQ(lines[0].colour, WT_RGBA32(255, 0, 0, 255));
    EXPECT_EQ(lines[0].pattern, 18);
    EXPECT_EQ(lines[0].weight, 40);
    const auto arcs = out.Of(WT_Object::Outline_Ellipse_ID);
    ASSERT_EQ(arcs.size(), 4u);
    EXPECT_EQ(arcs[0].points[0], P(2500, 2500));
    EXPECT_EQ(arcs[0].start, 0u);
    EXPECT_EQ(arcs[0].end, 16384u);
    EXPECT_EQ(arcs[0].weight, 20);
    EXPECT_EQ(Messages(), 0u);
}

TEST_F(AnnotationOutput, SolidHatchWritesItsLoopsAsOneAreaWithAHole)
{
    auto edge = [&](std::vector<double> points)
    {
        auto* curve = app.make<mem::Curve>();
        curve->points = std::move(points);
        auto* e = app.make<mem::Edge>();
        e->edgeCurve = curve;
        return static_cast<host::Edge*>(e);
    };
    auto* outer = app.make<mem::Loop>();
    // The second edge runs against the chain and is turned round.
    outer->loopEdges = {edge({0, 0, 0, 0.125, 0, 0}),
                        edge({0.125, 0.125, 0, 0.125, 0.0625, 0, 0.125, 0, 0}),
                        edge({0.125, 0.125, 0, 0, 0.125, 0}), edge({0, 0.125, 0, 0, 0, 0})};
    auto* hole = app.make<mem::Loop>();
    hole->loopEdges = {
        edge({0.0625, 0.0625, 0, 0.09375, 0.0625, 0, 0.0625, 0.09375, 0, 0.0625, 0.0625, 0})};
    outer->nextLoop = hole;
    hole->nextLoop = outer; // a host's chain that comes round again: each loop once
    auto* face = app.make<mem::Face>();
    face->loops = outer;
    auto* solid = app.make<mem::SketchHatch>();
    solid->hatchColour = 0x00FF00;
    solid->hatchFace = face;
    auto* hollow = app.make<mem::SketchHatch>();
    hollow->solidFlag = 0;
    hollow->hatchFace = face;
    // A hole whose points are not numbers: the face is left out whole, not
    // drawn with the hole painted over.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto* lost = app.make<mem::SketchHatch>();
    lost->hatchFace = app.make<mem::Face>();
    lost->hatchFace->loops = app.make<mem::Loop>();
    lost->hatchFace->loops->loopEdges = {edge({0, 0, 0, 0.125, 0, 0, 0, 0.125, 0, 0, 0, 0})};
    lost->hatchFace->loops->nextLoop = app.make<mem::Loop>();
    lost->hatchFace->loops->nextLoop->loopEdges = {edge({0, nan, 0, 0.01, 0, 0, 0, 0.01, 0})};
    auto* sketch = app.make<mem::Sketch>();
    sketch->sketchHatches = {hollow, solid, lost};

    const w2dout::ViewTransform transform{0.25, 0.5, 2};
    ASSERT_EQ(writer.GenerateSketchHatchs(sketch, capture.file(), transform), WT_Result_Success);
    const Sheet out = capture.Finish();
    // One contour set: the outer loop as it turns, counter-clockwise, and
    // the hole, given the same way round, turned against it; filled in the
    // hatch's colour and fill pattern.
    ASSERT_EQ(out.items.size(), 1u);
    EXPECT_EQ(out.items[0].kind, WT_Object::Contour_Set_ID);
    EXPECT_EQ(out.items[0].contours, (std::vector<std::int32_t>{5, 3}));
    EXPECT_EQ(out.items[0].points,
              Pts({P(2500, 5000), P(5000, 5000), P(5000, 6250), P(5000, 7500), P(2500, 7500),
                   P(3750, 6875), P(4375, 6250), P(3750, 6250)}));
    EXPECT_EQ(out.items[0].colour, WT_RGBA32(0, 255, 0, 255));
    EXPECT_TRUE(out.items[0].fill);
    EXPECT_EQ(out.items[0].fillPattern, WT_Fill_Pattern::Solid);
    EXPECT_TRUE(out.items[0].fillPatternScaled);
    ASSERT_EQ(Messages(), 2u);
    EXPECT_EQ(platform::ui().messageBoxes()[0].cause,
              u"A solid hatch's loops come round to a loop already taken; each loop is drawn once");
    EXPECT_EQ(platform::ui().messageBoxes()[1].cause,
              u"A solid hatch is left out: its coordinates on the sheet are not finite numbers");
}

TEST_F(AnnotationOutput, SolidHatchTurnsWithItsViewLikeTheLinesAroundIt)
{
    // A square from (0, 0) to (0.125, 0.125), as sketch lines and as a
    // solid hatch, in a view turned by 15 degrees.
    auto* curve = app.make<mem::Curve>();
    curve->points = {0, 0, 0, 0.125, 0, 0, 0.125, 0.125, 0, 0, 0.125, 0, 0, 0, 0};
    auto* edge = app.make<mem::Edge>();
    edge->edgeCurve = curve;
    auto* loop = app.make<mem::Loop>();
    loop->loopEdges = {edge};
    auto* face = app.make<mem::Face>();
    face->loops = loop;
    auto* hatch = app.make<mem::SketchHatch>();
    hatch->hatchColour = 0x0000FF;
    hatch->hatchFace = face;
    auto* sketch = app.make<mem::Sketch>();
    sketch->sketchHatches = {hatch};
    sketch->sketchLines.count = 4;
    const double corners[5][2] = {{0, 0}, {0.125, 0}, {0.125, 0.125}, {0, 0.125}, {0, 0}};
    for (int i = 0; i < 4; ++i)
        sketch->sketchLines.data.insert(sketch->sketchLines.data.end(),
                                        {5, 0, 0, 1, -1, 0, corners[i][0], corners[i][1], 0,
                                         corners[i + 1][0], corners[i + 1][1], 0});
    mem::View* view = View();
    view->rotation = 15 * w2dout::kPi / 180;
    view->viewSketch = sketch;
    writer.SetView(view);
    const w2dout::ViewTransform transform{0.25, 0.5, 2};
    ASSERT_EQ(writer.GenerateSketchHatchs(sketch, capture.file(), transform), WT_Result_Success);
    ASSERT_EQ(writer.ProcessDrawingDocSketch(capture.file(), sketch, transform, 0, nullptr),
              WT_Result_Success);
    const Sheet out = capture.Finish();
    const auto polygons = out.Of(WT_Object::Polygon_ID);
    const auto lines = out.Of(WT_Object::Polyline_ID);
    ASSERT_EQ(polygons.size(), 1u);
    ASSERT_EQ(lines.size(), 4u);
    // (0.125, 0) turns to (0.120741, 0.032352): at (2·x + 0.25, 2·y + 0.5)
    // × S that is (4914, 5647). The hatch's corners are the lines' ends.
    ASSERT_EQ(polygons[0].points.size(), 4u);
    EXPECT_EQ(polygons[0].points[1], P(4914, 5647));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(polygons[0].points[i], lines[i].points[0]) << "corner " << i;
    EXPECT_EQ(polygons[0].colour, WT_RGBA32(255, 0, 0, 255));
}

TEST_F(AnnotationOutput, CentreMarksBlocksAndQuadrantsDrawInTheirAnnotationsColour)
{
    auto lineData = [&](double y)
    {
        mem::DisplayData* data = Data();
        data->lines.count = 1;
        data->lines.data = {0, 0, 0, 0, 0.25, y, 0, 0.5, y, 0};
        return data;
    };
    auto noteOf = [&](mem::DisplayData* data, int colour)
    {
        auto* note = app.make<mem::Annotation>();
        note->annotationColour = colour;
        note->data = data;
        return note;
    };
    auto* mark = app.make<mem::CentreMark>();
    mark->mark = noteOf(lineData(0.25), 0xFF0000); // blue
    auto* block = app.make<mem::BlockInstance>();
    block->note = noteOf(lineData(0.5), 0x00FF00); // green
    auto* quadrant = app.make<mem::QuadrantItem>();
    quadrant->corners = {0.5, 0.5, 0.5, 0.5, 0.5, 0.5}; // no circle
    quadrant->note = noteOf(lineData(0.75), 0x0000FF); // red
    mem::View* view = View();
    view->centreMarks = mark;
    view->blocks = block;
    view->quadrants = quadrant;

    // Whatever colour the record before left is not the mark's.
    w2dout::SetColor(capture.file(), 0x00FFFF);
    ASSERT_EQ(writer.GenerateCenterMark(capture.file(), view, {}), WT_Result_Success);
    ASSERT_EQ(writer.GenerateBlock(capture.file(), view), WT_Result_Success);
    ASSERT_EQ(writer.GenerateBlock(capture.file(), w2dout::ViewTransform{}, view),
              WT_Result_Success);
    const Sheet out = capture.Finish();
    const auto lines = out.Of(WT_Object::Polyline_ID);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].colour, WT_RGBA32(0, 0, 255, 255));
    EXPECT_EQ(lines[1].colour, WT_RGBA32(0, 255, 0, 255));
    EXPECT_EQ(lines[2].colour, WT_RGBA32(255, 0, 0, 255));
}

TEST_F(AnnotationOutput, ADimensionWithOneTextPositionWritesItOnce)
{
    mem::View* view = View();
    // Records without segments whose arrow heads draw nothing (style 12):
    // the first gives one text position twice, the second two positions.
    auto record = [](double secondY)
    {
        return std::vector<double>{0,    0,                                 // not read, m
                                   0,    0,    0, 0.02, 0, 0, 0, 0, 12,    // arrow head
                                   0,    0,    0, 0.02, 0, 0, 0, 0, 12,    // arrow head
                                   0.02, 0.03, 0, 0.02, secondY, 0,        // text positions
                                   0.005};                                 // text height
    };
    view->dimensions = {2};
    for (double y : {0.03, 0.031})
    {
        const std::vector<double> r = record(y);
        view->dimensions.insert(view->dimensions.end(), r.begin(), r.end());
    }
    view->dimensionStrings = {u"ONCE", u"TWICE"};
    ASSERT_EQ(writer.GenerateDimension(capture.file(), view, {}), WT_Result_Success);
    const Sheet out = capture.Finish();
    ASSERT_EQ(out.Texts(u"ONCE").size(), 1u);
    EXPECT_EQ(out.Texts(u"ONCE")[0].points[0], P(150, 250));
    ASSERT_EQ(out.Texts(u"TWICE").size(), 2u);
    EXPECT_EQ(out.Texts(u"TWICE")[1].points[0], P(150, 260));
    EXPECT_EQ(out.items.size(), 3u) << "the arrow heads of style 12 draw nothing";
    EXPECT_EQ(Messages(), 0u);
}

TEST_F(AnnotationOutput, TableIsWrittenOnlyInItsWritableState)
{
    mem::View* view = View();
    auto* table = app.make<mem::BomTable>();
    table->label = "Table";
    table->data = Data();
    AddText(table->data, u"BRACKET-01", 0.25, 0.5, 0.01);
    view->table = table;
    view->viewName = u"Drawing View1";
    writer.SetView(view);
    ASSERT_EQ(writer.GenerateBomTable(capture.file(), {}), WT_Result_Success);
    table->state = 0;
    ASSERT_EQ(writer.GenerateBomTable(capture.file(), {}), WT_Result_Success);
    {
        // Inside a sheet, the sheet comes first.
        const PublishScope scope(u"Sheet 'Parts list'");
        table->state = -3;
        ASSERT_EQ(writer.GenerateBomTable(capture.file(), {}), WT_Result_Success);
    }
    const Sheet out = capture.Finish();
    EXPECT_EQ(out.Texts(u"BRACKET-01").size(), 1u);
    ASSERT_EQ(Messages(), 2u);
    const auto& boxes = platform::ui().messageBoxes();
    EXPECT_EQ(boxes[0].text, platform::ui().string(209).value_or(u""));
    EXPECT_EQ(boxes[0].cause, u"the table of view 'Drawing View1' is in state 0; the host lets "
                              u"a table be written in state 1 only");
    EXPECT_EQ(boxes[1].text, boxes[0].text);
    EXPECT_EQ(boxes[1].cause, u"Sheet 'Parts list': the table of view 'Drawing View1' is in "
                              u"state -3; the host lets a table be written in state 1 only");
    EXPECT_EQ(app.hostSession().requestCount("BomTable::close"), 3);
}

TEST_F(AnnotationOutput, BlockInstanceTurnsScalesAndMovesItsDefinition)
{
    auto* sketch = app.make<mem::Sketch>();
    sketch->sketchLines.count = 1;
    sketch->sketchLines.data = {5, 0, 0, 1, -1, 0, 1, 0, 0, 2, 0, 0};
    auto* definition = app.make<mem::BlockDefinition>();
    definition->definitionSketch = sketch;
    auto* note = app.make<mem::Annotation>();
    note->anchor = {10, 20, 0};
    auto* instance = app.make<mem::BlockInstance>();
    instance->instanceAngle = w2dout::kPi / 2;
    instance->instanceScale = 2;
    instance->note = note;
    instance->block = definition;
    mem::View* view = View();
    view->blocks = instance;

    const w2dout::SheetContext unit{1000.0};
    CDWF2DGrWriter blockWriter(unit, &app);
    ASSERT_EQ(blockWriter.GenerateBlock(capture.file(), view), WT_Result_Success);
    EXPECT_EQ(blockWriter.GetRotation(), 0.0);
    const Sheet out = capture.Finish();
    const auto lines = out.Of(WT_Object::Polyline_ID);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].points, Pts({P(10000, 22000), P(10000, 24000)}));
}

TEST_F(AnnotationOutput, QuadrantCircleFillsTwoQuartersAndOutlinesTheCircle)
{
    w2dout::HostPoint c;
    ASSERT_TRUE(CDWF2DGrWriter::ComputeBoxCenter({1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, c));
    EXPECT_NEAR(c.x, 0.0, 1e-12);
    EXPECT_NEAR(c.y, 0.0, 1e-12);
    ASSERT_TRUE(CDWF2DGrWriter::ComputeBoxCenter({1, 0, 0}, {3, 0, 0}, {1, 0, 0}, c));
    EXPECT_EQ(c.x, 2.0);
    EXPECT_FALSE(CDWF2DGrWriter::ComputeBoxCenter({0, 0, 0}, {1, 0, 0}, {2, 0, 0}, c));

    auto* second = app.make<mem::QuadrantItem>();
    second->corners = {0.25, 0.5, 0.5, 0.75, 0.75, 0.5};
    second->quadrant = 0;
    auto* first = app.make<mem::QuadrantItem>();
    first->corners = second->corners;
    first->quadrant = 1;
    first->nextItem = second;
    mem::View* view = View();
    view->quadrants = first;
    ASSERT_EQ(writer.GenerateBlock(capture.file(), w2dout::ViewTransform{}, view),
              WT_Result_Success);
    const Sheet out = capture.Finish();
    const auto sectors = out.Of(WT_Object::Filled_Ellipse_ID);
    const auto circles = out.Of(WT_Object::Outline_Ellipse_ID);
    ASSERT_EQ(sectors.size(), 4u);
    ASSERT_EQ(circles.size(), 2u);
    EXPECT_NEAR(circles[0].points[0].m_x, 5000, 1);
    EXPECT_NEAR(circles[0].points[0].m_y, 5000, 1);
    EXPECT_NEAR(circles[0].major, 2500, 1);
    EXPECT_EQ(circles[0].pattern, 1);
    EXPECT_EQ(sectors[0].start, 16384u);
    EXPECT_EQ(sectors[0].end, 32768u);
    EXPECT_EQ(sectors[1].start, 49152u);
    EXPECT_EQ(sectors[1].end, 65536u);
    EXPECT_EQ(sectors[2].start, 0u);
    EXPECT_EQ(sectors[2].end, 16384u);
    EXPECT_EQ(sectors[3].start, 32768u);
    EXPECT_EQ(sectors[3].end, 49152u);
}

TEST_F(AnnotationOutput, WeldTrianglesOutlinedOrFilled)
{
    auto* item = app.make<mem::WeldItem>();
    item->triangles.count = 2;
    item->triangles.data = {0, 0, 0, 0.25, 0.5, 0, 0.5, 0, 0, 0.5, 0, 0, 0.75, 0.5, 0, 1, 0, 0};
    item->filledFlags = {0, 1};
    auto* note = app.make<mem::Annotation>();
    note->annotationType = 2;
    note->annotationColour = 255;
    mem::View* view = View();
    view->annotations = note;
    view->weldList1 = item;
    ASSERT_EQ(writer.ProcessDisplayData(capture.file(), view, {}), WT_Result_Success);
    const Sheet out = capture.Finish();
    ASSERT_EQ(out.items.size(), 2u);
    EXPECT_EQ(out.items[0].kind, WT_Object::Polyline_ID);
    EXPECT_EQ(out.items[0].points, Pts({P(0, 0), P(2500, 5000), P(5000, 0), P(0, 0)}));
    EXPECT_EQ(out.items[0].colour, WT_RGBA32(255, 0, 0, 255));
    EXPECT_EQ(out.items[1].kind, WT_Object::Polygon_ID);
    EXPECT_EQ(out.items[1].points, Pts({P(5000, 0), P(7500, 5000), P(10000, 0)}));
}

// Host data that lies about its sizes, holds non-numbers or loops: each
// operation reports it, keeps what came before, and the stream stays whole.
TEST_F(AnnotationOutput, HostileHostDataGivesMessagesNotCrashes)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    WT_File& file = capture.file();

    mem::DisplayData* data = Data();
    data->lines.count = 3; // only one record present
    data->lines.data = {0, 0, 0, 0, nan, inf, 0, -inf, 1e300, 0};
    data->arcs.count = 2000000000;
    data->arrows.count = 1;
    data->arrows.data = {0, 0, 0, 0, 0, 0, 0.002, 0.004, 1}; // no direction
    AddText(data, u"<<>-<A-B", nan, 1e308, inf);
    ASSERT_EQ(writer.GenerateDisplayData(file, data), WT_Result_Success);
    // The text and the line present have no place on the sheet: each is left
    // out and named.
    ASSERT_EQ(Messages(), 4u) << "short line list, absurd arc count, text, line";
    const auto& boxes = platform::ui().messageBoxes();
    EXPECT_EQ(boxes[0].cause, u"The text \"<<>-<A-B\" is left out: its coordinates on the sheet "
                              u"are not finite numbers");
    EXPECT_EQ(boxes[1].cause, u"An annotation line is left out: its coordinates on the sheet are "
                              u"not finite numbers");

    const std::size_t before = Messages();
    mem::View* view = View();
    view->dimensions = {3, 0, 1e12, 0};
    EXPECT_EQ(writer.GenerateDimension(file, view, {}), WT_Result_Success);
    view->dimensions = {1, 0};
    view->dimensions.resize(28, nan); // m = NaN
    EXPECT_EQ(writer.GenerateDimension(file, view, {}), WT_Result_Success);
    view->detailCircles = {1, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1e9}};
    view->breakLines = {2, {2, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3}};
    view->outline = app.make<mem::DetailOutline>();
    view->outline->outlineType = 2;
    view->outline->outlinePoints = {1, 1, 1};
    auto* weld = app.make<mem::WeldItem>();
    weld->triangles = {1, {0, 0}};
    view->weldList2 = weld;
    auto* quadrant = app.make<mem::QuadrantItem>();
    quadrant->corners = {0, 0};
    view->quadrants = quadrant;
    auto* looping = app.make<mem::Annotation>();
    looping->nextAnnotation = looping;
    looping->annotationType = 8;
    view->annotations = looping;
    writer.SetView(view);
    EXPECT_EQ(writer.GenerateDetailCircle(file), WT_Result_Success);
    EXPECT_EQ(writer.GenerateBreakLine(file), WT_Result_Success);
    EXPECT_EQ(writer.GenerateDetailCircleOther(file), WT_Result_Success);
    EXPECT_EQ(writer.GenerateBlock(file, w2dout::ViewTransform{}, view), WT_Result_Success);
    weld->nextItem = nullptr;
    looping->annotationType = 0;
    EXPECT_EQ(writer.ProcessDisplayData(file, view, {}), WT_Result_Success);
    EXPECT_EQ(writer.GetWeldSymbol(file, view), WT_Result_Success);
    EXPECT_EQ(Messages() - before, 8u);

    const Sheet out = capture.Finish();
    EXPECT_EQ(out.end, WT_Result_End_Of_Stream);
    // The one line that was present is not drawn toward points pressed onto
    // the range's edge.
    EXPECT_EQ(out.Count(WT_Object::Polyline_ID), 0u);
}

TEST_F(AnnotationOutput, HostFailureIsReportedOnceAndTheWalkGoesOn)
{
    mem::DisplayData* data = Data();
    AddText(data, u"KEPT", 0.25, 0.25, 0.01);
    data->lines.count = 1;
    data->lines.data = {0, 0, 0, 0, 0, 0, 0, 0.25, 0, 0};
    app.hostSession().failRequest("DisplayData::textHeight");
    ASSERT_EQ(writer.GenerateDisplayData(capture.file(), data), WT_Result_Success);
    ASSERT_EQ(writer.GenerateDisplayData(capture.file(), data), WT_Result_Success);
    const Sheet out = capture.Finish();
    ASSERT_EQ(Messages(), 1u);
    EXPECT_EQ(platform::ui().messageBoxes()[0].text,
              u"An error occurred while publishing the file. The error occurred in "
              u"CDWF2DGrWriter::GetTextOfDisplaydata.");
    EXPECT_EQ(out.Texts(u"KEPT").size(), 1u);
    EXPECT_EQ(out.Count(WT_Object::Polyline_ID), 2u);
}

TEST_F(AnnotationOutput, AFailedWriteEndsTheOperationAndIsHandedBack)
{
    mem::DisplayData* data = Data();
    data->lines.count = 1000;
    for (int i = 0; i < 1000; ++i)
        data->lines.data.insert(data->lines.data.end(),
                                {0, 0, 0, 0, 0.001 * i, 0, 0, 0.001 * i, 0.5, 0});
    capture.stream().fail_writes_after = capture.stream().output.size() + 200;
    EXPECT_NE(writer.GenerateDisplayData(capture.file(), data), WT_Result_Success);
    mem::View* view = View();
    auto* quadrant = app.make<mem::QuadrantItem>();
    quadrant->corners = {0.25, 0.5, 0.5, 0.75, 0.75, 0.5};
    view->quadrants = quadrant;
    EXPECT_NE(writer.GenerateBlock(capture.file(), w2dout::ViewTransform{}, view),
              WT_Result_Success);
    EXPECT_EQ(Messages(), 0u) << "a write failure is the caller's to report";
    capture.file().close();
}

} // namespace
