#include "dwf/w3dtk/records/nurbs_curve.h"

#include "dwf/w3dtk/records/record_steps.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <cstring>

namespace
{
constexpr char Bad_Count[] = "bad NURBS Curve count";
constexpr char Not_Finite[] = "a NURBS Curve value is infinite or not a number";

bool is_exactly_one(float value)
{
    float const one = 1.0f;
    return std::memcmp(&value, &one, sizeof value) == 0;
}
} // namespace

TK_NURBS_Curve::TK_NURBS_Curve() : BBaseOpcodeHandler('N') {}

void TK_NURBS_Curve::Reset()
{
    m_options = 0;
    m_data.Clear();
    m_start = 0.0f;
    m_end = 1.0f;
    BBaseOpcodeHandler::Reset();
}

void TK_NURBS_Curve::SetCurve(int degree, int control_point_count, const float* points,
                              const float* weights, const float* knots, float start, float end)
{
    m_data.Set(degree, control_point_count, points, weights, knots);
    m_start = start;
    m_end = end;
    // A negative zero is a start of 0; only an end of exactly 1.0 is left out.
    if (start != 0.0f)
        m_options |= Start;
    if (!is_exactly_one(end))
        m_options |= End;
    if (weights)
        m_options |= Weights;
    if (knots)
        m_options |= Knots;
}

TK_Status TK_NURBS_Curve::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(CheckCount(tk, m_data.Count(), Bad_Count));
        if (m_data.Degree() > TK_Spline_Data::Max_Degree)
            return tk.Error("NURBS Curve degree above 255");
        TK_TRY(tk_steps::CheckFinite(tk, m_data.Points(), Not_Finite));
        if (m_options & Weights)
            TK_TRY(tk_steps::CheckFinite(tk, m_data.Weights(), Not_Finite));
        if (m_options & Knots)
            TK_TRY(tk_steps::CheckFinite(tk, m_data.Knots(), Not_Finite));
        if (m_options & Start)
            TK_TRY(tk_steps::CheckFinite(tk, &m_start, 1, Not_Finite));
        if (m_options & End)
            TK_TRY(tk_steps::CheckFinite(tk, &m_end, 1, Not_Finite));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_options));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, static_cast<unsigned char>(m_data.Degree())));
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(PutData(tk, m_data.Count()));
        ++m_stage;
        [[fallthrough]];
    case 4:
        TK_TRY(m_data.PutPoints(tk));
        ++m_stage;
        [[fallthrough]];
    case 5:
        if (m_options & Weights)
            TK_TRY(m_data.PutWeights(tk));
        ++m_stage;
        [[fallthrough]];
    case 6:
        if (m_options & Knots)
            TK_TRY(m_data.PutKnots(tk));
        ++m_stage;
        [[fallthrough]];
    case 7:
        if (m_options & Start)
            TK_TRY(PutData(tk, m_start));
        ++m_stage;
        [[fallthrough]];
    case 8:
        if (m_options & End)
            TK_TRY(PutData(tk, m_end));
        ++m_stage;
        [[fallthrough]];
    case 9:
        TK_TRY(tk_steps::TagIfAsked(tk));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_NURBS_Curve::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetData(tk, m_options));
        ++m_stage;
        [[fallthrough]];
    case 1:
    {
        unsigned char degree = 0;
        TK_TRY(GetData(tk, degree));
        m_data.SetSize(degree, 0);
        ++m_stage;
    }
        [[fallthrough]];
    case 2:
    {
        int count = 0;
        TK_TRY(GetCheckedCount(tk, count, Bad_Count));
        m_data.SetSize(m_data.Degree(), count);
        m_start = 0.0f;
        m_end = 1.0f;
        ++m_stage;
    }
        [[fallthrough]];
    case 3:
        TK_TRY(m_data.GetPoints(tk, m_progress));
        ++m_stage;
        [[fallthrough]];
    case 4:
        if (m_options & Weights)
            TK_TRY(m_data.GetWeights(tk, m_progress));
        ++m_stage;
        [[fallthrough]];
    case 5:
        if (m_options & Knots)
            TK_TRY(m_data.GetKnots(tk, m_progress));
        ++m_stage;
        [[fallthrough]];
    case 6:
        if (m_options & Start)
            TK_TRY(GetData(tk, m_start));
        ++m_stage;
        [[fallthrough]];
    case 7:
        if (m_options & End)
            TK_TRY(GetData(tk, m_end));
        m_data.FillMissing();
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
