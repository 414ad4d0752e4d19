// Cosmetic threads, 3D sketches and the placement of a component.
#include "addin/publishers/DWF3DGrWriter.h"

#include "addin/ErrorReport.h"
#include "addin/publishers/GeometryWriterSupport.h"
#include "host/Component.h"
#include "host/Document.h"
#include "host/Geometry.h"
#include "host/Sketch.h"
#include "platform/kernel/Text.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

using geometry_writer::AllFinite;
using geometry_writer::Coincide;
using geometry_writer::FitFloats;
using geometry_writer::Floats;
using geometry_writer::kTolerance;
using geometry_writer::kTwoPi;
using geometry_writer::Length;
using geometry_writer::Point3;
using geometry_writer::PointAt;
using geometry_writer::Unit;
using geometry_writer::WalkOnce;
using platform::E_FAIL;
using platform::HRESULT;
using platform::S_OK;

namespace
{
const char* const kThreadStep = "CDWF3DGrWriter::GenerateThread";
const char* const kSketchStep = "CDWF3DGrWriter::Generate3Dsketch";
const char* const kTransformStep = "CDWF3DGrWriter::GetComponentTransform";

constexpr std::size_t kSketchLineSize = 12;
constexpr std::size_t kSketchArcSize = 16;
// An arc that also carries the axis of its plane.
constexpr std::size_t kSketchArcWithAxisSize = 19;

// True when `count` records of `size` doubles lie inside `values` doubles.
bool RecordsFit(std::size_t values, int count, std::size_t size)
{
    return count >= 0 && static_cast<std::size_t>(count) <= values / size;
}

// A thread's selections, once the host granted access to them, are given
// back on every way out of the thread. The explicit Release reports its
// failure; the late one only cleans up.
class SelectionAccess
{
public:
    explicit SelectionAccess(host::ThreadData* data) : data_(data) {}
    ~SelectionAccess()
    {
        if (!data_)
            return;
        try
        {
            data_->releaseSelections();
        }
        catch (...)
        {
        }
    }
    SelectionAccess(const SelectionAccess&) = delete;
    SelectionAccess& operator=(const SelectionAccess&) = delete;

