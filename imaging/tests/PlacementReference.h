#pragma once
// Placements worked out pixel by pixel for the tests, independently of the
// placement's chain: every destination pixel is carried back through the
// parallelogram (origin + u * width axis + v * height axis, solved by
// Cramer's rule) to a position in the source, which is then sampled.
#include "PixelGrids.h"

#include <cmath>
#include <cstdint>

namespace OmviTest
{

struct Parallelogram
{
    double originX = 0, originY = 0;
    double widthX = 0, widthY = 0;   // where the source's width lands
    double heightX = 0, heightY = 0; // where its height lands
};

// The source position (in pixels of a W x H source) of destination point
// (qx, qy).
inline void sourcePosition(const Parallelogram& p, int sourceW, int sourceH, double qx, double qy, double& sx,
                           double& sy)
{
    const double det = p.widthX * p.heightY - p.widthY * p.heightX;
    const double dx = qx - p.originX;
    const double dy = qy - p.originY;
    sx = (dx * p.heightY - dy * p.heightX) / det * sourceW;
    sy = (p.widthX * dy - p.widthY * dx) / det * sourceH;
}

// Each destination pixel shows the source pixel under its centre, or
// `clear` outside the source.
inline Grid nearestPlacement(const Grid& source, const Parallelogram& p, int width, int height, std::uint64_t clear)
{
    const int sourceW = static_cast<int>(source[0].size());
    const int sourceH = static_cast<int>(source.size());
    return gridOf(width, height, [&](int x, int y) {
        double sx = 0, sy = 0;
        sourcePosition(p, sourceW, sourceH, x + 0.5, y + 0.5, sx, sy);
        const double fx = std::floor(sx), fy = std::floor(sy);
        if (fx < 0 || fy < 0 || fx >= sourceW || fy >= sourceH)
            return clear;
        return source[std::size_t(fy)][std::size_t(fx)];
    });
}

// The same, interpolating the four source pixels around the position
// (pixel centres at half-integers), edges held; NaN-free for positions
// inside the source.
inline double bilinearAt(const Grid& source, double sx, double sy)
{
    const int sourceW = static_cast<int>(source[0].size());
    const int sourceH = static_cast<int>(source.size());
    const double px = sx - 0.5, py = sy - 0.5;
    const int x0 = static_cast<int>(std::floor(px)), y0 = static_cast<int>(std::floor(py));
    const double fx = px - x0, fy = py - y0;
    const auto at = [&](int x, int y) {
        x = x < 0 ? 0 : x >= sourceW ? sourceW - 1 : x;
        y = y < 0 ? 0 : y >= sourceH ? sourceH - 1 : y;
        return static_cast<double>(source[std::size_t(y)][std::size_t(x)]);
    };
    return (1 - fy) * ((1 - fx) * at(x0, y0) + fx * at(x0 + 1, y0)) +
           fy * ((1 - fx) * at(x0, y0 + 1) + fx * at(x0 + 1, y0 + 1));
}

} // namespace OmviTest
