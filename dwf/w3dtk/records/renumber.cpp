#include "dwf/w3dtk/records/renumber.h"

#include "dwf/w3dtk/stream/toolkit.h"

TK_Renumber::TK_Renumber(int opcode) : BBaseOpcodeHandler(opcode) {}

void TK_Renumber::Reset()
{
    m_key = 0;
    BBaseOpcodeHandler::Reset();
}

TK_Status TK_Renumber::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk, 0));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_key));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Renumber::Read(BStreamFileToolkit& tk)
{
    if (m_stage != 0)
        return tk.Error();
    TK_TRY(GetData(tk, m_key));
    m_stage = -1;
    return TK_Done;
}
