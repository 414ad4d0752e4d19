// Arcs whose ends lie a few units in the last place apart, just short of a
// whole turn or just past none, in every place a drawing writes arcs. The
// sheets are walked from host documents and read back through the W2D
// toolkit; what each arc should sweep follows by hand from the side its end
// lies on: just ahead of its start in its direction is one stream unit, the
// least there is; just behind it all but one of the 65,536; ends that
// coincide are the whole turn.
#include "addin/publishers/DWF2DGrWriter.h"
#include "addin/tests/HostDrawing.h"
#include "addin/tests/W2DCapture.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <functional>
#include <limits>

using addin_test::Drawn;
using addin_test::HostDrawing;
using addin_test::OfKind;
using addin_test::W2DCapture;

namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr std::uint32_t kSliver = 1;
constexpr std::uint32_t kAllButOne = 65535;
constexpr std::uint32_t kWhole = 65536;

struct Point
{
    double x = 0, y = 0, z = 0;
};

// One generated arc: its centre, start and end as the document gives them,
// the axis it turns counter-clockwise about ((0, 0, -1): clockwise on the
// sheet), and the stream sweep it must be drawn with.
struct Arc
{
    Point centre, start, end;
    Point axis{0, 0, 1};
    std::uint32_t sweep = kWhole;
    std::string name;

    int Direction() const { return axis.z < 0 ? -1 : 1; }
};

// `value` moved by `count` units in the last place (down when negative).
double Ulps(double value, int count)
{
    const double toward = count > 0 ? std::numeric_limits<double>::infinity()
                                    : -std::numeric_limits<double>::infinity();
    for (int i = 0; i < std::abs(count); ++i)
        value = std::nextafter(value, toward);
    return value;
}

