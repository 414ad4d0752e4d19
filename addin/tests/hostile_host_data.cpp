// Host data the loader would refuse, built straight into the in-memory
// host: short arrays, absurd counts, non-finite numbers. Each bad record is
// reported once by its operation, the records before it are written, and
// nothing crashes or hangs.
#include "addin/publishers/DWF2DGrWriter.h"
#include "addin/tests/HostDrawing.h"
#include "addin/tests/W2DCapture.h"
#include "platform/kernel/Text.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

using addin_test::Drawn;
using addin_test::HostDrawing;
using addin_test::W2DCapture;

namespace
{
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

class HostileHostData : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::ui().reset();
        platform::ui().setEcho(false);
    }

    // A drawing view with an empty sketch, to be filled by the test.
    HostDrawing host = HostDrawing::FromViews(
        "<view name=\"S\" type=\"1\"/><view name=\"V\" type=\"7\"><sketch/></view>");
    host::memory::View& view = host.view(1);
    host::memory::Sketch& sketch = *view.viewSketch;

    std::vector<Drawn> Walk()
    {
        W2DCapture capture;
        const w2dout::SheetContext sheet{1000.0};
        EXPECT_EQ(ProcessViewFromDrawingDoc(capture.file(), &view, host.application.get(), sheet),
                  WT_Result_Success);
        return capture.ReadBack();
    }

    // The operations that reported, in order, by name.
    static std::vector<std::string> Reported()
    {
        static const std::u16string prefix =
            u"An error occurred while publishing the file. The error occurred in ";
        std::vector<std::string> names;
        for (const auto& box : platform::ui().messageBoxes())
        {
            std::string name;
            for (char16_t c : box.text.substr(prefix.size()))
                name.push_back(static_cast<char>(c));
            if (!name.empty() && name.back() == '.')
                name.pop_back();
            names.push_back(name);
        }
        return names;
    }
};

std::vector<double> Line(double x0, double y0, double x1, double y1, double colour = 255)
{
    return {colour, 0, 0, 1, -1, 0, x0, y0, 0, x1, y1, 0};
}

void Append(std::vector<double>& data, const std::vector<double>& more)
{
    data.insert(data.end(), more.begin(), more.end());
}
} // namespace

TEST_F(HostileHostData, ShortLineArraysWriteTheWholeRecordsBeforeTheGap)
{
    auto& lines = sketch.sketchLines;
    lines.count = 3;
    Append(lines.data, Line(0, 0, 0.01, 0));
    Append(lines.data, Line(0, 0, 0, 0.01));
    lines.data.resize(lines.data.size() + 6, 0.0); // half a record
    EXPECT_EQ(Walk().size(), 2u);
    EXPECT_EQ(Reported(), std::vector<std::string>{"CDWF2DGrWriter::GenerateSheetLine"});

    platform::ui().reset();
    lines.count = INT_MAX;
    lines.data.resize(12);
    EXPECT_EQ(Walk().size(), 1u);
    EXPECT_EQ(Reported(), std::vector<std::string>{"CDWF2DGrWriter::GenerateSheetLine"});

    platform::ui().reset();
    lines.count = -5;
    EXPECT_TRUE(Walk().empty());
    EXPECT_TRUE(Reported().empty());
}

TEST_F(HostileHostData, ShortArcEllipseParabolaAndHatchArrays)
{
    sketch.sketchArcs = {4, std::vector<double>(16 * 2 + 3, 0.0)};
    sketch.sketchEllipses = {1, std::vector<double>(21, 0.0)};
    sketch.sketchParabolas = {2, std::vector<double>(18, 0.0)};
    sketch.hatchLines = {1, {}};
    Walk();
    const std::vector<std::string> expected = {
        "CDWF2DGrWriter::GenerateSketchArc", "CDWF2DGrWriter::GenerateSketchEllipse",
        "CDWF2DGrWriter::GenerateSketchParabola", "CDWF2DGrWriter::GenerateCrossHatchLine"};
    EXPECT_EQ(Reported(), expected);
}

TEST_F(HostileHostData, NonFiniteAndDegenerateGeometryNeverCrashes)
{
    Append(sketch.sketchLines.data, Line(kNaN, kInf, -kInf, 1e300, kNaN));
    sketch.sketchLines.count = 1;
    // Arcs: a zero radius, NaN and infinite points, an absurd direction.
    sketch.sketchArcs.count = 3;
    sketch.sketchArcs.data = {255, 0, 0, 1, -1, 0, 0,    0,    0, 0, 0,    0, 0, 0, 0, 1,
                              255, 0, 0, 1, -1, 0, kNaN, 0,    0, 1, 0,    0, 0, 0, 0, kNaN,
                              255, 0, 0, 1, -1, 0, kInf, kInf, 0, 1, kInf, 0, 0, 0, 0, 1e300};
    // Ellipses: zero radii, a major axis along z only, NaN everywhere.
    sketch.sketchEllipses.count = 3;
    std::vector<double> ellipse(22, 0.0);
    Append(sketch.sketchEllipses.data, ellipse);
    ellipse[17] = 1.0; // major end straight above the centre
    ellipse[18] = 1.0;
    Append(sketch.sketchEllipses.data, ellipse);
    Append(sketch.sketchEllipses.data, std::vector<double>(22, kNaN));
    // Parabolas: focus on the apex, infinite ends, and ends so far out
    // that a step is lost in rounding (the sampling must still end).
    sketch.sketchParabolas.count = 4;
    const std::vector<double> head = {255, 0, 0, 1, -1, 0};
    auto parabola = [&](double x0, double x1, double focus)
    {
        Append(sketch.sketchParabolas.data, head);
        Append(sketch.sketchParabolas.data, {x0, 0, 0, x1, 0, 0, 0, focus, 0, 0, 0, 0});
    };
    parabola(-1, 1, 0);
    parabola(-kInf, 1, 0.01);
    parabola(1e16, 1e16 + 2, 0.01);
    parabola(kNaN, kNaN, kNaN);
    EXPECT_TRUE(Walk().empty());
    // Whole records are drawn or skipped; only the line, whose ends are not
    // numbers, is named as left out (it was drawn toward points pressed onto
    // the edge of the stream's range).
    EXPECT_EQ(Reported(), std::vector<std::string>{"CDWF2DGrWriter::GenerateSheetLine"});
    ASSERT_EQ(platform::ui().messageBoxes().size(), 1u);
    EXPECT_EQ(platform::ui().messageBoxes()[0].cause,
              u"A sketch line is left out: its coordinates on the sheet are not finite numbers");
}

