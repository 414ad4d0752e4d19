#include "imaging/geometry/Vector2d.h"

#include "imaging/geometry/Matrix2d.h"
#include "imaging/geometry/Point2d.h"

#include <cmath>

namespace Omvi
{

namespace
{
constexpr double kPi = 3.14159265358979323846;

// The snapping of normalize and normal: components within the tolerance of
// an axis become exactly 0 and push the other onto +-1.
Vector2d unitOf(double x, double y, double length)
{
    const double inverse = 1.0 / length;
    Vector2d unit(x * inverse, y * inverse);
    const double tolerance = Vector2d::kTolerance;
    if (std::fabs(unit.x) <= tolerance)
    {
        unit.x = 0.0;
        if (std::fabs(unit.y) > tolerance)
            unit.y = unit.y > 0.0 ? 1.0 : -1.0;
    }
    if (std::fabs(unit.y) <= tolerance)
    {
        unit.y = 0.0;
        if (std::fabs(unit.x) > tolerance)
            unit.x = unit.x > 0.0 ? 1.0 : -1.0;
    }
    return unit;
}
} // namespace

Vector2d::Vector2d() = default;

Vector2d::Vector2d(double px, double py) : x(px), y(py) {}

Vector2d::Vector2d(const Vector2d& other) : x(other.x), y(other.y) {}

Vector2d::~Vector2d() = default;

void Vector2d::set(double px, double py)
{
    x = px;
    y = py;
}

Vector2d& Vector2d::operator=(const Vector2d& other)
{
    x = other.x;
    y = other.y;
    return *this;
}

Vector2d& Vector2d::transformBy(const Matrix2d& matrix)
{
    const double* m = matrix.m;
    const double tx = m[0] * x + m[1] * y;
    const double ty = m[3] * x + m[4] * y;
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

Vector2d& Vector2d::rotateBy(double radians)
{
    if (radians == 0.0)
        return *this;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    double rx = x * c - y * s;
    double ry = x * s + y * c;
    if (std::fabs(rx) < kTolerance)
        rx = 0.0;
    if (std::fabs(ry) < kTolerance)
        ry = 0.0;
    x = rx;
    y = ry;
    return *this;
}

double Vector2d::length() const
{
    return std::sqrt(x * x + y * y);
}

double Vector2d::angle() const
{
    if (std::fabs(x) <= kTolerance)
        return y < 0.0 ? 3.0 * kPi / 2.0 : kPi / 2.0;
    double a = std::atan(y / x);
    if (std::fabs(a) <= kTolerance)
        a = 0.0;
    if (x < 0.0)
        a += kPi;
    if (a < 0.0)
        a += 2.0 * kPi;
    return a;
}

double Vector2d::angleTo(const Vector2d& other) const
{
    const double lengths = length() * other.length();
    if (lengths == 0.0)
        return 0.0;
    const double ratio = dotProduct(other) / lengths;
    if (ratio >= 1.0)
        return 0.0;
    if (ratio <= -1.0)
        return kPi;
    return std::acos(ratio);
}

double Vector2d::angleFrom(const Vector2d& other) const
{
    Vector2d turned(other);
    turned.rotateBy(-angle());
    return turned.angle();
}

Vector2d& Vector2d::normalize()
{
    const double len = length();
    if (len <= kTolerance)
        return *this;
    *this = unitOf(x, y, len);
    return *this;
}

Vector2d Vector2d::normal() const
{
    const double len = length();
    if (len == 0.0)
        return Vector2d(0.0, 0.0);
    return unitOf(x, y, len);
}

Vector2d& Vector2d::negate()
{
    x = -x;
    y = -y;
    return *this;
}

Vector2d Vector2d::perpendicular() const
{
    return Vector2d(-y, x);
}

double Vector2d::dotProduct(const Vector2d& other) const
{
    return y * other.y + x * other.x;
}

bool Vector2d::isCodirectionalTo(const Vector2d& other) const
{
    Vector2d a(*this);
    Vector2d b(other);
    a.normalize();
    b.normalize();
    return (a - b).length() <= kTolerance;
}

bool Vector2d::isParallelTo(const Vector2d& other) const
{
    const Vector2d a = normal();
    Vector2d b = other.normal();
    if (a.dotProduct(b) < 0.0)
        b.negate();
    return (a - b).length() <= kTolerance;
}

bool Vector2d::isEqualTo(const Vector2d& other) const
{
    return std::fabs(x - other.x) <= kTolerance && std::fabs(y - other.y) <= kTolerance;
}

Vector2d Vector2d::axisAligned() const
{
    const double len = length();
    if (x >= 0.0 && x >= std::fabs(y))
        return Vector2d(len, 0.0);
    if (x < 0.0 && -x >= std::fabs(y))
        return Vector2d(-len, 0.0);
    if (y > 0.0)
        return Vector2d(0.0, len);
    if (y < 0.0)
        return Vector2d(0.0, -len);
    return Vector2d(0.0, 0.0);
}

Point2d Vector2d::operator-(const Point2d& point) const
{
    return Point2d(x - point.x, y - point.y);
}

Vector2d Vector2d::operator-(const Vector2d& other) const
{
    return Vector2d(x - other.x, y - other.y);
}

Vector2d Vector2d::operator-() const
{
    return Vector2d(-x, -y);
}

Vector2d& Vector2d::operator-=(const Vector2d& other)
{
    x -= other.x;
    y -= other.y;
    return *this;
}

Vector2d Vector2d::operator+(const Vector2d& other) const
{
    return Vector2d(x + other.x, y + other.y);
}

Point2d Vector2d::operator+(const Point2d& point) const
{
    return Point2d(point.x + x, point.y + y);
}

Vector2d& Vector2d::operator+=(const Vector2d& other)
{
    x += other.x;
    y += other.y;
    return *this;
}

Vector2d Vector2d::operator*(double factor) const
{
    return Vector2d(x * factor, y * factor);
}

Vector2d& Vector2d::operator*=(double factor)
{
    x *= factor;
    y *= factor;
    return *this;
}

Vector2d Vector2d::operator/(double divisor) const
{
    const double inverse = 1.0 / divisor;
    return Vector2d(x * inverse, y * inverse);
}

Vector2d& Vector2d::operator/=(double divisor)
{
    const double inverse = 1.0 / divisor;
    x *= inverse;
    y *= inverse;
    return *this;
}

bool Vector2d::operator==(const Vector2d& other) const
{
    return std::fabs(x - other.x) < kTolerance && std::fabs(y - other.y) < kTolerance;
}

bool Vector2d::operator!=(const Vector2d& other) const
{
    return std::fabs(x - other.x) >= kTolerance || std::fabs(y - other.y) >= kTolerance;
}

} // namespace Omvi
