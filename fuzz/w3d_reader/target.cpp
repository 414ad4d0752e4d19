// Reads a W3D stream record by record from the fuzzer's bytes through the
// toolkit's handler table, inflating compressed sections on the way. The first
// byte chooses how many bytes each refill delivers (so records are cut at every
// position), whether newer versions are accepted, and whether the dictionary
// is then looked up from the end of the stream.
#include "dwf/w3dtk/stream/stream_reader.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include "dwf/w3dtk/tests/memory_streams.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    std::uint8_t const choice = data[0];
    std::size_t const chunk = choice % 16 == 0 ? 4096 : choice % 16;
    w3d_test::Trickle_Input input(w3d_test::Bytes(data + 1, data + size), chunk);
    BStreamFileToolkit tk;
    if (choice & 0x40)
        tk.SetReadFlags(TK_Read_Newer_Versions);
    W3DStreamReader reader(tk, &input, static_cast<int>(chunk));
    reader.read();
    if (choice & 0x80)
    {
        tk.Accumulator().restart();
        if (tk.LocateDictionary() == TK_Done)
        {
            W3DStreamReader again(tk, &input, static_cast<int>(chunk));
            again.readRecord();
        }
    }
    return 0;
}
