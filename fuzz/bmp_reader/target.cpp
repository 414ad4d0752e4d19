// The BMP reader on arbitrary bytes: a frame, its properties, and every
// row of the whole image and of a region. Every failure must be the
// codec's exception, never a crash, a leak or a runaway allocation.
#include "imaging/codecs/bmp/BmpFormatCodec.h"
#include "imaging/codecs/tests/ReaderDriver.h"

#include <cstddef>
#include <cstdint>
#include <utility>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Omvi::BmpFormatCodec codec;
    OmviTest::ReaderLimits limits;
    if (size > 2)
        limits.regionTopLeft = std::make_pair(data[size - 1] % 7, data[size - 2] % 13);
    OmviTest::exerciseFile(codec, data, size, limits);
    return 0;
}
