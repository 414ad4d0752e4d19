#pragma once
// The session's correlation option: when one is set, codecs opening an image
// ask it for the side-car correlation files (world, resource, tab files)
// instead of looking beside the image in the file system.
namespace Omvi
{

class FileSpecifier;
class ImageFormatCodec;
class StringBuffer;

class CorrelationOptionInterface
{
public:
    virtual ~CorrelationOptionInterface() = default;
    // True when `sideCar` was filled with the side-car file to use for the
    // image `image` read by `codec`; `extension` is the side-car kind asked
    // for (".res", ".tab", a world-file extension, or "WLD").
    virtual bool resolveSideCar(const ImageFormatCodec& codec, const FileSpecifier& image,
                                const StringBuffer& extension, FileSpecifier& sideCar) const = 0;
};

} // namespace Omvi