std::string Number(double value)
{
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

std::string Numbers(const Point& p)
{
    return Number(p.x) + " " + Number(p.y) + " " + Number(p.z) + " ";
}

// Arcs from `start` to an end a few units in the last place above or below
// it in y, plus one whose ends coincide. The step (0, dy, 0) turns about
// the axis n by the sign of n · ((start − centre) × step), that is of
// dy · (n.z · (start − centre).x − n.x · (start − centre).z): an end just
// ahead of the start makes a sliver, just behind it all but the whole turn.
void AddNearlyWholeAndNearlyNone(std::vector<Arc>& arcs, const Point& centre, const Point& start,
                                 const Point& axis, const std::string& name)
{
    const double turning = axis.z * (start.x - centre.x) - axis.x * (start.z - centre.z);
    for (const int ulps : {1, 2, 3, -1, -2, -3})
    {
        const Point end{start.x, Ulps(start.y, ulps), start.z};
        const std::uint32_t sweep = (ulps > 0) == (turning > 0) ? kSliver : kAllButOne;
        arcs.push_back(
            Arc{centre, start, end, axis, sweep, name + ", " + std::to_string(ulps) + " ulp in y"});
    }
    arcs.push_back(Arc{centre, start, start, axis, kWhole, name + ", ends coincide"});
}

// Arcs on a curve whose point at parameter t is `at`(t), turning with t,
// with ends 7.6e-14 apart near parameters 0 and π (where the parameter of
// a point on an ellipse is hardest to take back): one ending just ahead of
// its start, a sliver, one just behind it, all but the whole turn.
void AddShortSteps(std::vector<Arc>& arcs, const Point& centre, double radius, const Point& axis,
                   const std::function<Point(double)>& at, const std::string& name)
{
    const double step = 7.6e-14 / radius;
    for (const double t : {0.0, 1e-7, kPi, kPi + 1e-8})
        for (const int way : {1, -1})
            arcs.push_back(Arc{centre, at(t), at(t + way * step), axis,
                               way > 0 ? kSliver : kAllButOne,
                               name + ", parameter " + Number(t) +
                                   (way > 0 ? ", a short step on" : ", a short step back")});
}

// A whole turn short by one unit in the last place, as a host gets it when
// it turns the start point by 2π: about (0.21, 0.15) from (0.31, 0.15)
// counter-clockwise.
Arc TurnedByTwoPi()
{
    return Arc{{0.21, 0.15, 0}, {0.31, 0.15, 0}, {0.31, 0.14999999999999997, 0},
               {0, 0, 1},       kAllButOne,      "a start turned by 2 pi"};
}

// Circular arcs about `centre` of radius r in both directions (or
// counter-clockwise only), starting at angle 0 and at 2.5 rad, and the arc
// turned by 2π.
std::vector<Arc> CircleArcs(const Point& centre, double r, bool bothDirections = true)
{
    std::vector<Arc> arcs;
    for (const double z : {1.0, -1.0})
    {
        if (z < 0 && !bothDirections)
            break;
        for (const double angle : {0.0, 2.5})
        {
            const Point start{centre.x + r * std::cos(angle), centre.y + r * std::sin(angle),
                              centre.z};
            AddNearlyWholeAndNearlyNone(arcs, centre, start, {0, 0, z},
                                        (z > 0 ? "counter-clockwise" : "clockwise") +
                                            std::string(", start at ") + Number(angle) + " rad");
        }
    }
    arcs.push_back(TurnedByTwoPi());
    return arcs;
}

// Circles seen tilted: the axis leans by α from the viewer, its foot at
// 0.7 rad; the arcs turn counter-clockwise about it, which the sheet shows
// clockwise when α > 90°. The circle's parameter runs from the major axis
// of its ellipse on the sheet, across the axis's foot.
std::vector<Arc> TiltedArcs(const Point& centre, double r)
{
    std::vector<Arc> arcs;
    for (const double alpha : {kPi / 3, 2 * kPi / 3})
    {
        const Point n{std::sin(alpha) * std::cos(0.7), std::sin(alpha) * std::sin(0.7),
                      std::cos(alpha)};
        const double foot = std::hypot(n.x, n.y);
        const Point u{n.y / foot, -n.x / foot, 0};
        const Point v{-n.z * u.y, n.z * u.x, n.x * u.y - n.y * u.x}; // n × u
        const auto at = [&](double t)
        {
            return Point{centre.x + r * (std::cos(t) * u.x + std::sin(t) * v.x),
                         centre.y + r * (std::cos(t) * u.y + std::sin(t) * v.y),
                         centre.z + r * std::sin(t) * v.z};
        };
        const std::string name = "tilted by " + Number(alpha) + " rad";
        for (const double t : {0.0, 2.5})
            AddNearlyWholeAndNearlyNone(arcs, centre, at(t), n, name + ", start at " + Number(t));
        AddShortSteps(arcs, centre, r, n, at, name);
    }
    return arcs;
}

// A sketch's arc records, colour red, solid, weight 1, no layer.
std::string SketchArcs(const std::vector<Arc>& arcs)
{
    std::string records;
    for (const Arc& arc : arcs)
        records += "255 0 0 1 -1 0 " + Numbers(arc.start) + Numbers(arc.end) + Numbers(arc.centre) +
                   Number(arc.Direction()) + "\n";
    return "<arcs count=\"" + std::to_string(arcs.size()) + "\">" + records + "</arcs>";
}

std::string DisplayArcs(const std::vector<Arc>& arcs)
{
    std::string records;
    for (const Arc& arc : arcs)
        records += "0 0 0 0 " + Numbers(arc.start) + Numbers(arc.end) + Numbers(arc.centre) +
                   Numbers(arc.axis) + "0\n";
    return "<display-data><arcs count=\"" + std::to_string(arcs.size()) + "\">" + records +
           "</arcs></display-data>";
}

std::string ModelEdges(const std::vector<Arc>& arcs)
{
    std::string items;
    for (const Arc& arc : arcs)
        items += "1 12 " + Numbers(arc.centre) + Numbers(arc.start) + Numbers(arc.end) +
                 Numbers(arc.axis) + "0 0 0 1 0 0 0\n";
    return "<model-edges count=\"" + std::to_string(arcs.size()) + "\">" + items + "</model-edges>";
}

std::vector<Drawn> Arcs(const std::vector<Drawn>& drawn)
{
    return OfKind(drawn, WT_Object::Outline_Ellipse_ID);
}

// The outline ellipses of the sheet format (view 0) or of view 1.
std::vector<Drawn> WalkSheetFormat(HostDrawing& host)
{
    W2DCapture capture;
    const w2dout::SheetContext sheet{addin_test::SheetScaleFor(420, 297)};
    EXPECT_EQ(ProcessSheetFormatFromDrawingDoc(capture.file(), &host.sheet(), &host.view(0),
                                               host.application.get(), sheet),
              WT_Result_Success);
    return Arcs(capture.ReadBack());
}

std::vector<Drawn> WalkView(HostDrawing& host)
{
    W2DCapture capture;
    const w2dout::SheetContext sheet{addin_test::SheetScaleFor(420, 297)};
    EXPECT_EQ(
        ProcessViewFromDrawingDoc(capture.file(), &host.view(1), host.application.get(), sheet),
        WT_Result_Success);
    return Arcs(capture.ReadBack());
}

class ArcSweeps : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::ui().reset();
        platform::ui().setEcho(false);
    }

    // Each arc drawn, in order, with the sweep it must have.
    static void ExpectSweeps(const char* place, const std::vector<Drawn>& drawn,
                             const std::vector<Arc>& arcs)
    {
        ASSERT_EQ(drawn.size(), arcs.size()) << place;
        for (std::size_t i = 0; i < arcs.size(); ++i)
            EXPECT_EQ(drawn[i].end - drawn[i].start, arcs[i].sweep)
                << place << ": " << arcs[i].name;
        EXPECT_TRUE(platform::ui().messageBoxes().empty()) << place;
    }
};
} // namespace

