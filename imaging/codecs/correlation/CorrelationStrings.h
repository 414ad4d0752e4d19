#pragma once
// Ids of the side-car correlations' texts (strings/CodecStrings.h loads
// them).
#include <cstdint>

namespace Omvi::CorrelationStringId
{

enum : std::int32_t
{
    kResourceName = 15117,
    kResourceDescription = 15118,
    kTabName = 15119,
    kTabDescription = 15120,
    kWorldName = 15121,
    kWorldDescription = 15122
};

} // namespace Omvi::CorrelationStringId
