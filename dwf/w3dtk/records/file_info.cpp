#include "dwf/w3dtk/records/file_info.h"

#include "dwf/w3dtk/stream/toolkit.h"

namespace
{
// Streams older than this stored the dictionary bit inverted.
constexpr int Inverted_Dictionary_Before = 105;
} // namespace

TK_File_Info::TK_File_Info() : BBaseOpcodeHandler('I') {}

void TK_File_Info::Reset()
{
    m_flags = 0;
    BBaseOpcodeHandler::Reset();
}

TK_Status TK_File_Info::Interpret(BStreamFileToolkit& tk, TK_Key, int)
{
    m_flags = tk.GetWriteFlags();
    return TK_Done;
}

TK_Status TK_File_Info::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_flags));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_File_Info::Read(BStreamFileToolkit& tk)
{
    if (m_stage != 0)
        return tk.Error();
    TK_TRY(GetData(tk, m_flags));
    if (tk.GetReadVersion() < Inverted_Dictionary_Before)
        m_flags ^= TK_Option_Dictionary;
    m_stage = -1;
    return TK_Done;
}

TK_Status TK_File_Info::Execute(BStreamFileToolkit& tk)
{
    tk.SetWriteFlags(m_flags);
    return TK_Done;
}
