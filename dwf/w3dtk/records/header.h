#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <memory>

// The head of every stream: the version comment "; HSF V%d.%02d " for the
// toolkit's target version, then a file-info record with the toolkit's write
// flags. Written only; a reader meets the comment and the file info as records
// of their own.
class TK_Header : public BBaseOpcodeHandler
{
public:
    TK_Header();
    ~TK_Header() override;

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    void Reset() override;

private:
    // The record in progress, kept across calls while the buffer is handed over.
    std::unique_ptr<BBaseOpcodeHandler> m_current;
};