TEST_F(ArcSweeps, SketchArcsOfTheSheetItsFormatViewsAndBlocks)
{
    const std::vector<Arc> arcs = CircleArcs({0.21, 0.15, 0}, 0.1);
    const std::string sketch = "<sketch>" + SketchArcs(arcs) + "</sketch>";

    HostDrawing sheet = HostDrawing::FromViews("<view type=\"1\" transform=\"0.01 0.02 1\">" +
                                               sketch + "</view><view type=\"7\"/>");
    ExpectSweeps("the sheet's sketch", WalkSheetFormat(sheet), arcs);

    HostDrawing format = HostDrawing::FromViews("<format-sketch>" + SketchArcs(arcs) +
                                                "</format-sketch><view type=\"1\"/>");
    ExpectSweeps("the sheet format", WalkSheetFormat(format), arcs);

    // A turned view turns the points the arcs are drawn through, not the
    // sweeps the document gives.
    HostDrawing view = HostDrawing::FromViews(
        "<view type=\"1\"/><view type=\"7\" transform=\"0.05 0.03 0.5\" rotation=\"0.7\">" +
        sketch + "</view>");
    ExpectSweeps("a turned view's sketch", WalkView(view), arcs);

    HostDrawing block = HostDrawing::FromViews(
        "<view type=\"1\"/><view type=\"7\">"
        "<block-instance definition=\"b\" angle=\"0.3\" scale=\"0.5\">"
        "<annotation type=\"5\" position=\"0.1 0.05 0\"/></block-instance></view>",
        "<block-definition id=\"b\">" + sketch + "</block-definition>");
    ExpectSweeps("a turned block's sketch", WalkView(block), arcs);
}

TEST_F(ArcSweeps, SketchEllipsesNearTheirAxes)
{
    // Ellipses about (0.2, 0.15) with radii 0.06 and 0.03, their major axis
    // at 0 and at 0.5 rad; the arcs start at parameter 0 or π, on the major
    // axis, or near it. Seen in the ellipse's frame a step turns the same
    // way as on the sheet, counter-clockwise about (0, 0, 1).
    std::vector<Arc> arcs;
    std::string records;
    const Point centre{0.2, 0.15, 0};
    for (const double phi : {0.0, 0.5})
    {
        const auto at = [&](double t)
        {
            return Point{
                centre.x + 0.06 * std::cos(t) * std::cos(phi) - 0.03 * std::sin(t) * std::sin(phi),
                centre.y + 0.06 * std::cos(t) * std::sin(phi) + 0.03 * std::sin(t) * std::cos(phi),
                0};
        };
        const std::string name = "major axis at " + Number(phi) + " rad";
        std::vector<Arc> some;
        AddNearlyWholeAndNearlyNone(some, centre, at(0), {0, 0, 1}, name + ", parameter 0");
        AddNearlyWholeAndNearlyNone(some, centre, at(kPi), {0, 0, 1}, name + ", parameter pi");
        AddShortSteps(some, centre, 0.06, {0, 0, 1}, at, name);
        for (const Arc& arc : some)
            records += "255 0 0 1 -1 0 " + Numbers(arc.start) + Numbers(arc.end) + Numbers(centre) +
                       Numbers(at(0)) + Numbers(at(kPi / 2)) + "0\n";
        arcs.insert(arcs.end(), some.begin(), some.end());
    }
    HostDrawing host = HostDrawing::FromViews(
        "<view type=\"1\"/><view type=\"7\" rotation=\"0.4\"><sketch><ellipses count=\"" +
        std::to_string(arcs.size()) + "\">" + records + "</ellipses></sketch></view>");
    ExpectSweeps("sketch ellipses", WalkView(host), arcs);
}

