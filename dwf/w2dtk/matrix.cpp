#include "dwf/w2dtk/matrix.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/point_transform.h"

template <int N> WT_Result WT_Square_Matrix<N>::serialize(WT_File& file) const
{
    WT_CHECK(file.write("("));
    for (int row = 0; row < N; ++row)
    {
        if (row > 0 && !file.binary_output())
        {
            WT_CHECK(file.write_tab_level());
            WT_CHECK(file.write("\t\t"));
        }
        WT_CHECK(file.write("("));
        for (int column = 0; column < N; ++column)
        {
            if (column > 0)
                WT_CHECK(file.write(" "));
            WT_CHECK(file.write_ascii((*this)(row, column)));
        }
        WT_CHECK(file.write(")"));
    }
    return file.write(")");
}

template <int N> WT_Result WT_Square_Matrix<N>::materialize(WT_File& file)
{
    // Stages: 0 the outer "(", then per row an opening "(", N numbers and the
    // closing ")", and last the outer ")".
    constexpr int Per_Row = N + 2;
    constexpr int Last = 1 + N * Per_Row;
    auto expect = [&file](char wanted)
    {
        WT_CHECK(file.skip_whitespace());
        std::uint8_t c = 0;
        WT_CHECK(file.read_byte(c));
        return c == std::uint8_t(wanted) ? WT_Result_Success : WT_Result_Corrupt_Stream;
    };
    while (m_stage <= Last)
    {
        WT_Result result;
        if (m_stage == 0)
            result = expect('(');
        else if (m_stage == Last)
            result = expect(')');
        else
        {
            int const row = (m_stage - 1) / Per_Row;
            int const step = (m_stage - 1) % Per_Row;
            if (step == 0)
                result = expect('(');
            else if (step == Per_Row - 1)
                result = expect(')');
            else
                result = file.read_ascii((*this)(row, step - 1));
        }
        if (result == WT_Result_Corrupt_Stream)
            m_stage = 0;
        WT_CHECK(result);
        ++m_stage;
    }
    m_stage = 0;
    return WT_Result_Success;
}

template class WT_Square_Matrix<3>;
template class WT_Square_Matrix<4>;

void wt_rotate_matrix(WT_Matrix& m, int rotation)
{
    double const top = double(WT_Max_Coordinate);
    WT_Matrix const old = m;
    switch (rotation)
    {
    case 0:
        return;
    case 90:
        m.element(0) = -old.element(1);
        m.element(4) = -old.element(5);
        m.element(8) = -old.element(9);
        m.element(12) = top - old.element(13);
        m.element(1) = old.element(0);
        m.element(5) = old.element(4);
        m.element(9) = old.element(8);
        m.element(13) = old.element(12);
        return;
    case 180:
        for (int i : {0, 4, 8, 1, 5, 9})
            m.element(i) = -old.element(i);
        m.element(12) = top - old.element(12);
        m.element(13) = top - old.element(13);
        return;
    case 270:
        m.element(0) = old.element(1);
        m.element(4) = old.element(5);
        m.element(8) = old.element(9);
        m.element(12) = old.element(13);
        m.element(1) = -old.element(0);
        m.element(5) = -old.element(4);
        m.element(9) = -old.element(8);
        m.element(13) = top - old.element(12);
        return;
    default:
        throw WT_Result_Not_Available;
    }
}
