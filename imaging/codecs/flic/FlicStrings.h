#pragma once
// Ids of the FLIC codec's texts (strings/CodecStrings.h loads them).
#include <cstdint>

namespace Omvi::FlicStringId
{

enum : std::int32_t
{
    kName = 3100,
    kDescription = 3101,
    kCreditText = 3102,
    kExtension = 3103,     // the default extension
    kExtensionFlc = 3104   // extension index 1
};

} // namespace Omvi::FlicStringId
