// The plain geometry of a sheet: sketch lines, arcs, ellipses, parabolas and
// splines, hatch lines, view polylines and model edges.
#include "addin/ErrorReport.h"
#include "addin/publishers/DWF2DGrWriter.h"
#include "addin/publishers/UnitVector.h"
#include "dwf/w2dtk/ellipse.h"
#include "dwf/w2dtk/file.h"
#include "host/Application.h"
#include "host/Document.h"
#include "host/RecordLayout.h"
#include "host/Sketch.h"
#include "host/View.h"
#include "platform/kernel/Text.h"

#include <array>
#include <cmath>
#include <limits>

using w2dout::HostPoint;
using w2dout::SaturateToInt32;
using w2dout::ToUInt16;
using w2dout::ViewTransform;

namespace
{
constexpr double kPi = w2dout::kPi;

// Record sizes and the common head of every sketch record.
constexpr std::size_t kLineRecord = host::layout::kSketchLine;
constexpr std::size_t kArcRecord = host::layout::kSketchArc;
constexpr std::size_t kEllipseRecord = host::layout::kSketchEllipse;
constexpr std::size_t kParabolaRecord = host::layout::kSketchParabola;
constexpr std::size_t kSegmentRecord = host::layout::kPolylineSegment;
constexpr std::size_t kColour = 0;
constexpr std::size_t kLineStyle = 2;
constexpr std::size_t kLineWeight = 3;
constexpr std::size_t kLayer = 4;
// Geometry values of an arc item of the model edges: centre, start, end
// and the circle's axis.
constexpr std::size_t kArcGeometry = 12;

// True when `needed` doubles exist from `start` on.
bool Fits(const std::vector<double>& data, std::size_t start, std::size_t needed)
{
    return start <= data.size() && needed <= data.size() - start;
}

// A count read from the host data: whole, non-negative and of sane size.
bool CountAt(const std::vector<double>& data, std::size_t index, std::size_t& count)
{
    long long value = 0;
    if (!Fits(data, index, 1) ||
        !host::layout::countFrom(data[index], host::layout::kMaxCount, value))
        return false;
    count = static_cast<std::size_t>(value);
    return true;
}

HostPoint PointAt(const double* values)
{
    return HostPoint{values[0], values[1], values[2]};
}

std::int32_t ColourOf(const double* record, double replaced, std::int32_t defaultColour)
{
    return record[kColour] == replaced ? defaultColour : SaturateToInt32(record[kColour]);
}

// An ellipse's or parabola's pen: its weight code scales by 20 with no
// range check, unlike a line's or arc's.
void SetCurvePen(WT_File& file, const double* record, std::int32_t defaultColour)
{
    w2dout::SetColor(file, ColourOf(record, 5, defaultColour));
    w2dout::SetSketchLineStyle(file, SaturateToInt32(record[kLineStyle]));
    w2dout::SetLineWeightValue(
        file, 20 * static_cast<std::int64_t>(SaturateToInt32(record[kLineWeight])));
    w2dout::SetFill(file, false);
}

// The length of (x, y, z) without squaring out of range: a vector whose
// squared length would overflow or underflow still has its length.
double Length3(double x, double y, double z)
{
    return std::hypot(std::hypot(x, y), z);
}

double Distance3(const HostPoint& a, const HostPoint& b)
{
    return Length3(a.x - b.x, a.y - b.y, a.z - b.z);
}

double Distance2(const HostPoint& a, const HostPoint& b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

// The parametric angle of P on an ellipse about `centre` with major radius
// a and its major axis at `axis` (W2D units), in W2D units.
double ParametricAngle(const HostPoint& centre, const HostPoint& p, double a, double axis,
                       bool flushTinyCosine)
{
    const double theta = (w2dout::GetW2DAngle(centre, p) - axis) * w2dout::kW2DToRadians;
    const double d = Distance2(centre, p);
    double cosine = d * std::cos(theta) / a;
    if (flushTinyCosine && std::fabs(cosine) < 1e-6)
        cosine = 0.0;
    double t = w2dout::ClampedAcos(cosine);
    if (d * std::sin(theta) < 0)
        t = 2 * kPi - t;
    return t * w2dout::kRadiansToW2D;
}
} // namespace

bool CDWF2DGrWriter::LayerVisible(host::LayerSource* layers, double layerId) const
{
    const std::int32_t id = SaturateToInt32(layerId);
    if (!layers || id == -1)
        return true;
    host::LayerManager* manager = layers->layerManager();
    if (!manager)
        return true;
    host::Layer* layer = manager->layer(id);
    return !layer || layer->visible() != 0;
}

WT_Result CDWF2DGrWriter::ProcessDrawingSketch(WT_File& file, host::View* view,
                                               const ViewTransform& transform,
                                               std::int32_t defaultColour,
                                               host::Application* application)
{
    try
    {
        if (!view || !application)
            return WT_Result_Success;
        host::LayerSource* layers = application->activeDocument();
        host::Sketch* sketch = view->sketch();
        if (!sketch)
            return WT_Result_Success;
        WT_CHECK(GenerateSketchHatchs(sketch, file, transform));
        return ProcessDrawingDocSketch(file, sketch, transform, defaultColour, layers);
    }
    catch (...)
    {
        ReportPublishError("CDWF2DGrWriter::ProcessDrawingSketch");
        return WT_Result_Success;
    }
}

WT_Result CDWF2DGrWriter::ProcessDrawingDocSketch(WT_File& file, host::Sketch* sketch,
                                                  const ViewTransform& transform,
                                                  std::int32_t defaultColour,
                                                  host::LayerSource* layers)
{
    try
    {
        if (!sketch)
            return WT_Result_Success;
        if (const int count = sketch->lineCount(host::kSketchLines); count > 0)
            WT_CHECK(GenerateSheetLine(sketch, file, transform, count, defaultColour, layers));
        if (const int count = sketch->arcCount(); count > 0)
            WT_CHECK(GenerateSketchArc(sketch, file, transform, count, defaultColour, layers));
        if (const int count = sketch->ellipseCount(); count > 0)
            WT_CHECK(GenerateSketchEllipse(sketch, file, transform, count, defaultColour, layers));
        if (const int count = sketch->parabolaCount(); count > 0)
            WT_CHECK(GenerateSketchParabola(sketch, file, transform, count, defaultColour, layers));
    }
    catch (...)
    {
        ReportPublishError("CDWF2DGrWriter::ProcessDrawingDocSketch", false);
    }
    return WT_Result_Success;
}

namespace
{
// Calls `draw` with each of `count` records of `size` doubles. The first
// record that does not lie inside the data is reported as a failure of
// `where` and ends the walk; a W2D failure ends it too and is returned.
template <class Draw>
WT_Result ForEachRecord(const std::vector<double>& data, int count, std::size_t size,
                        const char* where, Draw draw)
{
    for (int i = 0; i < count; ++i)
    {
        const std::size_t start = static_cast<std::size_t>(i) * size;
        if (!Fits(data, start, size))
        {
            ReportPublishError(where);
            return WT_Result_Success;
        }
        WT_CHECK(draw(data.data() + start));
    }
    return WT_Result_Success;
}
} // namespace

WT_Result CDWF2DGrWriter::WriteSketchLine(WT_File& file, const double* record, std::int32_t colour,
                                          const ViewTransform& transform,
                                          const w2dout::Named& named)
{
    w2dout::SetFill(file, false);
    w2dout::SetLineWeight(file, SaturateToInt32(record[kLineWeight]));
    w2dout::SetSketchLineStyle(file, SaturateToInt32(record[kLineStyle]));
    w2dout::SetColor(file, colour);
    const HostPoint points[2] = {PointAt(record + 6), PointAt(record + 9)};
    HostPoint turned[2];
    ProcessViewRotate(points, turned, 2);
    return w2dout::WritePolyline(file, sheet_, 2, turned, transform, named);
}

WT_Result CDWF2DGrWriter::GenerateSheetLine(host::Sketch* sketch, WT_File& file,
                                            const ViewTransform& transform, int count,
                                            std::int32_t defaultColour, host::LayerSource* layers)
{
    static const char* const kWhere = "CDWF2DGrWriter::GenerateSheetLine";
    try
    {
        const std::vector<double> data = sketch->lines(host::kSketchLines);
        return ForEachRecord(data, count, kLineRecord, kWhere,
                             [&](const double* record)
                             {
                                 if (!LayerVisible(layers, record[kLayer]))
                                     return WT_Result_Success;
                                 return WriteSketchLine(file, record,
                                                        ColourOf(record, 5, defaultColour),
                                                        transform, {kWhere, u"A sketch line"});
                             });
    }
    catch (...)
    {
        ReportPublishError(kWhere);
        return WT_Result_Success;
    }
}

WT_Result CDWF2DGrWriter::GenerateCrossHatchLine(WT_File& file, host::View* view,
                                                 const ViewTransform& transform,
                                                 std::int32_t defaultColour)
{
    static const char* const kWhere = "CDWF2DGrWriter::GenerateCrossHatchLine";
    try
    {
        host::Sketch* sketch = view ? view->sketch() : nullptr;
        if (!sketch)
            return WT_Result_Success;
        const int count = sketch->lineCount(host::kHatchLines);
        if (count <= 0)
            return WT_Result_Success;
        const std::vector<double> data = sketch->lines(host::kHatchLines);
        return ForEachRecord(data, count, kLineRecord, kWhere,
                             [&](const double* record)
                             {
                                 return WriteSketchLine(file, record,
                                                        ColourOf(record, -1, defaultColour),
                                                        transform, {kWhere, u"A hatch line"});
                             });
    }
    catch (...)
    {
        ReportPublishError(kWhere);
        return WT_Result_Success;
    }
}

WT_Result CDWF2DGrWriter::GenerateSketchArc(host::Sketch* sketch, WT_File& file,
                                            const ViewTransform& transform, int count,
                                            std::int32_t defaultColour, host::LayerSource* layers)
{
    static const char* const kWhere = "CDWF2DGrWriter::GenerateSketchArc";
    try
    {
        const std::vector<double> data = sketch->arcs();
        return ForEachRecord(
            data, count, kArcRecord, kWhere,
            [&](const double* record)
            {
                if (!LayerVisible(layers, record[kLayer]))
                    return WT_Result_Success;
                w2dout::SetColor(file, ColourOf(record, 5, defaultColour));
                w2dout::SetSketchLineStyle(file, SaturateToInt32(record[kLineStyle]));
                w2dout::SetLineWeight(file, SaturateToInt32(record[kLineWeight]));
                w2dout::SetFill(file, false);
                const HostPoint points[3] = {PointAt(record + 6), PointAt(record + 9),
                                             PointAt(record + 12)};
                const int direction = SaturateToInt32(record[15]);
                HostPoint turned[3];
                ProcessViewRotate(points, turned, 3);
                return w2dout::WriteOutlineEllipse(
                    file, sheet_, turned[2], turned[0], turned[1], transform, direction,
                    w2dout::CircularArcSweep(points[2], points[0], points[1], direction),
                    {kWhere, u"A sketch arc"});
            });
    }
    catch (...)
    {
        ReportPublishError(kWhere);
        return WT_Result_Success;
    }
}

WT_Result CDWF2DGrWriter::GenerateSketchEllipse(host::Sketch* sketch, WT_File& file,
                                                const ViewTransform& transform, int count,
                                                std::int32_t defaultColour,
                                                host::LayerSource* layers)
{
    static const char* const kWhere = "CDWF2DGrWriter::GenerateSketchEllipse";
    try
    {
        const std::vector<double> data = sketch->ellipses();
        return ForEachRecord(
            data, count, kEllipseRecord, kWhere,
            [&](const double* record)
            {
                if (!LayerVisible(layers, record[kLayer]))
                    return WT_Result_Success;
                const HostPoint start = PointAt(record + 6);
                const HostPoint end = PointAt(record + 9);
                HostPoint centre = PointAt(record + 12);
                const HostPoint majorEnd = PointAt(record + 15);
                const HostPoint minorEnd = PointAt(record + 18);
                const double a = Distance3(centre, majorEnd);
                const double b = Distance3(centre, minorEnd);
                const double axisX = majorEnd.x - centre.x;
                const double axisY = majorEnd.y - centre.y;
                const double axisLength = std::hypot(axisX, axisY);
                if (!(a > 0) || !(b > 0) || !(axisLength > 0))
                    return WT_Result_Success; // no ellipse to draw
                const double unitX = axisX / axisLength;
                const double unitY = axisY / axisLength;
                double phi = w2dout::ClampedAcos(unitX);
                if (axisY < 0)
                    phi = 2 * kPi - phi;
                double axis = phi * w2dout::kRadiansToW2D;
                const double startAngle = ParametricAngle(centre, start, a, axis, false);
                const double endAngle = ParametricAngle(centre, end, a, axis, false);
                // The ellipse turns with the view and the block like every other
                // sketch entity: its axis by the angles, its centre about the origin.
                if (view_)
                    axis += view_->rotationAngle() * w2dout::kRadiansToW2D;
                axis += rotation_ * w2dout::kRadiansToW2D;
                HostPoint turnedCentre;
                ProcessViewRotate(&centre, &turnedCentre, 1);

                SetCurvePen(file, record, defaultColour);
                w2dout::StreamEllipse placed;
                if (!w2dout::PlaceEllipse(
                        w2dout::Place(sheet_, transform, turnedCentre.x, turnedCentre.y),
                        w2dout::PlaceLength(sheet_, transform, a),
                        w2dout::PlaceLength(sheet_, transform, b), {kWhere, u"A sketch ellipse"},
                        placed))
                    return WT_Result_Success;
                const w2dout::StreamArc angles = w2dout::ArcAngles(
                    startAngle, endAngle,
                    w2dout::EllipticArcSweep(centre, start, end, unitX, unitY, a, b));
                return WT_Outline_Ellipse(placed.centre.m_x, placed.centre.m_y, placed.major,
                                          placed.minor, angles.start, angles.end, ToUInt16(axis))
                    .serialize(file);
            });
    }
    catch (...)
    {
        ReportPublishError(kWhere);
        return WT_Result_Success;
    }
}

WT_Result CDWF2DGrWriter::GenerateSketchParabola(host::Sketch* sketch, WT_File& file,
                                                 const ViewTransform& transform, int count,
                                                 std::int32_t defaultColour,
                                                 host::LayerSource* layers)
{
    static const char* const kWhere = "CDWF2DGrWriter::GenerateSketchParabola";
    try
    {
        const std::vector<double> data = sketch->parabolas();
        return ForEachRecord(
            data, count, kParabolaRecord, kWhere,
            [&](const double* record)
            {
                if (!LayerVisible(layers, record[kLayer]))
                    return WT_Result_Success;
                SetCurvePen(file, record, defaultColour);
                // Start, end, focus, apex.
                const HostPoint given[4] = {PointAt(record + 6), PointAt(record + 9),
                                            PointAt(record + 12), PointAt(record + 15)};
                HostPoint p[4];
                ProcessViewRotate(given, p, 4);
                const HostPoint apex = p[3];
                const double f = Distance2(apex, p[2]);
                if (!(f > 0) || !std::isfinite(f))
                    return WT_Result_Success; // a focus on the apex is no parabola
                // In the parabola's own frame the apex is the origin and the focus
                // lies on the positive y axis: y = c·x².
                const double omega = w2dout::GetW2DAngle(apex, p[2]);
                const double beta = kPi / 2 - omega * w2dout::kW2DToRadians;
                HostPoint local[2];
                for (int i = 0; i < 2; ++i)
                    local[i] =
                        w2dout::Rotate(HostPoint{p[i].x - apex.x, p[i].y - apex.y, p[i].z}, beta);
                const double c = 1.0 / (4.0 * f);
                const double low = std::min(local[0].x, local[1].x);
                const double high = std::max(local[0].x, local[1].x);
                const double span = high - low;
                double step = 0.0003;
                const double samples = std::trunc(3333.3333333333335 * span);
                if (!(samples <= 1000)) // also NaN
                    step = span * 0.001001001001001001;
                // At most about 1000 steps either way; the cap guards rounding.
                constexpr std::size_t kMaxPoints = 1002;
                std::vector<HostPoint> points;
                points.reserve(kMaxPoints);
                for (double x = low; x < high && points.size() + 1 < kMaxPoints; x += step)
                    points.push_back(HostPoint{x, c * x * x, 0.0});
                points.push_back(HostPoint{high, c * high * high, 0.0});
                for (HostPoint& point : points)
                {
                    const HostPoint back = w2dout::Rotate(point, -beta);
                    point = HostPoint{back.x + apex.x, back.y + apex.y, apex.z};
                }
                return w2dout::WritePolyline(file, sheet_, points.size(), points.data(), transform,
                                             {kWhere, u"A sketch parabola"});
            });
    }
    catch (...)
    {
        ReportPublishError(kWhere);
        return WT_Result_Success;
    }
}

WT_Result CDWF2DGrWriter::GenerateSpline(WT_File& file, host::View* view,
                                         const ViewTransform& transform, std::int32_t defaultColour,
                                         host::LayerSource* layers)
{
    static const char* const kWhere = "CDWF2DGrWriter::GenerateSpline";
    try
    {
        if (!view)
            return WT_Result_Success;
        view->splineDataSize();
        const int count = view->splineCount();
        if (count <= 0)
            return WT_Result_Success;
        const std::vector<double> data = view->splineData();
        std::size_t offset = 0;
        for (int i = 0; i < count; ++i)
        {
            std::size_t points = 0;
            if (!Fits(data, offset, 7) || !CountAt(data, offset + 6, points) ||
                !Fits(data, offset + 7, 3 * points))
            {
                ReportPublishError(kWhere);
                return WT_Result_Success;
            }
            const double* record = data.data() + offset;
            offset += 7 + 3 * points;
            if (!LayerVisible(layers, record[kLayer]))
                continue;
            w2dout::SetSketchLineStyle(file, SaturateToInt32(record[kLineStyle]));
            w2dout::SetColor(file, ColourOf(record, 5, defaultColour));
            w2dout::SetLineWeight(file, SaturateToInt32(record[kLineWeight]));
            w2dout::SetFill(file, false);
            std::vector<HostPoint> given(points);
            for (std::size_t k = 0; k < points; ++k)
                given[k] = PointAt(record + 7 + 3 * k);
            std::vector<HostPoint> turned(points);
            ProcessViewRotate(given.data(), turned.data(), points);
            WT_CHECK(w2dout::WritePolyline(file, sheet_, points, turned.data(), transform,
                                           {kWhere, u"A spline"}));
        }
    }
    catch (...)
    {
        ReportPublishError(kWhere);
    }
    return WT_Result_Success;
}

WT_Result CDWF2DGrWriter::GeneratePolylineFromCurve(WT_File& file, host::View* view)
{
    static const char* const kWhere = "CDWF2DGrWriter::GeneratePolylineFromCurve";
    try
    {
        if (!view)
            return WT_Result_Success;
        const int groups = view->polylineGroupCount();
        view->polylineDataSize();
        if (groups <= 0)
            return WT_Result_Success;
        const std::vector<double> data = view->polylineData();
        const ViewTransform sheetCoordinates; // already laid out on the sheet
        std::size_t offset = 1;               // index 0 is not read
        for (int g = 0; g < groups; ++g)
        {
            std::size_t segments = 0;
            if (!CountAt(data, offset, segments) ||
                !Fits(data, offset + 1, kSegmentRecord * segments))
            {
                ReportPublishError(kWhere);
                return WT_Result_Success;
            }
            const double* segment = data.data() + offset + 1;
            offset += 1 + kSegmentRecord * segments;
            for (std::size_t s = 0; s < segments; ++s, segment += kSegmentRecord)
            {
                w2dout::SetDisplaydataLineStyle(file, SaturateToInt32(segment[0]));
                const HostPoint points[2] = {PointAt(segment + 1), PointAt(segment + 4)};
                WT_CHECK(w2dout::WritePolyline(file, sheet_, 2, points, sheetCoordinates,
                                               {kWhere, u"A polyline of the view"}));
            }
        }
    }
    catch (...)
    {
        ReportPublishError(kWhere);
    }
    return WT_Result_Success;
}

WT_Result CDWF2DGrWriter::ProcessDrawingView(WT_File& file, host::View* view,
                                             const ViewTransform& transform,
                                             std::int32_t edgeColour)
{
    static const char* const kWhere = "CDWF2DGrWriter::ProcessDrawingView";
    try
    {
        if (!view)
            return WT_Result_Success;
        SetDetailView(view);
        if (view->modelEdgeDataSize(0) < 1)
        {
            // The host builds the edges when the display mode is applied.
            view->setDisplayMode(0, view->displayMode(), 1, 1);
            if (view->modelEdgeDataSize(0) < 1)
                return WT_Result_Success;
        }
        const int items = view->modelEdgeItemCount(0);
        if (items <= 0)
            return WT_Result_Success;
        const std::vector<double> data = view->modelEdgeData(0, items);
        std::size_t i = 0;
        for (int item = 0; item < items; ++item)
        {
            std::size_t k = 0;
            std::size_t points = 0;
            const bool fits = Fits(data, i, 2) && CountAt(data, i + 1, k) &&
                              CountAt(data, i + 8 + k, points) && Fits(data, i + 9 + k, 3 * points);
            const bool polyline = fits && data[i] == 0.0;
            if (!fits || (!polyline && k < kArcGeometry))
            {
                // The rest of the view's edges cannot be found either.
                const std::u16string what =
                    !fits ? u" runs past the end of the view's edge data"
                          : u" is an arc with " + platform::utf8ToUtf16(std::to_string(k)) +
                                u" geometry values, fewer than the " +
                                platform::utf8ToUtf16(std::to_string(kArcGeometry)) +
                                u" an arc needs";
                ReportPublishError(kWhere, true,
                                   u"Model edge item " +
                                       platform::utf8ToUtf16(std::to_string(item + 1)) + u" of " +
                                       platform::utf8ToUtf16(std::to_string(items)) +
                                       u" of view '" + view->name() + u"'" + what +
                                       u"; the view's remaining edges are left out");
                return WT_Result_Success;
            }
            const std::size_t index = i;
            i += 9 + k + 3 * points;
            w2dout::SetSketchLineStyle(file, SaturateToInt32(data[index + 4 + k]));
            w2dout::SetColor(file, edgeColour);
            w2dout::SetLineWeight(file, SaturateToInt32(data[index + 5 + k]));
            w2dout::SetFill(file, false);
            if (polyline)
            {
                std::vector<HostPoint> vertices(points);
                for (std::size_t p = 0; p < points; ++p)
                    vertices[p] = PointAt(data.data() + index + 9 + k + 3 * p);
                WT_CHECK(w2dout::WritePolyline(file, sheet_, points, vertices.data(), transform,
                                               {kWhere, u"A model edge"}));
            }
            else
                WT_CHECK(GenerateArcOrEllipse(index, transform, data, file,
                                              {kWhere, u"A model edge arc"}));
        }
    }
    catch (...)
    {
        ReportPublishError(kWhere);
    }
    return WT_Result_Success;
}

WT_Result CDWF2DGrWriter::GenerateArcOrEllipse(std::size_t index, const ViewTransform& transform,
                                               const std::vector<double>& data, WT_File& file,
                                               const w2dout::Named& named)
{
    static const char* const kWhere = "CDWF2DGrWriter::GenerateArcOrEllipse";
    try
    {
        if (!Fits(data, index + 2, kArcGeometry))
        {
            ReportPublishError(kWhere, true,
                               u"A model edge arc's geometry runs past the end of the view's "
                               u"edge data; the arc is left out");
            return WT_Result_Success;
        }
        const double* geometry = data.data() + index + 2;
        const HostPoint centre = PointAt(geometry);
        const HostPoint start = PointAt(geometry + 3);
        const HostPoint end = PointAt(geometry + 6);
        // The axis's direction, to full precision whatever its length: the
        // length of an axis of 1.1e308 per component overflows.
        const auto axis = unit_vector::Of(geometry[9], geometry[10], geometry[11]);
        if (!axis)
            return WT_Result_Success; // an arc without an axis has no face
        double alpha = w2dout::ClampedAcos((*axis)[2]);
        if (detailView_)
            alpha = alpha >= kPi / 2 ? kPi : 0.0;
        if (std::fabs(alpha) < 1e-6)
            alpha = 0.0;
        if (std::fabs(alpha - kPi) < 1e-6)
            alpha = kPi;
        if (alpha == 0.0 || alpha == kPi)
            return w2dout::WriteOutlineEllipse(file, sheet_, centre, start, end, transform,
                                               alpha <= kPi / 2 ? 1 : -1, named);
        return GenerateEllipseArc(geometry, transform, file, alpha, named);
    }
    catch (...)
    {
        ReportPublishError(kWhere);
        return WT_Result_Success;
    }
}

WT_Result CDWF2DGrWriter::GenerateEllipseArc(const double* geometry, const ViewTransform& transform,
                                             WT_File& file, double tilt, const w2dout::Named& named)
{
    const HostPoint centre = PointAt(geometry);
    const HostPoint start = PointAt(geometry + 3);
    const HostPoint end = PointAt(geometry + 6);
    // The axis's projection is taken from its unit vector: the direction of
    // a subnormal axis's projection keeps only the few bits its components
    // have.
    const auto unit = unit_vector::Of(geometry[9], geometry[10], geometry[11]);
    const double r = Distance3(centre, start);
    if (!unit || !(r > 0))
        return WT_Result_Success;
    const HostPoint axis{(*unit)[0], (*unit)[1], (*unit)[2]};
    const double projected = std::hypot(axis.x, axis.y);
    if (!(projected > 0))
        return WT_Result_Success;
    w2dout::StreamEllipse placed;
    if (!w2dout::PlaceEllipse(w2dout::Place(sheet_, transform, centre.x, centre.y),
                              w2dout::PlaceLength(sheet_, transform, r),
                              w2dout::PlaceLength(sheet_, transform, std::fabs(std::cos(tilt)) * r),
                              named, placed))
        return WT_Result_Success;
    // The major axis lies across the projected axis of the circle.
    double psi = w2dout::ClampedAcos(axis.x / projected) * w2dout::kRadiansToW2D;
    if (axis.y < 0)
        psi = 65536.0 - psi;
    const double direction = psi - 16384.0;
    double startAngle = ParametricAngle(centre, start, r, direction, true);
    double endAngle = ParametricAngle(centre, end, r, direction, true);
    // The arc turns counter-clockwise about its axis: on the sheet that is
    // clockwise when the axis points away from the viewer, so the stream
    // draws it from its end, the same sweep the other way round.
    if (tilt > kPi / 2)
        std::swap(startAngle, endAngle);
    const w2dout::StreamArc angles =
        w2dout::ArcAngles(startAngle, endAngle, w2dout::AxialArcSweep(centre, start, end, axis));
    return WT_Outline_Ellipse(placed.centre.m_x, placed.centre.m_y, placed.major, placed.minor,
                              angles.start, angles.end, ToUInt16(direction))
        .serialize(file);
}
