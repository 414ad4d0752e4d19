#include "dwf/w3dtk/records/heuristics.h"

#include "dwf/w3dtk/stream/toolkit.h"

namespace
{
constexpr unsigned Wide_Mark = 0x8000;

unsigned low_half(int bits)
{
    return static_cast<unsigned>(bits) & 0xFFFF;
}

unsigned high_half(int bits)
{
    return static_cast<unsigned>(bits) >> 16;
}

int with_high_half(int bits, unsigned short high)
{
    return static_cast<int>(low_half(bits) | (static_cast<unsigned>(high) << 16));
}
} // namespace

TK_Heuristics::TK_Heuristics() : BBaseOpcodeHandler('H') {}

TK_Status TK_Heuristics::Write(BStreamFileToolkit& tk)
{
    if (m_stage == 0)
    {
        // The mask as this record carries it decides every optional field.
        if (tk.GetTargetVersion() < Wide_Mask_Version)
            m_written_mask = static_cast<int>(low_half(m_mask) & ~Wide_Mark);
        else if (m_mask & Wide_Mark)
            m_written_mask = m_mask;
        else
            m_written_mask = static_cast<int>(low_half(m_mask));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
    }
    int const mask = m_written_mask;
    bool const wide = (mask & Wide_Mark) != 0;
    int const shared = mask & m_value;
    switch (m_stage)
    {
    case 1:
        TK_TRY(PutData(tk, static_cast<unsigned short>(low_half(mask))));
        ++m_stage;
        [[fallthrough]];
    case 2:
        if (wide)
            TK_TRY(PutData(tk, static_cast<unsigned short>(high_half(mask))));
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(PutData(tk, static_cast<unsigned short>(low_half(m_value))));
        ++m_stage;
        [[fallthrough]];
    case 4:
        if (wide)
            TK_TRY(PutData(tk, static_cast<unsigned short>(high_half(m_value))));
        ++m_stage;
        [[fallthrough]];
    case 5:
        if (shared & 0x40)
            TK_TRY(PutData(tk, m_values[0]));
        ++m_stage;
        [[fallthrough]];
    case 6:
        if (shared & 0x80)
            TK_TRY(PutData(tk, m_values[1]));
        ++m_stage;
        [[fallthrough]];
    case 7:
        if (shared & 0x0C)
            TK_TRY(PutData(tk, m_bytes[0]));
        ++m_stage;
        [[fallthrough]];
    case 8:
        if (shared & 0x10000)
            TK_TRY(PutData(tk, m_bytes[1]));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Heuristics::Read(BStreamFileToolkit& tk)
{
    unsigned short half = 0;
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetData(tk, half));
        m_mask = half;
        ++m_stage;
        [[fallthrough]];
    case 1:
        if (m_mask & Wide_Mark)
        {
            TK_TRY(GetData(tk, half));
            m_mask = with_high_half(m_mask, half);
        }
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(GetData(tk, half));
        m_value = half;
        ++m_stage;
        [[fallthrough]];
    case 3:
        if (m_mask & Wide_Mark)
        {
            TK_TRY(GetData(tk, half));
            m_value = with_high_half(m_value, half);
        }
        ++m_stage;
        [[fallthrough]];
    case 4:
        if (m_mask & m_value & 0x40)
            TK_TRY(GetData(tk, m_values[0]));
        ++m_stage;
        [[fallthrough]];
    case 5:
        if (m_mask & m_value & 0x80)
            TK_TRY(GetData(tk, m_values[1]));
        ++m_stage;
        [[fallthrough]];
    case 6:
        if (m_mask & m_value & 0x0C)
            TK_TRY(GetData(tk, m_bytes[0]));
        ++m_stage;
        [[fallthrough]];
    case 7:
        if (m_mask & m_value & 0x10000)
            TK_TRY(GetData(tk, m_bytes[1]));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
