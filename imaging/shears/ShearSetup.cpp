#include "imaging/shears/ShearSetup.h"

#include "imaging/models/ImagePixel.h"
#include "imaging/models/RgbColor.h"
#include "imaging/pipeline/ImageFilter.h"
#include "imaging/resampling/ResamplingInput.h"

#include <cmath>

namespace Omvi
{

PixelPair connectShearInput(ImageFilter& shear, RowProviderInterface* input, double factor, bool rgb,
                            const char* className)
{
    if (!std::isfinite(factor))
        throwInvalidArgument(className);
    connectResamplingInput(shear, input, rgb ? SampleLayout::Rgb : SampleLayout::Gray);
    const PixelPair size = shear.input(0)->size();
    if (size.x < 1)
        throwInvalidSize();
    return size;
}

std::uint32_t shearFillWord(ImageFilter& shear, ImagePixel& pixel, bool rgb, const char* className)
{
    ImagePixel converted = pixel;
    shear.convertSourcePixel(converted);
    if (converted.kind != (rgb ? kPixelRgb : kPixelGray))
        throwInvalidArgument(className);
    pixel = converted;
    return rgb ? RgbColor(static_cast<std::uint32_t>(pixel.value)).rowWord() : pixel.lowByte();
}

} // namespace Omvi
