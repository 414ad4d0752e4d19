#include "imaging/codecs/pict/PictStrings.h"
#include "imaging/codecs/strings/CodecStringTable.h"

#include <iterator>

namespace Omvi
{
namespace
{

constexpr CodecStringEntry kEntries[] = {
    {PictStringId::kName, "PICT"},
    {PictStringId::kDescription, "PICT picture (raster content)"},
    {PictStringId::kCreditText, "Pictures rendered by the imaging library's own picture decoder"},
    {PictStringId::kExtension, "pct"},
    {PictStringId::kExtensionPict, "pict"},
};

} // namespace

CodecStringBlock pictStringBlock()
{
    return {"PICT", kEntries, std::size(kEntries)};
}

} // namespace Omvi
