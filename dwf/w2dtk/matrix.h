#pragma once

#include "dwf/w2dtk/result.h"

#include <array>

class WT_File;

// Square matrices of doubles, row-major, written as "((a b c)(d e f)...)".
// A point (x, y, z) maps through the 4 × 4 form to x' = m0·x + m4·y + m8·z +
// m12 and y' = m1·x + m5·y + m9·z + m13, so 12 and 13 translate, 0 and 5 scale.
template <int N> class WT_Square_Matrix
{
public:
    WT_Square_Matrix() { set_to_identity(); }
    explicit WT_Square_Matrix(const std::array<double, N * N>& elements) : m_elements(elements) {}

    void set_to_identity()
    {
        for (int i = 0; i < N * N; ++i)
            m_elements[std::size_t(i)] = (i % (N + 1) == 0) ? 1.0 : 0.0;
    }
    double operator()(int row, int column) const
    {
        return m_elements[std::size_t(row * N + column)];
    }
    double& operator()(int row, int column) { return m_elements[std::size_t(row * N + column)]; }
    double element(int index) const { return m_elements[std::size_t(index)]; }
    double& element(int index) { return m_elements[std::size_t(index)]; }
    const std::array<double, N * N>& elements() const { return m_elements; }

    bool operator==(const WT_Square_Matrix& other) const { return m_elements == other.m_elements; }
    bool operator!=(const WT_Square_Matrix& other) const { return !(*this == other); }

    // ASCII files put every row after the first on a line of its own, two
    // tabs in; binary files keep all rows on one line.
    WT_Result serialize(WT_File& file) const;
    // Resumable: keeps how far it got.
    WT_Result materialize(WT_File& file);

private:
    std::array<double, N * N> m_elements;
    int m_stage = 0;
};

using WT_Matrix = WT_Square_Matrix<4>;
using WT_Matrix_2D = WT_Square_Matrix<3>;

// Rotates a units matrix like the point transform rotates points: by 0, 90,
// 180 or 270 degrees, mirroring against the largest logical coordinate. Any
// other rotation throws WT_Result_Not_Available.
void wt_rotate_matrix(WT_Matrix& matrix, int rotation);
