#pragma once
// The failures the conversion filters raise when built for a pair of colour
// spaces they do not convert between.
#include "imaging/OMVIException.h"

namespace Omvi
{

[[noreturn]] inline void unsupportedConversion()
{
    throw static_cast<OMVIException*>(new ImageFilterException(
        "Unsupported conversion", ImageFilterException::kUnsupportedConversion));
}

} // namespace Omvi
