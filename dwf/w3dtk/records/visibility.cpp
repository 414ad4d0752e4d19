#include "dwf/w3dtk/records/visibility.h"

#include "dwf/w3dtk/stream/toolkit.h"

namespace
{
constexpr int Wide_Mark = 0x80;

// One field of 1 or 2 bytes.
TK_Status put_narrow_or_wide(BStreamFileToolkit& tk, int bits, bool wide)
{
    if (wide)
        return BBaseOpcodeHandler::PutData(tk, static_cast<unsigned short>(bits));
    return BBaseOpcodeHandler::PutData(tk, static_cast<unsigned char>(bits));
}

TK_Status get_narrow_or_wide(BStreamFileToolkit& tk, int& bits, bool wide)
{
    if (wide)
    {
        unsigned short value = 0;
        TK_TRY(BBaseOpcodeHandler::GetData(tk, value));
        bits = value;
        return TK_Done;
    }
    unsigned char value = 0;
    TK_TRY(BBaseOpcodeHandler::GetData(tk, value));
    bits = value;
    return TK_Done;
}
} // namespace

// ---- visibility

TK_Visibility::TK_Visibility() : BBaseOpcodeHandler('V') {}

TK_Status TK_Visibility::Write(BStreamFileToolkit& tk)
{
    bool const wide = (m_mask & Wide_Mark) != 0;
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, static_cast<unsigned char>(m_mask)));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, static_cast<unsigned char>(m_value)));
        ++m_stage;
        [[fallthrough]];
    case 3:
        if (wide)
            TK_TRY(PutData(tk, static_cast<unsigned short>(m_mask >> 8)));
        ++m_stage;
        [[fallthrough]];
    case 4:
        if (wide)
            TK_TRY(PutData(tk, static_cast<unsigned short>(m_value >> 8)));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Visibility::Read(BStreamFileToolkit& tk)
{
    unsigned char byte = 0;
    unsigned short bits = 0;
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
            TK_TRY(GetData(tk, bits));
            m_mask |= bits << 8;
        }
        ++m_stage;
        [[fallthrough]];
    case 3:
        if (m_mask & Wide_Mark)
        {
            TK_TRY(GetData(tk, bits));
            m_value |= bits << 8;
        }
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

// ---- selectability

TK_Selectability::TK_Selectability() : BBaseOpcodeHandler('!') {}

TK_Status TK_Selectability::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        if (tk.GetTargetVersion() < First_Version)
        {
            m_stage = -1;
            return TK_Done;
        }
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(put_narrow_or_wide(tk, m_mask, wide()));
        ++m_stage;
        [[fallthrough]];
    case 2:
        for (; m_progress < Settings; ++m_progress)
            TK_TRY(put_narrow_or_wide(tk, m_settings[m_progress], wide()));
        m_progress = 0;
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Selectability::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(get_narrow_or_wide(tk, m_mask, false));
        ++m_stage;
        [[fallthrough]];
    case 1:
        if (wide())
        {
            int high = 0;
            TK_TRY(get_narrow_or_wide(tk, high, false));
            m_mask |= high << 8;
        }
        ++m_stage;
        [[fallthrough]];
    case 2:
        for (; m_progress < Settings; ++m_progress)
            TK_TRY(get_narrow_or_wide(tk, m_settings[m_progress], wide()));
        m_progress = 0;
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
