#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

// Opcode 'q', no operands: gives the object written just before it the next
// stream index. Writer and reader count tags alike, so the n-th tag of a stream
// (from 0) stands for index n. Written by the toolkit's TagPendingKeys.
class TK_Tag : public BBaseOpcodeHandler
{
public:
    TK_Tag();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    // Gives each pending key (the keys of the object just read), or key -1 when
    // there is none, the next tag index.
    TK_Status Execute(BStreamFileToolkit& tk) override;
    TK_Status Interpret(BStreamFileToolkit& tk, TK_Key key, const char* special) override;
    using BBaseOpcodeHandler::Interpret;
};
