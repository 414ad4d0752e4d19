#pragma once
// Ids of the JFIF codec's texts (strings/CodecStrings.h loads them).
#include <cstdint>

namespace Omvi::JfifStringId
{

enum : std::int32_t
{
    kName = 7100,
    kDescription = 7101,
    kCreditText = 7102,
    kExtension = 7103,
    kDensityName = 7104,
    kDensityDescription = 7105,
    kCommentName = 7106,  // also the JFIF private property name
    kCommentDescription = 7107,
    kProgressiveName = 7108,
    kProgressiveDescription = 7109,
    kQualityName = 7110,
    kQualityDescription = 7111
};

} // namespace Omvi::JfifStringId
