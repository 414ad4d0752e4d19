#include "dwf/w3dtk/records/compression.h"

#include "dwf/w3dtk/stream/toolkit.h"

TK_Compression::TK_Compression(int opcode) : BBaseOpcodeHandler(opcode) {}

TK_Status TK_Compression::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk, 0));
        ++m_stage;
        [[fallthrough]];
    case 1:
    {
        // TK_Pending while the end of the deflate stream does not fit: the writer
        // hands the buffer over and calls again.
        BStreamDataAccumulator& pipe = tk.Accumulator();
        TK_Status const status =
            m_opcode == Start ? pipe.start_compression() : pipe.stop_compression(true);
        if (status == TK_Error)
            return tk.Error();
        TK_TRY(status);
        m_stage = -1;
        return TK_Done;
    }
    default:
        return tk.Error();
    }
}

TK_Status TK_Compression::Read(BStreamFileToolkit&)
{
    return TK_Done;
}

TK_Status TK_Compression::Execute(BStreamFileToolkit& tk)
{
    BStreamDataAccumulator& pipe = tk.Accumulator();
    TK_Status const status =
        m_opcode == Start ? pipe.start_decompression() : pipe.stop_decompression(false);
    if (status == TK_Error)
        return tk.Error();
    if (status != TK_Done)
        return status;
    return TK_Switched;
}
