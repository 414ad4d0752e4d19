#include "dwf/w3dtk/records/spline_data.h"

#include "dwf/w3dtk/records/record_steps.h"

#include <algorithm>
#include <cstddef>

namespace
{
void copy_or_zero(std::vector<float>& to, const float* from, int count)
{
    to.assign(static_cast<std::size_t>(count), 0.0f);
    if (from && count > 0)
        std::copy(from, from + count, to.begin());
}

void zero_fill(std::vector<float>& values, int count)
{
    if (static_cast<int>(values.size()) != count)
        values.assign(static_cast<std::size_t>(count), 0.0f);
}
} // namespace

void TK_Spline_Data::Clear()
{
    m_degree = 0;
    m_count = 0;
    m_knot_count = 0;
    m_points.clear();
    m_weights.clear();
    m_knots.clear();
}

void TK_Spline_Data::Set(int degree, int count, const float* points, const float* weights,
                         const float* knots)
{
    SetSize(degree, count);
    copy_or_zero(m_points, points, point_floats());
    copy_or_zero(m_weights, weights, weight_count());
    copy_or_zero(m_knots, knots, m_knot_count);
}

void TK_Spline_Data::SetSize(int degree, int count)
{
    m_degree = std::max(0, degree);
    m_count = std::max(0, count);
    // Degree and count are bounded before they are added, so no sum wraps; a
    // curve no record can carry keeps its numbers for the writer to refuse.
    m_knot_count = Carried() ? m_degree + m_count + 1 : 0;
    m_points.clear();
    m_weights.clear();
    m_knots.clear();
}

bool TK_Spline_Data::Carried() const
{
    return m_degree <= Max_Degree && m_count <= BBaseOpcodeHandler::Max_Count;
}

int TK_Spline_Data::point_floats() const
{
    return Carried() ? m_count * m_dimension : 0;
}

int TK_Spline_Data::weight_count() const
{
    return Carried() ? m_count : 0;
}

void TK_Spline_Data::FillMissing()
{
    zero_fill(m_points, point_floats());
    zero_fill(m_weights, weight_count());
    zero_fill(m_knots, m_knot_count);
}

TK_Status TK_Spline_Data::PutPoints(BStreamFileToolkit& tk) const
{
    return tk_steps::PutAll(tk, m_points, point_floats());
}

TK_Status TK_Spline_Data::PutWeights(BStreamFileToolkit& tk) const
{
    return tk_steps::PutAll(tk, m_weights, weight_count());
}

TK_Status TK_Spline_Data::PutKnots(BStreamFileToolkit& tk) const
{
    return tk_steps::PutAll(tk, m_knots, m_knot_count);
}

TK_Status TK_Spline_Data::GetPoints(BStreamFileToolkit& tk, int& done)
{
    return tk_steps::GetInSteps(tk, m_points, point_floats(), done);
}

TK_Status TK_Spline_Data::GetWeights(BStreamFileToolkit& tk, int& done)
{
    return tk_steps::GetInSteps(tk, m_weights, weight_count(), done);
}

TK_Status TK_Spline_Data::GetKnots(BStreamFileToolkit& tk, int& done)
{
    return tk_steps::GetInSteps(tk, m_knots, m_knot_count, done);
}
