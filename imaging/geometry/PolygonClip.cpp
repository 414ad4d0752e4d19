// Bounding boxes and polygon clipping for PixelRect.
#include "imaging/geometry/PixelRect.h"
#include "imaging/geometry/Point2d.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace Omvi
{

namespace
{
std::int32_t truncatedToInt(double value)
{
    const double limited = std::clamp(std::trunc(value), static_cast<double>(std::numeric_limits<std::int32_t>::min()),
                                      static_cast<double>(std::numeric_limits<std::int32_t>::max()));
    return static_cast<std::int32_t>(limited);
}

// One edge of the window as a half-plane: the side a point must be on, and
// where a segment crosses the boundary line.
struct Boundary
{
    int axis;      // 0: x, 1: y
    double limit;  // the line x = limit or y = limit
    bool keepLess; // inside is coordinate <= limit (else >= limit)

    bool inside(const Point2d& p) const
    {
        const double value = axis == 0 ? p.x : p.y;
        return keepLess ? value <= limit : value >= limit;
    }
    Point2d crossing(const Point2d& a, const Point2d& b) const
    {
        if (axis == 0)
        {
            const double t = (limit - a.x) / (b.x - a.x);
            return Point2d(limit, a.y + t * (b.y - a.y));
        }
        const double t = (limit - a.y) / (b.y - a.y);
        return Point2d(a.x + t * (b.x - a.x), limit);
    }
};

// Cuts the closed polygon `in` by one half-plane into `out`. A convex
// polygon stays the exact intersection, so a polygon wholly outside the
// window leaves nothing (no vertices on the window's corners).
void clipBy(const Boundary& boundary, const std::vector<Point2d>& in, std::vector<Point2d>& out)
{
    out.clear();
    const std::size_t count = in.size();
    for (std::size_t i = 0; i < count; ++i)
    {
        const Point2d& current = in[i];
        const Point2d& previous = in[(i + count - 1) % count];
        const bool currentInside = boundary.inside(current);
        const bool previousInside = boundary.inside(previous);
        if (currentInside)
        {
            if (!previousInside)
                out.push_back(boundary.crossing(previous, current));
            out.push_back(current);
        }
        else if (previousInside)
        {
            out.push_back(boundary.crossing(previous, current));
        }
    }
}
} // namespace

PixelRect PixelRect::boundingBox(int count, const PixelPair* points)
{
    if (count < 1 || points == nullptr)
        return PixelRect{};
    PixelRect box{points[0].x, points[0].y, points[0].x, points[0].y};
    for (int i = 1; i < count; ++i)
    {
        box.x0 = std::min(box.x0, points[i].x);
        box.y0 = std::min(box.y0, points[i].y);
        box.x1 = std::max(box.x1, points[i].x);
        box.y1 = std::max(box.y1, points[i].y);
    }
    return box;
}

bool PixelRect::clipPolygon(int count, const Point2d* points, PixelRect& result) const
{
    if (count < 1 || points == nullptr)
        return false;
    if (count > 1 && points[count - 1].isEqual(points[0]))
        --count;
    std::vector<Point2d> polygon(points, points + count);
    for (const Point2d& p : polygon)
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return false;

    const Boundary window[4] = {{0, static_cast<double>(x0), false},
                                {0, static_cast<double>(x1), true},
                                {1, static_cast<double>(y0), false},
                                {1, static_cast<double>(y1), true}};
    std::vector<Point2d> clipped;
    clipped.reserve(static_cast<std::size_t>(3 * count + 3));
    for (const Boundary& boundary : window)
    {
        clipBy(boundary, polygon, clipped);
        polygon.swap(clipped);
        if (polygon.empty())
            return false;
    }
    if (polygon.size() <= 2)
        return false;

    double minX = polygon[0].x, minY = polygon[0].y, maxX = polygon[0].x, maxY = polygon[0].y;
    for (const Point2d& p : polygon)
    {
        minX = std::min(minX, p.x);
        minY = std::min(minY, p.y);
        maxX = std::max(maxX, p.x);
        maxY = std::max(maxY, p.y);
    }
    result = PixelRect{truncatedToInt(minX), truncatedToInt(minY), roundToInt(maxX), roundToInt(maxY)};
    return true;
}

} // namespace Omvi
