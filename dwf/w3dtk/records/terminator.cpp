#include "dwf/w3dtk/records/terminator.h"

#include "dwf/w3dtk/stream/toolkit.h"

TK_Terminator::TK_Terminator(int opcode) : BBaseOpcodeHandler(opcode) {}

TK_Status TK_Terminator::Write(BStreamFileToolkit& tk)
{
    // One byte and no stage check: writing again without a reset writes it again.
    if (m_opcode == Pause &&
        static_cast<int>(tk.PauseOffsets().size()) >= BStreamFileToolkit::Max_Pauses)
        return tk.Error("too many pauses for one stream");
    TK_TRY(PutOpcode(tk, 0));
    if (m_opcode == Pause)
        TK_TRY(tk.AddPauseOffset(tk.TotalBytes()));
    return TK_Done;
}

TK_Status TK_Terminator::Read(BStreamFileToolkit& tk)
{
    if (tk.GetLogging())
        tk.LogEntry("\n");
    return m_opcode == Terminate ? TK_Ended : TK_Paused;
}

TK_Status TK_Terminator::Execute(BStreamFileToolkit& tk)
{
    if (m_opcode == Pause)
        return TK_Done;
    return tk.Error();
}
