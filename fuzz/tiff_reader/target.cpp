// Reads the fuzzer's bytes, seen as a file, as a TIFF: every frame's model,
// palette, orientation and properties (the GeoTIFF keys and the private
// placement record among them), every row, and every tile read directly.
// A damaged file may only raise the codec's corrupt-image exception.
#include "imaging/codecs/tests/MemoryFile.h"
#include "imaging/codecs/tests/TiffExercise.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Omvi::TiffFormatCodec codec(Omvi::TiffFormatCodec::kTextureMode);

    const OmviTest::MemoryFile file(data, size);
    if (!file.isOpen())
        return 0;
    // A small file may claim a picture of any size that decodes from next to
    // nothing (a blank fax page); a million pixels a frame keeps each run short.
    OmviTest::Tiff::ExerciseLimits limits;
    limits.frames = 4;
    limits.pixels = std::int64_t{1} << 20;
    const OmviTest::Tiff::ExerciseResult result = OmviTest::Tiff::exercise(codec, file.specifier(), limits);
    if (result.unexpected != 0)
        std::abort();
    return 0;
}
