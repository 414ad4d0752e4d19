#pragma once

// Steps that many records share.
//
// Reading arrays whose length comes from the stream:
// A record that announces n elements is read in steps of at most Step_Bytes
// bytes, the container growing by one step at a time. A stream that claims
// millions of elements but holds a few bytes therefore costs one step of memory,
// not what it claims, and a pending read resumes at the first element not yet
// read (`done` keeps the count across calls, normally the handler's progress).

#include "dwf/w3dtk/stream/opcode_handler.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>
#include <cstddef>

namespace tk_steps
{

constexpr int Step_Bytes = 1 << 16;

// UTF-16 text travels as unsigned 16-bit units; everything else through the
// primitive of its own type.
template <class T> TK_Status get_elements(BStreamFileToolkit& tk, T* values, int count)
{
    return BBaseOpcodeHandler::GetData(tk, values, count);
}
inline TK_Status get_elements(BStreamFileToolkit& tk, char16_t* values, int count)
{
    static_assert(sizeof(char16_t) == sizeof(unsigned short), "16-bit units");
    return BBaseOpcodeHandler::GetData(tk, reinterpret_cast<unsigned short*>(values), count);
}
template <class T> TK_Status put_elements(BStreamFileToolkit& tk, const T* values, int count)
{
    return BBaseOpcodeHandler::PutData(tk, values, count);
}
inline TK_Status put_elements(BStreamFileToolkit& tk, const char16_t* values, int count)
{
    return BBaseOpcodeHandler::PutData(tk, reinterpret_cast<const unsigned short*>(values), count);
}

// Reads `total` elements into `values` (a std::vector or a string), which
// the first call empties. TK_Done when all are there; `done` is then 0 again.
template <class Container>
TK_Status GetInSteps(BStreamFileToolkit& tk, Container& values, int total, int& done)
{
    using Element = typename Container::value_type;
    constexpr int step = std::max<int>(1, Step_Bytes / static_cast<int>(sizeof(Element)));
    if (total < 0 || done < 0 || done > total)
        return tk.Error("bad array count");
    if (done == 0)
        values.clear();
    while (done < total)
    {
        int const n = std::min(step, total - done);
        values.resize(static_cast<std::size_t>(done) + static_cast<std::size_t>(n));
        TK_TRY(get_elements(tk, &values[static_cast<std::size_t>(done)], n));
        done += n;
    }
    values.resize(static_cast<std::size_t>(total));
    done = 0;
    return TK_Done;
}

// Writes the first `count` elements of `values` in one write; a container
// holding fewer is an error, never an over-read.
template <class Container>
TK_Status PutAll(BStreamFileToolkit& tk, const Container& values, int count)
{
    if (count <= 0)
        return TK_Done;
    if (values.size() < static_cast<std::size_t>(count))
        return tk.Error("array shorter than the count its record gives");
    return put_elements(tk, &values[0], count);
}

// The last step of the records that are tagged when the toolkit tags every
// record: gives the pending keys their tags. TK_Pending repeats the step;
// keys tagged already are skipped then.
inline TK_Status TagIfAsked(BStreamFileToolkit& tk)
{
    if (!tk.GetWriteFlag(TK_Option_Tag_All))
        return TK_Done;
    return tk.TagPendingKeys(-1);
}

} // namespace tk_steps
