#include "imaging/conversions/RgbToGray.h"

#include "imaging/conversions/GrayLevel.h"
#include "imaging/models/RgbColor.h"
#include "imaging/models/RgbGrayModel.h"

namespace Omvi
{

RgbToGray::RgbToGray(RowProviderInterface* input) : ConversionFilter(kColorSpaceRgb)
{
    connectAs(input, RgbModel(32));
    complete(RgbGrayModel(), false);
}

void RgbToGray::convertRow(const std::uint8_t* in, std::uint8_t* out)
{
    GrayLevel::ofRow(in, out, width());
}

void RgbToGray::convertPixel(ImagePixel& pixel)
{
    if (pixel.kind != kPixelRgb)
        return;
    const RgbColor color(static_cast<std::uint32_t>(pixel.value));
    pixel = ImagePixel(kPixelGray, GrayLevel::ofColor(color.red(), color.green(), color.blue()));
}

} // namespace Omvi
