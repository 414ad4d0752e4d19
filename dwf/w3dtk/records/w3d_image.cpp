#include "dwf/w3dtk/records/w3d_image.h"

#include "dwf/w3dtk/records/record_steps.h"
#include "dwf/w3dtk/stream/toolkit.h"

W3D_Image::W3D_Image() : BBaseOpcodeHandler(Opcode) {}

void W3D_Image::Reset()
{
    m_name.clear();
    BBaseOpcodeHandler::Reset();
}

void W3D_Image::SetSize(int width, int height)
{
    m_width = width;
    m_height = height;
}

TK_Status W3D_Image::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(CheckNameLength(tk, m_name.size(), "image name"));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
    case 2:
        TK_TRY(PutNameSteps(tk, m_name, 1));
        [[fallthrough]];
    case 3:
        TK_TRY(PutData(tk, m_width));
        ++m_stage;
        [[fallthrough]];
    case 4:
        TK_TRY(PutData(tk, m_height));
        ++m_stage;
        [[fallthrough]];
    case 5:
        TK_TRY(PutData(tk, m_depth));
        ++m_stage;
        [[fallthrough]];
    case 6:
        TK_TRY(tk_steps::TagIfAsked(tk));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status W3D_Image::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
    case 1:
        TK_TRY(GetNameSteps(tk, m_name, 0));
        [[fallthrough]];
    case 2:
        TK_TRY(GetData(tk, m_width));
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(GetData(tk, m_height));
        ++m_stage;
        [[fallthrough]];
    case 4:
        TK_TRY(GetData(tk, m_depth));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
