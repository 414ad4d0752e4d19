#include "dwf/w3dtk/records/user_options.h"

#include "dwf/w3dtk/records/record_steps.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>

namespace
{
constexpr int Long_Form = 0xFFFF;

// The length as the short field holds it.
unsigned short short_length(std::size_t length)
{
    return static_cast<unsigned short>(std::min<std::size_t>(length, Long_Form));
}

// Reads the length in its short or long form; `progress` is 1 once the short
// form is in. A refused length leaves `length` 0.
TK_Status get_length(BStreamFileToolkit& tk, int& length, int& progress, const char* message)
{
    if (progress == 0)
    {
        unsigned short value = 0;
        TK_TRY(BBaseOpcodeHandler::GetData(tk, value));
        length = value;
        progress = 1;
    }
    if (length == Long_Form)
        TK_TRY(tk_steps::GetLongLength(tk, length, progress, message));
    progress = 0;
    return TK_Done;
}
} // namespace

// ---- 8-bit options

TK_User_Options::TK_User_Options() : BBaseOpcodeHandler('U') {}

void TK_User_Options::SetOptions(const char* bytes, int length)
{
    if (bytes && length > 0)
        m_text.assign(bytes, static_cast<std::size_t>(length));
    else
        m_text.clear();
}

void TK_User_Options::Reset()
{
    m_text.clear();
    m_length = 0;
    for (BBaseOpcodeHandler*& attached : m_attached)
    {
        if (attached)
            attached->Reset();
        attached = nullptr;
    }
    BBaseOpcodeHandler::Reset();
}

TK_Status TK_User_Options::Write(BStreamFileToolkit& tk)
{
    // An empty text writes no record of its own; attached handlers still write theirs.
    bool const own = !m_text.empty();
    switch (m_stage)
    {
    case 0:
        if (own)
        {
            TK_TRY(CheckCount(tk, GetLength(), "bad User Options length"));
            TK_TRY(PutOpcode(tk));
        }
        ++m_stage;
        [[fallthrough]];
    case 1:
        if (own)
            TK_TRY(PutData(tk, short_length(m_text.size())));
        ++m_stage;
        [[fallthrough]];
    case 2:
        if (own && m_text.size() >= Long_Form)
            TK_TRY(PutData(tk, GetLength()));
        ++m_stage;
        [[fallthrough]];
    case 3:
        if (own)
            TK_TRY(PutData(tk, m_text.data(), GetLength()));
        ++m_stage;
        [[fallthrough]];
    case 4:
        if (m_attached[0])
            TK_TRY(m_attached[0]->Write(tk));
        ++m_stage;
        [[fallthrough]];
    case 5:
        if (m_attached[1])
            TK_TRY(m_attached[1]->Write(tk));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_User_Options::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(get_length(tk, m_length, m_progress, "bad User Options length"));
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

// ---- 16-bit options

TK_Unicode_Options::TK_Unicode_Options() : BBaseOpcodeHandler(0x16) {}

void TK_Unicode_Options::Reset()
{
    m_text.clear();
    m_length = 0;
    BBaseOpcodeHandler::Reset();
}

TK_Status TK_Unicode_Options::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        if (m_text.empty() || tk.GetTargetVersion() < First_Version)
        {
            m_stage = -1;
            return TK_Done;
        }
        TK_TRY(CheckCount(tk, GetLength(), "bad Unicode Options length"));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, short_length(m_text.size())));
        ++m_stage;
        [[fallthrough]];
    case 2:
        if (m_text.size() >= Long_Form)
            TK_TRY(PutData(tk, GetLength()));
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(tk_steps::PutAll(tk, m_text, GetLength()));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Unicode_Options::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(get_length(tk, m_length, m_progress, "bad Unicode Options length"));
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
