#include "imaging/codecs/targa/TargaStrings.h"
#include "imaging/codecs/strings/CodecStringTable.h"

#include <iterator>

namespace Omvi
{
namespace
{

constexpr CodecStringEntry kEntries[] = {
    {TargaStringId::kName, "Targa"},
    {TargaStringId::kDescription, "Targa image (TGA)"},
    {TargaStringId::kCreditText, "Targa files read and written by the imaging library"},
    {TargaStringId::kExtension, "tga"},
};

} // namespace

CodecStringBlock targaStringBlock()
{
    return {"Targa", kEntries, std::size(kEntries)};
}

} // namespace Omvi
