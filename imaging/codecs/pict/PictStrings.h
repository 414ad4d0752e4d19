#pragma once
// Ids of the PICT codec's texts (strings/CodecStrings.h loads them).
#include <cstdint>

namespace Omvi::PictStringId
{

enum : std::int32_t
{
    kName = 10100,
    kDescription = 10101,
    kCreditText = 10102,
    kExtension = 10103,      // extension index 0
    kExtensionPict = 10104   // every other index
};

} // namespace Omvi::PictStringId
