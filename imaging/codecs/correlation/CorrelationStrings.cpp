#include "imaging/codecs/correlation/CorrelationStrings.h"
#include "imaging/codecs/strings/CodecStringTable.h"

#include <iterator>

namespace Omvi
{
namespace
{

using namespace CorrelationStringId;

constexpr CodecStringEntry kEntries[] = {
    {kResourceName, "Resource File Correlation"},
    {kResourceDescription, "Placement of the image read from a .res file beside it"},
    {kTabName, "Tab File Correlation"},
    {kTabDescription, "Placement of the image from the control points of a .tab file beside it"},
    {kWorldName, "World File Correlation"},
    {kWorldDescription, "Placement of the image read from a world file beside it"},
};

} // namespace

CodecStringBlock correlationStringBlock()
{
    return {"correlation", kEntries, std::size(kEntries)};
}

} // namespace Omvi
