#pragma once
// The Targa codec's property set: it holds only side-car correlations, as
// Targa has no density of its own.
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"

namespace Omvi
{

class TargaPropertySetIterator : public FormatCodecPropertySetIterator
{
public:
    TargaPropertySetIterator() = default;
    TargaPropertySetIterator(const TargaPropertySetIterator& other) = default;
};

} // namespace Omvi
