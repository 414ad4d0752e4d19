// The PICT reader on arbitrary bytes: the opcode walk, the frame's answers
// and every rendered row. Every failure must be the codec's answer (no
// rows) or the library's exception, never a crash, a leak, a hang or a
// runaway allocation.
#include "imaging/codecs/pict/PictFormatCodec.h"
#include "imaging/codecs/tests/ReaderDriver.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Omvi::PictFormatCodec codec;
    const OmviTest::ReaderLimits limits;
    OmviTest::exerciseFile(codec, data, size, limits);
    return 0;
}
