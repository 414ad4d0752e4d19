#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"

#include "imaging/codecs/correlation/ResourceCorrelation.h"
#include "imaging/codecs/correlation/TabCorrelation.h"
#include "imaging/codecs/correlation/WorldCorrelation.h"

namespace Omvi
{

CorrelationPropertySetIterator::CorrelationPropertySetIterator(std::int32_t mode, const ImageFormatCodec* codec,
                                                               const FileSpecifier& image,
                                                               const CorrelationOptionInterface* option)
{
    if (mode == kForReading)
    {
        const FormatCodecWorldCorrelation world(codec, image, option);
        append(&world);
        const FormatCodecResourceCorrelation resource(codec, image, option);
        append(&resource);
        const FormatCodecTabCorrelation tab(codec, image, option);
        append(&tab);
    }
    else
    {
        const FormatCodecWorldCorrelation world(image);
        append(&world);
        const FormatCodecResourceCorrelation resource(image);
        append(&resource);
    }
}

CorrelationPropertySetIterator::CorrelationPropertySetIterator(const CorrelationPropertySetIterator& other) = default;

CorrelationPropertySetIterator::~CorrelationPropertySetIterator() = default;

} // namespace Omvi
