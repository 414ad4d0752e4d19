#include "dwf/w3dtk/records/font.h"

#include "dwf/w3dtk/records/record_steps.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>

namespace
{
constexpr char Unknown_Type[] = "Unknown font type";
constexpr char Bad_Data_Length[] = "bad Font data length";
} // namespace

TK_Font::TK_Font() : BBaseOpcodeHandler('f') {}

void TK_Font::Reset()
{
    m_name.clear();
    m_lookup.clear();
    m_data.clear();
    m_encoding = 0;
    m_length = 0;
    BBaseOpcodeHandler::Reset();
}

void TK_Font::SetFontData(const char* bytes, int length)
{
    if (bytes && length > 0)
        m_data.assign(bytes, static_cast<std::size_t>(length));
    else
        m_data.clear();
}

TK_Status TK_Font::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        if (m_type != 0)
            return tk.Error(Unknown_Type);
        TK_TRY(CheckNameLength(tk, m_name.size(), "font name"));
        TK_TRY(CheckNameLength(tk, m_lookup.size(), "font lookup"));
        if (m_data.size() > static_cast<std::size_t>(Max_Count))
            return tk.Error(Bad_Data_Length);
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_type));
        ++m_stage;
        [[fallthrough]];
    case 2:
    case 3:
        TK_TRY(PutNameSteps(tk, m_name, 2));
        [[fallthrough]];
    case 4:
        TK_TRY(PutData(tk, m_encoding));
        ++m_stage;
        [[fallthrough]];
    case 5:
    case 6:
        TK_TRY(PutNameSteps(tk, m_lookup, 5));
        [[fallthrough]];
    case 7:
        TK_TRY(PutData(tk, static_cast<int>(m_data.size())));
        ++m_stage;
        [[fallthrough]];
    case 8:
        TK_TRY(PutData(tk, m_data.data(), static_cast<int>(m_data.size())));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Font::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetData(tk, m_type));
        if (m_type != 0)
            return tk.Error(Unknown_Type);
        ++m_stage;
        [[fallthrough]];
    case 1:
    case 2:
        TK_TRY(GetNameSteps(tk, m_name, 1));
        [[fallthrough]];
    case 3:
        TK_TRY(GetData(tk, m_encoding));
        ++m_stage;
        [[fallthrough]];
    case 4:
    case 5:
        TK_TRY(GetNameSteps(tk, m_lookup, 4));
        [[fallthrough]];
    case 6:
        TK_TRY(GetCheckedCount(tk, m_length, Bad_Data_Length));
        ++m_stage;
        [[fallthrough]];
    case 7:
        TK_TRY(tk_steps::GetInSteps(tk, m_data, m_length, m_progress));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
