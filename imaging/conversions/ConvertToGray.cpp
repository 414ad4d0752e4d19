#include "imaging/conversions/ConvertToGray.h"

#include "imaging/conversions/BitRows.h"
#include "imaging/conversions/ConversionErrors.h"
#include "imaging/conversions/GrayLevel.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbColor.h"
#include "imaging/models/RgbPaletteModel.h"

namespace Omvi
{

ConvertToGray::ConvertToGray(RowProviderInterface* input, std::int32_t sourceColorSpace)
    : ConversionFilter(sourceColorSpace), source_(sourceColorSpace)
{
    if (source_ != kColorSpaceRgb && source_ != kColorSpacePalette && source_ != kColorSpaceBitonal)
        unsupportedConversion();
    const DataModel& model = connectDirectly(input, source_);
    RgbGrayModel output;
    if (source_ == kColorSpacePalette)
    {
        const auto& palette = static_cast<const RgbPaletteModel&>(model);
        for (int i = 0; i < 256; ++i)
        {
            const RgbColor color = palette.entry(static_cast<std::uint8_t>(i));
            levels_[i] = GrayLevel::ofColor(color.red(), color.green(), color.blue());
            if (i < palette.numEntries())
                output.setAlpha(levels_[i], color.alpha());
        }
    }
    else if (source_ == kColorSpaceBitonal)
    {
        const auto& bitonal = static_cast<const BitonalModel&>(model);
        levels_[0] = 255;
        levels_[1] = 0;
        output.setAlpha(0, bitonal.inkAlpha());
        output.setAlpha(255, bitonal.paperAlpha());
    }
    complete(output, false);
}

void ConvertToGray::convertRow(const std::uint8_t* in, std::uint8_t* out)
{
    const std::int32_t n = width();
    if (source_ == kColorSpaceRgb)
    {
        GrayLevel::ofRow(in, out, n);
    }
    else if (source_ == kColorSpacePalette)
    {
        for (std::int32_t i = 0; i < n; ++i)
            out[i] = levels_[in[i]];
    }
    else
    {
        const std::uint8_t paper = 255;
        const std::uint8_t ink = 0;
        BitRows::expand<1>(in, out, n, &paper, &ink);
    }
}

void ConvertToGray::convertPixel(ImagePixel& pixel)
{
    if (pixel.kind == kPixelGray)
        return;
    std::uint8_t level;
    if (source_ == kColorSpaceRgb)
    {
        const RgbColor color(static_cast<std::uint32_t>(pixel.value));
        level = GrayLevel::ofPixel(color.red(), color.green(), color.blue());
    }
    else if (source_ == kColorSpacePalette)
    {
        level = levels_[pixel.lowByte()];
    }
    else
    {
        level = pixel.value != 0 ? 0 : 255;
    }
    pixel = ImagePixel(kPixelGray, level);
}

} // namespace Omvi
