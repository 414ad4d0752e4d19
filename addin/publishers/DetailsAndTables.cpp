// Drawing features the host keeps apart from sketches and annotations:
// detail circles and outlines, break lines, solid hatches, bills of
// materials, leaders, centre marks, 3D centre lines, blocks and quadrant
// circles.
#include "addin/ErrorReport.h"
#include "addin/publishers/AnnotationSupport.h"
#include "addin/publishers/DWF2DGrWriter.h"
#include "dwf/w2dtk/ellipse.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/polygon.h"
#include "dwf/w2dtk/polyline.h"
#include "host/Annotation.h"
#include "host/Geometry.h"
#include "host/RecordLayout.h"
#include "host/Sketch.h"
#include "host/View.h"
#include "platform/ui/Ui.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <unordered_set>

using annot::SheetPoint;
using w2dout::HostPoint;
using w2dout::SaturateToInt32;
using w2dout::SheetPosition;
using w2dout::ViewTransform;

namespace
{
constexpr std::size_t kCircleHead = 16; // a detail circle before its arrows
constexpr std::size_t kArrowSize = host::layout::kDisplayArrow;
constexpr std::size_t kBreakHead = 9;
constexpr int kTableMessageId = 209;
constexpr int kCaptionId = 210;

HostPoint PointAt(const double* values)
{
    return HostPoint{values[0], values[1], values[2]};
}

// Puts a writer setting back on every way out of a block.
template <class Restore> class Restorer
{
public:
    explicit Restorer(Restore restore) : restore_(restore) {}
    ~Restorer() { restore_(); }
    Restorer(const Restorer&) = delete;
    Restorer& operator=(const Restorer&) = delete;

private:
    Restore restore_;
};
} // namespace

WT_Result CDWF2DGrWriter::DrawDetailArrow(const double* arrow, WT_File& file)
{
    // Position T, direction D, width W, length L, style: the head's tip is
    // at T and its back three lengths along D.
    const double s = sheet_.scale;
    const double tx = arrow[0];
    const double ty = arrow[1];
    const double length = arrow[7];
    const SheetPosition a(std::trunc(s * (tx + 3 * length * arrow[3])),
                          std::trunc(s * (ty + 3 * length * arrow[4])));
    const SheetPosition b = SheetPoint(sheet_, tx, ty);
    return DrawArrowHead(file, a, b, s * arrow[6] / 2, s * length / 2, arrow[8]);
}

WT_Result CDWF2DGrWriter::GenerateDetailCircle(WT_File& file)
{
    static const char* const kWhere = "CDWF2DGrWriter::GenerateDetailCircle";
    try
    {
        if (!view_)
            return WT_Result_Success;
        view_->detailCircleDataSize();
        const int count = view_->detailCircleCount();
        if (count <= 0)
            return WT_Result_Success;
        const std::vector<double> data = view_->detailCircleData();
        const std::vector<std::u16string> labels = view_->detailCircleLabels();
        const ViewTransform sheetCoordinates;
        std::size_t offset = 1; // index 0 is not read
        for (int c = 0; c < count; ++c)
        {
            std::size_t arrows = 0;
            if (!annot::Fits(data, offset, kCircleHead) ||
                !annot::CountAt(data, offset + 15, arrows) ||
                !annot::Fits(data, offset, kCircleHead + kArrowSize * arrows))
            {
                ReportPublishError(kWhere);
                return WT_Result_Success;
            }
            const double* record = data.data() + offset;
            offset += kCircleHead + kArrowSize * arrows;

            w2dout::SetDisplaydataLineStyle(file, SaturateToInt32(record[10]));
            w2dout::SetColor(file, 0);
            w2dout::SetLineWeightValue(file, 0);
            w2dout::SetFill(file, false);
            WT_CHECK(w2dout::WriteOutlineEllipse(
                file, sheet_, PointAt(record + 1), PointAt(record + 4), PointAt(record + 7),
                sheetCoordinates, 1, {kWhere, u"A detail circle"}));
            const double height = record[14];
            const SheetPosition at(std::trunc(sheet_.scale * record[11]),
                                   std::trunc(sheet_.scale * record[12] - sheet_.scale * height));
            const std::u16string label =
                static_cast<std::size_t>(c) < labels.size() ? labels[c] : std::u16string();
            WT_CHECK(WriteText(file, label, at, 0.0, height, u"Arial"));
            for (std::size_t k = 0; k < arrows; ++k)
                WT_CHECK(DrawDetailArrow(record + kCircleHead + kArrowSize * k, file));
        }
    }
    catch (...)
    {
        ReportPublishError(kWhere);
    }
    return WT_Result_Success;
}

