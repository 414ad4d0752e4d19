#include "dwf/w3dtk/records/tag.h"

#include "dwf/w3dtk/stream/toolkit.h"

#include <cstdio>
#include <vector>

TK_Tag::TK_Tag() : BBaseOpcodeHandler('q') {}

TK_Status TK_Tag::Write(BStreamFileToolkit& tk)
{
    if (m_stage != 0)
        return tk.Error();
    TK_TRY(PutOpcode(tk, 0));
    if (tk.GetLogging() && !LogText().empty())
        tk.LogEntry(LogText().c_str());
    m_stage = -1;
    return TK_Done;
}

TK_Status TK_Tag::Read(BStreamFileToolkit&)
{
    return TK_Done;
}

TK_Status TK_Tag::Execute(BStreamFileToolkit& tk)
{
    if (m_opcode != 'q')
        return tk.Error("internal error in TK_Tag::Execute -- unrecognized opcode");
    std::vector<TK_Key> keys = tk.PendingKeys();
    if (keys.empty())
        keys.push_back(-1);
    bool const logging = tk.GetLogging() && (tk.GetLoggingOptions() & TK_Log_Details);
    std::string text;
    int assigned = 0;
    for (TK_Key const key : keys)
    {
        int const index = tk.NextTagIndex();
        TK_TRY(tk.AddIndexKeyPair(index, key));
        tk.TakeNextTagIndex();
        if (logging)
        {
            char entry[24];
            std::snprintf(entry, sizeof entry, "(%d)", index);
            text += entry;
            if (++assigned % 10 == 0)
                text += "\n\t\t\t\t";
        }
    }
    if (logging)
    {
        SetLogText(text);
        tk.LogEntry(text.c_str());
    }
    return TK_Done;
}

TK_Status TK_Tag::Interpret(BStreamFileToolkit& tk, TK_Key, const char*)
{
    return tk.Error("TK_Tag::Interpret should never be possible");
}
