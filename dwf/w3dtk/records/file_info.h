#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

// The stream's write flags: opcode 'I' and the flags as an int32. A reader takes
// them as the toolkit's write flags, which say how the records that follow are
// encoded.
class TK_File_Info : public BBaseOpcodeHandler
{
public:
    TK_File_Info();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    TK_Status Execute(BStreamFileToolkit& tk) override;
    // Takes the toolkit's write flags.
    TK_Status Interpret(BStreamFileToolkit& tk, TK_Key key, int variant = 0) override;
    using BBaseOpcodeHandler::Interpret;
    void Reset() override;

    void SetFlags(int flags) { m_flags = flags; }
    int GetFlags() const { return m_flags; }

private:
    int m_flags = 0;
};
