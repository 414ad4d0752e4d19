#ifndef DWFCORE_SYSTEMUUID_H
#define DWFCORE_SYSTEMUUID_H

#include <cstdint>

namespace DWFCore
{

// A 128-bit identifier in the operating system's layout.
struct DWFSystemUUID
{
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

// Status codes of a UUID source.
constexpr long kDWFUUIDStatusOK = 0;
// The source has no identity to offer; callers fall back to their own scheme.
constexpr long kDWFUUIDStatusNoAddress = 1739;

//
// The system UUID source: fills `uuid` with a random (version 4) identifier
// from the operating system's random bytes and returns a status.
//
long DWFCreateSystemUUID(DWFSystemUUID& uuid);

//
// Test seam: makes `source` the system UUID source (null restores the
// operating system's) and returns the previous one.
//
using DWFSystemUUIDSource = long (*)(DWFSystemUUID& uuid);
DWFSystemUUIDSource DWFReplaceSystemUUIDSource(DWFSystemUUIDSource source);

} // namespace DWFCore

#endif
