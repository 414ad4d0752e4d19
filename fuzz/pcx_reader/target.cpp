// Reads the fuzzer's bytes as a PCX through the codec's reader: frame,
// palette, properties and rows. Rows are read until 4 MB of them have been
// delivered, so a small input declaring a huge image costs time in
// proportion.
#include "imaging/codecs/pcx/PcxFormatCodec.h"
#include "imaging/codecs/tests/ReaderDriver.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Omvi::PcxFormatCodec codec;
    OmviTest::ReaderLimits limits;
    limits.rowBytes = 4 << 20;
    OmviTest::exerciseFile(codec, data, size, limits);
    return 0;
}
