#pragma once
// The handle through which callers use an image context: it owns the
// implementation (from the image's createContext) and forwards to it.
// Destroying it destroys the implementation and never throws; a context
// whose image was destroyed first goes quietly, and any use of it before
// that throws ImageContextException 3 "Invalid implementation. The image
// has been deleted.".
#include "imaging/images/ImageContextRep.h"
#include "imaging/models/ImagePixel.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class ImageContext
{
public:
    explicit ImageContext(std::unique_ptr<ImageContextRep> implementation);
    ~ImageContext();
    ImageContext(const ImageContext&) = delete;
    ImageContext& operator=(const ImageContext&) = delete;

    void setOutOfBoundsException(bool throwing);
    void setOutOfBoundsPixel(const ImagePixel& pixel);
    ImagePixel getPixel(std::int32_t x, std::int32_t y);
    void putPixel(std::int32_t x, std::int32_t y, const ImagePixel& pixel);

    // The implementation, for the operations beyond single pixels.
    ImageContextRep& implementation() const;

private:
    std::unique_ptr<ImageContextRep> implementation_;
};

} // namespace Omvi
