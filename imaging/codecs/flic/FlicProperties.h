#pragma once
// The FLIC codec's property set: always empty.
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"

namespace Omvi
{

class FlicPropertySetIterator : public FormatCodecPropertySetIterator
{
public:
    FlicPropertySetIterator() = default;
    FlicPropertySetIterator(const FlicPropertySetIterator& other) = default;
};

} // namespace Omvi
