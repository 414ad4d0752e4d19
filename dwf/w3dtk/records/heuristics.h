#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

//
// Rendering heuristics of a segment: opcode 'H'. The mask says which
// heuristics the record touches, the value whether each is on. After the
// opcode: mask and value, bits 0-15 of each as unsigned 16-bit numbers, with
// bits 16-31 of each following its low half when mask bit 0x8000 is set; then
// heuristic value 1 (4 bytes) when mask and value share bit 0x40, heuristic
// value 2 (4 bytes) for bit 0x80, heuristic byte 1 when they share a bit of
// 0x0C, heuristic byte 2 for bit 0x10000.
//
// Streams older than version 705 know only the low halves: written for them,
// bit 0x8000 is cleared and neither the high halves nor byte 2 travel. Mask
// bits 16-31 travel only with bit 0x8000; a record never carries a field that
// its mask as written does not announce.
//
class TK_Heuristics : public BBaseOpcodeHandler
{
public:
    static constexpr int Wide_Mask_Version = 705;

    TK_Heuristics();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetMask(int mask) { m_mask = mask; }
    int GetMask() const { return m_mask; }
    void SetValue(int value) { m_value = value; }
    int GetValue() const { return m_value; }
    // Heuristic values and bytes 1 and 2 (the 4-byte values are carried as held).
    void SetHeuristicValue(int which, int value) { m_values[which == 2] = value; }
    int GetHeuristicValue(int which) const { return m_values[which == 2]; }
    void SetHeuristicByte(int which, int value)
    {
        m_bytes[which == 2] = static_cast<unsigned char>(value);
    }
    int GetHeuristicByte(int which) const { return m_bytes[which == 2]; }

private:
    int m_mask = 0;
    int m_value = 0;
    int m_values[2] = {};
    unsigned char m_bytes[2] = {};
    int m_written_mask = 0; // the mask as the record in hand carries it
};
