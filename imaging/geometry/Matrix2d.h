#pragma once
// A 3 by 3 matrix of doubles, row by row: m[0] m[1] m[2] / m[3] m[4] m[5] /
// m[6] m[7] m[8]. m[0], m[1], m[3], m[4] are the linear part, m[2] and m[5]
// the translation, the third row the projective row; (0, 0, 1) there makes
// the matrix affine. Points are columns (x, y, 1), so A x B applies B first.
namespace Omvi
{

class Point2d;
class Vector2d;

class Matrix2d
{
public:
    // A matrix whose determinant is at most this (in magnitude) is treated
    // as singular: it would send a whole axis onto a line or a point, and
    // its inverse would carry infinities or NaN into pixel positions.
    static constexpr double kSingularDeterminant = 1e-10;

    // The identity.
    Matrix2d() = default;
    Matrix2d(double m0, double m1, double m2, double m3, double m4, double m5, double m6, double m7,
             double m8)
        : m{m0, m1, m2, m3, m4, m5, m6, m7, m8}
    {
    }

    // The projective row is exactly (0, 0, 1).
    bool isAffine() const { return m[6] == 0.0 && m[7] == 0.0 && m[8] == 1.0; }

    Matrix2d& setIdentity();
    // This matrix becomes a x b; either may be this matrix itself.
    Matrix2d& multiply(const Matrix2d& a, const Matrix2d& b);
    // `product` becomes a x b (it may be a or b).
    static void multiply(const Matrix2d& a, const Matrix2d& b, Matrix2d& product);
    // The determinant of the whole 3 by 3 matrix.
    double determinant() const;
    // Inverts in place by cofactors over the determinant. A singular matrix
    // (|determinant| <= kSingularDeterminant, or not a finite one) is left
    // unchanged and the answer is false.
    bool inverse();
    // The identity with the translation (v.x, v.y).
    Matrix2d& setTranslation(const Vector2d& v);
    static Matrix2d translation(const Vector2d& v);
    // Turns by `angle` radians about `center`: T(center) x R x T(-center),
    // with R the linear part (cos, -sin / sin, cos). On the screen (rows
    // running down) a positive angle turns clockwise.
    static Matrix2d rotationAbout(double angle, const Point2d& center);
    // The map that sends origin1 + u * axisA1 + v * axisB1 to
    // origin2 + u * axisA2 + v * axisB2 for every u and v (F2 x F1^-1, each
    // F holding the columns axisA, axisB, origin over the row (0, 0, 1)).
    // False, and `map` unchanged, when the first frame is singular.
    static bool frameToFrame(const Point2d& origin1, const Vector2d& axisA1, const Vector2d& axisB1,
                             const Point2d& origin2, const Vector2d& axisA2, const Vector2d& axisB2,
                             Matrix2d& map);

    double m[9] = {1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0};
};

} // namespace Omvi
