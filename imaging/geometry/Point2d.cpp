#include "imaging/geometry/Point2d.h"

#include "imaging/geometry/Matrix2d.h"

#include <cmath>

namespace Omvi
{

Point2d& Point2d::transformBy(const Matrix2d& matrix)
{
    const double* m = matrix.m;
    const double tx = m[0] * x + m[1] * y + m[2];
    const double ty = m[3] * x + m[4] * y + m[5];
    if (matrix.isAffine())
    {
        x = tx;
        y = ty;
    }
    else
    {
        const double w = 1.0 / (m[6] * x + m[7] * y + m[8]);
        x = tx * w;
        y = ty * w;
    }
    return *this;
}

Vector2d Point2d::operator-(const Point2d& other) const
{
    return Vector2d(x - other.x, y - other.y);
}

Point2d Point2d::operator+(const Vector2d& offset) const
{
    return Point2d(x + offset.x, y + offset.y);
}

bool Point2d::isEqual(const Point2d& other) const
{
    return std::fabs(x - other.x) < Vector2d::kTolerance &&
           std::fabs(y - other.y) < Vector2d::kTolerance;
}

} // namespace Omvi
