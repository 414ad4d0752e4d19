// The edges of a body as wires: one segment per edge holding a line, a
// circular arc or two, an elliptical arc or a NURBS curve.
#include "addin/publishers/DWF3DGrWriter.h"

#include "addin/ErrorReport.h"
#include "addin/publishers/GeometryWriterSupport.h"
#include "host/Geometry.h"
#include "platform/kernel/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
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
using geometry_writer::SegmentScope;
using geometry_writer::Unit;
using platform::E_FAIL;
using platform::HRESULT;
using platform::S_OK;

namespace
{
const char* const kEdgeStep = "CDWF3DGrWriter::GenerateEdgeFromBody";
const char* const kCircleStep = "CDWF3DGrWriter::GenerateFaceColor";

const char16_t* const kTooLarge = u"its points are too large for single precision";
const char16_t* const kNotFinite = u"its values are not all finite numbers";

constexpr double kPi = 3.141592653589793;
constexpr double kOneOverTwoPi = 0.15915494309189535;

// The largest control-point count and degree a W3D NURBS record carries.
constexpr std::int64_t kMaxControlPoints = 1 << 24;
constexpr std::int64_t kMaxOrder = 256;

// An angle of an elliptical arc brought into one turn: above a turn it is
// taken modulo the turn (a whole number of turns stays one turn), a
// negligible one is 0, a negative one gets one turn added (after whole turns
// below -1 turn were taken off, so that every finite angle lands in a turn).
double OneTurn(double angle)
{
    if (angle > kTwoPi)
    {
        angle = std::fmod(angle, kTwoPi);
        if (angle == 0.0)
            angle = kTwoPi;
    }
    else if (angle < -kTwoPi)
        angle = std::fmod(angle, kTwoPi);
    if (std::fabs(angle) < kTolerance)
        return 0.0;
    if (angle < 0.0)
        angle += kTwoPi;
    return angle;
}

double Negligible(double value)
{
    return std::fabs(value) < kTolerance ? 0.0 : value;
}

// Why an ellipse with these directions and radii draws no ellipse, or
// nothing when it draws one. Directions closer than kTolerance (as the sine
// of their angle) count as parallel.
const char16_t* EllipseFault(double majorRadius, const Point3& major, double minorRadius,
                             const Point3& minor)
{
    const std::optional<Point3> majorUnit = Unit(major);
    const std::optional<Point3> minorUnit = Unit(minor);
    if (!majorUnit)
        return u"its major direction is (0, 0, 0)";
    if (!minorUnit)
        return u"its minor direction is (0, 0, 0)";
    if (majorRadius == 0.0)
        return u"its major radius is 0";
    if (minorRadius == 0.0)
        return u"its minor radius is 0";
    const Point3 across = geometry_writer::Cross(*majorUnit, *minorUnit);
    if (!(Length(across) >= kTolerance))
        return u"its major and minor directions are parallel";
    return nullptr;
}
} // namespace

std::u16string CDWF3DGrWriter::EdgeLabel() const
{
    if (edgeNumber_ < 1)
        return u"An edge";
    if (bodyNumber_ < 1)
        return platform::utf8ToUtf16("Edge " + std::to_string(edgeNumber_));
    return platform::utf8ToUtf16("Edge " + std::to_string(edgeNumber_) + " of body " +
                                 std::to_string(bodyNumber_));
}

void CDWF3DGrWriter::LeaveOutEdge(const char* where, const std::u16string& why) const
{
    ReportPublishError(where, true, EdgeLabel() + u" is left out: " + why);
}

void CDWF3DGrWriter::CrossProduct(const double* a, const double* b, double* out)
{
    if (!a || !b || !out)
        return;
    const Point3 product = geometry_writer::Cross(PointAt(a), PointAt(b));
    out[0] = product[0];
    out[1] = product[1];
    out[2] = product[2];
}

