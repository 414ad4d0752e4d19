// The IG4 reader on arbitrary bytes seen as a file: its raster is
// opened, its properties made and its rows read strip by strip. Failures
// must be the codec's exception, never a crash, a leak or a runaway
// allocation.
#include "imaging/codecs/cals/CcittDiagnostics.h"
#include "imaging/codecs/rlc/RlcFormatCodec.h"
#include "imaging/codecs/tests/ReaderDriver.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Omvi::Ig4FormatCodec codec;
    static const auto silenced = Omvi::setCcittDiagnosticSink(nullptr);
    (void)silenced;
    OmviTest::ReaderLimits limits;
    limits.pixels = 4 * 1024 * 1024;
    OmviTest::exerciseFile(codec, data, size, limits);
    return 0;
}
