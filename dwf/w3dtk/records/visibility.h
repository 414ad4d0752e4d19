#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

// Switches of a segment given as a mask (which switches the record touches)
// and their states. Bit 0x80 of the mask is a switch as well as the mark that
// the wider form follows: whoever fills a handler sets it when the mask uses
// higher bits; without it they are not carried.

// Visibility: opcode 'V'. After the opcode: mask and value, bits 0-7 of each
// as one byte; with mask bit 0x80, bits 8-23 of mask and value as unsigned
// 16-bit numbers.
class TK_Visibility : public BBaseOpcodeHandler
{
public:
    TK_Visibility();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetGeometry(int mask) { m_mask = mask; }
    int GetGeometry() const { return m_mask; }
    void SetValue(int value) { m_value = value; }
    int GetValue() const { return m_value; }

private:
    int m_mask = 0;
    int m_value = 0;
};

// Selectability: opcode '!', written only into streams of version 650 or
// newer (older ones get nothing, not even the opcode). After the opcode: the
// mask and five settings, each one byte, or, with mask bit 0x80, each an
// unsigned 16-bit number.
class TK_Selectability : public BBaseOpcodeHandler
{
public:
    static constexpr int First_Version = 650;
    static constexpr int Settings = 5;

    TK_Selectability();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetGeometry(int mask) { m_mask = mask & 0xFFFF; }
    int GetGeometry() const { return m_mask; }
    // Setting 0-4.
    void SetSetting(int which, int value) { m_settings[which] = value & 0xFFFF; }
    int GetSetting(int which) const { return m_settings[which]; }

private:
    bool wide() const { return (m_mask & 0x80) != 0; }

    int m_mask = 0;
    int m_settings[Settings] = {};
};
