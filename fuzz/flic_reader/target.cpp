// The FLIC reader on arbitrary bytes: the first frame's chunks, the frame's
// answers and every row. Every failure must be the codec's answer (no
// rows) or the library's exception, never a crash, a leak, a hang or a
// runaway allocation.
#include "imaging/codecs/flic/FlicFormatCodec.h"
#include "imaging/codecs/tests/ReaderDriver.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Omvi::FlicFormatCodec codec;
    const OmviTest::ReaderLimits limits;
    OmviTest::exerciseFile(codec, data, size, limits);
    return 0;
}
