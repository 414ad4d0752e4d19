#include "dwf/w3dtk/records/color_values.h"

#include "dwf/w3dtk/records/color_masks.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>

using tk_color_masks::GetGeometryMask;
using tk_color_masks::PutGeometryMask;

// ---- by RGB

TK_Color_RGB::TK_Color_RGB() : BBaseOpcodeHandler('~') {}

void TK_Color_RGB::SetRGB(float red, float green, float blue)
{
    m_rgb[0] = red;
    m_rgb[1] = green;
    m_rgb[2] = blue;
}

TK_Status TK_Color_RGB::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutGeometryMask(tk, m_geometry));
        ++m_stage;
        [[fallthrough]];
    case 2:
    {
        unsigned char bytes[3];
        floats_to_bytes(m_rgb, 3, bytes);
        TK_TRY(PutData(tk, bytes, 3));
        m_stage = -1;
        return TK_Done;
    }
    default:
        return tk.Error();
    }
}

TK_Status TK_Color_RGB::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetGeometryMask(tk, m_geometry, m_progress));
        ++m_stage;
        [[fallthrough]];
    case 1:
    {
        unsigned char bytes[3];
        TK_TRY(GetData(tk, bytes, 3));
        bytes_to_floats(bytes, 3, m_rgb);
        m_stage = -1;
        return TK_Done;
    }
    default:
        return tk.Error();
    }
}

// ---- by value

TK_Color_By_Value::TK_Color_By_Value() : BBaseOpcodeHandler(0x0B) {}

void TK_Color_By_Value::SetValue(float a, float b, float c)
{
    m_value[0] = a;
    m_value[1] = b;
    m_value[2] = c;
}

TK_Status TK_Color_By_Value::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutGeometryMask(tk, m_geometry));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_space));
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(PutData(tk, m_value, 3));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Color_By_Value::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetGeometryMask(tk, m_geometry, m_progress));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(GetData(tk, m_space));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(GetData(tk, m_value, 3));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

// ---- by index

TK_Color_By_Index::TK_Color_By_Index(int opcode) : BBaseOpcodeHandler(opcode) {}

TK_Status TK_Color_By_Index::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        if (m_opcode != 0x08 && m_opcode != 0x09)
            return tk.Error();
        // The byte form would silently keep only the low 8 bits.
        if (m_index < 0 || m_index > (m_opcode == 0x08 ? 0xFF : 0xFFFF))
            return tk.ErrorF("colour index %d does not fit its record", m_index);
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutGeometryMask(tk, m_geometry));
        ++m_stage;
        [[fallthrough]];
    case 2:
        if (m_opcode == 0x08)
            TK_TRY(PutData(tk, static_cast<unsigned char>(m_index)));
        else
            TK_TRY(PutData(tk, static_cast<unsigned short>(m_index)));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Color_By_Index::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetGeometryMask(tk, m_geometry, m_progress));
        ++m_stage;
        [[fallthrough]];
    case 1:
        if (m_opcode == 0x08)
        {
            unsigned char index = 0;
            TK_TRY(GetData(tk, index));
            m_index = index;
        }
        else if (m_opcode == 0x09)
        {
            unsigned short index = 0;
            TK_TRY(GetData(tk, index));
            m_index = index;
        }
        else
            return tk.Error();
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

// ---- by fractional index

TK_Color_By_FIndex::TK_Color_By_FIndex() : BBaseOpcodeHandler(0x0A) {}

TK_Status TK_Color_By_FIndex::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutGeometryMask(tk, m_geometry));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_index));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Color_By_FIndex::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetGeometryMask(tk, m_geometry, m_progress));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(GetData(tk, m_index));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

// ---- colour map

TK_Color_Map::TK_Color_Map() : BBaseOpcodeHandler(0x0C) {}

void TK_Color_Map::SetColors(int count, const float* rgb)
{
    m_length = count;
    int const kept = std::clamp(count, 0, Max_Entries);
    std::fill(m_values.begin(), m_values.end(), 0.0f);
    if (rgb)
        std::copy(rgb, rgb + 3 * kept, m_values.begin());
}

TK_Status TK_Color_Map::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(CheckCount(tk, m_length, "bad Color Map length", Max_Entries));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_format));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_length));
        ++m_stage;
        [[fallthrough]];
    case 3:
    {
        unsigned char bytes[3 * Max_Entries];
        floats_to_bytes(m_values.data(), 3 * m_length, bytes);
        TK_TRY(PutData(tk, bytes, 3 * m_length));
        m_stage = -1;
        return TK_Done;
    }
    default:
        return tk.Error();
    }
}

TK_Status TK_Color_Map::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetData(tk, m_format));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(GetCheckedCount(tk, m_length, "bad Color Map length", Max_Entries));
        ++m_stage;
        [[fallthrough]];
    case 2:
    {
        unsigned char bytes[3 * Max_Entries];
        TK_TRY(GetData(tk, bytes, 3 * m_length));
        bytes_to_floats(bytes, 3 * m_length, m_values.data());
        m_stage = -1;
        return TK_Done;
    }
    default:
        return tk.Error();
    }
}
