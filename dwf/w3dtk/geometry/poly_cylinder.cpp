#include "dwf/w3dtk/geometry/poly_cylinder.h"

#include "dwf/w3dtk/records/record_steps.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>

namespace
{
constexpr char Bad_Count[] = "bad TK_PolyCylinder count";
constexpr char Bad_Radius_Count[] = "bad TK_PolyCylinder radius_count";
constexpr int Old_Flags = 0x03; // what readers before version 805 know
} // namespace

TK_PolyCylinder::TK_PolyCylinder() : TK_Polyhedron('Q')
{
    TK_PolyCylinder::Reset();
}

void TK_PolyCylinder::Reset()
{
    m_radii.clear();
    m_radius_count = 0;
    m_flags = 0;
    m_written_flags = 0;
    TK_Polyhedron::Reset();
}

TK_Status TK_PolyCylinder::SetPoints(int count, const float* points)
{
    return TK_Polyhedron::SetPoints(count, points);
}

void TK_PolyCylinder::SetRadii(int count, const float* radii)
{
    m_radii.assign(static_cast<std::size_t>(std::max(count, 0)), 0.0f);
    if (radii)
        std::copy(radii, radii + m_radii.size(), m_radii.begin());
}

void TK_PolyCylinder::SetStartVector(const float vector[3])
{
    std::copy(vector, vector + 3, m_start);
}

void TK_PolyCylinder::SetEndVector(const float vector[3])
{
    std::copy(vector, vector + 3, m_end);
}

TK_Status TK_PolyCylinder::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        if (tk.GetTargetVersion() < Since_Version)
            return TK_Done;
        TK_TRY(CheckCount(tk, m_point_count, Bad_Count));
        TK_TRY(CheckCount(tk, GetRadiusCount(), Bad_Radius_Count));
        TK_TRY(check_arrays(tk));
        m_written_flags = tk.GetTargetVersion() < Flags_Since_Version
                              ? static_cast<unsigned char>(m_flags & Old_Flags)
                              : m_flags;
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_point_count));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(tk_steps::PutAll(tk, m_points, 3 * m_point_count));
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(PutData(tk, GetRadiusCount()));
        ++m_stage;
        [[fallthrough]];
    case 4:
        TK_TRY(tk_steps::PutAll(tk, m_radii, GetRadiusCount()));
        ++m_stage;
        [[fallthrough]];
    case 5:
        TK_TRY(PutData(tk, m_written_flags));
        ++m_stage;
        [[fallthrough]];
    case 6:
        if (m_written_flags & Start_Vector)
            TK_TRY(PutData(tk, m_start, 3));
        ++m_stage;
        [[fallthrough]];
    case 7:
        if (m_written_flags & End_Vector)
            TK_TRY(PutData(tk, m_end, 3));
        ++m_stage;
        [[fallthrough]];
    case 8:
        if (m_written_flags & Attributes)
            TK_TRY(TK_Polyhedron::Write(tk));
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

TK_Status TK_PolyCylinder::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetCheckedCount(tk, m_point_count, Bad_Count));
        m_progress = 0;
        ++m_stage;
        [[fallthrough]];
    case 1:
        // The points arrive in pieces; only then are the vertex arrays fitted.
        TK_TRY(tk_steps::GetInSteps(tk, m_points, 3 * m_point_count, m_progress));
        if (TK_Polyhedron::SetPoints(m_point_count, nullptr) != TK_Done)
            return tk.Error("memory allocation failed in TK_PolyCylinder::Read");
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(GetCheckedCount(tk, m_radius_count, Bad_Radius_Count));
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(tk_steps::GetInSteps(tk, m_radii, m_radius_count, m_progress));
        ++m_stage;
        [[fallthrough]];
    case 4:
        TK_TRY(GetData(tk, m_flags));
        ++m_stage;
        [[fallthrough]];
    case 5:
        if (m_flags & Start_Vector)
            TK_TRY(GetData(tk, m_start, 3));
        ++m_stage;
        [[fallthrough]];
    case 6:
        if (m_flags & End_Vector)
            TK_TRY(GetData(tk, m_end, 3));
        ++m_stage;
        [[fallthrough]];
    case 7:
        // By the flags alone, whatever version the stream has.
        if (m_flags & Attributes)
            TK_TRY(TK_Polyhedron::Read(tk));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
