#include "imaging/codecs/jfif/JfifStrings.h"
#include "imaging/codecs/strings/CodecStringTable.h"

#include <iterator>

namespace Omvi
{
namespace
{

constexpr CodecStringEntry kEntries[] = {
    {JfifStringId::kName, "JFIF"},
    {JfifStringId::kDescription, "JPEG File Interchange Format"},
    {JfifStringId::kCreditText, "JPEG coding through the libjpeg library"},
    {JfifStringId::kExtension, "jpg"},
    {JfifStringId::kDensityName, "JFIF Density"},
    {JfifStringId::kDensityDescription, "Pixel density stored in the JFIF header"},
    {JfifStringId::kCommentName, "JFIF Comment"},
    {JfifStringId::kCommentDescription, "Text of the file's comment marker"},
    {JfifStringId::kProgressiveName, "Progressive Output"},
    {JfifStringId::kProgressiveDescription, "Writes a progressive rather than a sequential file"},
    {JfifStringId::kQualityName, "JPEG Quality"},
    {JfifStringId::kQualityDescription, "Compression quality from 0 (smallest) to 100 (best)"},
};

} // namespace

CodecStringBlock jfifStringBlock()
{
    return {"JFIF", kEntries, std::size(kEntries)};
}

} // namespace Omvi
