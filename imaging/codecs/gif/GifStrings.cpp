#include "imaging/codecs/gif/GifStrings.h"
#include "imaging/codecs/strings/CodecStringTable.h"

#include <iterator>

namespace Omvi
{
namespace
{

constexpr CodecStringEntry kEntries[] = {
    {GifStringId::kName, "GIF"},
    {GifStringId::kDescription, "Graphics Interchange Format (first image)"},
    {GifStringId::kCreditText, "GIF images decoded by the imaging library's own LZW decoder"},
    {GifStringId::kExtension, "gif"},
};

} // namespace

CodecStringBlock gifStringBlock()
{
    return {"GIF", kEntries, std::size(kEntries)};
}

} // namespace Omvi
