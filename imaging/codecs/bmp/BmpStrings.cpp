#include "imaging/codecs/bmp/BmpStrings.h"
#include "imaging/codecs/strings/CodecStringTable.h"

#include <iterator>

namespace Omvi
{
namespace
{

constexpr CodecStringEntry kEntries[] = {
    {BmpStringId::kExtension, "bmp"},
    {BmpStringId::kExtensionDib, "dib"},
    {BmpStringId::kExtensionRle, "rle"},
    {BmpStringId::kName, "BMP"},
    {BmpStringId::kDescription, "Windows and OS/2 device-independent bitmap"},
    {BmpStringId::kDensity, "Resolution"},
};

} // namespace

CodecStringBlock bmpStringBlock()
{
    return {"BMP", kEntries, std::size(kEntries)};
}

} // namespace Omvi
