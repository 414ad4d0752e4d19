#include "imaging/codecs/flic/FlicStrings.h"
#include "imaging/codecs/strings/CodecStringTable.h"

#include <iterator>

namespace Omvi
{
namespace
{

constexpr CodecStringEntry kEntries[] = {
    {FlicStringId::kName, "FLIC"},
    {FlicStringId::kDescription, "FLI and FLC animation (first frame)"},
    {FlicStringId::kCreditText, "FLIC frames decoded by the imaging library"},
    {FlicStringId::kExtension, "fli"},
    {FlicStringId::kExtensionFlc, "flc"},
};

} // namespace

CodecStringBlock flicStringBlock()
{
    return {"FLIC", kEntries, std::size(kEntries)};
}

} // namespace Omvi
