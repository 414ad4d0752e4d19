#include "imaging/conversions/ConvertToPalette.h"

#include "imaging/conversions/BitRows.h"
#include "imaging/conversions/ConversionErrors.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbPaletteModel.h"

#include <array>

namespace Omvi
{

ConvertToPalette::ConvertToPalette(RowProviderInterface* input, std::int32_t sourceColorSpace)
    : ConversionFilter(sourceColorSpace), source_(sourceColorSpace)
{
    if (source_ != kColorSpaceGray && source_ != kColorSpaceBitonal)
        unsupportedConversion();
    const DataModel& model = connectDirectly(input, source_);
    if (source_ == kColorSpaceGray)
    {
        std::array<RgbColor, 256> ramp;
        for (int g = 0; g < 256; ++g)
        {
            const auto level = static_cast<std::uint8_t>(g);
            ramp[g] = RgbColor(level, level, level, 255);
        }
        complete(RgbPaletteModel(256, ramp.data()), true);
        return;
    }
    const auto& bitonal = static_cast<const BitonalModel&>(model);
    const RgbColor entries[2] = {RgbColor(255, 255, 255, bitonal.paperAlpha()),
                                 RgbColor(0, 0, 0, bitonal.inkAlpha())};
    complete(RgbPaletteModel(2, entries), false);
}

void ConvertToPalette::convertRow(const std::uint8_t* in, std::uint8_t* out)
{
    if (source_ == kColorSpaceGray)
        return;
    const std::uint8_t paper = 0;
    const std::uint8_t ink = 1;
    BitRows::expand<1>(in, out, width(), &paper, &ink);
}

void ConvertToPalette::convertPixel(ImagePixel& pixel)
{
    if (pixel.kind == kPixelPalette)
        return;
    const std::uint8_t index = source_ == kColorSpaceGray ? pixel.lowByte() : (pixel.value != 0 ? 1 : 0);
    pixel = ImagePixel(kPixelPalette, index);
}

} // namespace Omvi
