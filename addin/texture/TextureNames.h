#pragma once
// The name a converted texture takes: the source file's name without a
// three-character extension, followed by kConvertedSuffix. tex.bmp gives
// texxos_a1d9A_w2w95.jpg; a name whose extension is not three characters
// keeps its whole name (wood.tiff gives wood.tiffxos_a1d9A_w2w95.jpg).
#include <cstddef>
#include <string>
#include <string_view>

constexpr char16_t kConvertedSuffix[] = u"xos_a1d9A_w2w95.jpg";

// The longest path, in bytes with its terminator, that the conversion
// takes: longer source paths are refused and keep their texture as it is.
constexpr std::size_t kMaxTexturePathBytes = 260;

// The rule applied to a file name (or a whole path: only the characters
// before a '.' standing four characters from the end are kept).
std::u16string ConvertedTextureName(std::u16string_view name);
