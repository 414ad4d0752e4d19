#include "imaging/codecs/codec/DecodedRow.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"

#include <cstring>

namespace Omvi
{

void deliverDecodedRow(DataBuffer& row, const std::vector<std::uint8_t>& decoded, std::int32_t bytes)
{
    if (row.size() < bytes)
        throw new ImageFilterException("Row buffer too small", ImageFilterException::kRowBufferTooSmall);
    if (bytes <= 0)
        return;
    if (decoded.empty())
        std::memset(row.data(), 0, static_cast<std::size_t>(bytes));
    else
        std::memcpy(row.data(), decoded.data(), static_cast<std::size_t>(bytes));
}

} // namespace Omvi
