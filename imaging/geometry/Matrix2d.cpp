#include "imaging/geometry/Matrix2d.h"

#include "imaging/geometry/Point2d.h"
#include "imaging/geometry/Vector2d.h"

#include <cmath>

namespace Omvi
{

namespace
{
// The frame matrix: the columns axisA, axisB, origin over (0, 0, 1).
Matrix2d frameMatrix(const Point2d& origin, const Vector2d& axisA, const Vector2d& axisB)
{
    return Matrix2d(axisA.x, axisB.x, origin.x, axisA.y, axisB.y, origin.y, 0.0, 0.0, 1.0);
}
} // namespace

Matrix2d& Matrix2d::setIdentity()
{
    *this = Matrix2d();
    return *this;
}

Matrix2d& Matrix2d::multiply(const Matrix2d& a, const Matrix2d& b)
{
    multiply(a, b, *this);
    return *this;
}

void Matrix2d::multiply(const Matrix2d& a, const Matrix2d& b, Matrix2d& product)
{
    // Computed into a local first, so that `product` may be a or b.
    double result[9];
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            result[row * 3 + column] = a.m[row * 3] * b.m[column] + a.m[row * 3 + 1] * b.m[3 + column] +
                                       a.m[row * 3 + 2] * b.m[6 + column];
    for (int i = 0; i < 9; ++i)
        product.m[i] = result[i];
}

double Matrix2d::determinant() const
{
    return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
           m[2] * (m[3] * m[7] - m[4] * m[6]);
}

bool Matrix2d::inverse()
{
    const double det = determinant();
    if (!std::isfinite(det) || std::fabs(det) <= kSingularDeterminant)
        return false;
    // The adjugate (transposed cofactors) over the determinant.
    const double cofactors[9] = {
        m[4] * m[8] - m[5] * m[7], m[2] * m[7] - m[1] * m[8], m[1] * m[5] - m[2] * m[4],
        m[5] * m[6] - m[3] * m[8], m[0] * m[8] - m[2] * m[6], m[2] * m[3] - m[0] * m[5],
        m[3] * m[7] - m[4] * m[6], m[1] * m[6] - m[0] * m[7], m[0] * m[4] - m[1] * m[3]};
    const double scale = 1.0 / det;
    for (int i = 0; i < 9; ++i)
        m[i] = cofactors[i] * scale;
    return true;
}

Matrix2d& Matrix2d::setTranslation(const Vector2d& v)
{
    setIdentity();
    m[2] = v.x;
    m[5] = v.y;
    return *this;
}

Matrix2d Matrix2d::translation(const Vector2d& v)
{
    Matrix2d result;
    result.setTranslation(v);
    return result;
}

Matrix2d Matrix2d::rotationAbout(double angle, const Point2d& center)
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const Matrix2d turn(c, -s, 0.0, s, c, 0.0, 0.0, 0.0, 1.0);
    Matrix2d result = translation(Vector2d(center.x, center.y));
    result.multiply(result, turn);
    result.multiply(result, translation(Vector2d(-center.x, -center.y)));
    return result;
}

bool Matrix2d::frameToFrame(const Point2d& origin1, const Vector2d& axisA1, const Vector2d& axisB1,
                            const Point2d& origin2, const Vector2d& axisA2, const Vector2d& axisB2,
                            Matrix2d& map)
{
    Matrix2d fromFirst = frameMatrix(origin1, axisA1, axisB1);
    if (!fromFirst.inverse())
        return false;
    map.multiply(frameMatrix(origin2, axisA2, axisB2), fromFirst);
    return true;
}

} // namespace Omvi
