#include "dwf/w3dtk/records/camera.h"

#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>

TK_Camera::TK_Camera(int opcode) : BBaseOpcodeHandler(opcode) {}

void TK_Camera::SetSettings(const float settings[Settings])
{
    std::copy(settings, settings + Settings, m_settings);
}

TK_Status TK_Camera::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        if (is_view())
        {
            if (tk.GetTargetVersion() < View_Since_Version)
                return TK_Done;
            TK_TRY(CheckNameLength(tk, m_view.size(), "view name"));
        }
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_flags));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_settings, Settings));
        ++m_stage;
        [[fallthrough]];
    case 3:
        if (m_flags & Extra_A)
            TK_TRY(PutData(tk, m_extra[0]));
        ++m_stage;
        [[fallthrough]];
    case 4:
        if (m_flags & Extra_B)
            TK_TRY(PutData(tk, m_extra[1]));
        ++m_stage;
        [[fallthrough]];
    case 5:
    case 6:
        TK_TRY(PutNameSteps(tk, m_view, 5, is_view()));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Camera::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetData(tk, m_flags));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(GetData(tk, m_settings, Settings));
        ++m_stage;
        [[fallthrough]];
    case 2:
        if (m_flags & Extra_A)
            TK_TRY(GetData(tk, m_extra[0]));
        ++m_stage;
        [[fallthrough]];
    case 3:
        if (m_flags & Extra_B)
            TK_TRY(GetData(tk, m_extra[1]));
        ++m_stage;
        [[fallthrough]];
    case 4:
    case 5:
        TK_TRY(GetNameSteps(tk, m_view, 4, is_view()));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
