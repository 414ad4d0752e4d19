#include "dwf/w3dtk/records/segments.h"

#include "dwf/w3dtk/stream/toolkit.h"

// ---- open

TK_Open_Segment::TK_Open_Segment() : BBaseOpcodeHandler('(') {}

void TK_Open_Segment::Reset()
{
    m_name.clear();
    BBaseOpcodeHandler::Reset();
}

TK_Status TK_Open_Segment::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(CheckNameLength(tk, m_name.size(), "segment name"));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
    case 2:
        TK_TRY(PutNameSteps(tk, m_name, 1));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Open_Segment::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
    case 1:
        TK_TRY(GetNameSteps(tk, m_name, 0));
        tk.AdjustSegmentDepth(+1);
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

// ---- close

TK_Close_Segment::TK_Close_Segment() : BBaseOpcodeHandler(')') {}

TK_Status TK_Close_Segment::Write(BStreamFileToolkit& tk)
{
    // A complete record written again without a reset starts over.
    if (m_stage == -1)
        m_stage = 0;
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        if (tk.GetWriteFlag(TK_Option_Tag_All))
            TK_TRY(tk.TagPendingKeys(0));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Close_Segment::Read(BStreamFileToolkit& tk)
{
    tk.AdjustSegmentDepth(-1);
    return TK_Done;
}

// ---- reopen

TK_Reopen_Segment::TK_Reopen_Segment() : BBaseOpcodeHandler('s') {}

void TK_Reopen_Segment::Reset()
{
    m_index = 0;
    BBaseOpcodeHandler::Reset();
}

TK_Status TK_Reopen_Segment::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_index));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Reopen_Segment::Read(BStreamFileToolkit& tk)
{
    if (m_stage != 0)
        return tk.Error();
    TK_TRY(GetData(tk, m_index));
    tk.AdjustSegmentDepth(+1);
    m_stage = -1;
    return TK_Done;
}
