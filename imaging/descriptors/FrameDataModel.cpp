#include "imaging/descriptors/FrameDataModel.h"

#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/descriptors/CodecProperties.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/DataModel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/models/RgbPaletteModel.h"

#include <algorithm>
#include <array>

namespace Omvi
{

namespace
{
constexpr std::int32_t kSampleFormatProperty = 14;

// The sample format property's value as the library numbers it: 1 unsigned,
// 2 signed, 3 floating point; 0 without the property (or for a value the
// library does not know).
std::int32_t sampleFormatOf(ReadImageFileFrameInterface& frame)
{
    FormatCodecPropertyInterface* property = frame.getPropertyOfType(kSampleFormatProperty);
    const std::int32_t value = sampleFormatValue(property);
    deleteProperty(property);
    return value >= 0 && value <= 2 ? value + 1 : 0;
}

std::unique_ptr<DataModel> paletteModelOf(ReadImageFileFrameInterface& frame, std::int32_t bitsUsed)
{
    const std::int32_t count = paletteEntriesToRead(bitsUsed, frame.paletteCount());
    std::array<std::uint8_t, 3 * RgbPaletteModel::kMaxEntries> records{};
    std::array<RgbColor, RgbPaletteModel::kMaxEntries> colors{};
    if (count > 0)
        frame.getPalette(count, records.data());
    for (std::int32_t i = 0; i < count; ++i)
        colors[static_cast<std::size_t>(i)] =
            RgbColor(records[static_cast<std::size_t>(3 * i)], records[static_cast<std::size_t>(3 * i + 1)],
                     records[static_cast<std::size_t>(3 * i + 2)], 0xFF);
    return std::make_unique<RgbPaletteModel>(bitsUsed, count, colors.data());
}
} // namespace

std::int32_t paletteEntriesToRead(std::int32_t bitsUsed, std::int32_t count)
{
    const std::int32_t addressable = std::int32_t{1} << std::clamp(bitsUsed, 1, 8);
    return std::clamp(count, 0, addressable);
}

std::unique_ptr<DataModel> dataModelOfFrame(ReadImageFileFrameInterface& frame)
{
    switch (frame.dataModelKind())
    {
    case kColorSpaceRgb:
        return std::make_unique<RgbModel>(std::clamp(frame.bitsPerPixel(), 1, 32));
    case kColorSpacePalette:
        return paletteModelOf(frame, frame.bitsPerPixel());
    case kColorSpaceGray:
        return std::make_unique<RgbGrayModel>();
    case kColorSpaceBitonal:
        return std::make_unique<BitonalModel>();
    default:
        break;
    }
    const std::int32_t bits = frame.bitsPerPixel();
    const std::int32_t dataType = frame.sampleKind();
    if (bitsPerPixelOf(dataType) == 0)
        return nullptr;
    return std::make_unique<DataModel>(sampleFormatOf(frame), dataType, bits);
}

} // namespace Omvi
