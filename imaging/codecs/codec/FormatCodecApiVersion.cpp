#include "imaging/codecs/codec/FormatCodecApiVersion.h"

#include <cstdlib>

namespace Omvi
{

int FormatCodecApiVersion::majorVersion() const
{
    return std::atoi(kCodecApiMajorText);
}

int FormatCodecApiVersion::minorVersion() const
{
    return std::atoi(kCodecApiMinorText);
}

} // namespace Omvi