void CDWF3DGrWriter::ScaleVector(double s, const double* v, double* out)
{
    if (!v || !out)
        return;
    for (int i = 0; i < 3; ++i)
        out[i] = s * v[i];
}

void CDWF3DGrWriter::AddVectors(const double* a, const double* b, double* out)
{
    if (!a || !b || !out)
        return;
    for (int i = 0; i < 3; ++i)
        out[i] = a[i] + b[i];
}

HRESULT CDWF3DGrWriter::GenerateEdgeFromBody(host::Body* body)
{
    if (!body)
        return S_OK;
    edgeNumber_ = 0;
    try
    {
        for (host::Edge* edge : body->edges())
        {
            ++edgeNumber_;
            if (!edge)
                continue;
            // One scratch serves every edge; it starts from zeros each time.
            edge_.fill(0.0);
            const std::vector<double> parameters = edge->curveParams();
            if (parameters.size() != edge_.size())
            {
                ReportPublishError("CDWF3DGrWriter::GenerateEdgeFromBody");
                continue;
            }
            std::copy(parameters.begin(), parameters.end(), edge_.begin());

            host::Curve* curve = edge->curve();
            const int kind = curve ? curve->kind() : 0;

            DWFToolkit::DWFSegment edgeSegment = segment_->openSegment();
            edgeSegment.open(nullptr, true);
            SegmentScope edgeScope(edgeSegment);

            TK_Visibility& visibility = edgeSegment.getVisibilityHandler();
            visibility.SetGeometry(1);
            visibility.SetValue(-2);
            visibility.serialize(0);
            TK_Heuristics& heuristics = edgeSegment.getHeuristicsHandler();
            heuristics.SetMask(2);
            heuristics.SetValue(-3);
            heuristics.serialize(0);

            switch (kind)
            {
            case host::kLineCurve:
                WriteLine();
                break;
            case host::kCircleCurve:
                WriteCircularEdge(curve);
                break;
            case host::kEllipseCurve:
                GenerateEllipseWire(curve);
                break;
            case host::kBSplineCurve:
                GenerateBcurveWire(curve);
                break;
            default:
                break;
            }
            edgeScope.Close();
        }
    }
    catch (...)
    {
        ReportPublishError(kEdgeStep);
    }
    edgeNumber_ = 0;
    return S_OK;
}

HRESULT CDWF3DGrWriter::WriteLine()
{
    if (!FitFloats(edge_.data(), 6))
    {
        LeaveOutEdge(kEdgeStep, AllFinite(edge_.data(), 6) ? kTooLarge : kNotFinite);
        return E_FAIL;
    }
    const auto start = Floats(PointAt(edge_.data()));
    const auto end = Floats(PointAt(edge_.data() + 3));
    TK_Line& line = segment_->getLineHandler();
    line.SetPoints(start.data(), end.data());
    line.serialize(0);
    return S_OK;
}

HRESULT CDWF3DGrWriter::WriteArc(const double* start, const double* middle, const double* end)
{
    if (!start || !middle || !end || !FitFloats(start, 3) || !FitFloats(middle, 3) ||
        !FitFloats(end, 3))
        return E_FAIL;
    TK_Circle& arc = segment_->getCircularArcHandler();
    arc.SetPoints(Floats(PointAt(start)).data(), Floats(PointAt(middle)).data(),
                  Floats(PointAt(end)).data());
    arc.serialize(0);
    return S_OK;
}

