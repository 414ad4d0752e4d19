#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

// One point: a local light ('.'), a distant light ('d'), a marker ('X') or a
// text path ('|'), told apart by the opcode alone. The record is the opcode and
// three floats.
class TK_Point : public BBaseOpcodeHandler
{
public:
    explicit TK_Point(int opcode);

    TK_Status Read(BStreamFileToolkit& tk) override;
    // Tags the record's key with the tag-everything flag, except for text paths,
    // which are attributes rather than objects.
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetPoint(float x, float y, float z);
    void SetPoint(const float point[3]) { SetPoint(point[0], point[1], point[2]); }
    const float* GetPoint() const { return m_point; }

private:
    float m_point[3] = {0, 0, 0};
};
