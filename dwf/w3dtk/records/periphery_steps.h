#pragma once

// Steps the periphery records share.

#include "dwf/w3dtk/stream/opcode_handler.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>
#include <vector>

// Reads `count` values into `values` in pieces, growing the vector only as far
// as the next piece, so a count taken from a stream costs memory in proportion
// to the bytes that actually arrive, not to what the count claims. `done`
// counts the values read so far and is kept across pending returns; the
// caller empties the vector and sets `done` to 0 before the first call.
template <class T>
TK_Status GetGrowing(BStreamFileToolkit& tk, std::vector<T>& values, int count, int& done)
{
    constexpr int Piece = 1 << 15;
    while (done < count)
    {
        int const piece = std::min(count - done, Piece);
        std::size_t const needed = static_cast<std::size_t>(done) + static_cast<std::size_t>(piece);
        if (values.size() < needed)
            values.resize(needed);
        TK_TRY(BBaseOpcodeHandler::GetData(tk, values.data() + done, piece));
        done += piece;
    }
    return TK_Done;
}

// The last step of records that tag their key when the toolkit is asked to
// tag every keyed record.
inline TK_Status TagIfAsked(BStreamFileToolkit& tk)
{
    return tk.GetWriteFlag(TK_Option_Tag_All) ? tk.TagPendingKeys(-1) : TK_Done;
}
