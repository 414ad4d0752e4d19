#pragma once
// A direction in the plane. Every comparison and snap uses the absolute
// tolerance kTolerance, which is what lets rotations by multiples of pi/2
// land exactly on the axes (a vector turned by pi/2 becomes (0, 1), not
// (6e-17, 1)), so the placement code can tell axis-aligned placements from
// rotated ones with exact comparisons afterwards.
namespace Omvi
{

class Point2d;
class Matrix2d;

class Vector2d
{
public:
    static constexpr double kTolerance = 1e-10;

    // The zero vector.
    Vector2d();
    Vector2d(double x, double y);
    Vector2d(const Vector2d& other);
    virtual ~Vector2d();

    virtual void set(double x, double y);
    virtual Vector2d& operator=(const Vector2d& other);
    // The linear part only (a vector takes no translation); a projective
    // matrix also divides by m6*x + m7*y + m8.
    virtual Vector2d& transformBy(const Matrix2d& matrix);
    // Turns counter-clockwise; components below the tolerance become 0. An
    // angle of exactly 0 changes nothing.
    virtual Vector2d& rotateBy(double radians);
    virtual double length() const;
    // The direction in [0, 2*pi); the zero vector answers pi/2.
    virtual double angle() const;
    // The unsigned angle between the two directions, in [0, pi]; 0 when
    // either vector has no length.
    virtual double angleTo(const Vector2d& other) const;
    // The counter-clockwise angle from this direction to the other's, in
    // [0, 2*pi).
    virtual double angleFrom(const Vector2d& other) const;
    // Scales to length 1 and snaps near-axis results onto the axis; a vector
    // of length at most the tolerance is left unchanged.
    virtual Vector2d& normalize();
    // What normalize would make, as a new vector; the zero vector gives the
    // zero vector.
    virtual Vector2d normal() const;
    virtual Vector2d& negate();
    // This vector turned by +pi/2.
    virtual Vector2d perpendicular() const;
    virtual double dotProduct(const Vector2d& other) const;
    virtual bool isCodirectionalTo(const Vector2d& other) const;
    virtual bool isParallelTo(const Vector2d& other) const;
    // Within the tolerance, inclusive (operator== is strict).
    virtual bool isEqualTo(const Vector2d& other) const;
    // A vector of the same length along the nearest axis; a tie between |x|
    // and |y| goes to the x axis.
    virtual Vector2d axisAligned() const;
    virtual Point2d operator-(const Point2d& point) const;
    virtual Vector2d operator-(const Vector2d& other) const;
    virtual Vector2d operator-() const;
    virtual Vector2d& operator-=(const Vector2d& other);
    virtual Vector2d operator+(const Vector2d& other) const;
    virtual Point2d operator+(const Point2d& point) const;
    virtual Vector2d& operator+=(const Vector2d& other);
    virtual Vector2d operator*(double factor) const;
    virtual Vector2d& operator*=(double factor);
    // One division, then two products.
    virtual Vector2d operator/(double divisor) const;
    virtual Vector2d& operator/=(double divisor);
    virtual bool operator==(const Vector2d& other) const;
    virtual bool operator!=(const Vector2d& other) const;

    double x = 0.0;
    double y = 0.0;
};

} // namespace Omvi
