// Number text from package XML through DWFString::ParseDouble.
#include "dwfcore/String.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double value = DWFCore::DWFString::ParseDouble(text.c_str());

    // Whatever was read is written and read back exactly.
    if (std::isfinite(value))
    {
        char written[64];
        std::snprintf(written, sizeof(written), "%.17g", value);
        if (DWFCore::DWFString::ParseDouble(written) != value)
        {
            std::abort();
        }
    }
    return 0;
}
