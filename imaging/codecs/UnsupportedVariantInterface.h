#pragma once
// The second base of the codecs that can say which kind of their format a
// file is when their probe answers kUnsupportedVariant (reached by a cast of
// the codec), so that whoever refuses the file can tell its user what to
// convert it to instead of only that it cannot be read.
#include <string>

namespace Omvi
{

class FileSpecifier;

class UnsupportedVariantInterface
{
public:
    // 0
    virtual ~UnsupportedVariantInterface() = default;
    // 1: when the codec's probe calls `file` an unsupported variant, the kind
    // of file it is, in words that name the format ("CMYK TIFF", "BMP with
    // run-length compression (RLE8)"); empty for any other file, and for a
    // variant the codec has no words for. Never throws.
    virtual std::string unsupportedVariant(const FileSpecifier& file) const = 0;
};

} // namespace Omvi
