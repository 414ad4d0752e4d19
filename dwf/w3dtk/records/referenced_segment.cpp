#include "dwf/w3dtk/records/referenced_segment.h"

#include "dwf/w3dtk/records/record_steps.h"
#include "dwf/w3dtk/stream/toolkit.h"

TK_Referenced_Segment::TK_Referenced_Segment(int opcode) : BBaseOpcodeHandler(opcode) {}

void TK_Referenced_Segment::Reset()
{
    m_path.clear();
    BBaseOpcodeHandler::Reset();
}

TK_Status TK_Referenced_Segment::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(CheckNameLength(tk, m_path.size(), "segment path"));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
    case 2:
        TK_TRY(PutNameSteps(tk, m_path, 1));
        [[fallthrough]];
    case 3:
        TK_TRY(tk_steps::TagIfAsked(tk));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Referenced_Segment::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
    case 1:
        TK_TRY(GetNameSteps(tk, m_path, 0));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
