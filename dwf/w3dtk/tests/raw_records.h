#pragma once

// Records built by hand, fed into a stream between its header and terminator,
// for bytes no writer would produce.

#include "memory_streams.h"

namespace w3d_test
{

inline Emit raw_record(const Bytes& record)
{
    return [record](BStreamFileToolkit& tk, W3DStreamWriter&)
    {
        tk.Accumulator().write(reinterpret_cast<const char*>(record.data()),
                               static_cast<int>(record.size()));
    };
}

} // namespace w3d_test
