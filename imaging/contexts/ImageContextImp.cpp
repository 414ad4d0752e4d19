#include "imaging/contexts/ImageContextImp.h"

#include "imaging/OMVIException.h"
#include "imaging/images/ImageImp.h"
#include "imaging/models/DataModel.h"

namespace Omvi
{

ImageContextImp::ImageContextImp(ImageImp& image) : image_(&image)
{
    const DataModel* model = image.dataModel();
    if (!model)
        throw new ImageException("Image::createContext", 1);
    pixelKind_ = model->pixelKind();
}

ImageContextImp::~ImageContextImp() = default;

void ImageContextImp::fail(std::int32_t code)
{
    switch (code)
    {
    case kTileAlreadyAllocated:
        throw new ImageContextException("Tile Already Allocated", code);
    case kReadOnly:
        throw new ImageContextException("Attempted Write with a ReadOnly Context", code);
    case kOutOfBounds:
        throw new ImageContextException("Out of bounds request", code);
    default:
        throw new ImageContextException("Invalid implementation. The image has been deleted.", kImageDeleted);
    }
}

ImageImp& ImageContextImp::image() const
{
    if (!image_)
        fail(kImageDeleted);
    return *image_;
}

ImagePixel ImageContextImp::getPixel(std::int32_t x, std::int32_t y)
{
    switch (pixelKind_)
    {
    case kPixelOneBit:
    case kPixelBitonal:
        return ImagePixel(pixelKind_, get1(x, y) ? 1u : 0u);
    case kPixelEightBit:
    case kPixelGray:
    case kPixelPalette:
        return ImagePixel(pixelKind_, get8(x, y));
    case kPixelSixteenBit:
        return ImagePixel(pixelKind_, get16(x, y));
    case kPixelThirtyTwoBit:
    case kPixelRgb:
        return ImagePixel(pixelKind_, get32(x, y));
    case kPixelSixtyFourBit:
        return ImagePixel(pixelKind_, get64(x, y));
    default:
        return ImagePixel(pixelKind_);
    }
}

void ImageContextImp::putPixel(std::int32_t x, std::int32_t y, const ImagePixel& pixel)
{
    switch (pixelKind_)
    {
    case kPixelOneBit:
    case kPixelBitonal:
        put1(x, y, pixel.lowByte() != 0);
        break;
    case kPixelEightBit:
    case kPixelGray:
    case kPixelPalette:
        put8(x, y, pixel.lowByte());
        break;
    case kPixelSixteenBit:
        put16(x, y, static_cast<std::uint16_t>(pixel.value));
        break;
    case kPixelThirtyTwoBit:
    case kPixelRgb:
        put32(x, y, static_cast<std::uint32_t>(pixel.value));
        break;
    case kPixelSixtyFourBit:
        put64(x, y, pixel.value);
        break;
    default:
        break;
    }
}

} // namespace Omvi
