#pragma once
// A 3 by 3 matrix of doubles, row by row: m[0] m[1] m[2] / m[3] m[4] m[5] /
// m[6] m[7] m[8]. m[0], m[1], m[3], m[4] are the linear part, m[2] and m[5]
// the translation, the third row the projective row; (0, 0, 1) there makes
// the matrix affine. Points are columns (x, y, 1).
namespace Omvi
{

class Matrix2d
{
public:
    // The identity.
    Matrix2d() = default;
    Matrix2d(double m0, double m1, double m2, double m3, double m4, double m5, double m6, double m7,
             double m8)
        : m{m0, m1, m2, m3, m4, m5, m6, m7, m8}
    {
    }

    // The projective row is exactly (0, 0, 1).
    bool isAffine() const { return m[6] == 0.0 && m[7] == 0.0 && m[8] == 1.0; }

    double m[9] = {1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0};
};

} // namespace Omvi