    void Release()
    {
        host::ThreadData* data = data_;
        data_ = nullptr;
        data->releaseSelections();
    }

private:
    host::ThreadData* data_;
};

void WriteBlackLines(DWFToolkit::DWFSegment& segment)
{
    TK_Color_RGB& colour = segment.getColorRGBHandler();
    colour.SetGeometry(4);
    colour.SetRGB(0.0f, 0.0f, 0.0f);
    colour.serialize(0);
}

// How messages call a feature: its name in quotes. Asking for the name is
// only done when something is reported, and a name the host will not give
// must not hide the report itself.
std::u16string FeatureLabel(host::Feature* feature)
{
    std::u16string name;
    try
    {
        name = feature->name();
    }
    catch (...)
    {
    }
    return u"'" + name + u"'";
}

double Dot(const Point3& a, const Point3& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// The circular arcs that draw one arc of a 3D sketch: start, middle and
// end of each. A whole circle becomes two half arcs, as a closed circular
// edge does. An arc that cannot be drawn gives none and says why.
struct SketchArcPieces
{
    std::vector<std::array<Point3, 3>> arcs;
    std::u16string failure;
};

SketchArcPieces SketchArcThrough(const double* record, bool withAxis)
{
    SketchArcPieces pieces;
    if (!geometry_writer::AllFinite(record + 6, 9) ||
        (withAxis && !geometry_writer::AllFinite(record + 16, 3)))
    {
        pieces.failure = u"its points are not all finite numbers";
        return pieces;
    }
    const Point3 start = PointAt(record + 6);
    const Point3 end = PointAt(record + 9);
    const Point3 centre = PointAt(record + 12);
    const Point3 fromCentre = start - centre;
    const double radius = Length(fromCentre);
    if (!std::isfinite(radius))
    {
        pieces.failure = u"its radius is too large to draw";
        return pieces;
    }
    if (!(radius > 0.0))
    {
        pieces.failure = u"its start is its centre";
        return pieces;
    }
    // Three points of which two are one draw no arc, whichever way round.
    const Point3 toEnd = end - centre;
    if (Length(toEnd) == 0.0)
    {
        pieces.failure = u"its end is its centre";
        return pieces;
    }
    const bool whole = Coincide(start, end);

    // An axis of no length is no axis. Any other is made a unit vector to
    // full precision, however long or short it is.
    const std::optional<Point3> unitAxis =
        withAxis ? Unit(PointAt(record + 16)) : std::optional<Point3>();

    if (!unitAxis)
    {
        if (whole)
        {
            pieces.failure = u"it is a whole circle without an axis, so its plane is unknown";
            return pieces;
        }
        // The point of the circle above the chord's middle: the shorter
        // way round, the only one three points without an axis tell.
        const Point3 offset = (start + end) * 0.5 - centre;
        const double length = Length(offset);
        const std::optional<Point3> towards = Unit(offset);
        if (!(length > kTolerance * radius) || !std::isfinite(length) || !towards)
        {
            pieces.failure = u"it is a half circle without an axis, so the side it passes on "
                             u"is unknown";
            return pieces;
        }
        const Point3 middle = centre + *towards * radius;
        pieces.arcs.push_back({start, middle, end});
        return pieces;
    }

    // The arc turns about its axis counter-clockwise (the right-hand
    // sense), or clockwise when its direction value is -1.
    const Point3 axis = record[15] == -1.0 ? *unitAxis * -1.0 : *unitAxis;
    const std::optional<Point3> across = Unit(geometry_writer::Cross(axis, fromCentre));
    if (!across)
    {
        pieces.failure = u"its start lies on its axis, so its plane is unknown";
        return pieces;
    }
    if (whole)
    {
        const Point3 quarter = *across * radius;
        const Point3 opposite = centre * 2.0 - start;
        pieces.arcs.push_back({start, centre + quarter, opposite});
        pieces.arcs.push_back({start, centre - quarter, opposite});
        return pieces;
    }
    // The angle from start to end in the arc's sense, seen in the plane
    // across the axis, in (0, 2 pi]; the middle is the start turned by
    // half of it.
    const Point3 onAxisStart = axis * Dot(axis, fromCentre);
    const Point3 inPlaneStart = fromCentre - onAxisStart;
    const Point3 inPlaneEnd = toEnd - axis * Dot(axis, toEnd);
    // An end on the axis is no angle away from the start: the arc would be
    // drawn round the whole turn to a point off its circle. (Points so far
    // out that this is not a number are refused by SketchArc.)
    if (Length(inPlaneEnd) == 0.0)
    {
        pieces.failure = u"its end lies on its axis, so where it ends is unknown";
        return pieces;
    }
    double angle = std::atan2(Dot(axis, geometry_writer::Cross(inPlaneStart, inPlaneEnd)),
                              Dot(inPlaneStart, inPlaneEnd));
    if (angle <= 0.0)
        angle += kTwoPi;
    const double half = angle / 2.0;
    const Point3 middle = centre + onAxisStart + inPlaneStart * std::cos(half) +
                          geometry_writer::Cross(axis, inPlaneStart) * std::sin(half);
    pieces.arcs.push_back({start, middle, end});
    return pieces;
}

// The same, where points so far out that their products overflow, or that
// single precision cannot carry, give no arc rather than one through points
// that are not numbers.
SketchArcPieces SketchArc(const double* record, bool withAxis)
{
    SketchArcPieces pieces = SketchArcThrough(record, withAxis);
    for (const auto& arc : pieces.arcs)
        if (!FitFloats(arc))
        {
            pieces.arcs.clear();
            pieces.failure = u"its points are too far out to draw";
            return pieces;
        }
    return pieces;
}

// Why points cannot go into a model stream, or nothing when they can.
const char16_t* PointsFault(const double* values, std::size_t count)
{
    if (!AllFinite(values, count))
        return u"its points are not all finite numbers";
    if (!FitFloats(values, count))
        return u"its points are too large for single precision";
    return nullptr;
}

// The two half arcs of a cosmetic thread's circle: start, middle and end
// of each, or why the circle cannot be drawn.
struct ThreadArcs
{
    std::array<std::array<Point3, 3>, 2> arcs;
    const char16_t* failure = nullptr;
};

ThreadArcs ThreadCircle(const double* circle, const double* point, double diameter)
{
    ThreadArcs result;
    if (!AllFinite(circle, 7) || !AllFinite(point, 3) || !std::isfinite(diameter))
    {
        result.failure = u"its values are not all finite numbers";
        return result;
    }
    const Point3 centre = PointAt(circle);
    const double radius = circle[6];
    const double half = diameter / 2.0;
    const Point3 fromCentre = PointAt(point) - centre;
    // The axis is made a unit vector before it is multiplied, as a circular
    // edge's is: a subnormal axis would otherwise lose its direction.
    const std::optional<Point3> axis = Unit(PointAt(circle + 3));
    const std::optional<Point3> normal =
        axis ? Unit(geometry_writer::Cross(*axis, fromCentre)) : std::nullopt;
    // A circle of no radius, or a point on its axis, gives no plane and no
    // direction to scale along.
    if (radius == 0.0 || !normal)
    {
        result.failure = u"its circle gives no plane (no radius, or the edge starts on its axis)";
        return result;
    }
    const Point3 start = centre + fromCentre * (half / radius);
    const Point3 opposite = centre * 2.0 - start;
    const Point3 across = *normal * half;
    result.arcs = {{{start, centre + across, opposite}, {start, centre - across, opposite}}};
    if (!FitFloats(result.arcs[0]) || !FitFloats(result.arcs[1]))
        result.failure = u"its circle is too large for single precision";
    return result;
}
} // namespace

HRESULT CDWF3DGrWriter::GenerateThread(host::Component* component)
{
    if (!document_)
        return S_OK;
    try
    {
        WalkOnce<host::Feature> features;
        for (host::Feature* feature = document_->firstFeature(); feature && features.First(feature);
             feature = feature->next())
        {
            if (feature->suppressed())
                continue;
            WalkOnce<host::Feature> subFeatures;
            for (host::Feature* sub = feature->firstSubFeature(); sub && subFeatures.First(sub);
                 sub = sub->nextSubFeature())
            {
                if (sub->suppressed())
                    continue;
                const int kind = sub->kind();
                if ((kind != 2 && kind != 3) || sub->typeName() != u"CosmeticThread")
                    continue;
                host::ThreadData* thread = sub->threadData();
                if (!thread)
                    continue;
                // A thread that cannot be drawn is left out on its own, and
                // said so: the threads after it are still drawn.
                const auto leaveOut = [sub](const char16_t* why)
                {
                    ReportPublishError(kThreadStep, true,
                                       u"Cosmetic thread " + FeatureLabel(sub) +
                                           u" is left out: " + why);
                };
                if (!thread->accessSelections(document_, component))
                {
                    leaveOut(u"the host refused access to its selections");
                    continue;
                }
                SelectionAccess access(thread);

                const int setting = thread->setting();
                double diameter = thread->diameter();
                host::Edge* edge = thread->edge();
                if (!edge)
                {
                    access.Release();
                    leaveOut(u"it has no edge");
                    continue;
                }
                const std::vector<double> edgeValues = edge->curveParams();
                host::Curve* curve = edge->curve();
                if (!curve || !curve->isCircle())
                {
                    access.Release();
                    leaveOut(u"its edge is not a circle");
                    continue;
                }
                const std::vector<double> circle = curve->circleParams();
                if (edgeValues.size() != 11 || circle.size() != 7)
                {
                    access.Release();
                    leaveOut(u"its edge's values do not fit (11 for the edge, 7 for its circle)");
                    continue;
                }

                // A thread drawn inside its own edge would vanish in it.
                const double radius = circle[6];
                if (setting == 1 && diameter < 2.0 * radius)
                    diameter = radius * 2.2;
                const ThreadArcs drawn = ThreadCircle(circle.data(), edgeValues.data(), diameter);
                if (!drawn.failure)
                {
                    WriteBlackLines(*segment_);
                    TK_Linear_Pattern& pattern = segment_->getLinePatternHandler();
                    pattern.SetPattern(2);
                    pattern.serialize(0);
                    for (const auto& arc : drawn.arcs)
                        WriteArc(arc[0].data(), arc[1].data(), arc[2].data());
                }
                access.Release();
                if (drawn.failure)
                    leaveOut(drawn.failure);
            }
        }
    }
    catch (...)
    {
        ReportPublishError(kThreadStep);
    }
    return S_OK;
}

HRESULT CDWF3DGrWriter::WriteThreadCircle(const double* circle, const double* point,
                                          double diameter)
{
    if (!circle || !point)
        return S_OK;
    // Nothing is drawn rather than points that are not numbers.
    const ThreadArcs drawn = ThreadCircle(circle, point, diameter);
    if (drawn.failure)
        return E_FAIL;
    for (const auto& arc : drawn.arcs)
        WriteArc(arc[0].data(), arc[1].data(), arc[2].data());
    return S_OK;
}

HRESULT CDWF3DGrWriter::Generate3Dsketch(host::Document* document, DWFToolkit::DWFSegment segment)
{
    if (!document)
        return S_OK;
    try
    {
        WalkOnce<host::Feature> features;
        for (host::Feature* feature = document->firstFeature(); feature && features.First(feature);
             feature = feature->next())
        {
            if (feature->typeName() != u"3DProfileFeature")
                continue;
            host::Sketch* sketch = feature->specificSketch();
            if (!sketch || sketch->flag() != 1)
                continue;
            // A line, spline or arc that cannot be drawn is left out on its
            // own, named by its place (from 1) in its list.
            const auto leaveOut =
                [feature](const char16_t* what, int index, const std::u16string& why)
            {
                ReportPublishError(kSketchStep, true,
                                   u"3D sketch " + FeatureLabel(feature) + u": " + what + u" " +
                                       platform::utf8ToUtf16(std::to_string(index + 1)) +
                                       u" is left out: " + why);
            };

            // Lines, each black in the pattern of its style.
            const int lineCount = sketch->lineCount(host::kSketchLines);
            if (lineCount > 0)
            {
                const std::vector<double> lines = sketch->lines(host::kSketchLines);
                if (!RecordsFit(lines.size(), lineCount, kSketchLineSize))
                    ReportPublishError(kSketchStep);
                else
                    for (int i = 0; i < lineCount; ++i)
                    {
                        const double* record =
                            lines.data() + static_cast<std::size_t>(i) * kSketchLineSize;
                        if (const char16_t* fault = PointsFault(record + 6, 6))
                        {
                            leaveOut(u"line", i, fault);
                            continue;
                        }
                        DWFToolkit::DWFSegment copy(segment);
                        WriteBlackLines(copy);
                        GetSketchLinePattern(record[1], copy);
                        TK_Line& line = segment.getLineHandler();
                        line.SetPoints(Floats(PointAt(record + 6)).data(),
                                       Floats(PointAt(record + 9)).data());
                        line.serialize(0);
                    }
            }

            // Splines as polylines through their points: a head of three
            // values (the point count third), then the points. The host
            // hands the data of all splines at once; it is asked once.
            const int splineCount = sketch->splineCount();
            if (splineCount > 0)
            {
                const int dataSize = sketch->splineDataSize();
                const std::vector<double> data = sketch->splineData();
                if (data.empty())
                    return S_OK;
                std::size_t offset = 0;
                for (int s = 0; s < splineCount; ++s)
                {
                    if (dataSize < 0 || data.size() != static_cast<std::size_t>(dataSize) ||
                        offset + 3 > data.size())
                    {
                        ReportPublishError(kSketchStep);
                        break;
                    }
                    const double n = data[offset + 2];
                    const std::size_t room = (data.size() - offset) / 3;
                    if (!(n >= 0.0) || n != std::floor(n) || n + 1.0 > static_cast<double>(room))
                    {
                        ReportPublishError(kSketchStep);
                        break;
                    }
                    const std::size_t points = static_cast<std::size_t>(n);
                    const double* first = data.data() + offset + 3;
                    if (const char16_t* fault = PointsFault(first, 3 * points))
                    {
                        leaveOut(u"spline", s, fault);
                        offset += 3 * (points + 1);
                        continue;
                    }
                    for (std::size_t j = 1; j < points; ++j)
                    {
                        TK_Line& line = segment.getLineHandler();
                        line.SetPoints(Floats(PointAt(data.data() + offset + 3 * j)).data(),
                                       Floats(PointAt(data.data() + offset + 3 * (j + 1))).data());
                        line.serialize(0);
                    }
                    offset += 3 * (points + 1);
                }
            }

            // Arcs, each through its middle point; an arc that cannot be
            // drawn is left out with its reason.
            const int arcCount = sketch->arcCount();
            if (arcCount > 0)
            {
                const std::vector<double> arcs = sketch->arcs();
                const bool withAxis =
                    arcs.size() == static_cast<std::size_t>(arcCount) * kSketchArcWithAxisSize;
                const std::size_t size = withAxis ? kSketchArcWithAxisSize : kSketchArcSize;
                if (!RecordsFit(arcs.size(), arcCount, size))
                    ReportPublishError(kSketchStep);
                else
                    for (int i = 0; i < arcCount; ++i)
                    {
                        const SketchArcPieces pieces =
                            SketchArc(arcs.data() + static_cast<std::size_t>(i) * size, withAxis);
                        if (!pieces.failure.empty())
                            leaveOut(u"arc", i, pieces.failure);
                        for (const auto& piece : pieces.arcs)
                        {
                            TK_Circle& arc = segment.getCircularArcHandler();
                            arc.SetPoints(Floats(piece[0]).data(), Floats(piece[1]).data(),
                                          Floats(piece[2]).data());
                            arc.serialize(0);
                        }
                    }
            }
        }
    }
    catch (...)
    {
        ReportPublishError(kSketchStep);
    }
    return S_OK;
}

void CDWF3DGrWriter::GetSketchLinePattern(double style, DWFToolkit::DWFSegment segment)
{
    // Style codes are whole numbers; anything else names no pattern.
    if (!std::isfinite(style) || std::fabs(style) >= 2147483648.0)
        return;
    const int code = static_cast<int>(style);
    int pattern = 0;
    if (code == 6)
        pattern = 1;
    else if (code < 0 || code > 8)
        return;
    TK_Linear_Pattern& handler = segment.getLinePatternHandler();
    handler.SetPattern(pattern);
    handler.serialize(0);
}

HRESULT CDWF3DGrWriter::GetComponentTransform(host::Component* component, float matrix[16])
{
    if (!matrix)
        return E_FAIL;
    for (int i = 0; i < 16; ++i)
        matrix[i] = i % 5 == 0 ? 1.0f : 0.0f;
    if (!component)
        return S_OK;
    try
    {
        host::Transform* transform = component->transform();
        if (!transform)
            return E_FAIL;
        const std::vector<double> t = transform->arrayData();
        if (t.size() < 13)
            return E_FAIL;
        // The host places a point (x, y, z) at s (x a + y b + z c) + t, with
        // a, b and c the images of the axes (its first nine numbers), t the
        // translation and s the scale. The modelling matrix has no place for
        // a scale of its own (its last element is not read as one), so the
        // scale goes into the rows of the turn.
        const double scale = t[12];
        double values[16] = {};
        values[15] = 1.0;
        for (std::size_t r = 0; r < 3; ++r)
        {
            for (std::size_t c = 0; c < 3; ++c)
                values[4 * r + c] = scale * t[3 * r + c];
            values[12 + r] = t[9 + r];
        }
        // A placement single precision cannot carry is no placement: the
        // stream would hold infinities, and every point under it with them.
        if (!FitFloats(values, 16))
        {
            ReportPublishError(kTransformStep, true,
                               std::u16string(u"Its placement is left out: ") +
                                   (AllFinite(t.data(), 13)
                                        ? u"its axes times its scale are too large for single "
                                          u"precision"
                                        : u"its transform's values are not all finite numbers"));
            return E_FAIL;
        }
        for (std::size_t i = 0; i < 16; ++i)
            matrix[i] = static_cast<float>(values[i]);
    }
    catch (...)
    {
        // The caller tests the result: a failure means "no placement".
        return E_FAIL;
    }
    return S_OK;
}
