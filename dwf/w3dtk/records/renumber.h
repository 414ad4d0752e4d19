#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

// Carries a key: opcode 'K' (global) or 'k' (local), then the key as an int32.
class TK_Renumber : public BBaseOpcodeHandler
{
public:
    static constexpr int Global = 'K';
    static constexpr int Local = 'k';

    explicit TK_Renumber(int opcode);

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    void Reset() override;

    void SetKey(TK_Key key) { m_key = key; }
    TK_Key GetKey() const { return m_key; }

private:
    TK_Key m_key = 0;
};
