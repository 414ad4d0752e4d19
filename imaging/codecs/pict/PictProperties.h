#pragma once
// The picture codec's property set: only the side-car correlations.
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"

namespace Omvi
{

class PictPropertySetIterator : public FormatCodecPropertySetIterator
{
public:
    PictPropertySetIterator() = default;
    PictPropertySetIterator(const PictPropertySetIterator& other) = default;
};

} // namespace Omvi
