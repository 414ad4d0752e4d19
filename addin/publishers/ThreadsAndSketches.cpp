// Cosmetic threads, 3D sketches and the placement of a component.
#include "addin/publishers/DWF3DGrWriter.h"

#include "addin/ErrorReport.h"
#include "addin/publishers/GeometryWriterSupport.h"
#include "host/Component.h"
#include "host/Document.h"
#include "host/Geometry.h"
#include "host/Sketch.h"

#include <cmath>
#include <cstddef>
#include <vector>

using geometry_writer::Floats;
using geometry_writer::Length;
using geometry_writer::Point3;
using geometry_writer::PointAt;
using geometry_writer::WalkOnce;
using platform::E_FAIL;
using platform::HRESULT;
using platform::S_OK;

namespace
{
const char* const kThreadStep = "CDWF3DGrWriter::GenerateThread";
const char* const kSketchStep = "CDWF3DGrWriter::Generate3Dsketch";

constexpr std::size_t kSketchLineSize = 12;
constexpr std::size_t kSketchArcSize = 16;

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
                if (!thread->accessSelections(document_, component))
                    return S_OK;
                SelectionAccess access(thread);

                const int setting = thread->setting();
                double diameter = thread->diameter();
                host::Edge* edge = thread->edge();
                if (!edge)
                {
                    access.Release();
                    continue;
                }
                const std::vector<double> edgeValues = edge->curveParams();
                host::Curve* curve = edge->curve();
                if (!curve || !curve->isCircle())
                {
                    access.Release();
                    return S_OK;
                }
                const std::vector<double> circle = curve->circleParams();
                if (edgeValues.size() != 11 || circle.size() != 7)
                {
                    ReportPublishError(kThreadStep);
                    access.Release();
                    continue;
                }

                WriteBlackLines(*segment_);
                TK_Linear_Pattern& pattern = segment_->getLinePatternHandler();
                pattern.SetPattern(2);
                pattern.serialize(0);

                // A thread drawn inside its own edge would vanish in it.
                const double radius = circle[6];
                if (setting == 1 && diameter < 2.0 * radius)
                    diameter = radius * 2.2;
                WriteThreadCircle(circle.data(), edgeValues.data(), diameter);
                access.Release();
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
    const Point3 centre = PointAt(circle);
    const Point3 axis = PointAt(circle + 3);
    const double radius = circle[6];
    const double half = diameter / 2.0;
    const Point3 fromCentre = PointAt(point) - centre;
    const Point3 normal = geometry_writer::Cross(axis, fromCentre);
    const double length = Length(normal);
    // A circle of no radius, or a point on its axis, gives no plane and no
    // direction to scale along: nothing is drawn rather than points that
    // are not numbers.
    if (radius == 0.0 || !std::isfinite(radius) || !std::isfinite(half) || !(length > 0.0) ||
        !std::isfinite(length))
        return S_OK;

    const Point3 start = centre + fromCentre * (half / radius);
    const Point3 opposite = centre * 2.0 - start;
    const Point3 across = geometry_writer::Direction(normal, length) * half;
    const Point3 one = centre + across;
    const Point3 other = centre - across;
    WriteArc(start.data(), one.data(), opposite.data());
    WriteArc(start.data(), other.data(), opposite.data());
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
            // values (the point count third), then the points.
            const int splineCount = sketch->splineCount();
            if (splineCount > 0)
            {
                const int dataSize = sketch->splineDataSize();
                std::size_t offset = 0;
                for (int s = 0; s < splineCount; ++s)
                {
                    const std::vector<double> data = sketch->splineData();
                    if (data.empty())
                        return S_OK;
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

            // Arcs through the point of the circle above their chord's
            // middle.
            const int arcCount = sketch->arcCount();
            if (arcCount > 0)
            {
                const std::vector<double> arcs = sketch->arcs();
                if (!RecordsFit(arcs.size(), arcCount, kSketchArcSize))
                    ReportPublishError(kSketchStep);
                else
                    for (int i = 0; i < arcCount; ++i)
                    {
                        const double* record =
                            arcs.data() + static_cast<std::size_t>(i) * kSketchArcSize;
                        const Point3 start = PointAt(record + 6);
                        const Point3 end = PointAt(record + 9);
                        const Point3 centre = PointAt(record + 12);
                        const Point3 chordMiddle = (start + end) * 0.5;
                        const Point3 offset = chordMiddle - centre;
                        const double length = Length(offset);
                        // A half circle's chord passes through the centre:
                        // its middle point is not determined, and the arc is
                        // left out rather than written through no point.
                        if (!(length > 0.0) || !std::isfinite(length))
                            continue;
                        const Point3 middle = centre + geometry_writer::Direction(offset, length) *
                                                           Length(start - centre);
                        TK_Circle& arc = segment.getCircularArcHandler();
                        arc.SetPoints(Floats(start).data(), Floats(middle).data(),
                                      Floats(end).data());
                        arc.serialize(0);
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
        for (std::size_t r = 0; r < 3; ++r)
        {
            for (std::size_t c = 0; c < 3; ++c)
                matrix[4 * r + c] = static_cast<float>(scale * t[3 * r + c]);
            matrix[12 + r] = static_cast<float>(t[9 + r]);
        }
    }
    catch (...)
    {
        // The caller tests the result: a failure means "no placement".
        return E_FAIL;
    }
    return S_OK;
}
