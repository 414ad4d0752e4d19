#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

// Opcode 0x00 ends a stream; opcode 0x01 marks a pause, a point at which a
// reader may stop and show what it has. Neither has operands.
class TK_Terminator : public BBaseOpcodeHandler
{
public:
    static constexpr int Terminate = 0x00;
    static constexpr int Pause = 0x01;

    explicit TK_Terminator(int opcode);

    // TK_Ended for the terminator, TK_Paused for a pause.
    TK_Status Read(BStreamFileToolkit& tk) override;
    // Writes the byte; a pause also records the stream's length after it.
    TK_Status Write(BStreamFileToolkit& tk) override;
    // Nothing to do for a pause; the terminator is never executed.
    TK_Status Execute(BStreamFileToolkit& tk) override;
};