HRESULT CDWF3DGrWriter::WriteCircularEdge(host::Curve* curve)
{
    static const char* const where = kCircleStep;
    if (!curve)
        return S_OK;
    try
    {
        const std::vector<double> circle = curve->circleParams();
        if (circle.size() != 7)
        {
            ReportPublishError(where);
            return E_FAIL;
        }
        if (!AllFinite(circle.data(), circle.size()) || !AllFinite(edge_.data(), 6))
        {
            LeaveOutEdge(where, kNotFinite);
            return E_FAIL;
        }
        const Point3 centre = PointAt(circle.data());
        const double radius = circle[6];
        const Point3 start = PointAt(edge_.data());
        const Point3 end = PointAt(edge_.data() + 3);
        const Point3 middle = (start + end) * 0.5;
        const Point3 offset = middle - centre;
        double length = Length(offset);
        Point3 onCircle = end;
        if (length >= kTolerance)
            onCircle = centre + offset * (radius / length);
        else
            length = 0.0;

        if (Coincide(start, end) || length == 0.0)
            return WriteCircleArcs(circle.data(), start.data());

        // An arc of more than half a turn passes on the far side of the
        // chord's middle.
        const Point3 through =
            std::fabs(edge_[7] - edge_[6]) <= kPi ? onCircle : centre * 2.0 - onCircle;
        if (WriteArc(start.data(), through.data(), end.data()) != S_OK)
        {
            LeaveOutEdge(where, kTooLarge);
            return E_FAIL;
        }
    }
    catch (...)
    {
        ReportPublishError(where);
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CDWF3DGrWriter::WriteCircleArcs(const double* circle, const double* start)
{
    if (!circle || !start)
        return S_OK;
    const Point3 centre = PointAt(circle);
    const double radius = circle[6];
    const Point3 s = PointAt(start);
    const Point3 opposite = centre * 2.0 - s;
    // The axis is made a unit vector before it is multiplied: the product
    // of a long axis would overflow, that of a subnormal one keep a few bits
    // of its direction or none.
    const std::optional<Point3> axis = Unit(PointAt(circle + 3));
    const std::optional<Point3> across =
        axis ? Unit(geometry_writer::Cross(*axis, s - centre)) : std::nullopt;
    // A start on the axis (or a circle of no axis) gives no plane to draw in.
    if (!across)
    {
        LeaveOutEdge(kCircleStep, u"its start lies on its circle's axis, so its plane is unknown");
        return E_FAIL;
    }
    const Point3 quarter = *across * radius;

    // Both halves of a whole circle are written, or neither.
    const Point3 q = centre + quarter;
    const Point3 other = centre - quarter;
    const bool whole = Coincide(PointAt(edge_.data()), PointAt(edge_.data() + 3));
    if (!FitFloats(std::array<Point3, 3>{s, q, opposite}) || (whole && !FitFloats(other)))
    {
        LeaveOutEdge(kCircleStep, kTooLarge);
        return E_FAIL;
    }
    WriteArc(s.data(), q.data(), opposite.data());
    if (whole)
        WriteArc(s.data(), other.data(), opposite.data());
    return S_OK;
}

HRESULT CDWF3DGrWriter::GenerateEllipseWire(host::Curve* curve)
{
    static const char* const where = "CDWF3DGrWriter::GenerateEllipseWire";
    if (!curve)
        return S_OK;
    try
    {
        const std::vector<double> ellipse = curve->ellipseParams();
        // Infinite or undefined values give no arc (and no endless turn
        // counting).
        if (ellipse.size() != 11)
        {
            ReportPublishError(where);
            return E_FAIL;
        }
        if (!AllFinite(ellipse.data(), ellipse.size()) || !AllFinite(edge_.data() + 6, 2))
        {
            LeaveOutEdge(where, kNotFinite);
            return E_FAIL;
        }
        // An ellipse needs two axes of some length across each other: an
        // arc drawn without one would lie on a line or a point.
        if (const char16_t* fault = EllipseFault(ellipse[3], PointAt(ellipse.data() + 4),
                                                 ellipse[7], PointAt(ellipse.data() + 8)))
        {
            LeaveOutEdge(where, fault);
            return E_FAIL;
        }
        double major[3];
        double minor[3];
        ScaleVector(ellipse[3], ellipse.data() + 4, major);
        AddVectors(ellipse.data(), major, major);
        ScaleVector(ellipse[7], ellipse.data() + 8, minor);
        AddVectors(ellipse.data(), minor, minor);
        if (!FitFloats(ellipse.data(), 3) || !FitFloats(major, 3) || !FitFloats(minor, 3))
        {
            LeaveOutEdge(where, kTooLarge);
            return E_FAIL;
        }
        const auto centre = Floats(PointAt(ellipse.data()));
        const auto majorEnd = Floats(PointAt(major));
        const auto minorEnd = Floats(PointAt(minor));
        if (majorEnd == centre || minorEnd == centre)
        {
            LeaveOutEdge(where, u"its axes are too short for single precision");
            return E_FAIL;
        }

        const double start = Negligible(OneTurn(edge_[6]) * kOneOverTwoPi);
        const double end = Negligible(std::fabs(OneTurn(edge_[7]) * kOneOverTwoPi));

        TK_Ellipse& arc = segment_->getEllipticalArcHandler();
        arc.SetCentre(centre.data());
        arc.SetMajor(majorEnd.data());
        arc.SetMinor(minorEnd.data());
        arc.SetLimits(static_cast<float>(start), static_cast<float>(end));
        arc.serialize(0);
    }
    catch (...)
    {
        ReportPublishError(where);
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CDWF3DGrWriter::GenerateBcurveWire(host::Curve* curve)
{
    static const char* const where = "CDWF3DGrWriter::GenerateBcurveWire";
    if (!curve)
        return S_OK;
    try
    {
        const int size = curve->bsplineSize(0, 1);
        if (size == 0)
            return S_OK;
        const std::vector<double> block = curve->bsplineData();
        if (size < 0 || block.size() != static_cast<std::size_t>(size))
        {
            ReportPublishError(where);
            return E_FAIL;
        }
        // The header is trusted only as far as the block bears it out: the
        // knots and every control point must lie inside the block.
        const host::BsplineHeader header = host::readBsplineHeader(block);
        const std::int64_t stride = header.stride;
        const std::int64_t order = header.order;
        const std::int64_t count = header.count;
        const std::int64_t knots = order + count;
        if ((stride != 3 && stride != 4) || order < 1 || order > kMaxOrder || count < 1 ||
            count > kMaxControlPoints || 2 + knots + stride * count > size)
        {
            ReportPublishError(where);
            return E_FAIL;
        }

        // Knots, points and weights all go into the record as floats.
        if (!FitFloats(block.data() + 2, static_cast<std::size_t>(knots + stride * count)))
        {
            LeaveOutEdge(where, u"its knots, control points or weights are too large for "
                                u"single precision");
            return E_FAIL;
        }
        std::vector<float> knotValues(static_cast<std::size_t>(knots));
        for (std::size_t i = 0; i < knotValues.size(); ++i)
            knotValues[i] = static_cast<float>(block[2 + i]);
        std::vector<float> points(static_cast<std::size_t>(3 * count));
        std::vector<float> weights;
        if (stride == 4)
            weights.resize(static_cast<std::size_t>(count));
        std::size_t at = static_cast<std::size_t>(2 + knots);
        for (std::size_t p = 0; p < static_cast<std::size_t>(count); ++p)
        {
            points[3 * p] = static_cast<float>(block[at]);
            points[3 * p + 1] = static_cast<float>(block[at + 1]);
            points[3 * p + 2] = static_cast<float>(block[at + 2]);
            if (stride == 4)
                weights[p] = static_cast<float>(block[at + 3]);
            at += static_cast<std::size_t>(stride);
        }

        TK_NURBS_Curve& nurbs = segment_->getNURBSCurveHandler();
        nurbs.SetCurve(static_cast<int>(order - 1), static_cast<int>(count), points.data(),
                       weights.empty() ? nullptr : weights.data(), knotValues.data(), 0.0f, 1.0f);
        nurbs.serialize(0);
    }
    catch (...)
    {
        ReportPublishError(where);
        return E_FAIL;
    }
    return S_OK;
}
