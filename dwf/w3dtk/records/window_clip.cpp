#include "dwf/w3dtk/records/window_clip.h"

#include "dwf/w3dtk/records/record_steps.h"

#include <algorithm>

// ---- window

TK_Window::TK_Window() : BBaseOpcodeHandler('W') {}

void TK_Window::SetWindow(const float window[4])
{
    std::copy(window, window + 4, m_window);
}

void TK_Window::SetWindow(float left, float right, float bottom, float top)
{
    float const window[4] = {left, right, bottom, top};
    SetWindow(window);
}

TK_Status TK_Window::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_window, 4));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Window::Read(BStreamFileToolkit& tk)
{
    if (m_stage != 0)
        return tk.Error();
    TK_TRY(GetData(tk, m_window, 4));
    m_stage = -1;
    return TK_Done;
}

// ---- clip rectangle

TK_Clip_Rectangle::TK_Clip_Rectangle() : BBaseOpcodeHandler('o') {}

void TK_Clip_Rectangle::Reset()
{
    m_options = 0;
    BBaseOpcodeHandler::Reset();
}

void TK_Clip_Rectangle::SetRectangle(const float rectangle[4])
{
    std::copy(rectangle, rectangle + 4, m_rectangle);
}

void TK_Clip_Rectangle::SetRectangle(float left, float right, float bottom, float top)
{
    float const rectangle[4] = {left, right, bottom, top};
    SetRectangle(rectangle);
}

TK_Status TK_Clip_Rectangle::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, static_cast<unsigned char>(m_options)));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_rectangle, 4));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Clip_Rectangle::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
    {
        unsigned char options = 0;
        TK_TRY(GetData(tk, options));
        m_options = (m_options & ~0xFF) | options;
        ++m_stage;
    }
        [[fallthrough]];
    case 1:
        TK_TRY(GetData(tk, m_rectangle, 4));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

// ---- clip region

TK_Clip_Region::TK_Clip_Region() : BBaseOpcodeHandler('O') {}

void TK_Clip_Region::Reset()
{
    m_options = 0;
    m_count = 0;
    m_points.clear();
    BBaseOpcodeHandler::Reset();
}

void TK_Clip_Region::SetPoints(int count, const float* points)
{
    m_count = std::max(count, 0);
    m_points.assign(static_cast<std::size_t>(m_count) * 3, 0.0f);
    if (points)
        std::copy(points, points + m_points.size(), m_points.begin());
}

TK_Status TK_Clip_Region::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(CheckCount(tk, m_count, "bad Clip Region count"));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, static_cast<unsigned char>(m_options)));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_count));
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(PutData(tk, m_points.data(), 3 * m_count));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Clip_Region::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
    {
        unsigned char options = 0;
        TK_TRY(GetData(tk, options));
        m_options = options;
        ++m_stage;
    }
        [[fallthrough]];
    case 1:
        // A refused count is not kept: the handler stays empty.
        TK_TRY(GetCheckedCount(tk, m_count, "bad Clip Region count"));
        m_points.clear();
        m_progress = 0;
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(tk_steps::GetInSteps(tk, m_points, 3 * m_count, m_progress));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