TEST_F(ArcSweeps, DisplayDataAndLeaderArcsFlatAndTilted)
{
    const std::vector<Arc> flat = CircleArcs({0.21, 0.15, 0}, 0.05);
    std::vector<Arc> both = flat;
    const std::vector<Arc> tilted = TiltedArcs({0.2, 0.15, 0.01}, 0.04);
    both.insert(both.end(), tilted.begin(), tilted.end());
    HostDrawing notes = HostDrawing::FromViews(
        "<view type=\"1\"/><view type=\"7\"><annotation type=\"1\">" + DisplayArcs(flat) +
        "</annotation><annotation type=\"1\">" + DisplayArcs(tilted) + "</annotation></view>");
    ExpectSweeps("display data", WalkView(notes), both);

    HostDrawing leaders = HostDrawing::FromViews("<view type=\"1\"><leader>" + DisplayArcs(flat) +
                                                 "</leader></view><view type=\"7\"/>");
    ExpectSweeps("a leader", WalkSheetFormat(leaders), flat);
}

TEST_F(ArcSweeps, ModelEdgesFacingAndTilted)
{
    const std::vector<Arc> facing = CircleArcs({0.02, 0.01, 0.005}, 0.03);
    HostDrawing flat =
        HostDrawing::FromViews("<view type=\"1\"/><view type=\"7\" transform=\"0.2 0.15 1\">" +
                               ModelEdges(facing) + "</view>");
    ExpectSweeps("facing model edges", WalkView(flat), facing);

    const std::vector<Arc> arcs = TiltedArcs({0.01, -0.02, 0.03}, 0.025);
    HostDrawing tilted =
        HostDrawing::FromViews("<view type=\"1\"/><view type=\"7\" transform=\"0.2 0.15 1\">" +
                               ModelEdges(arcs) + "</view>");
    ExpectSweeps("tilted model edges", WalkView(tilted), arcs);
}

TEST_F(ArcSweeps, DetailCirclesAndBreakLines)
{
    const std::vector<Arc> circles = CircleArcs({0.3, 0.2, 0}, 0.02, false);
    std::string data = "0 ";
    std::string labels;
    for (const Arc& arc : circles)
    {
        data += "0 " + Numbers(arc.centre) + Numbers(arc.start) + Numbers(arc.end) +
                "0  0.3 0.23 0  0.004  0\n";
        labels += "<label>A</label>";
    }
    HostDrawing details =
        HostDrawing::FromViews("<view type=\"1\"/><view type=\"7\"><detail-circles count=\"" +
                               std::to_string(circles.size()) + "\"><data>" + data + "</data>" +
                               labels + "</detail-circles></view>");
    ExpectSweeps("detail circles", WalkView(details), circles);

    // Four arcs to a break line of type 3: direction, start, end, centre.
    std::vector<Arc> arcs = CircleArcs({0.15, 0.1, 0}, 0.01);
    while (arcs.size() % 4 != 0)
        arcs.push_back(Arc{{0.15, 0.1, 0},
                           {0.16, 0.1, 0},
                           {0.16, 0.1, 0},
                           {0, 0, 1},
                           kWhole,
                           "a whole circle to fill the line"});
    std::string lines;
    for (std::size_t i = 0; i < arcs.size(); ++i)
    {
        if (i % 4 == 0)
            lines += "3 0 0 0 1 0 0 0 0\n";
        lines += Number(arcs[i].Direction()) + " " + Numbers(arcs[i].start) + Numbers(arcs[i].end) +
                 Numbers(arcs[i].centre) + "\n";
    }
    HostDrawing breaks = HostDrawing::FromViews(
        "<view type=\"1\"/><view type=\"7\"><break-lines count=\"" +
        std::to_string(arcs.size() / 4) + "\">" + lines + "</break-lines></view>");
    ExpectSweeps("break lines", WalkView(breaks), arcs);
}
