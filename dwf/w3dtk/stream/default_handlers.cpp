#include "dwf/w3dtk/stream/default_handlers.h"

#include "dwf/w3dtk/stream/opcode_names.h"
#include "dwf/w3dtk/stream/toolkit.h"

namespace
{
constexpr int Pause_Opcode = 0x01;
}

TK_Default::TK_Default() : BBaseOpcodeHandler(0) {}

TK_Status TK_Default::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
    {
        unsigned char opcode = 0;
        TK_TRY(GetData(tk, opcode));
        tk.CountOpcode();
        tk.LogOpcode(opcode);
        BBaseOpcodeHandler& handler = tk.GetOpcodeHandler(opcode);
        tk.SetCurrentHandler(handler);
        handler.Reset();
        if (opcode == Pause_Opcode)
            tk.CountPause();
        ++m_stage;
    }
        [[fallthrough]];
    case 1:
    {
        TK_Status const status = tk.GetCurrentHandler().Read(tk);
        if (status != TK_Pending)
            m_stage = 0;
        return status;
    }
    default:
        return tk.Error();
    }
}

TK_Status TK_Default::Write(BStreamFileToolkit& tk)
{
    return tk.Error();
}

TK_Unavailable::TK_Unavailable(int opcode) : BBaseOpcodeHandler(opcode) {}

TK_Status TK_Unavailable::Read(BStreamFileToolkit& tk)
{
    return tk.ErrorF("unhandled opcode %s read", TK_Opcode_Text(m_opcode).c_str());
}

TK_Status TK_Unavailable::Write(BStreamFileToolkit& tk)
{
    return tk.Error();
}
