// The JFIF reader on arbitrary bytes, through a file and through a data
// stream: every failure must be the codec's exception, never a crash, a
// leak or a runaway allocation. Frames larger than a few million pixels are
// opened but not decoded, which keeps each input quick. Every third input
// is read by a strict reader too, which stops at libjpeg's warnings.
#include "imaging/codecs/jfif/JfifFormatCodec.h"
#include "imaging/codecs/tests/ReaderDriver.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Omvi::JfifFormatCodec codec;
    static Omvi::JfifFormatCodec strict;
    strict.setStrictDecoding(true);
    OmviTest::ReaderLimits limits;
    limits.pixels = 1024 * 1024;
    OmviTest::exerciseFile(codec, data, size, limits);
    if (size % 2 == 1)
        OmviTest::exerciseStream(codec, data, size, size, limits);
    if (size % 3 == 0)
        OmviTest::exerciseStream(strict, data, size, size, limits);
    return 0;
}
