// Reads the fuzzer's bytes as a PNG: as a file through the codec's reader
// (frame, properties, rows), then as a stream handed out one byte per read.
// Rows are read until 4 MB of them have been delivered, so a small input
// declaring a huge image costs time in proportion. Every third input is read
// as a file by a strict reader too, which refuses CRC errors in any chunk.
#include "imaging/codecs/png/PngFormatCodec.h"
#include "imaging/codecs/tests/ReaderDriver.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Omvi::PngFormatCodec codec;
    static Omvi::PngFormatCodec strict;
    strict.setStrictDecoding(true);
    OmviTest::ReaderLimits limits;
    limits.rowBytes = 4 << 20;
    OmviTest::exerciseFile(codec, data, size, limits);
    OmviTest::exerciseStream(codec, data, size, 1, limits);
    if (size % 3 == 0)
        OmviTest::exerciseFile(strict, data, size, limits);
    return 0;
}
