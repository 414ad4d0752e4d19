#include "imaging/conversions/ConvertToRgb.h"

#include "imaging/conversions/BitRows.h"
#include "imaging/conversions/ConversionErrors.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbPaletteModel.h"

#include <cstring>

namespace Omvi
{

ConvertToRgb::ConvertToRgb(RowProviderInterface* input, std::int32_t sourceColorSpace)
    : ConversionFilter(sourceColorSpace), source_(sourceColorSpace)
{
    if (source_ != kColorSpacePalette && source_ != kColorSpaceGray && source_ != kColorSpaceBitonal)
        unsupportedConversion();
    const DataModel& model = connectDirectly(input, source_);
    if (source_ == kColorSpacePalette)
    {
        const auto& palette = static_cast<const RgbPaletteModel&>(model);
        for (int i = 0; i < palette.numEntries(); ++i)
            colors_[i] = palette.entry(static_cast<std::uint8_t>(i));
    }
    else if (source_ == kColorSpaceGray)
    {
        const auto& gray = static_cast<const RgbGrayModel&>(model);
        for (int g = 0; g < 256; ++g)
        {
            const auto level = static_cast<std::uint8_t>(g);
            colors_[g] = RgbColor(level, level, level, gray.alpha(level));
        }
    }
    else
    {
        const auto& bitonal = static_cast<const BitonalModel&>(model);
        colors_[0] = RgbColor(255, 255, 255, bitonal.paperAlpha());
        colors_[1] = RgbColor(0, 0, 0, bitonal.inkAlpha());
    }
    for (int i = 0; i < 256; ++i)
        words_[i] = colors_[i].rowWord();
    complete(RgbModel(32), false);
}

void ConvertToRgb::convertRow(const std::uint8_t* in, std::uint8_t* out)
{
    const std::int32_t n = width();
    if (source_ == kColorSpaceBitonal)
    {
        BitRows::expand<4>(in, out, n, &words_[0], &words_[1]);
        return;
    }
    for (std::int32_t i = 0; i < n; ++i)
        std::memcpy(out + 4 * i, &words_[in[i]], 4);
}

void ConvertToRgb::convertPixel(ImagePixel& pixel)
{
    if (pixel.kind == kPixelRgb)
        return;
    pixel = ImagePixel(kPixelRgb, colors_[pixel.lowByte()].value);
}

} // namespace Omvi
