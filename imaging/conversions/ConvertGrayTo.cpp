#include "imaging/conversions/ConvertGrayTo.h"

#include "imaging/conversions/BitRows.h"
#include "imaging/conversions/ConversionErrors.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbPaletteModel.h"

#include <cstring>
#include <memory>

namespace Omvi
{

ConvertGrayTo::ConvertGrayTo(RowProviderInterface* input, std::int32_t target)
    : ConversionFilter(kColorSpaceGray), target_(target)
{
    if (target_ != kColorSpaceRgb && target_ != kColorSpacePalette && target_ != kColorSpaceBitonal)
        unsupportedConversion();
    const auto& gray = static_cast<const RgbGrayModel&>(connectAs(input, RgbGrayModel()));
    for (int g = 0; g < 256; ++g)
    {
        const auto level = static_cast<std::uint8_t>(g);
        colors_[g] = RgbColor(level, level, level, gray.alpha(level));
        words_[g] = colors_[g].rowWord();
    }
    if (target_ == kColorSpaceRgb)
    {
        complete(RgbModel(gray.isOpaque() ? 24 : 32), true);
    }
    else if (target_ == kColorSpacePalette)
    {
        complete(RgbPaletteModel(256, colors_.data()), true);
    }
    else
    {
        BitonalModel bitonal;
        bitonal.setAlpha(0, gray.alpha(255));
        bitonal.setAlpha(1, gray.alpha(0));
        complete(bitonal, false);
    }
}

void ConvertGrayTo::convertRow(const std::uint8_t* in, std::uint8_t* out)
{
    const std::int32_t n = width();
    if (target_ == kColorSpaceRgb)
    {
        // The gray row lies at the start of the output buffer: widen it from
        // its last pixel backwards so no level is overwritten before it is read.
        for (std::int32_t i = n - 1; i >= 0; --i)
            std::memcpy(out + 4 * i, &words_[in[i]], 4);
    }
    else if (target_ == kColorSpaceBitonal)
    {
        BitRows::packInk(in, out, n);
    }
    // Palette: the levels are the indices already.
}

void ConvertGrayTo::convertPixel(ImagePixel& pixel)
{
    if (pixel.kind != kPixelGray)
        return;
    const std::uint8_t level = pixel.lowByte();
    if (target_ == kColorSpaceRgb)
        pixel = ImagePixel(kPixelRgb, colors_[level].value);
    else if (target_ == kColorSpacePalette)
        pixel = ImagePixel(kPixelPalette, level);
    else
        pixel = ImagePixel(kPixelBitonal, BitRows::isInk(level) ? 1u : 0u);
}

} // namespace Omvi
