#pragma once
// Ids of the PCX codec's texts (strings/CodecStrings.h loads them).
#include <cstdint>

namespace Omvi::PcxStringId
{

enum : std::int32_t
{
    kExtension = 8100,
    kName = 8101,
    kDescription = 8102,
    kDensityName = 8103,
    kDensityDescription = 8104
};

} // namespace Omvi::PcxStringId
