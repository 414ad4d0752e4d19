#include "dwf/w3dtk/records/header.h"

#include "dwf/w3dtk/records/comment.h"
#include "dwf/w3dtk/records/file_info.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <cstdio>

TK_Header::TK_Header() : BBaseOpcodeHandler(0) {}

TK_Header::~TK_Header() = default;

void TK_Header::Reset()
{
    m_current.reset();
    BBaseOpcodeHandler::Reset();
}

TK_Status TK_Header::Read(BStreamFileToolkit& tk)
{
    return tk.Error();
}

TK_Status TK_Header::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        if (!m_current)
        {
            int const version = tk.GetTargetVersion();
            char text[48];
            std::snprintf(text, sizeof text, "; HSF V%d.%02d ", version / 100, version % 100);
            m_current = std::make_unique<TK_Comment>(text);
        }
        TK_TRY(m_current->Write(tk));
        m_current.reset();
        ++m_stage;
        [[fallthrough]];
    case 1:
        if (!m_current)
        {
            m_current = std::make_unique<TK_File_Info>();
            TK_TRY(m_current->Interpret(tk, 0, 0));
        }
        TK_TRY(m_current->Write(tk));
        m_current.reset();
        tk.SetHeaderFlag(true);
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
