#include "imaging/codecs/rlc/RlcContainer.h"

#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/codec/CodecFile.h"

#include <cstring>

namespace Omvi::RlcContainer
{

const std::uint8_t kSignature[kSignatureSize] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                 0x1A, 0x1A, 0x55, 0x64, 0x73, 0x82, 0x43, 0x4A};

bool hasTrailerOfFormat(const CodecFile& file, std::uint16_t formatCode)
{
    if (file.size() <= static_cast<std::int64_t>(kTrailerSize))
        return false;
    std::uint8_t trailer[kTrailerSize];
    if (!file.readAt(file.size() - static_cast<std::int64_t>(kTrailerSize), trailer, sizeof trailer))
        return false;
    return std::memcmp(trailer, kSignature, kSignatureSize) == 0 && ByteOrder::littleEndian16(&trailer[26]) == formatCode;
}

} // namespace Omvi::RlcContainer
