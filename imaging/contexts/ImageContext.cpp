#include "imaging/contexts/ImageContext.h"

#include "imaging/OMVIException.h"

namespace Omvi
{

ImageContext::ImageContext(std::unique_ptr<ImageContextRep> implementation)
    : implementation_(std::move(implementation))
{
}

ImageContext::~ImageContext()
{
    try
    {
        implementation_.reset();
    }
    catch (OMVIException* error)
    {
        delete error;
    }
    catch (...)
    {
    }
}

ImageContextRep& ImageContext::implementation() const
{
    if (!implementation_)
        throw new ImageContextException("Invalid implementation. The image has been deleted.", 3);
    return *implementation_;
}

void ImageContext::setOutOfBoundsException(bool throwing)
{
    implementation().setOutOfBoundsException(throwing);
}

void ImageContext::setOutOfBoundsPixel(const ImagePixel& pixel)
{
    implementation().setOutOfBoundsPixel(pixel);
}

ImagePixel ImageContext::getPixel(std::int32_t x, std::int32_t y)
{
    return implementation().getPixel(x, y);
}

void ImageContext::putPixel(std::int32_t x, std::int32_t y, const ImagePixel& pixel)
{
    implementation().putPixel(x, y, pixel);
}

} // namespace Omvi
