#include "dwf/w3dtk/records/point.h"

#include "dwf/w3dtk/stream/toolkit.h"

namespace
{
constexpr int Text_Path = 0x7C;
}

TK_Point::TK_Point(int opcode) : BBaseOpcodeHandler(opcode) {}

void TK_Point::SetPoint(float x, float y, float z)
{
    m_point[0] = x;
    m_point[1] = y;
    m_point[2] = z;
}

TK_Status TK_Point::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_point, 3));
        ++m_stage;
        [[fallthrough]];
    case 2:
        if (m_opcode != Text_Path && tk.GetWriteFlag(TK_Option_Tag_All))
            TK_TRY(tk.TagPendingKeys(-1));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error("internal error in TK_Point::Write");
    }
}

TK_Status TK_Point::Read(BStreamFileToolkit& tk)
{
    if (m_stage != 0)
        return tk.Error("internal error in TK_Point::Read");
    TK_TRY(GetData(tk, m_point, 3));
    m_stage = -1;
    return TK_Done;
}
