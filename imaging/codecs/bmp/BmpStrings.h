#pragma once
// Ids of the BMP codec's texts (strings/CodecStrings.h loads them).
#include <cstdint>

namespace Omvi::BmpStringId
{

enum : std::int32_t
{
    kExtension = 101,     // the default extension
    kExtensionDib = 102,  // extension index 1
    kExtensionRle = 103,  // extension index 2
    kName = 104,
    kDescription = 105,
    kDensity = 106  // name and description of the density property
};

} // namespace Omvi::BmpStringId
