#pragma once
// The side-car correlations a codec attaches to an image it opens: for
// reading a world, a resource and a tab correlation that looked for their
// files beside the image (each present whether or not its file was found,
// and valid only when it was); for writing a world and a resource
// correlation that name the files to write (a tab file is never written).
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"

#include <cstdint>

namespace Omvi
{

class CorrelationOptionInterface;
class FileSpecifier;
class ImageFormatCodec;

class CorrelationPropertySetIterator : public FormatCodecPropertySetIterator
{
public:
    enum Mode : std::int32_t
    {
        kForReading = 0,
        kForWriting = 1  // any mode but 0
    };

    // `option` (may be null) resolves the side-car files instead of the file
    // system when reading.
    CorrelationPropertySetIterator(std::int32_t mode, const ImageFormatCodec* codec, const FileSpecifier& image,
                                   const CorrelationOptionInterface* option);
    CorrelationPropertySetIterator(const CorrelationPropertySetIterator& other);
    ~CorrelationPropertySetIterator() override;
};

} // namespace Omvi
