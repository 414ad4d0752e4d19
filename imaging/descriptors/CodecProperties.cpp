#include "imaging/descriptors/CodecProperties.h"

#include "imaging/codecs/properties/CompoundProperties.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"

namespace Omvi
{

std::int32_t sampleFormatValue(const FormatCodecPropertyInterface* property)
{
    if (property == nullptr || property->propertyType() != FormatCodecPropertyInterface::kSampleFormat ||
        property->valueType() != FormatCodecPropertyInterface::kCompound)
        return -1;
    // Type 14 belongs to the codec framework's sample format property alone.
    return static_cast<const FormatCodecSampleFormatProperty*>(property)->sampleFormat();
}

bool offerEachProperty(FormatCodecPropertySetIterator& properties,
                       const std::function<bool(const FormatCodecPropertyInterface*)>& offer)
{
    for (properties.start(); !properties.isDone(); properties.next())
    {
        const bool taken = offer(properties.current());
        properties.release();
        if (!taken)
            return false;
    }
    return true;
}

void deleteProperty(FormatCodecPropertyInterface* property)
{
    delete property;
}

void deletePropertySet(FormatCodecPropertySetIterator* properties)
{
    delete properties;
}

} // namespace Omvi
