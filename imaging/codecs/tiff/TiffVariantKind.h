#pragma once
// The words for a TIFF directory of a layout the reader does not take, for
// a user who is to convert the file: "CMYK TIFF", "TIFF of 16 bits a sample
// (RGB)", "TIFF of old-style JPEG compression" ...
#include <string>

typedef struct tiff TIFF;

namespace Omvi
{

// What keeps the current directory of `tiff` from being read (`lzw`: the
// codec reads LZW-compressed data); empty when nothing does.
std::string tiffVariantKind(TIFF* tiff, bool lzw);
// Whether the reader takes the current directory of `tiff`: the probe and
// the words judge a directory by the same fields, read the same way.
bool tiffDirectoryReadable(TIFF* tiff, bool lzw);

} // namespace Omvi
