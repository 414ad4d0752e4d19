#pragma once

// The variable-width masks of the colour records.
//
// The geometry mask (to which kinds of geometry a colour applies) travels as
// 1 to 3 bytes: byte 0 holds bits 0-7, byte 1 (bits 8-15) follows when bit 7
// is set, byte 2 (bits 16-23) when bit 15 is set. Bits 7 and 15 are members of
// the mask as well as the marks, so the writer leaves them as the client set
// them: a client that uses higher bits sets the marks, otherwise the higher
// bits are not carried.
//
// The channel mask of TK_Color travels the same way in 1 or 2 bytes; its bit 7
// names no channel and is only the mark.

#include "dwf/w3dtk/stream/opcode_handler.h"

namespace tk_color_masks
{

// One write of 1-3 bytes.
TK_Status PutGeometryMask(BStreamFileToolkit& tk, int mask);
// Resumable: `progress` holds the byte reached (0 when done).
TK_Status GetGeometryMask(BStreamFileToolkit& tk, int& mask, int& progress);

} // namespace tk_color_masks
