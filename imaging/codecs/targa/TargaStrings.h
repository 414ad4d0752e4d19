#pragma once
// Ids of the Targa codec's texts (strings/CodecStrings.h loads them).
#include <cstdint>

namespace Omvi::TargaStringId
{

enum : std::int32_t
{
    kName = 13100,
    kDescription = 13101,
    kCreditText = 13102,
    kExtension = 13103
};

} // namespace Omvi::TargaStringId