WT_Result CDWF2DGrWriter::GenerateDetailCircleOther(WT_File& file)
{
    static const char* const kWhere = "CDWF2DGrWriter::GenerateDetailCircleOther";
    try
    {
        host::DetailOutline* outline = view_ ? view_->detailOutline() : nullptr;
        if (!outline)
            return WT_Result_Success;
        const int type = outline->type();
        if (type != 2 && type != 4)
            return WT_Result_Success;
        const std::vector<double> p = outline->points();
        const std::size_t needed = type == 4 ? 6 : 9;
        if (p.size() < needed)
        {
            ReportPublishError(kWhere);
            return WT_Result_Success;
        }
        std::vector<SheetPosition> points = {SheetPoint(sheet_, p[0], p[1]),
                                             SheetPoint(sheet_, p[3], p[4])};
        if (type == 2)
        {
            // A corner given as x = 0 is missing from the host's outline.
            if (p[0] == 0.0 || p[3] == 0.0)
                return WT_Result_Success;
            if (p[6] != 0.0)
                points.push_back(SheetPoint(sheet_, p[6], p[7]));
        }
        return w2dout::WritePlacedPolyline(file, points, {kWhere, u"A detail outline"});
    }
    catch (...)
    {
        ReportPublishError(kWhere);
        return WT_Result_Success;
    }
}

WT_Result CDWF2DGrWriter::GenerateBreakLine(WT_File& file)
{
    static const char* const kWhere = "CDWF2DGrWriter::GenerateBreakLine";
    try
    {
        if (!view_)
            return WT_Result_Success;
        const int count = view_->breakLineCount();
        view_->breakLineDataSize();
        if (count <= 0)
            return WT_Result_Success;
        const std::vector<double> data = view_->breakLineData();
        const ViewTransform sheetCoordinates;
        std::size_t offset = 0;
        for (int i = 0; i < count; ++i)
        {
            if (!annot::Fits(data, offset, kBreakHead))
            {
                ReportPublishError(kWhere);
                return WT_Result_Success;
            }
            const double* head = data.data() + offset;
            const double typeValue = head[0];
            const long long type =
                std::isfinite(typeValue) && std::fabs(typeValue) < 1e9 ? (long long)typeValue : 0;
            const std::size_t geometrySize = host::layout::breakLineGeometrySize(type);
            if (!annot::Fits(data, offset + kBreakHead, geometrySize))
            {
                ReportPublishError(kWhere);
                return WT_Result_Success;
            }
            const double* g = head + kBreakHead;
            offset += kBreakHead + geometrySize;
            if (geometrySize == 0)
                continue;

            w2dout::SetColor(file, SaturateToInt32(head[1]));
            w2dout::SetSketchLineStyle(file, SaturateToInt32(head[3]));
            w2dout::SetLineWeight(file, SaturateToInt32(head[4]));
            w2dout::SetFill(file, false);
            if (type == 3)
            {
                // Four arcs: direction, start, end, centre.
                for (int k = 0; k < 4; ++k)
                {
                    const double* arc = g + 10 * k;
                    WT_CHECK(w2dout::WriteOutlineEllipse(
                        file, sheet_, PointAt(arc + 7), PointAt(arc + 1), PointAt(arc + 4),
                        sheetCoordinates, SaturateToInt32(arc[0]), {kWhere, u"A break line arc"}));
                }
                continue;
            }
            // Two lines or polylines of equal length.
            const std::size_t points = geometrySize / 6;
            for (int k = 0; k < 2; ++k)
            {
                std::vector<HostPoint> line(points);
                for (std::size_t p = 0; p < points; ++p)
                    line[p] = PointAt(g + 3 * (points * k + p));
                WT_CHECK(w2dout::WritePolyline(file, sheet_, points, line.data(), sheetCoordinates,
                                               {kWhere, u"A break line"}));
            }
        }
    }
    catch (...)
    {
        ReportPublishError(kWhere);
    }
    return WT_Result_Success;
}

