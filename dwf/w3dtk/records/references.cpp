#include "dwf/w3dtk/records/references.h"

#include "dwf/w3dtk/records/record_steps.h"
#include "dwf/w3dtk/stream/toolkit.h"

namespace
{
constexpr char Bad_Length[] = "bad reference length";
} // namespace

// ---- length-coded text

void TK_Length_Coded_Text::Reset()
{
    m_text.clear();
    m_length = 0;
    BBaseOpcodeHandler::Reset();
}

TK_Status TK_Length_Coded_Text::Write(BStreamFileToolkit& tk)
{
    int const length = GetLength();
    switch (m_stage)
    {
    case 0:
        if (tk.GetTargetVersion() < First_Version)
        {
            m_stage = -1;
            return TK_Done;
        }
        TK_TRY(CheckCount(tk, length, Bad_Length));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(tk_steps::PutLengthCode(tk, length));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_text.data(), length));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Length_Coded_Text::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(tk_steps::GetLengthCode(tk, m_length, m_progress, Bad_Length));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(tk_steps::GetInSteps(tk, m_text, m_length, m_progress));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

// ---- external reference and URL

TK_External_Reference::TK_External_Reference() : TK_Length_Coded_Text(0x12) {}

TK_Status TK_External_Reference::Execute(BStreamFileToolkit& tk)
{
    tk.AddExternalReference(tk.ResolveReference(GetString().c_str()).c_str(), -1);
    return TK_Done;
}

TK_URL::TK_URL() : TK_Length_Coded_Text(0x15) {}

// ---- callback

TK_Callback::TK_Callback() : BBaseOpcodeHandler(0x07) {}

void TK_Callback::Reset()
{
    m_name.clear();
    m_length = 0;
    BBaseOpcodeHandler::Reset();
}

TK_Status TK_Callback::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        if (m_name.empty())
        {
            m_stage = -1;
            return TK_Done;
        }
        // A longer name would read back with a negative length.
        if (GetLength() > Max_Length)
            return tk.ErrorF("callback name of %d bytes is longer than %d", GetLength(),
                             Max_Length);
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, static_cast<short>(GetLength())));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_name.data(), GetLength()));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Callback::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
    {
        short length = 0;
        TK_TRY(GetData(tk, length));
        if (length < 0)
            return tk.Error("bad Callback length");
        m_length = length;
        m_name.assign(static_cast<std::size_t>(m_length), '\0');
        ++m_stage;
    }
        [[fallthrough]];
    case 1:
        TK_TRY(GetData(tk, &m_name[0], m_length));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
