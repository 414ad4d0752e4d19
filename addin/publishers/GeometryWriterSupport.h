#pragma once
// What the parts of the geometry writer share: points in space, segments
// closed on every way out, steps guarded with their own message box, and
// walks over the host's linked lists that never visit an object twice.
#include "addin/ErrorReport.h"
#include "addin/publishers/UnitVector.h"
#include "dwf/publisher/model/Segment.h"
#include "dwf/w3dtk/geometry/shell.h"
#include "dwf/w3dtk/records/attributes.h"
#include "dwf/w3dtk/records/color.h"
#include "dwf/w3dtk/records/color_values.h"
#include "dwf/w3dtk/records/curves.h"
#include "dwf/w3dtk/records/heuristics.h"
#include "dwf/w3dtk/records/nurbs_curve.h"
#include "dwf/w3dtk/records/visibility.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <unordered_set>
#include <utility>

namespace geometry_writer
{

// A point or a vector in space.
struct Point3
{
    std::array<double, 3> xyz{};
    double& operator[](std::size_t i) { return xyz[i]; }
    double operator[](std::size_t i) const { return xyz[i]; }
    const double* data() const { return xyz.data(); }
};

inline Point3 PointAt(const double* values)
{
    return {{values[0], values[1], values[2]}};
}

inline Point3 operator+(const Point3& a, const Point3& b)
{
    return {{a[0] + b[0], a[1] + b[1], a[2] + b[2]}};
}

inline Point3 operator-(const Point3& a, const Point3& b)
{
    return {{a[0] - b[0], a[1] - b[1], a[2] - b[2]}};
}

inline Point3 operator*(const Point3& a, double s)
{
    return {{a[0] * s, a[1] * s, a[2] * s}};
}

inline Point3 Cross(const Point3& a, const Point3& b)
{
    return {{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]}};
}

// The Euclidean length, also of vectors whose squared length would
// overflow or underflow a double: the components are scaled by the largest
// of them first. Infinite for an infinite component, not a number for a
// component that is not one.
inline double Length(const Point3& a)
{
    const double x = std::fabs(a[0]);
    const double y = std::fabs(a[1]);
    const double z = std::fabs(a[2]);
    if (std::isnan(x) || std::isnan(y) || std::isnan(z))
        return std::numeric_limits<double>::quiet_NaN();
    const double largest = std::max(x, std::max(y, z));
    if (largest == 0.0 || std::isinf(largest))
        return largest;
    const double u = x / largest;
    const double v = y / largest;
    const double w = z / largest;
    return largest * std::sqrt(u * u + v * v + w * w);
}

// `a` scaled to length 1 to full precision, however long or short it is
// (see unit_vector::Of); nothing for a vector of no length or with a
// component that is not a finite number.
inline std::optional<Point3> Unit(const Point3& a)
{
    const auto unit = unit_vector::Of(a[0], a[1], a[2]);
    if (!unit)
        return std::nullopt;
    return Point3{*unit};
}

constexpr double kTwoPi = 6.283185307179586;
// Coordinates, lengths and angles closer than this count as the same.
constexpr double kTolerance = 1e-6;

// Two points that are one: within kTolerance in each coordinate.
inline bool Coincide(const Point3& a, const Point3& b)
{
    return std::fabs(a[0] - b[0]) < kTolerance && std::fabs(a[1] - b[1]) < kTolerance &&
           std::fabs(a[2] - b[2]) < kTolerance;
}

inline std::array<float, 3> Floats(const Point3& a)
{
    return {static_cast<float>(a[0]), static_cast<float>(a[1]), static_cast<float>(a[2])};
}

// Whether every value is a finite number (doubles of the host, or floats
// made for a stream).
template <class Value> bool AllFinite(const Value* values, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(values[i]))
            return false;
    return true;
}

// Whether single precision carries every value: a model stream holds floats,
// and a value that rounds to infinity there (or is no number at all) must not
// reach it.
inline bool FitFloats(const double* values, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(static_cast<float>(values[i])))
            return false;
    return true;
}

inline bool FitFloats(const Point3& a)
{
    return FitFloats(a.data(), 3);
}

template <std::size_t N> bool FitFloats(const std::array<Point3, N>& points)
{
    for (const Point3& point : points)
        if (!FitFloats(point))
            return false;
    return true;
}

// Closes an open segment when the scope is left without Close (a step gave
// up half way), so that the stream's segments stay balanced. A failure of
// that late close is swallowed: the failure that ended the scope is the one
// being reported.
class SegmentScope
{
public:
    explicit SegmentScope(DWFToolkit::DWFSegment& segment) : segment_(segment) {}
    ~SegmentScope()
    {
        if (!segment_.isOpen())
            return;
        try
        {
            segment_.close();
        }
        catch (...)
        {
        }
    }
    SegmentScope(const SegmentScope&) = delete;
    SegmentScope& operator=(const SegmentScope&) = delete;

    // The close whose failure counts.
    void Close() { segment_.close(); }

private:
    DWFToolkit::DWFSegment& segment_;
};

// Runs one step that is guarded on its own: a failure shows the step's
// message box ("... The error occurred in <where>.") and answers false, and
// the caller goes on.
template <class Step> bool Guarded(const char* where, Step&& step, bool period = true)
{
    try
    {
        std::forward<Step>(step)();
        return true;
    }
    catch (...)
    {
        ReportPublishError(where, period);
        return false;
    }
}

// Remembers the objects of one walk over a host list (next face, next
// feature): a list that comes back to an object already walked ends there
// instead of going round for ever.
template <class Object> class WalkOnce
{
public:
    // True the first time `object` is met.
    bool First(Object* object) { return seen_.insert(object).second; }

private:
    std::unordered_set<Object*> seen_;
};

} // namespace geometry_writer