TEST_F(HostileHostData, SplineAndPolylineCountsOutOfRange)
{
    const std::vector<double> head = {255, 0, 0, 1, -1, 0};
    for (const double points : {1e9, -1.0, 2.5, kNaN, 5.0})
    {
        platform::ui().reset();
        view.splines.count = 2;
        view.splines.data = head;
        view.splines.data.insert(view.splines.data.end(), {2, 0, 0, 0, 0.01, 0, 0});
        Append(view.splines.data, head);
        view.splines.data.push_back(points);
        view.splines.data.resize(view.splines.data.size() + 9, 0.0); // three points
        EXPECT_EQ(Walk().size(), 1u) << points;
        EXPECT_EQ(Reported(), std::vector<std::string>{"CDWF2DGrWriter::GenerateSpline"});
    }
    view.splines = {};

    // Five groups announced, one present; then no data at all.
    platform::ui().reset();
    view.polylines = {5, {0, 1, 0, 0, 0, 0, 0.01, 0, 0, 2}};
    EXPECT_EQ(Walk().size(), 1u);
    view.polylines = {1, {}};
    Walk();
    const std::vector<std::string> expected(2, "CDWF2DGrWriter::GeneratePolylineFromCurve");
    EXPECT_EQ(Reported(), expected);
}

TEST_F(HostileHostData, ModelEdgeItemsThatDoNotFit)
{
    const std::vector<double> polyline = {0, 0, 0, 0, 0, 1, 0, 0, 2, 0, 0, 0, 0.01, 0, 0};
    const std::string past = "Model edge item 2 of 2 of view 'V' runs past the end of the "
                             "view's edge data; the view's remaining edges are left out";
    const std::vector<std::pair<std::vector<double>, std::string>> tails = {
        {{1e12, 0}, past},                   // geometry count beyond the data
        {{1, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, // an arc with three geometry values
         "Model edge item 2 of 2 of view 'V' is an arc with 3 geometry values, fewer than the "
         "12 an arc needs; the view's remaining edges are left out"},
        {{0, 0, 0, 0, 0, 1, 0, 0, 50, 0, 0}, past}, // fifty points announced, none there
        {{kNaN}, past},                             // half an item
    };
    for (const auto& [tail, cause] : tails)
    {
        platform::ui().reset();
        view.modelEdges.count = 2;
        view.modelEdges.data = polyline;
        Append(view.modelEdges.data, tail);
        EXPECT_EQ(Walk().size(), 1u);
        EXPECT_EQ(Reported(), std::vector<std::string>{"CDWF2DGrWriter::ProcessDrawingView"});
        // What was wrong and where, not only which function noticed.
        ASSERT_EQ(platform::ui().messageBoxes().size(), 1u);
        EXPECT_EQ(platform::utf16ToUtf8(platform::ui().messageBoxes()[0].cause), cause);
    }
    // An arc whose axis is zero or NaN has no face: nothing, no message.
    platform::ui().reset();
    view.modelEdges.count = 2;
    view.modelEdges.data.clear();
    for (const double axis : {0.0, kNaN})
        Append(view.modelEdges.data,
               {1, 12, 0, 0, 0, 0.01, 0, 0, 0, 0.01, 0, 0, 0, axis, 0, 0, 0, 1, 0, 0, 0});
    EXPECT_TRUE(Walk().empty());
    EXPECT_TRUE(Reported().empty());
}

TEST_F(HostileHostData, WriteFailuresStopTheSheet)
{
    sketch.sketchLines.count = 2;
    Append(sketch.sketchLines.data, Line(0, 0, 0.01, 0));
    Append(sketch.sketchLines.data, Line(0, 0, 0, 0.01));
    view.modelEdges = {1, {0, 0, 0, 0, 0, 1, 0, 0, 2, 0, 0, 0, 0.01, 0, 0}};
    W2DCapture capture;
    capture.stream().fail_writes_after = capture.stream().output.size();
    const w2dout::SheetContext sheet{1000.0};
    EXPECT_NE(ProcessViewFromDrawingDoc(capture.file(), &view, host.application.get(), sheet),
              WT_Result_Success);
    EXPECT_NE(ProcessSheetFormatFromDrawingDoc(capture.file(), &host.sheet(), &view,
                                               host.application.get(), sheet),
              WT_Result_Success);
    EXPECT_TRUE(Reported().empty()) << "a failing stream is the sheet's failure, not a record's";
    capture.file().close();
}
