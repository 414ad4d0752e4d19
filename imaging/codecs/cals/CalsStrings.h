#pragma once
// Ids of the CALS codec's texts (strings/CodecStrings.h loads them).
#include <cstdint>

namespace Omvi::CalsStringId
{

enum : std::int32_t
{
    kExtension = 1100,  // the default extension
    kExtension1 = 1101,
    kExtension2 = 1102,
    kExtension3 = 1103,
    kExtension4 = 1104,
    kName = 1105,
    kCompatibilityName = 1106,
    kCompatibilityDescription = 1107,
    kSourceDocumentDescription = 1108,       // srcdocid:
    kDestinationDocumentDescription = 1109,  // dstdocid:
    kTextFileDescription = 1110,             // txtfilid:
    kFigureDescription = 1111,               // figid:
    kSourceGraphicsDescription = 1112,       // srcgph:
    kDocumentClassDescription = 1113,        // doccls:
    kDensityDescription = 1114,
    kNotesDescription = 1115,  // notes:
    kDescription = 1116,
    kCreditText = 1117,
    kExtension5 = 1118,
    kDensityName = 1119
};

} // namespace Omvi::CalsStringId