WT_Result CDWF2DGrWriter::GenerateSketchHatchs(host::Sketch* sketch, WT_File& file,
                                               const ViewTransform& transform)
{
    static const char* const kWhere = "CDWF2DGrWriter::GenerateSketchHatchs";
    try
    {
        if (!sketch)
            return WT_Result_Success;
        for (host::SketchHatch* hatch : sketch->hatches())
            if (hatch)
                WT_CHECK(GenerateSketchHatch(hatch, file, transform));
    }
    catch (...)
    {
        ReportPublishError(kWhere);
    }
    return WT_Result_Success;
}

WT_Result CDWF2DGrWriter::GenerateSketchHatch(host::SketchHatch* hatch, WT_File& file,
                                              const ViewTransform& transform)
{
    static const char* const kWhere = "CDWF2DGrWriter::GenerateSketchHatch";
    try
    {
        if (!hatch || hatch->solid() == 0)
            return WT_Result_Success;
        const std::int32_t colour = hatch->colour();
        w2dout::SetFillMode(file);
        w2dout::SetColor(file, colour);
        if (host::Face* face = hatch->face())
            return HatchFace(face, file, transform);
    }
    catch (...)
    {
        ReportPublishError(kWhere);
    }
    return WT_Result_Success;
}

namespace
{
// How far apart, in x and in y, two points of a loop may be and still be one.
constexpr double kSameTolerance = 1e-6;

// Two points this close are one: the later is not repeated.
bool SamePoint(const HostPoint& a, const HostPoint& b)
{
    return std::fabs(a.x - b.x) <= kSameTolerance && std::fabs(a.y - b.y) <= kSameTolerance;
}

// How far apart two points of a loop lie on its plane.
double Gap(const HostPoint& a, const HostPoint& b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

// Whichever end of the edge lies nearer, how near it is to `point`.
double NearestEnd(const HostPoint& point, const std::vector<HostPoint>& edge)
{
    return std::min(Gap(point, edge.front()), Gap(point, edge.back()));
}

// Whether the edge continues the chain from its last point rather than its
// first. An end within the tolerance of `from` decides, the first end
// before the last; otherwise the nearer end does, however far apart the two
// are, as long as it is nearer by more than the tolerance. Where nothing
// decides (a closed edge, whose two ends are one point), the edge is taken
// as written: an end that misses by rounding must not turn a bore to run
// the way its outline runs.
bool Reversed(const HostPoint& from, const std::vector<HostPoint>& edge)
{
    if (SamePoint(edge.front(), edge.back()) || SamePoint(from, edge.front()))
        return false;
    if (SamePoint(from, edge.back()))
        return true;
    return Gap(from, edge.back()) + kSameTolerance < Gap(from, edge.front());
}

// Whether either end of the edge is `point`.
bool Touches(const HostPoint& point, const std::vector<HostPoint>& edge)
{
    return SamePoint(point, edge.front()) || SamePoint(point, edge.back());
}

// Whether the first edge of a loop, `first`, runs against the loop: the
// second edge touches its start and not its end, or, touching neither, lies
// decidedly nearer its start. A closed first edge has no start to tell.
bool Turned(const std::vector<HostPoint>& first, const std::vector<HostPoint>& second)
{
    if (SamePoint(first.front(), first.back()) || Touches(first.back(), second))
        return false;
    if (Touches(first.front(), second))
        return true;
    return NearestEnd(first.front(), second) + kSameTolerance < NearestEnd(first.back(), second);
}

// Appends an edge's points to the chain so that it continues from the
// edge's end nearer the chain's end: imported geometry has ends that agree
// only to a few micrometres, and an edge taken the way it is written then
// folds the loop over itself. The first edge has nothing to meet, so the
// second one says which way it runs. A point that repeats the chain's end
// is dropped.
void Chain(std::vector<HostPoint>& chain, std::vector<HostPoint> edge, bool secondEdge)
{
    if (edge.empty())
        return;
    if (!chain.empty())
    {
        if (secondEdge && Turned(chain, edge))
            std::reverse(chain.begin(), chain.end());
        if (Reversed(chain.back(), edge))
            std::reverse(edge.begin(), edge.end());
    }
    std::size_t first = 0;
    if (!chain.empty() && SamePoint(chain.back(), edge.front()))
        first = 1;
    chain.insert(chain.end(), edge.begin() + static_cast<std::ptrdiff_t>(first), edge.end());
}

// One loop's edges chained into its outline; false when an edge's points
// do not come in threes.
bool ChainLoop(host::Loop* loop, std::vector<HostPoint>& chain)
{
    std::size_t chained = 0;
    for (host::Edge* edge : loop->edges())
    {
        host::Curve* curve = edge ? edge->curve() : nullptr;
        if (!curve)
            continue;
        const std::array<double, 2> range = curve->paramRange();
        const std::array<double, 3> start = curve->pointAt(range[0]);
        const std::array<double, 3> end = curve->pointAt(range[1]);
        const std::vector<double> values = curve->tessellate();
        if (values.size() % 3 != 0)
            return false;
        std::vector<HostPoint> points;
        if (values.empty())
            points = {HostPoint{start[0], start[1], start[2]}, HostPoint{end[0], end[1], end[2]}};
        for (std::size_t p = 0; p < values.size(); p += 3)
            points.push_back(PointAt(values.data() + p));
        Chain(chain, std::move(points), ++chained == 2);
    }
    // The area closes each loop itself.
    if (chain.size() > 1 && SamePoint(chain.front(), chain.back()))
        chain.pop_back();
    return true;
}
} // namespace

WT_Result CDWF2DGrWriter::HatchFace(host::Face* face, WT_File& file, const ViewTransform& transform)
{
    static const char* const kWhere = "CDWF2DGrWriter::HatchFace";
    try
    {
        if (!face)
            return WT_Result_Success;
        // The face is one area and its holes are among its loops, so every
        // loop is gathered before any is written. Each is taken once: a
        // chain of loops that comes round again is the host's fault, and
        // would otherwise gather copies without end.
        std::vector<std::vector<HostPoint>> loops;
        std::unordered_set<host::Loop*> seen;
        bool malformed = false;
        for (host::Loop* loop = face->firstLoop(); loop; loop = loop->next())
        {
            if (!seen.insert(loop).second || seen.size() > annot::kMaxChain)
            {
                ReportPublishError(kWhere, true,
                                   u"A solid hatch's loops come round to a loop already taken; "
                                   u"each loop is drawn once");
                break;
            }
            std::vector<HostPoint> chain;
            if (ChainLoop(loop, chain))
                loops.push_back(std::move(chain));
            else
                malformed = true; // the loop is left out
        }
        if (malformed)
            ReportPublishError(kWhere);
        return WriteHatchArea(loops, transform, file);
    }
    catch (...)
    {
        ReportPublishError(kWhere);
        return WT_Result_Success;
    }
}

WT_Result CDWF2DGrWriter::WriteHatchArea(const std::vector<std::vector<HostPoint>>& loops,
                                         const ViewTransform& transform, WT_File& file)
{
    std::vector<std::vector<SheetPosition>> placed;
    for (const std::vector<HostPoint>& loop : loops)
    {
        if (loop.size() < 3)
            continue; // encloses nothing
        // The loops turn with the view like every other sketch entity.
        std::vector<HostPoint> turned(loop.size());
        ProcessViewRotate(loop.data(), turned.data(), loop.size());
        std::vector<SheetPosition> positions;
        positions.reserve(turned.size());
        for (const HostPoint& p : turned)
            positions.push_back(w2dout::Place(sheet_, transform, p.x, p.y));
        placed.push_back(std::move(positions));
    }
    return w2dout::WritePlacedArea(file, placed, {"CDWF2DGrWriter::HatchFace", u"A solid hatch"});
}

WT_Result CDWF2DGrWriter::GenerateBomTable(WT_File& file, const ViewTransform& /*transform*/)
{
    static const char* const kWhere = "CDWF2DGrWriter::GenerateBomTable";
    try
    {
        host::BomTable* table = view_ ? view_->bomTable() : nullptr;
        if (!table)
            return WT_Result_Success;
        WT_Result result = WT_Result_Success;
        const std::int16_t state = table->stateFlag();
        if (state == 1)
            result = GenerateDisplayData(file, table->displayData());
        else
        {
            // The box keeps its fixed text; which table it is, on which
            // sheet, and why it is left out travel with it as its cause.
            const std::string number = std::to_string(state);
            std::u16string cause = u"the table of view '" + view_->name() + u"' is in state " +
                                   std::u16string(number.begin(), number.end()) +
                                   u"; the host lets a table be written in state 1 only";
            const std::u16string scope = PublishScope::Current();
            if (!scope.empty())
                cause = scope + u": " + cause;
            platform::Ui& ui = platform::ui();
            ui.messageBox(ui.string(kTableMessageId).value_or(std::u16string()),
                          ui.string(kCaptionId).value_or(std::u16string()),
                          platform::MB_ICONEXCLAMATION, false, cause);
        }
        table->close();
        return result;
    }
    catch (...)
    {
        ReportPublishError(kWhere);
        return WT_Result_Success;
    }
}

WT_Result CDWF2DGrWriter::GenerateMultiJogLeader(WT_File& file, const ViewTransform& /*transform*/,
                                                 host::View* view)
{
    static const char* const kWhere = "CDWF2DGrWriter::GenerateMultiJogLeader";
    try
    {
        if (!view)
            return WT_Result_Success;
        WT_Result result = WT_Result_Success;
        if (!annot::WalkChain(
                view->firstMultiJogLeader(), [](host::MultiJogLeader* l) { return l->next(); },
                [&](host::MultiJogLeader* leader)
                { return GenerateDisplayData(file, leader->displayData()); },
                result))
            ReportPublishError(kWhere);
        return result;
    }
    catch (...)
    {
        ReportPublishError(kWhere);
        return WT_Result_Success;
    }
}

WT_Result CDWF2DGrWriter::GenerateCenterMark(WT_File& file, host::View* view,
                                             const ViewTransform& /*transform*/)
{
    static const char* const kWhere = "CDWF2DGrWriter::GenerateCenterMark";
    try
    {
        if (!view)
            return WT_Result_Success;
        WT_Result result = WT_Result_Success;
        if (!annot::WalkChain(
                view->firstCentreMark(), [](host::CentreMark* m) { return m->next(); },
                [&](host::CentreMark* mark)
                { return GenerateAnnotation(file, mark->annotation()); },
                result))
            ReportPublishError(kWhere);
        return result;
    }
    catch (...)
    {
        ReportPublishError(kWhere);
        return WT_Result_Success;
    }
}

WT_Result CDWF2DGrWriter::Generate3DCenterLine(WT_File& file, host::View* view,
                                               const ViewTransform& /*transform*/)
{
    static const char* const kWhere = "CDWF2DGrWriter::Generate3DCenterLine";
    try
    {
        host::DisplayData* lines = view ? view->centreLine3D() : nullptr;
        if (!lines)
            return WT_Result_Success;
        linesOnly_ = true;
        Restorer clear([this] { linesOnly_ = false; });
        return GenerateDisplayData(file, lines);
    }
    catch (...)
    {
        ReportPublishError(kWhere);
        return WT_Result_Success;
    }
}

WT_Result CDWF2DGrWriter::GenerateBlock(WT_File& file, host::View* view)
{
    static const char* const kWhere = "CDWF2DGrWriter::GenerateBlock";
    try
    {
        if (!view)
            return WT_Result_Success;
        WT_Result result = WT_Result_Success;
        if (!annot::WalkChain(
                view->firstBlockInstance(), [](host::BlockInstance* b) { return b->next(); },
                [&](host::BlockInstance* instance)
                {
                    host::Annotation* note = instance->annotation();
                    const std::array<double, 3> at =
                        note ? note->position() : std::array<double, 3>{};
                    const ViewTransform placed{at[0], at[1], instance->scale()};
                    rotation_ = instance->angle();
                    Restorer unturn([this] { rotation_ = 0.0; });
                    WT_CHECK(GenerateAnnotation(file, note));
                    return GenerateBlock(file, placed, instance->definition(), view);
                },
                result))
            ReportPublishError(kWhere);
        return result;
    }
    catch (...)
    {
        ReportPublishError(kWhere);
        return WT_Result_Success;
    }
}

WT_Result CDWF2DGrWriter::GenerateBlock(WT_File& file, const ViewTransform& instance,
                                        host::BlockDefinition* definition, host::View* view)
{
    static const char* const kWhere = "CDWF2DGrWriter::GenerateBlock";
    try
    {
        if (!definition || !view)
            return WT_Result_Success;
        host::LayerSource* layers = view->blockLayerSource();
        host::Sketch* sketch = definition->sketch();
        if (!sketch)
            return WT_Result_Success;
        return ProcessDrawingDocSketch(file, sketch, instance, 0, layers);
    }
    catch (...)
    {
        ReportPublishError(kWhere);
        return WT_Result_Success;
    }
}

bool CDWF2DGrWriter::ComputeBoxCenter(const HostPoint& p0, const HostPoint& p1, const HostPoint& p2,
                                      HostPoint& centre)
{
    if (p0.x == p2.x && p0.y == p2.y)
    {
        // p1 lies opposite p0: they span a diameter.
        centre = HostPoint{(p0.x + p1.x) / 2, (p0.y + p1.y) / 2, 0.0};
        return std::isfinite(centre.x) && std::isfinite(centre.y) &&
               !(p0.x == p1.x && p0.y == p1.y);
    }
    const double d0 = std::hypot(p0.x - p1.x, p0.y - p1.y);
    const double d2 = std::hypot(p2.x - p1.x, p2.y - p1.y);
    if (!(d0 > 0) || !(d2 > 0) || !std::isfinite(d0) || !std::isfinite(d2))
        return false;
    // Unit vectors from p1 to either end; their sum points along the
    // bisector, towards the chord and so towards the centre.
    const double u0x = (p0.x - p1.x) / d0;
    const double u0y = (p0.y - p1.y) / d0;
    const double u2x = (p2.x - p1.x) / d2;
    const double u2y = (p2.y - p1.y) / d2;
    const double theta = w2dout::ClampedAcos(u0x * u2x + u0y * u2y);
    const double halfCos = std::cos(theta / 2);
    const double bx = u0x + u2x;
    const double by = u0y + u2y;
    const double bisector = std::hypot(bx, by);
    if (!(halfCos > 1e-12) || !(bisector > 1e-12))
        return false; // the three points lie on one line
    const double distance = d0 / (2 * halfCos);
    centre = HostPoint{p1.x + distance * bx / bisector, p1.y + distance * by / bisector, 0.0};
    return true;
}

WT_Result CDWF2DGrWriter::GenerateBlock(WT_File& file, const ViewTransform& /*transform*/,
                                        host::View* view)
{
    static const char* const kWhere = "CDWF2DGrWriter::GenerateBlock";
    try
    {
        if (!view)
            return WT_Result_Success;
        bool malformed = false;
        WT_Result result = WT_Result_Success;
        const bool bounded = annot::WalkChain(
            view->firstQuadrantItem(), [](host::QuadrantItem* q) { return q->next(); },
            [&](host::QuadrantItem* item)
            {
                const std::vector<double> p = item->points();
                if (p.size() < 6)
                {
                    malformed = true;
                    return WT_Result_Success;
                }
                const HostPoint p0{p[0], p[1], 0.0};
                const HostPoint p1{p[2], p[3], 0.0};
                const HostPoint p2{p[4], p[5], 0.0};
                HostPoint c;
                w2dout::StreamEllipse circle;
                if (ComputeBoxCenter(p0, p1, p2, c))
                {
                    const double radius = std::hypot(p0.x - c.x, p0.y - c.y) * sheet_.scale;
                    if (w2dout::PlaceEllipse(SheetPoint(sheet_, c.x, c.y), radius, radius,
                                             {kWhere, u"A quadrant circle"}, circle))
                    {
                        const WT_Logical_Point at = circle.centre;
                        const std::int32_t r = circle.major;
                        const bool flag = item->flag() == 1;
                        const std::uint16_t first = flag ? 16384 : 0;
                        const std::uint16_t second = flag ? 49152 : 32768;
                        WT_CHECK(WT_Filled_Ellipse(at.m_x, at.m_y, r, r, first,
                                                   std::uint16_t(first + 16384), 0)
                                     .serialize(file));
                        WT_CHECK(WT_Filled_Ellipse(at.m_x, at.m_y, r, r, second,
                                                   std::uint16_t(second + 16384), 0)
                                     .serialize(file));
                        annot::SetLinePattern(file, WT_Line_Pattern::Solid);
                        WT_CHECK(WT_Outline_Ellipse(at.m_x, at.m_y, r, r, 0, 0, 0).serialize(file));
                    }
                }
                return GenerateAnnotation(file, item->annotation());
            },
            result);
        if (!bounded || malformed)
            ReportPublishError(kWhere);
        return result;
    }
    catch (...)
    {
        ReportPublishError(kWhere);
        return WT_Result_Success;
    }
}
