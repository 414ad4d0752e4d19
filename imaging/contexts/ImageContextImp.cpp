#include "imaging/contexts/ImageContextImp.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/images/ImageImp.h"
#include "imaging/images/TiledImage.h"
#include "imaging/kernels/KernelFactories.h"
#include "imaging/kernels/PixelCopier.h"
#include "imaging/models/DataModel.h"

#include <cstring>

namespace Omvi
{

ImageContextImp::ImageContextImp(ImageImp& image) : image_(&image)
{
    const DataModel* model = image.dataModel();
    if (!model)
        throw new ImageException("Image::createContext", 1);
    pixelKind_ = model->pixelKind();
    dataType_ = model->dataType();
    bitsPerPixel_ = bitsPerPixelOf(dataType_);
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

void ImageContextImp::leaveImage() noexcept
{
    if (!image_ || registryHandle_ == kNotListed)
        return;
    try
    {
        image_->releaseContext(registryHandle_);
    }
    catch (OMVIException* error)
    {
        delete error;
    }
    catch (...)
    {
    }
}

PixelCopier& ImageContextImp::copier()
{
    if (!copier_)
    {
        copier_.reset(createPixelCopier(dataType_));
        if (!copier_)
            throw new SystemException("Out of memory", SystemException::kOutOfMemory);
    }
    return *copier_;
}

void ImageContextImp::requireRowBuffer(const DataBuffer& row, std::int32_t count) const
{
    if (row.size() < pixelBytes(count, dataType_))
        fail(kOutOfBounds);
}

TileIndex ImageContextImp::tileInGrid(TiledImage& image, std::int32_t tileRow, std::int32_t tileColumn)
{
    std::int32_t rows = 0;
    std::int32_t columns = 0;
    image.tileGrid(rows, columns);
    if (tileRow < 0 || tileRow >= rows || tileColumn < 0 || tileColumn >= columns)
        fail(kOutOfBounds);
    return TileIndex{tileRow, tileColumn};
}

std::uint64_t ImageContextImp::load64(const std::uint8_t* at)
{
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    std::memcpy(&low, at, 4);
    std::memcpy(&high, at + 4, 4);
    return std::uint64_t{low} | std::uint64_t{high} << 32;
}

void ImageContextImp::store64(std::uint8_t* at, std::uint64_t value)
{
    const auto low = static_cast<std::uint32_t>(value);
    const auto high = static_cast<std::uint32_t>(value >> 32);
    std::memcpy(at, &low, 4);
    std::memcpy(at + 4, &high, 4);
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
