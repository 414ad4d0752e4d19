#include "imaging/images/ImageContextRep.h"
#include "imaging/images/ImageImp.h"
#include "imaging/images/ImageReactorInterface.h"
#include "imaging/images/ImageRep.h"

namespace Omvi
{

ImageReactorInterface::~ImageReactorInterface() = default;

void ImageReactorInterface::tileModified(std::int32_t, std::int32_t) {}

ImageContextRep::ImageContextRep() = default;
ImageContextRep::~ImageContextRep() = default;

void ImageContextRep::yieldTiles(const TileIndex*) {}

ImageRep::ImageRep() = default;
ImageRep::~ImageRep() = default;

ImageImp::ImageImp() = default;
ImageImp::~ImageImp() = default;

bool ImageImp::staticPixels(StaticPixelView&) const
{
    return false;
}

} // namespace Omvi
