#include "addin/publishers/StreamRange.h"

#include <algorithm>
#include <cmath>

namespace w2dout
{

namespace
{
// The box of positions that truncate into the signed 32-bit range: from the
// double next above -2^31 - 1 to the one next below 2^31 (doubles lie 2^-21
// and 2^-22 apart there).
constexpr double kLow = -2147483649.0 + 0x1p-21;
constexpr double kHigh = 2147483648.0 - 0x1p-22;

// One side of the box in the clip of a segment (Liang and Barsky): narrows
// [t0, t1] to the part of the segment where p·t <= q; false when nothing of
// it is left.
bool Narrow(double p, double q, double& t0, double& t1)
{
    if (p == 0.0)
        return q >= 0.0;
    const double t = q / p;
    if (p < 0.0)
    {
        if (t > t1)
            return false;
        t0 = std::max(t0, t);
    }
    else
    {
        if (t < t0)
            return false;
        t1 = std::min(t1, t);
    }
    return true;
}

// A point worked out on the box's edge, kept there against rounding.
SheetPosition OnBox(double x, double y)
{
    return SheetPosition(std::clamp(x, kLow, kHigh), std::clamp(y, kLow, kHigh));
}

// The parameters, counted from `from` toward `to` (both in halves), between
// which the segment lies in the box; false when no part of it does.
bool Span(const SheetPosition& from, const SheetPosition& to, double& t0, double& t1)
{
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    t0 = 0.0;
    t1 = 1.0;
    return Narrow(-dx, from.x - kLow / 2, t0, t1) && Narrow(dx, kHigh / 2 - from.x, t0, t1) &&
           Narrow(-dy, from.y - kLow / 2, t0, t1) && Narrow(dy, kHigh / 2 - from.y, t0, t1);
}

// The point at parameter `t` from `from` toward `to` (in halves), in whole
// units and kept in the box.
SheetPosition At(const SheetPosition& from, const SheetPosition& to, double t)
{
    return OnBox(2 * (from.x + t * (to.x - from.x)), 2 * (from.y + t * (to.y - from.y)));
}

// Cuts the segment from `a` to `b` (both finite) to the box, along its own
// line; false when no part of it lies in the box. Tells which ends were
// moved onto the box's edge.
//
// An end is cut when it lies outside the box, whatever its parameter rounds
// to: an end 1e32 away gives the near edge a parameter that rounds to 0 or 1.
// Each cut point is worked out from the end nearer to it, whose parameter is
// small and keeps the precision that a parameter near 1 has lost.
bool ClipSegment(SheetPosition& a, SheetPosition& b, bool& startCut, bool& endCut)
{
    // In halves, so that the difference of two far-apart points stays finite.
    const SheetPosition fromA(a.x / 2, a.y / 2);
    const SheetPosition fromB(b.x / 2, b.y / 2);
    double t0, t1; // from a
    double s0, s1; // from b
    if (!Span(fromA, fromB, t0, t1) || !Span(fromB, fromA, s0, s1))
        return false;
    // An end inside the box stays exactly as it was.
    startCut = !InStreamRange(a);
    endCut = !InStreamRange(b);
    if (endCut)
        b = s0 <= 0.5 ? At(fromB, fromA, s0) : At(fromA, fromB, t1);
    if (startCut)
        a = t0 <= 0.5 ? At(fromA, fromB, t0) : At(fromB, fromA, s1);
    return true;
}

bool AllFinite(const std::vector<SheetPosition>& points)
{
    return std::all_of(points.begin(), points.end(),
                       [](const SheetPosition& p) { return IsFinite(p); });
}
} // namespace

bool InStreamRange(double value)
{
    return value >= kLow && value <= kHigh;
}

bool InStreamRange(const SheetPosition& position)
{
    return InStreamRange(position.x) && InStreamRange(position.y);
}

WT_Logical_Point ToLogical(const SheetPosition& position)
{
    return WT_Logical_Point(static_cast<std::int32_t>(position.x),
                            static_cast<std::int32_t>(position.y));
}

bool IsFinite(const SheetPosition& position)
{
    return std::isfinite(position.x) && std::isfinite(position.y);
}

std::vector<std::vector<WT_Logical_Point>> ClipPolyline(const std::vector<SheetPosition>& points)
{
    std::vector<std::vector<WT_Logical_Point>> parts;
    if (!AllFinite(points))
        return parts;
    std::vector<WT_Logical_Point> part;
    const auto endPart = [&]
    {
        if (part.size() >= 2)
            parts.push_back(std::move(part));
        part.clear();
    };
    for (std::size_t i = 1; i < points.size(); ++i)
    {
        SheetPosition a = points[i - 1];
        SheetPosition b = points[i];
        bool startCut = false;
        bool endCut = false;
        if (!ClipSegment(a, b, startCut, endCut))
        {
            endPart();
            continue;
        }
        // A segment that enters the range begins a new part; one that stays
        // in it goes on from where the last one ended.
        if (startCut || part.empty())
        {
            endPart();
            part.push_back(ToLogical(a));
        }
        part.push_back(ToLogical(b));
        if (endCut)
            endPart();
    }
    endPart();
    return parts;
}

std::vector<WT_Logical_Point> ClipPolygon(const std::vector<SheetPosition>& points)
{
    if (!AllFinite(points))
        return {};
    // Cut by each side of the box in turn (Sutherland and Hodgman), in halves
    // as segments are.
    std::vector<SheetPosition> ring;
    ring.reserve(points.size());
    for (const SheetPosition& p : points)
        ring.emplace_back(p.x / 2, p.y / 2);
    for (int side = 0; side < 4 && !ring.empty(); ++side)
    {
        const bool vertical = side < 2;
        const double edge = (side % 2 == 0 ? kLow : kHigh) / 2;
        const auto inside = [&](const SheetPosition& p)
        {
            const double v = vertical ? p.x : p.y;
            return side % 2 == 0 ? v >= edge : v <= edge;
        };
        // Where the edge between a point inside and one outside crosses
        // this side, worked out from the one inside, so that a point far
        // outside costs the crossing none of its precision.
        const auto crossing = [&](const SheetPosition& in, const SheetPosition& out)
        {
            if (vertical)
                return SheetPosition(edge, in.y + (edge - in.x) / (out.x - in.x) * (out.y - in.y));
            return SheetPosition(in.x + (edge - in.y) / (out.y - in.y) * (out.x - in.x), edge);
        };
        std::vector<SheetPosition> kept;
        kept.reserve(ring.size() + 4);
        for (std::size_t i = 0; i < ring.size(); ++i)
        {
            const SheetPosition& previous = ring[i == 0 ? ring.size() - 1 : i - 1];
            const SheetPosition& current = ring[i];
            const bool previousInside = inside(previous);
            if (inside(current))
            {
                if (!previousInside)
                    kept.push_back(crossing(current, previous));
                kept.push_back(current);
            }
            else if (previousInside)
                kept.push_back(crossing(previous, current));
        }
        ring.swap(kept);
    }
    if (ring.size() < 3)
        return {};
    std::vector<WT_Logical_Point> clipped;
    clipped.reserve(ring.size());
    for (const SheetPosition& p : ring)
        clipped.push_back(ToLogical(OnBox(2 * p.x, 2 * p.y)));
    return clipped;
}

} // namespace w2dout
