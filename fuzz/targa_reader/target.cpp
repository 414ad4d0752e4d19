// The Targa reader on arbitrary bytes: the probe, a frame, its palette and
// every row, twice (the run-length decoder starts over). Every failure must
// be the codec's exception, never a crash, a leak or a runaway allocation.
#include "imaging/codecs/targa/TargaFormatCodec.h"
#include "imaging/codecs/tests/ReaderDriver.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Omvi::TargaFormatCodec codec;
    // The sizes of a Targa file go up to 65535 each way.
    OmviTest::ReaderLimits limits;
    limits.pixels = 4 * 1024 * 1024;
    limits.passes = 2;
    OmviTest::exerciseFile(codec, data, size, limits);
    return 0;
}
