#include "imaging/conversions/ConvertPaletteTo.h"

#include "imaging/conversions/ConversionErrors.h"
#include "imaging/conversions/GrayLevel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbPaletteModel.h"

#include <cstring>

namespace Omvi
{

ConvertPaletteTo::ConvertPaletteTo(RowProviderInterface* input, std::int32_t target)
    : ConversionFilter(kColorSpacePalette), target_(target)
{
    if (target_ != kColorSpaceRgb && target_ != kColorSpaceGray)
        unsupportedConversion();
    const auto& palette = static_cast<const RgbPaletteModel&>(connectDirectly(input, kColorSpacePalette));
    const std::int32_t count = palette.numEntries();
    palette.getEntries(0, count, colors_.data());
    for (int i = 0; i < 256; ++i)
        words_[i] = colors_[i].rowWord();
    if (target_ == kColorSpaceRgb)
    {
        complete(RgbModel(palette.isOpaque() ? 24 : 32), false);
        return;
    }
    RgbGrayModel gray;
    for (std::int32_t i = 0; i < count; ++i)
    {
        levels_[i] = GrayLevel::ofColor(colors_[i].red(), colors_[i].green(), colors_[i].blue());
        gray.setAlpha(levels_[i], colors_[i].alpha());
    }
    complete(gray, false);
}

void ConvertPaletteTo::convertRow(const std::uint8_t* in, std::uint8_t* out)
{
    const std::int32_t n = width();
    if (target_ == kColorSpaceRgb)
    {
        for (std::int32_t i = 0; i < n; ++i)
            std::memcpy(out + 4 * i, &words_[in[i]], 4);
        return;
    }
    for (std::int32_t i = 0; i < n; ++i)
        out[i] = levels_[in[i]];
}

void ConvertPaletteTo::convertPixel(ImagePixel& pixel)
{
    if (pixel.kind != kPixelPalette)
        return;
    const std::uint8_t index = pixel.lowByte();
    if (target_ == kColorSpaceRgb)
        pixel = ImagePixel(kPixelRgb, colors_[index].value);
    else
        pixel = ImagePixel(kPixelGray, levels_[index]);
}

} // namespace Omvi
