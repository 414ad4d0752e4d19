#include "imaging/codecs/tiff/writer/TiffPrepareRow.h"

#include "imaging/codecs/tiff/TiffLayout.h"

namespace Omvi
{

std::unique_ptr<TiffPrepareRow> TiffPrepareRow::create(int colorModel, int bitsPerPixel, int storedBits)
{
    if (colorModel == kTiffRgb && bitsPerPixel == 32 && storedBits == 24)
        return std::make_unique<TiffCompress32to24>();
    if (bitsPerPixel == 8 && storedBits == 4)
        return std::make_unique<TiffCompress8to4>();
    if (bitsPerPixel == 8 && storedBits == 2)
        return std::make_unique<TiffCompress8to2>();
    return nullptr;
}

void TiffCompress32to24::prepare(std::uint8_t* row, std::int64_t width) const
{
    for (std::int64_t i = 0; i < width; ++i)
    {
        row[i * 3] = row[i * 4];
        row[i * 3 + 1] = row[i * 4 + 1];
        row[i * 3 + 2] = row[i * 4 + 2];
    }
}

void TiffCompress8to4::prepare(std::uint8_t* row, std::int64_t width) const
{
    for (std::int64_t i = 0; i < width; i += 2)
    {
        const auto high = static_cast<std::uint8_t>((row[i] & 0x0F) << 4);
        const auto low = static_cast<std::uint8_t>(i + 1 < width ? row[i + 1] & 0x0F : 0);
        row[i / 2] = static_cast<std::uint8_t>(high | low);
    }
}

void TiffCompress8to2::prepare(std::uint8_t* row, std::int64_t width) const
{
    for (std::int64_t i = 0; i < width; i += 4)
    {
        std::uint8_t packed = 0;
        for (std::int64_t k = 0; k < 4; ++k)
        {
            const std::uint8_t value = i + k < width ? static_cast<std::uint8_t>(row[i + k] & 0x03) : 0;
            packed = static_cast<std::uint8_t>(packed | (value << (6 - 2 * k)));
        }
        row[i / 4] = packed;
    }
}

} // namespace Omvi
