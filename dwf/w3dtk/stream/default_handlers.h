#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

// The toolkit's entry point for reading: reads the next opcode byte, makes the
// table's handler for it current (reset) and reads the record into it. While the
// record's Read answers TK_Pending, the next call continues that record instead
// of taking another opcode byte.
class TK_Default : public BBaseOpcodeHandler
{
public:
    TK_Default();
    TK_Status Read(BStreamFileToolkit& tk) override;
    // Nothing to write: always an error.
    TK_Status Write(BStreamFileToolkit& tk) override;
};

// The handler of an opcode byte the format does not assign (or this toolkit
// does not read): reading it is an error that names the opcode.
class TK_Unavailable : public BBaseOpcodeHandler
{
public:
    explicit TK_Unavailable(int opcode);
    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
};
