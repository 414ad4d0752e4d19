#include "dwf/w3dtk/records/curves.h"

#include "dwf/w3dtk/records/record_steps.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr char Not_Finite[] = "a curve's point is infinite or not a number";

void copy_point(float* to, const float* from)
{
    if (from)
        std::memcpy(to, from, 3 * sizeof(float));
    else
        std::fill(to, to + 3, 0.0f);
}

} // namespace

// ---- line

TK_Line::TK_Line() : BBaseOpcodeHandler('l') {}

void TK_Line::SetPoints(const float start[3], const float end[3])
{
    copy_point(m_points, start);
    copy_point(m_points + 3, end);
}

TK_Status TK_Line::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(tk_steps::CheckFinite(tk, m_points, 6, Not_Finite));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_points, 6));
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

TK_Status TK_Line::Read(BStreamFileToolkit& tk)
{
    if (m_stage != 0)
        return tk.Error();
    TK_TRY(GetData(tk, m_points, 6));
    m_stage = -1;
    return TK_Done;
}

// ---- polyline and polygon

TK_Polypoint::TK_Polypoint(int opcode) : BBaseOpcodeHandler(opcode) {}

void TK_Polypoint::Reset()
{
    m_count = 0;
    BBaseOpcodeHandler::Reset();
}

void TK_Polypoint::grow_to(int count, int spare)
{
    if (count > m_capacity)
        m_capacity = count + spare;
}

void TK_Polypoint::SetPoints(int count, const float* points)
{
    m_count = std::max(0, count);
    grow_to(m_count, 0);
    m_points.assign(static_cast<std::size_t>(m_count) * 3, 0.0f);
    if (points && m_count > 0)
        std::copy(points, points + m_points.size(), m_points.begin());
}

TK_Status TK_Polypoint::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(CheckCount(tk, m_count, "bad Polypoint count"));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_count));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(tk_steps::PutAll(tk, m_points, 3 * m_count));
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(tk_steps::TagIfAsked(tk));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Polypoint::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetCheckedCount(tk, m_count, "bad Polypoint count"));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(tk_steps::GetInSteps(tk, m_points, 3 * m_count, m_progress));
        // The buffer is sized only now that the points are there, so a count
        // the stream does not back costs nothing.
        grow_to(m_count, 16);
        m_points.reserve(static_cast<std::size_t>(m_capacity) * 3);
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

// ---- circle, arc, chord, wedge

TK_Circle::TK_Circle(int opcode) : BBaseOpcodeHandler(opcode) {}

void TK_Circle::SetPoints(const float start[3], const float middle[3], const float end[3])
{
    SetStart(start);
    SetMiddle(middle);
    SetEnd(end);
}

void TK_Circle::SetStart(const float point[3])
{
    copy_point(m_points, point);
}

void TK_Circle::SetMiddle(const float point[3])
{
    copy_point(m_points + 3, point);
}

void TK_Circle::SetEnd(const float point[3])
{
    copy_point(m_points + 6, point);
}

TK_Status TK_Circle::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(tk_steps::CheckFinite(tk, m_points, 9, Not_Finite));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_points, 9));
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

TK_Status TK_Circle::Read(BStreamFileToolkit& tk)
{
    if (m_stage != 0)
        return tk.Error();
    TK_TRY(GetData(tk, m_points, 9));
    m_stage = -1;
    return TK_Done;
}

// ---- ellipse and elliptical arc

TK_Ellipse::TK_Ellipse(int opcode) : BBaseOpcodeHandler(opcode) {}

void TK_Ellipse::SetCentre(const float point[3])
{
    copy_point(m_points, point);
}

void TK_Ellipse::SetMajor(const float point[3])
{
    copy_point(m_points + 3, point);
}

void TK_Ellipse::SetMinor(const float point[3])
{
    copy_point(m_points + 6, point);
}

void TK_Ellipse::SetLimits(float start, float end)
{
    m_limits[0] = start;
    m_limits[1] = end;
}

TK_Status TK_Ellipse::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(tk_steps::CheckFinite(tk, m_points, 9, Not_Finite));
        if (is_arc())
            TK_TRY(tk_steps::CheckFinite(tk, m_limits, 2, Not_Finite));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_points, 9));
        ++m_stage;
        [[fallthrough]];
    case 2:
        if (is_arc())
            TK_TRY(PutData(tk, m_limits, 2));
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(tk_steps::TagIfAsked(tk));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Ellipse::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetData(tk, m_points, 9));
        ++m_stage;
        [[fallthrough]];
    case 1:
        if (is_arc())
            TK_TRY(GetData(tk, m_limits, 2));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
