#include "dwf/w3dtk/records/text.h"

#include "dwf/w3dtk/records/record_steps.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>
#include <cstring>

namespace
{
// From this version on the length byte may announce a wider length.
constexpr int Wide_Length_Version = 601;
} // namespace

TK_Text::TK_Text(int opcode) : BBaseOpcodeHandler(opcode) {}

void TK_Text::Reset()
{
    m_length = 0;
    m_encoding = 0;
    m_written_length = 0;
    m_buffer.assign(1, '\0');
    BBaseOpcodeHandler::Reset();
}

void TK_Text::SetPosition(float x, float y, float z)
{
    m_position[0] = x;
    m_position[1] = y;
    m_position[2] = z;
}

void TK_Text::SetString(const char* text)
{
    SetString(text, text ? static_cast<int>(std::strlen(text)) : 0);
}

void TK_Text::SetString(const char* bytes, int length)
{
    m_length = bytes ? std::max(0, length) : 0;
    m_buffer.assign(bytes ? bytes : "", static_cast<std::size_t>(m_length));
    m_buffer.push_back('\0');
}

int TK_Text::carried(int length) const
{
    if (has_encoding() && m_encoding == Two_Byte_Encoding)
        return length & ~1;
    return length;
}

TK_Status TK_Text::Write(BStreamFileToolkit& tk)
{
    bool const wide = tk.GetTargetVersion() >= Wide_Length_Version;
    switch (m_stage)
    {
    case 0:
        TK_TRY(CheckCount(tk, m_length, "bad Text length"));
        // Old streams hold at most 255 bytes of text: a longer one is cut.
        m_written_length = wide ? m_length : std::min(m_length, 255);
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_position, 3));
        ++m_stage;
        [[fallthrough]];
    case 2:
        if (has_encoding())
            TK_TRY(PutData(tk, m_encoding));
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(tk_steps::PutLengthCode(tk, m_written_length, wide));
        ++m_stage;
        [[fallthrough]];
    case 4:
        TK_TRY(PutData(tk, m_buffer.data(), carried(m_written_length)));
        ++m_stage;
        [[fallthrough]];
    case 5:
        TK_TRY(tk_steps::TagIfAsked(tk));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Text::Read(BStreamFileToolkit& tk)
{
    bool const wide = tk.GetReadVersion() >= Wide_Length_Version;
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetData(tk, m_position, 3));
        ++m_stage;
        [[fallthrough]];
    case 1:
        if (has_encoding())
            TK_TRY(GetData(tk, m_encoding));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(tk_steps::GetLengthCode(tk, m_length, m_progress, "bad Text length", wide));
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(tk_steps::GetInSteps(tk, m_buffer, carried(m_length), m_progress));
        // A two-byte text of odd length leaves its last byte 0.
        m_buffer.resize(static_cast<std::size_t>(m_length) + 1, '\0');
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
