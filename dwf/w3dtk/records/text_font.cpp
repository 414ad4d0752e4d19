#include "dwf/w3dtk/records/text_font.h"

#include "dwf/w3dtk/stream/toolkit.h"

namespace
{
constexpr int Float_Settings[7] = {TK_Text_Font::F2,  TK_Text_Font::F4,  TK_Text_Font::F10,
                                   TK_Text_Font::F20, TK_Text_Font::F40, TK_Text_Font::F100,
                                   TK_Text_Font::F200};
constexpr int Units_Settings[3] = {TK_Text_Font::F2, TK_Text_Font::F4, TK_Text_Font::F100};

// The mask as written: without the mark its second byte does not travel.
int carried_mask(int mask)
{
    return (mask & TK_Text_Font::Wide_Mark) ? mask & 0xFFFF : mask & 0xFF;
}
} // namespace

TK_Text_Font::TK_Text_Font() : BBaseOpcodeHandler('F') {}

void TK_Text_Font::Reset()
{
    m_name.clear();
    m_written = 0;
    BBaseOpcodeHandler::Reset();
}

int TK_Text_Font::float_slot(int setting)
{
    for (int i = 0; i < 7; ++i)
        if (Float_Settings[i] == setting)
            return i;
    return -1;
}

int TK_Text_Font::units_slot(int setting)
{
    for (int i = 0; i < 3; ++i)
        if (Units_Settings[i] == setting)
            return i;
    return -1;
}

void TK_Text_Font::SetFloat(int setting, float value)
{
    int const slot = float_slot(setting);
    if (slot >= 0)
        m_floats[slot] = value;
}

float TK_Text_Font::GetFloat(int setting) const
{
    int const slot = float_slot(setting);
    return slot >= 0 ? m_floats[slot] : 0.0f;
}

void TK_Text_Font::SetUnits(int setting, int units)
{
    int const slot = units_slot(setting);
    if (slot >= 0)
        m_units[slot] = static_cast<unsigned char>(units);
}

int TK_Text_Font::GetUnits(int setting) const
{
    int const slot = units_slot(setting);
    return slot >= 0 ? m_units[slot] : 0;
}

TK_Status TK_Text_Font::put_value(BStreamFileToolkit& tk, int setting)
{
    if (!(m_written & setting))
        return TK_Done;
    if (m_progress == 0)
    {
        TK_TRY(PutData(tk, m_floats[float_slot(setting)]));
        m_progress = 1;
    }
    int const units = units_slot(setting);
    if (units >= 0)
        TK_TRY(PutData(tk, m_units[units]));
    m_progress = 0;
    return TK_Done;
}

TK_Status TK_Text_Font::get_value(BStreamFileToolkit& tk, int setting)
{
    if (!(m_mask & m_value & setting))
        return TK_Done;
    if (m_progress == 0)
    {
        TK_TRY(GetData(tk, m_floats[float_slot(setting)]));
        m_progress = 1;
    }
    int const units = units_slot(setting);
    if (units >= 0)
        TK_TRY(GetData(tk, m_units[units]));
    m_progress = 0;
    return TK_Done;
}

TK_Status TK_Text_Font::Write(BStreamFileToolkit& tk)
{
    int const mask = carried_mask(m_mask);
    switch (m_stage)
    {
    case 0:
        m_written = mask & m_value;
        if (m_written & Name)
            TK_TRY(CheckNameLength(tk, m_name.size(), "text font name"));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, static_cast<unsigned char>(mask)));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, static_cast<unsigned char>(m_value)));
        ++m_stage;
        [[fallthrough]];
    case 3:
        if (mask & Wide_Mark)
            TK_TRY(PutData(tk, static_cast<unsigned char>(mask >> 8)));
        ++m_stage;
        [[fallthrough]];
    case 4:
        if (mask & Wide_Mark)
            TK_TRY(PutData(tk, static_cast<unsigned char>(m_value >> 8)));
        ++m_stage;
        [[fallthrough]];
    case 5:
    case 6:
        TK_TRY(PutNameSteps(tk, m_name, 5, m_written & Name));
        [[fallthrough]];
    case 7:
        TK_TRY(put_value(tk, F2));
        ++m_stage;
        [[fallthrough]];
    case 8:
        TK_TRY(put_value(tk, F4));
        ++m_stage;
        [[fallthrough]];
    case 9:
        if (m_written & F8)
            TK_TRY(PutData(tk, m_f8));
        ++m_stage;
        [[fallthrough]];
    case 10:
        TK_TRY(put_value(tk, F10));
        ++m_stage;
        [[fallthrough]];
    case 11:
        TK_TRY(put_value(tk, F20));
        ++m_stage;
        [[fallthrough]];
    case 12:
        TK_TRY(put_value(tk, F40));
        ++m_stage;
        [[fallthrough]];
    case 13:
        TK_TRY(put_value(tk, F100));
        ++m_stage;
        [[fallthrough]];
    case 14:
        TK_TRY(put_value(tk, F200));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Text_Font::Read(BStreamFileToolkit& tk)
{
    unsigned char byte = 0;
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetData(tk, byte));
        m_mask = byte;
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(GetData(tk, byte));
        m_value = byte;
        ++m_stage;
        [[fallthrough]];
    case 2:
        if (m_mask & Wide_Mark)
        {
            TK_TRY(GetData(tk, byte));
            m_mask |= byte << 8;
        }
        ++m_stage;
        [[fallthrough]];
    case 3:
        if (m_mask & Wide_Mark)
        {
            TK_TRY(GetData(tk, byte));
            m_value |= byte << 8;
        }
        ++m_stage;
        [[fallthrough]];
    case 4:
    case 5:
        TK_TRY(GetNameSteps(tk, m_name, 4, m_mask & m_value & Name));
        [[fallthrough]];
    case 6:
        TK_TRY(get_value(tk, F2));
        ++m_stage;
        [[fallthrough]];
    case 7:
        TK_TRY(get_value(tk, F4));
        ++m_stage;
        [[fallthrough]];
    case 8:
        if (m_mask & m_value & F8)
            TK_TRY(GetData(tk, m_f8));
        ++m_stage;
        [[fallthrough]];
    case 9:
        TK_TRY(get_value(tk, F10));
        ++m_stage;
        [[fallthrough]];
    case 10:
        TK_TRY(get_value(tk, F20));
        ++m_stage;
        [[fallthrough]];
    case 11:
        TK_TRY(get_value(tk, F40));
        ++m_stage;
        [[fallthrough]];
    case 12:
        TK_TRY(get_value(tk, F100));
        ++m_stage;
        [[fallthrough]];
    case 13:
        TK_TRY(get_value(tk, F200));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
