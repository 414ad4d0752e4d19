#pragma once
// Ids of the RLC and IG4 codecs' texts (strings/CodecStrings.h loads them).
// Both families name the same kinds of properties; each has its own block.
#include <cstdint>

namespace Omvi::RlcStringId
{

enum : std::int32_t
{
    kName = 12100,
    kDescription = 12101,
    kCreditText = 12102,
    kExtension = 12103,
    kCorrelationName = 12104,
    kCorrelationDescription = 12105,
    kImageReferenceName = 12106,
    kImageReferenceDescription = 12107,
    kForegroundColorName = 12108,
    kForegroundColorDescription = 12109,
    kRasterEditsName = 12110,
    kRasterEditsDescription = 12111,
    kRectangleEditName = 12112,
    kRectangleEditDescription = 12113,
    kPolygonEditName = 12114,
    kPolygonEditDescription = 12115,
    kCircleEditName = 12116,
    kCircleEditDescription = 12117,
    kDonutEditName = 12118,
    kDonutEditDescription = 12119,
    kArcEditName = 12120,
    kArcEditDescription = 12121,
    kDensityName = 12122,
    kDensityDescription = 12123
};

// The name of the RLC private property of kind code 1-8 (foreground colour,
// image reference, raster edits, rectangle, polygon, circle, donut, arc); 0
// for any other code.
constexpr std::int32_t privatePropertyNameId(std::int32_t kind)
{
    switch (kind)
    {
    case 1: return kForegroundColorName;
    case 2: return kImageReferenceName;
    case 3: return kRasterEditsName;
    case 4: return kRectangleEditName;
    case 5: return kPolygonEditName;
    case 6: return kCircleEditName;
    case 7: return kDonutEditName;
    case 8: return kArcEditName;
    default: return 0;
    }
}

} // namespace Omvi::RlcStringId

namespace Omvi::Ig4StringId
{

enum : std::int32_t
{
    kName = 6100,
    kDescription = 6101,
    kCreditText = 6102,
    kExtension = 6103,
    kCorrelationName = 6104,
    kCorrelationDescription = 6105,
    kForegroundColorName = 6106,
    kForegroundColorDescription = 6107,
    kRasterEditsName = 6108,
    kRasterEditsDescription = 6109,
    kRectangleEditName = 6110,
    kRectangleEditDescription = 6111,
    kPolygonEditName = 6112,
    kPolygonEditDescription = 6113,
    kCircleEditName = 6114,
    kCircleEditDescription = 6115,
    kDonutEditName = 6116,
    kDonutEditDescription = 6117,
    kArcEditName = 6118,
    kArcEditDescription = 6119,
    kDensityName = 6120,
    kDensityDescription = 6121
};

// The name of the IG4 private property of kind code 1-7 (foreground colour,
// raster edits, rectangle, polygon, circle, donut, arc); 0 for any other.
constexpr std::int32_t privatePropertyNameId(std::int32_t kind)
{
    switch (kind)
    {
    case 1: return kForegroundColorName;
    case 2: return kRasterEditsName;
    case 3: return kRectangleEditName;
    case 4: return kPolygonEditName;
    case 5: return kCircleEditName;
    case 6: return kDonutEditName;
    case 7: return kArcEditName;
    default: return 0;
    }
}

} // namespace Omvi::Ig4StringId
