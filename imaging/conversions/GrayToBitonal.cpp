#include "imaging/conversions/GrayToBitonal.h"

#include "imaging/conversions/BitRows.h"
#include "imaging/models/BitonalModel.h"

namespace Omvi
{

GrayToBitonal::GrayToBitonal(RowProviderInterface* input) : ConversionFilter(kColorSpaceGray)
{
    const auto& gray = static_cast<const RgbGrayModel&>(connectAs(input, RgbGrayModel()));
    BitonalModel output;
    output.setAlpha(0, gray.alpha(255));
    output.setAlpha(1, gray.alpha(0));
    complete(output, false);
}

void GrayToBitonal::convertRow(const std::uint8_t* in, std::uint8_t* out)
{
    BitRows::packInk(in, out, width());
}

void GrayToBitonal::convertPixel(ImagePixel& pixel)
{
    if (pixel.kind == kPixelGray)
        pixel = ImagePixel(kPixelBitonal, BitRows::isInk(pixel.lowByte()) ? 1u : 0u);
}

} // namespace Omvi
