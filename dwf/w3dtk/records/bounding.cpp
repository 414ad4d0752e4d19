#include "dwf/w3dtk/records/bounding.h"

#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>

namespace
{
constexpr int Bounding_Info = 0x42;
}

TK_Bounding::TK_Bounding(int opcode) : BBaseOpcodeHandler(opcode) {}

void TK_Bounding::SetBox(const float minimum[3], const float maximum[3])
{
    m_type = Box;
    std::copy(minimum, minimum + 3, m_values);
    std::copy(maximum, maximum + 3, m_values + 3);
}

void TK_Bounding::SetSphere(const float centre[3], float radius)
{
    m_type = Sphere;
    std::copy(centre, centre + 3, m_values);
    m_values[3] = radius;
    m_values[4] = m_values[5] = 0;
}

void TK_Bounding::publish(BStreamFileToolkit& tk) const
{
    if (m_opcode != Bounding_Info)
        return;
    if (m_type == Sphere)
        tk.SetWorldBoundingBySphere(m_values, m_values[3]);
    else
        tk.SetWorldBounding(m_values);
}

TK_Status TK_Bounding::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_type));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_values, value_count()));
        publish(tk);
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error("internal error in TK_Bounding::Write");
    }
}

TK_Status TK_Bounding::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetData(tk, m_type));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(GetData(tk, m_values, value_count()));
        publish(tk);
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error("internal error in TK_Bounding::Read");
    }
}
