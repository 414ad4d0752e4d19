#pragma once
// The container the RLC and IG4 files share: an optional 344-byte trailer
// at the end of the file that begins with a 16-byte signature and indexes
// the file's records (little-endian). The first entry's format code, at byte
// 26 of the trailer, tells the two apart.
#include <cstddef>
#include <cstdint>

namespace Omvi
{

class CodecFile;

namespace RlcContainer
{

constexpr std::size_t kTrailerSize = 344;
constexpr std::size_t kSignatureSize = 16;
extern const std::uint8_t kSignature[kSignatureSize];
constexpr std::uint16_t kRlcFormatCode = 2;
constexpr std::uint16_t kIg4FormatCode = 5;

// Whether the file ends in a trailer whose first entry has `formatCode`.
// Files of 344 bytes or fewer have no trailer.
bool hasTrailerOfFormat(const CodecFile& file, std::uint16_t formatCode);

} // namespace RlcContainer
} // namespace Omvi
