#include "dwf/w3dtk/records/color_masks.h"

#include "dwf/w3dtk/stream/toolkit.h"

namespace tk_color_masks
{

TK_Status PutGeometryMask(BStreamFileToolkit& tk, int mask)
{
    unsigned char bytes[3] = {static_cast<unsigned char>(mask & 0xFF),
                              static_cast<unsigned char>((mask >> 8) & 0xFF),
                              static_cast<unsigned char>((mask >> 16) & 0xFF)};
    int count = 1;
    if (mask & 0x80)
    {
        count = 2;
        if (mask & 0x8000)
            count = 3;
    }
    return BBaseOpcodeHandler::PutData(tk, bytes, count);
}

TK_Status GetGeometryMask(BStreamFileToolkit& tk, int& mask, int& progress)
{
    for (;;)
    {
        unsigned char byte = 0;
        switch (progress)
        {
        case 0:
            TK_TRY(BBaseOpcodeHandler::GetData(tk, byte));
            mask = byte;
            if (!(mask & 0x80))
                return TK_Done;
            progress = 1;
            break;
        case 1:
            TK_TRY(BBaseOpcodeHandler::GetData(tk, byte));
            mask |= byte << 8;
            if (!(mask & 0x8000))
            {
                progress = 0;
                return TK_Done;
            }
            progress = 2;
            break;
        case 2:
            TK_TRY(BBaseOpcodeHandler::GetData(tk, byte));
            mask |= byte << 16;
            progress = 0;
            return TK_Done;
        default:
            return tk.Error();
        }
    }
}

} // namespace tk_color_masks
