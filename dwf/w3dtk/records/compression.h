#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

// Opcode 'Z' starts and 'z' stops compression. Everything after the 'Z' up to
// and including the 'z' is one zlib stream; the 'z' is written inside it and the
// stream is then finished.
class TK_Compression : public BBaseOpcodeHandler
{
public:
    static constexpr int Start = 'Z';
    static constexpr int Stop = 'z';

    explicit TK_Compression(int opcode);

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    // Starts decompressing after a 'Z'; after a 'z' the inflate stream runs on
    // until the compressed data itself ends. TK_Switched on success.
    TK_Status Execute(BStreamFileToolkit& tk) override;
};
