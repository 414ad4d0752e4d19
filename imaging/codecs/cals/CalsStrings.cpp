#include "imaging/codecs/cals/CalsStrings.h"
#include "imaging/codecs/strings/CodecStringTable.h"

#include <iterator>

namespace Omvi
{
namespace
{

using namespace CalsStringId;

constexpr CodecStringEntry kEntries[] = {
    {kExtension, "cal"},
    {kExtension1, "cals"},
    {kExtension2, "ct1"},
    {kExtension3, "gp4"},
    {kExtension4, "mil"},
    {kExtension5, "ras"},
    {kName, "CALS"},
    {kDescription, "CALS Type 1 raster (Group 4 coded bilevel image)"},
    {kCreditText, "Bilevel coding by the imaging library's own Group 3 and Group 4 coder"},
    {kCompatibilityName, "Compatibility Mode"},
    {kCompatibilityDescription, "Writes header records the way older CALS readers expect them"},
    {kSourceDocumentDescription, "Source document identifier"},
    {kDestinationDocumentDescription, "Destination document identifier"},
    {kTextFileDescription, "Text file identifier"},
    {kFigureDescription, "Figure identifier"},
    {kSourceGraphicsDescription, "Source graphics name"},
    {kDocumentClassDescription, "Document class"},
    {kNotesDescription, "Notes"},
    {kDensityName, "Raster Density"},
    {kDensityDescription, "Raster density in pels per inch"},
};

} // namespace

CodecStringBlock calsStringBlock()
{
    return {"CALS", kEntries, std::size(kEntries)};
}

} // namespace Omvi
