#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <string>

//
// The text font of a segment: opcode 'F'. The mask says which font settings
// the record touches, the value which of them it sets; a setting's fields
// travel when mask and value share its bit:
//
//   0x001 name (length byte, bytes)     0x020 value F20 (4 bytes)
//   0x002 value F2 and units byte U2    0x040 value F40
//   0x004 value F4 and units byte U4    0x100 value F100 and units byte U100
//   0x008 byte F8                       0x200 value F200
//   0x010 value F10
//
// After the opcode: bits 0-7 of mask and value as one byte each; with mask bit
// 0x80 (a setting as well as the mark) bits 8-15 of each follow. Without
// that bit the settings 0x100 and 0x200 are not carried. Names hold at most
// 255 bytes: a longer one is refused before anything is written.
//
class TK_Text_Font : public BBaseOpcodeHandler
{
public:
    enum Settings : int
    {
        Name = 0x001,
        F2 = 0x002,
        F4 = 0x004,
        F8 = 0x008,
        F10 = 0x010,
        F20 = 0x020,
        F40 = 0x040,
        Wide_Mark = 0x080,
        F100 = 0x100,
        F200 = 0x200,
    };

    TK_Text_Font();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    // Empties the name.
    void Reset() override;

    void SetMask(int mask) { m_mask = mask & 0xFFFF; }
    int GetMask() const { return m_mask; }
    void SetValue(int value) { m_value = value & 0xFFFF; }
    int GetValue() const { return m_value; }
    void SetNames(const char* name) { m_name = name ? name : ""; }
    const std::string& GetNames() const { return m_name; }
    // The 4-byte value of F2, F4, F10, F20, F40, F100 or F200 (others: ignored / 0).
    void SetFloat(int setting, float value);
    float GetFloat(int setting) const;
    // The units byte of F2, F4 or F100.
    void SetUnits(int setting, int units);
    int GetUnits(int setting) const;
    void SetByte(int value) { m_f8 = static_cast<unsigned char>(value); }
    int GetByte() const { return m_f8; }

private:
    static int float_slot(int setting);
    static int units_slot(int setting);
    // Writes or reads F<setting> and, when it has one, its units byte; the
    // handler's progress remembers that the float is done.
    TK_Status put_value(BStreamFileToolkit& tk, int setting);
    TK_Status get_value(BStreamFileToolkit& tk, int setting);

    int m_mask = 0;
    int m_value = 0;
    std::string m_name;
    float m_floats[7] = {};        // F2, F4, F10, F20, F40, F100, F200
    unsigned char m_units[3] = {}; // U2, U4, U100
    unsigned char m_f8 = 0;
    int m_written = 0; // mask & value as the record in hand carries them
};
