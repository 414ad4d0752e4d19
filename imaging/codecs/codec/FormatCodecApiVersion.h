#pragma once
// The interface-version object every codec has, made statically beside its
// codec: it answers the interface version the codec was built against.
#include "imaging/codecs/FormatCodecApiVersionInterface.h"

namespace Omvi
{

// The interface version as the version records write it.
constexpr const char* kCodecApiMajorText = "3";
constexpr const char* kCodecApiMinorText = "0";

class FormatCodecApiVersion : public FormatCodecApiVersionInterface
{
public:
    int majorVersion() const override;
    int minorVersion() const override;
};

} // namespace Omvi
