#include "dwf/w3dtk/records/solids.h"

#include "dwf/w3dtk/records/record_steps.h"

#include <algorithm>

// ---- cylinder

TK_Cylinder::TK_Cylinder() : BBaseOpcodeHandler('Y') {}

void TK_Cylinder::SetAxis(const float axis[6])
{
    std::copy(axis, axis + 6, m_axis);
}

void TK_Cylinder::SetAxis(const float start[3], const float end[3])
{
    std::copy(start, start + 3, m_axis);
    std::copy(end, end + 3, m_axis + 3);
}

TK_Status TK_Cylinder::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        if (tk.GetTargetVersion() < Since_Version)
            return TK_Done;
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_axis, 6));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_radius));
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(PutData(tk, m_flags));
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

TK_Status TK_Cylinder::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetData(tk, m_axis, 6));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(GetData(tk, m_radius));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(GetData(tk, m_flags));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

// ---- grid

TK_Grid::TK_Grid() : BBaseOpcodeHandler('g') {}

void TK_Grid::SetOrigin(const float point[3])
{
    std::copy(point, point + 3, m_origin);
}

void TK_Grid::SetRef1(const float point[3])
{
    std::copy(point, point + 3, m_ref1);
}

void TK_Grid::SetRef2(const float point[3])
{
    std::copy(point, point + 3, m_ref2);
}

void TK_Grid::SetCounts(int first, int second)
{
    m_counts[0] = first;
    m_counts[1] = second;
}

TK_Status TK_Grid::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_type));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_origin, 3));
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(PutData(tk, m_ref1, 3));
        ++m_stage;
        [[fallthrough]];
    case 4:
        TK_TRY(PutData(tk, m_ref2, 3));
        ++m_stage;
        [[fallthrough]];
    case 5:
        TK_TRY(PutData(tk, m_counts, 2));
        ++m_stage;
        [[fallthrough]];
    case 6:
        TK_TRY(tk_steps::TagIfAsked(tk));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Grid::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetData(tk, m_type));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(GetData(tk, m_origin, 3));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(GetData(tk, m_ref1, 3));
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(GetData(tk, m_ref2, 3));
        ++m_stage;
        [[fallthrough]];
    case 4:
        TK_TRY(GetData(tk, m_counts, 2));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

// ---- cutting plane

TK_Cutting_Plane::TK_Cutting_Plane() : BBaseOpcodeHandler('/') {}

void TK_Cutting_Plane::SetPlane(float a, float b, float c, float d)
{
    m_plane[0] = a;
    m_plane[1] = b;
    m_plane[2] = c;
    m_plane[3] = d;
}

TK_Status TK_Cutting_Plane::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_plane, 4));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(tk_steps::TagIfAsked(tk));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Cutting_Plane::Read(BStreamFileToolkit& tk)
{
    if (m_stage != 0)
        return tk.Error();
    TK_TRY(GetData(tk, m_plane, 4));
    m_stage = -1;
    return TK_Done;
}
