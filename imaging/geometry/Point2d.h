#pragma once
// A position in the plane: a plain value without virtual operations.
#include "imaging/geometry/Vector2d.h"

#include <cstdint>

namespace Omvi
{

class Matrix2d;

class Point2d
{
public:
    Point2d() = default;
    Point2d(std::int32_t px, std::int32_t py) : x(px), y(py) {}
    Point2d(double px, double py) : x(px), y(py) {}

    // The full affine map (translation included); a projective matrix also
    // divides by m6*x + m7*y + m8.
    Point2d& transformBy(const Matrix2d& matrix);
    Vector2d operator-(const Point2d& other) const;
    Point2d operator+(const Vector2d& offset) const;
    // Both coordinates closer than the tolerance (strict).
    bool isEqual(const Point2d& other) const;

    double x = 0.0;
    double y = 0.0;
};

} // namespace Omvi
