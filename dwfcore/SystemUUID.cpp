#include "dwfcore/SystemUUID.h"

#include <cerrno>
#include <cstddef>
#include <sys/random.h>

namespace DWFCore
{

namespace
{

long fromOperatingSystem(DWFSystemUUID& uuid)
{
    unsigned char bytes[16];
    std::size_t filled = 0;
    while (filled < sizeof(bytes))
    {
        const ssize_t got = getrandom(bytes + filled, sizeof(bytes) - filled, 0);
        if (got < 0)
        {
            if (errno == EINTR)
            {
                continue;
            }
            return kDWFUUIDStatusNoAddress;
        }
        filled += static_cast<std::size_t>(got);
    }
    uuid.data1 =
        static_cast<std::uint32_t>(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
    uuid.data2 = static_cast<std::uint16_t>(bytes[4] << 8 | bytes[5]);
    // Version 4 (random) and the standard variant, as random UUIDs carry.
    uuid.data3 = static_cast<std::uint16_t>(0x4000 | ((bytes[6] & 0x0F) << 8) | bytes[7]);
    uuid.data4[0] = static_cast<std::uint8_t>(0x80 | (bytes[8] & 0x3F));
    for (int i = 1; i < 8; ++i)
    {
        uuid.data4[i] = bytes[8 + i];
    }
    return kDWFUUIDStatusOK;
}

DWFSystemUUIDSource currentSource = fromOperatingSystem;

} // namespace

long DWFCreateSystemUUID(DWFSystemUUID& uuid)
{
    return currentSource(uuid);
}

DWFSystemUUIDSource DWFReplaceSystemUUIDSource(DWFSystemUUIDSource source)
{
    DWFSystemUUIDSource previous = currentSource;
    currentSource = source == nullptr ? fromOperatingSystem : source;
    return previous;
}

} // namespace DWFCore
