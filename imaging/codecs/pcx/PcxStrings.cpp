#include "imaging/codecs/pcx/PcxStrings.h"
#include "imaging/codecs/strings/CodecStringTable.h"

#include <iterator>

namespace Omvi
{
namespace
{

constexpr CodecStringEntry kEntries[] = {
    {PcxStringId::kExtension, "pcx"},
    {PcxStringId::kName, "PCX"},
    {PcxStringId::kDescription, "PC Paintbrush image"},
    {PcxStringId::kDensityName, "PCX Density"},
    {PcxStringId::kDensityDescription, "Horizontal and vertical resolution in dots per inch"},
};

} // namespace

CodecStringBlock pcxStringBlock()
{
    return {"PCX", kEntries, std::size(kEntries)};
}

} // namespace Omvi
