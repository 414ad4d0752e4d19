#pragma once
// A TIFF directory as the codec's properties: what a directory being read
// holds (template mode off), or what a directory being written can take,
// with its defaults (template mode on).
#include <memory>

typedef struct tiff TIFF;

namespace Omvi
{

class TiffFormatCodecPropertySetIterator;

// The properties of the directory `tiff` is on, in the codec's order:
// density, transparency, photometric interpretation, compression, data
// organisation, fill order, the text tags, grey response curve, sample
// range, sample format, association and page information. `lzwCapable`
// offers LZW among the compressions.
std::unique_ptr<TiffFormatCodecPropertySetIterator> buildTiffDirectoryPropertySet(TIFF* tiff, bool lzwCapable,
                                                                                  bool templateMode);

} // namespace Omvi
