#pragma once
// Ids of the GIF codec's texts (strings/CodecStrings.h loads them).
#include <cstdint>

namespace Omvi::GifStringId
{

enum : std::int32_t
{
    kName = 5100,
    kDescription = 5101,
    kCreditText = 5102,
    kExtension = 5103
};

} // namespace Omvi::GifStringId
