#include "dwf/w3dtk/records/lights.h"

#include "dwf/w3dtk/records/record_steps.h"

#include <algorithm>

// ---- spot light

TK_Spot_Light::TK_Spot_Light() : BBaseOpcodeHandler('^') {}

void TK_Spot_Light::SetPosition(const float point[3])
{
    std::copy(point, point + 3, m_position);
}

void TK_Spot_Light::SetTarget(const float point[3])
{
    std::copy(point, point + 3, m_target);
}

TK_Status TK_Spot_Light::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_position, 3));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_target, 3));
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(PutData(tk, m_options));
        ++m_stage;
        [[fallthrough]];
    case 4:
        if (m_options & Outer_Mask)
            TK_TRY(PutData(tk, m_outer));
        ++m_stage;
        [[fallthrough]];
    case 5:
        if (m_options & Inner_Mask)
            TK_TRY(PutData(tk, m_inner));
        ++m_stage;
        [[fallthrough]];
    case 6:
        if (m_options & Concentration)
            TK_TRY(PutData(tk, m_concentration));
        ++m_stage;
        [[fallthrough]];
    case 7:
        TK_TRY(tk_steps::TagIfAsked(tk));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Spot_Light::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetData(tk, m_position, 3));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(GetData(tk, m_target, 3));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(GetData(tk, m_options));
        ++m_stage;
        [[fallthrough]];
    case 3:
        if (m_options & Outer_Mask)
            TK_TRY(GetData(tk, m_outer));
        ++m_stage;
        [[fallthrough]];
    case 4:
        if (m_options & Inner_Mask)
            TK_TRY(GetData(tk, m_inner));
        ++m_stage;
        [[fallthrough]];
    case 5:
        if (m_options & Concentration)
            TK_TRY(GetData(tk, m_concentration));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

// ---- area light

TK_Area_Light::TK_Area_Light() : BBaseOpcodeHandler('a') {}

void TK_Area_Light::Reset()
{
    m_count = 0;
    m_points.clear();
    m_options = 0;
    BBaseOpcodeHandler::Reset();
}

void TK_Area_Light::SetPoints(int count, const float* points)
{
    m_count = std::max(count, 0);
    m_points.assign(static_cast<std::size_t>(m_count) * 3, 0.0f);
    if (points)
        std::copy(points, points + m_points.size(), m_points.begin());
}

TK_Status TK_Area_Light::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(CheckCount(tk, m_count, "bad Area Light count"));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_count));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_points.data(), 3 * m_count));
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(PutData(tk, m_options));
        ++m_stage;
        [[fallthrough]];
    case 4:
        TK_TRY(tk_steps::TagIfAsked(tk));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Area_Light::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetCheckedCount(tk, m_count, "bad Area Light count"));
        m_points.clear();
        m_progress = 0;
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(tk_steps::GetInSteps(tk, m_points, 3 * m_count, m_progress));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(GetData(tk, m_options));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
