#pragma once
// The few places where this library looks into codec properties (which the
// codec library defines): the value of a frame's sample format property and
// the walk over a frame's property set. They are plain virtual calls on
// objects the codec library made; they live in this one file, built
// without the sanitizer's check of dynamic types, because that check would
// name the properties' type information, which only the codec library holds
// and this library does not link.
#include <cstdint>
#include <functional>

namespace Omvi
{

class FormatCodecPropertyInterface;
class FormatCodecPropertySetIterator;

// The sample format (0 unsigned, 1 signed, 2 floating point) carried by a
// property of type 14, or -1 for a null property or one of another type.
std::int32_t sampleFormatValue(const FormatCodecPropertyInterface* property);
// Hands each property of the set to `offer`, from the first, until `offer`
// refuses one; answers whether every property was taken.
bool offerEachProperty(FormatCodecPropertySetIterator& properties,
                       const std::function<bool(const FormatCodecPropertyInterface*)>& offer);
// Deletes a property or a set handed out by a codec.
void deleteProperty(FormatCodecPropertyInterface* property);
void deletePropertySet(FormatCodecPropertySetIterator* properties);

} // namespace Omvi
