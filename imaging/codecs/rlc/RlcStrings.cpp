#include "imaging/codecs/rlc/RlcStrings.h"
#include "imaging/codecs/strings/CodecStringTable.h"

#include <iterator>

namespace Omvi
{
namespace
{

constexpr CodecStringEntry kRlcEntries[] = {
    {RlcStringId::kName, "RLC"},
    {RlcStringId::kDescription, "Run-length coded bilevel raster"},
    {RlcStringId::kCreditText, "RLC rasters decoded by the imaging library"},
    {RlcStringId::kExtension, "rlc"},
    {RlcStringId::kCorrelationName, "RLC Placement"},
    {RlcStringId::kCorrelationDescription, "Position, scale and rotation of the raster in model units"},
    {RlcStringId::kImageReferenceName, "Image Reference"},
    {RlcStringId::kImageReferenceDescription, "Name of a raster file the file refers to"},
    {RlcStringId::kForegroundColorName, "Foreground Color"},
    {RlcStringId::kForegroundColorDescription, "Colour in which the set pixels are drawn"},
    {RlcStringId::kRasterEditsName, "Raster Edits"},
    {RlcStringId::kRasterEditsDescription, "Shapes drawn over or erased from the raster"},
    {RlcStringId::kRectangleEditName, "Rectangle Edit"},
    {RlcStringId::kRectangleEditDescription, "A rectangle drawn or erased"},
    {RlcStringId::kPolygonEditName, "Polygon Edit"},
    {RlcStringId::kPolygonEditDescription, "A polygon drawn or erased"},
    {RlcStringId::kCircleEditName, "Circle Edit"},
    {RlcStringId::kCircleEditDescription, "A circle drawn or erased"},
    {RlcStringId::kDonutEditName, "Donut Edit"},
    {RlcStringId::kDonutEditDescription, "A ring between two circles drawn or erased"},
    {RlcStringId::kArcEditName, "Arc Edit"},
    {RlcStringId::kArcEditDescription, "An arc drawn or erased"},
    {RlcStringId::kDensityName, "RLC Density"},
    {RlcStringId::kDensityDescription, "Scan resolution of the raster"},
};

constexpr CodecStringEntry kIg4Entries[] = {
    {Ig4StringId::kName, "IG4"},
    {Ig4StringId::kDescription, "Group 4 coded bilevel raster in strips"},
    {Ig4StringId::kCreditText, "IG4 rasters decoded by the imaging library's own Group 4 decoder"},
    {Ig4StringId::kExtension, "ig4"},
    {Ig4StringId::kCorrelationName, "IG4 Placement"},
    {Ig4StringId::kCorrelationDescription, "Position, scale and rotation of the raster in model units"},
    {Ig4StringId::kForegroundColorName, "Foreground Color"},
    {Ig4StringId::kForegroundColorDescription, "Colour in which the set pixels are drawn"},
    {Ig4StringId::kRasterEditsName, "Raster Edits"},
    {Ig4StringId::kRasterEditsDescription, "Shapes drawn over or erased from the raster"},
    {Ig4StringId::kRectangleEditName, "Rectangle Edit"},
    {Ig4StringId::kRectangleEditDescription, "A rectangle drawn or erased"},
    {Ig4StringId::kPolygonEditName, "Polygon Edit"},
    {Ig4StringId::kPolygonEditDescription, "A polygon drawn or erased"},
    {Ig4StringId::kCircleEditName, "Circle Edit"},
    {Ig4StringId::kCircleEditDescription, "A circle drawn or erased"},
    {Ig4StringId::kDonutEditName, "Donut Edit"},
    {Ig4StringId::kDonutEditDescription, "A ring between two circles drawn or erased"},
    {Ig4StringId::kArcEditName, "Arc Edit"},
    {Ig4StringId::kArcEditDescription, "An arc drawn or erased"},
    {Ig4StringId::kDensityName, "IG4 Density"},
    {Ig4StringId::kDensityDescription, "Scan resolution of the raster"},
};

} // namespace

CodecStringBlock rlcStringBlock()
{
    return {"RLC", kRlcEntries, std::size(kRlcEntries)};
}

CodecStringBlock ig4StringBlock()
{
    return {"IG4", kIg4Entries, std::size(kIg4Entries)};
}

} // namespace Omvi
