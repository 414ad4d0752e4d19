#include "dwf/w3dtk/records/texture.h"

#include "dwf/w3dtk/stream/toolkit.h"

namespace
{
// The position of a single option-byte bit, or -1.
int option_byte_of(int bit)
{
    for (int i = 0; i < 10; ++i)
        if (bit == (1 << i))
            return i;
    return -1;
}
} // namespace

TK_Texture::TK_Texture() : BBaseOpcodeHandler('t') {}

void TK_Texture::Reset()
{
    m_name.clear();
    m_image.clear();
    m_option_string.clear();
    m_flags = 0;
    BBaseOpcodeHandler::Reset();
}

void TK_Texture::SetOptionByte(int bit, int value)
{
    int const at = option_byte_of(bit);
    if (at >= 0)
        m_option_bytes[at] = static_cast<unsigned char>(value);
}

int TK_Texture::GetOptionByte(int bit) const
{
    int const at = option_byte_of(bit);
    return at >= 0 ? m_option_bytes[at] : 0;
}

void TK_Texture::SetOptionPair(float first, float second)
{
    m_pair[0] = first;
    m_pair[1] = second;
}

TK_Status TK_Texture::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(CheckNameLength(tk, m_name.size(), "texture name"));
        TK_TRY(CheckNameLength(tk, m_image.size(), "texture image name"));
        if (m_flags & Option_String)
            TK_TRY(CheckNameLength(tk, m_option_string.size(), "texture option string"));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
    case 2:
        TK_TRY(PutNameSteps(tk, m_name, 1));
        [[fallthrough]];
    case 3:
    case 4:
        TK_TRY(PutNameSteps(tk, m_image, 3));
        [[fallthrough]];
    case 5:
        TK_TRY(PutData(tk, m_flags));
        ++m_stage;
        [[fallthrough]];
    case 6:
        for (; m_progress < 10; ++m_progress)
            if (m_flags & (1 << m_progress))
                TK_TRY(PutData(tk, m_option_bytes[m_progress]));
        m_progress = 0;
        ++m_stage;
        [[fallthrough]];
    case 7:
        if (m_flags & Option_Pair)
            TK_TRY(PutData(tk, m_pair, 2));
        ++m_stage;
        [[fallthrough]];
    case 8:
    case 9:
        TK_TRY(PutNameSteps(tk, m_option_string, 8, m_flags & Option_String));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Texture::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
    case 1:
        TK_TRY(GetNameSteps(tk, m_name, 0));
        [[fallthrough]];
    case 2:
    case 3:
        TK_TRY(GetNameSteps(tk, m_image, 2));
        [[fallthrough]];
    case 4:
        TK_TRY(GetData(tk, m_flags));
        ++m_stage;
        [[fallthrough]];
    case 5:
        for (; m_progress < 10; ++m_progress)
            if (m_flags & (1 << m_progress))
                TK_TRY(GetData(tk, m_option_bytes[m_progress]));
        m_progress = 0;
        ++m_stage;
        [[fallthrough]];
    case 6:
        if (m_flags & Option_Pair)
            TK_TRY(GetData(tk, m_pair, 2));
        ++m_stage;
        [[fallthrough]];
    case 7:
    case 8:
        TK_TRY(GetNameSteps(tk, m_option_string, 7, m_flags & Option_String));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
