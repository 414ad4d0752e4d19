#include "imaging/conversions/ConvertBitonalTo.h"

#include "imaging/conversions/BitRows.h"
#include "imaging/conversions/ConversionErrors.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbPaletteModel.h"

namespace Omvi
{

ConvertBitonalTo::ConvertBitonalTo(RowProviderInterface* input, std::int32_t target)
    : ConversionFilter(kColorSpaceBitonal), target_(target)
{
    if (target_ != kColorSpaceRgb && target_ != kColorSpacePalette && target_ != kColorSpaceGray)
        unsupportedConversion();
    const auto& bitonal = static_cast<const BitonalModel&>(connectAs(input, BitonalModel()));
    paper_ = RgbColor(255, 255, 255, bitonal.paperAlpha());
    ink_ = RgbColor(0, 0, 0, bitonal.inkAlpha());
    paperWord_ = paper_.rowWord();
    inkWord_ = ink_.rowWord();
    if (target_ == kColorSpaceRgb)
    {
        complete(RgbModel(32), false);
    }
    else if (target_ == kColorSpacePalette)
    {
        const RgbColor entries[2] = {paper_, ink_};
        complete(RgbPaletteModel(2, entries), false);
    }
    else
    {
        RgbGrayModel gray;
        gray.setAlpha(255, bitonal.paperAlpha());
        gray.setAlpha(0, bitonal.inkAlpha());
        complete(gray, false);
    }
}

void ConvertBitonalTo::convertRow(const std::uint8_t* in, std::uint8_t* out)
{
    const std::int32_t n = width();
    if (target_ == kColorSpaceRgb)
    {
        BitRows::expand<4>(in, out, n, &paperWord_, &inkWord_);
    }
    else if (target_ == kColorSpacePalette)
    {
        const std::uint8_t paper = 0;
        const std::uint8_t ink = 1;
        BitRows::expand<1>(in, out, n, &paper, &ink);
    }
    else
    {
        const std::uint8_t paper = 255;
        const std::uint8_t ink = 0;
        BitRows::expand<1>(in, out, n, &paper, &ink);
    }
}

void ConvertBitonalTo::convertPixel(ImagePixel& pixel)
{
    if (pixel.kind != kPixelBitonal)
        return;
    const bool ink = pixel.value != 0;
    if (target_ == kColorSpaceRgb)
        pixel = ImagePixel(kPixelRgb, (ink ? ink_ : paper_).value);
    else if (target_ == kColorSpacePalette)
        pixel = ImagePixel(kPixelPalette, ink ? 1u : 0u);
    else
        pixel = ImagePixel(kPixelGray, ink ? 0u : 255u);
}

} // namespace Omvi
