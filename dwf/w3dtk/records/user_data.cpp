#include "dwf/w3dtk/records/user_data.h"

#include "dwf/w3dtk/records/record_steps.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>
#include <cstring>

namespace
{
void assign_bytes(std::string& to, const char* bytes, int size)
{
    if (bytes && size > 0)
        to.assign(bytes, static_cast<std::size_t>(size));
    else
        to.clear();
}
} // namespace

// ---- user indices

TK_User_Index::TK_User_Index() : BBaseOpcodeHandler('n') {}

void TK_User_Index::Reset()
{
    m_indices.clear();
    m_values.clear();
    m_count = 0;
    BBaseOpcodeHandler::Reset();
}

void TK_User_Index::SetIndices(int count, const int* indices, const int* values)
{
    std::size_t const n = static_cast<std::size_t>(std::max(0, count));
    m_indices.assign(n, 0);
    m_values.assign(n, 0);
    if (indices)
        std::copy(indices, indices + n, m_indices.begin());
    if (values)
        std::copy(values, values + n, m_values.begin());
}

TK_Status TK_User_Index::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(CheckCount(tk, GetCount(), "bad User Index count"));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, GetCount()));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(tk_steps::PutAll(tk, m_indices, GetCount()));
        ++m_stage;
        [[fallthrough]];
    case 3:
        for (; m_progress < GetCount(); ++m_progress)
            TK_TRY(PutData(tk, m_values[static_cast<std::size_t>(m_progress)]));
        m_progress = 0;
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_User_Index::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetCheckedCount(tk, m_count, "bad User Index count"));
        m_values.clear();
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(tk_steps::GetInSteps(tk, m_indices, m_count, m_progress));
        ++m_stage;
        [[fallthrough]];
    case 2:
        // One value at a time, so the array grows with what the stream holds.
        while (static_cast<int>(m_values.size()) < m_count)
        {
            int value = 0;
            TK_TRY(GetData(tk, value));
            m_values.push_back(value);
        }
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

// ---- user value

TK_User_Value::TK_User_Value() : BBaseOpcodeHandler('v') {}

TK_Status TK_User_Value::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_value));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_User_Value::Read(BStreamFileToolkit& tk)
{
    if (m_stage != 0)
        return tk.Error();
    TK_TRY(GetData(tk, m_value));
    m_stage = -1;
    return TK_Done;
}

// ---- user data

TK_User_Data::TK_User_Data() : BBaseOpcodeHandler('[') {}

void TK_User_Data::Reset()
{
    m_data.clear();
    m_size = 0;
    BBaseOpcodeHandler::Reset();
}

void TK_User_Data::SetUserData(const char* bytes, int size)
{
    assign_bytes(m_data, bytes, size);
}

TK_Status TK_User_Data::Execute(BStreamFileToolkit&)
{
    return TK_Done;
}

TK_Status TK_User_Data::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(CheckCount(tk, GetSize(), "bad User Data size"));
        TK_TRY(PutOpcode(tk, 0));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, GetSize()));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_data.data(), GetSize()));
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(PutData(tk, Stop_Opcode));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_User_Data::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetCheckedCount(tk, m_size, "bad User Data size"));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(tk_steps::GetInSteps(tk, m_data, m_size, m_progress));
        ++m_stage;
        [[fallthrough]];
    case 2:
    {
        unsigned char stop = 0;
        TK_TRY(GetData(tk, stop));
        if (stop != Stop_Opcode)
            return tk.Error();
        m_stage = -1;
        return TK_Done;
    }
    default:
        return tk.Error();
    }
}

// ---- XML

TK_XML::TK_XML() : BBaseOpcodeHandler(0x18) {}

void TK_XML::Reset()
{
    m_text.clear();
    m_size = 0;
    BBaseOpcodeHandler::Reset();
}

void TK_XML::SetXML(const char* text, int size)
{
    assign_bytes(m_text, text, size);
}

void TK_XML::SetXML(const char* text)
{
    SetXML(text, text ? static_cast<int>(std::strlen(text)) : 0);
}

TK_Status TK_XML::Execute(BStreamFileToolkit&)
{
    return TK_Done;
}

TK_Status TK_XML::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        if (tk.GetTargetVersion() < First_Version)
        {
            m_stage = -1;
            return TK_Done;
        }
        TK_TRY(CheckCount(tk, GetSize(), "bad XML size"));
        TK_TRY(PutOpcode(tk, 0));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, GetSize()));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_text.data(), GetSize()));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_XML::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetCheckedCount(tk, m_size, "bad XML size"));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(tk_steps::GetInSteps(tk, m_text, m_size, m_progress));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
