#pragma once
// What the two context implementations share: the image they work on, its
// pixel kind, the handle under which the image lists them, the pixel
// accessors by kind (getPixel and putPixel pick the width of the kind), and
// the state of a context whose image has gone.
//
// Errors are ImageContextException:
// - 0 "Tile Already Allocated": a second tile asked for while one is out;
// - 1 "Attempted Write with a ReadOnly Context";
// - 2 "Out of bounds request": a pixel, row or tile outside what the
//   context may reach (and a row buffer too short for the row);
// - 3 "Invalid implementation. The image has been deleted.": any use of a
//   context whose image was destroyed first.
#include "imaging/images/ImageContextRep.h"

#include <cstdint>

namespace Omvi
{

class ImageImp;

class ImageContextImp : public ImageContextRep
{
public:
    enum : std::int32_t
    {
        kTileAlreadyAllocated = 0,
        kReadOnly = 1,
        kOutOfBounds = 2,
        kImageDeleted = 3
    };
    // The handle of a context the image does not list.
    static constexpr std::int32_t kNotListed = -1;

    ~ImageContextImp() override;

    std::int32_t pixelKind() const override { return pixelKind_; }
    // By the pixel kind: 0 and 5 one bit, 1, 6 and 7 a byte, 2 a 16-bit
    // word, 3 and 8 a 32-bit word, 4 a 64-bit word. Any other kind: an empty
    // pixel of that kind, and nothing is written.
    ImagePixel getPixel(std::int32_t x, std::int32_t y) override;
    void putPixel(std::int32_t x, std::int32_t y, const ImagePixel& pixel) override;
    void setRegistryHandle(std::int32_t handle) override { registryHandle_ = handle; }

    std::int32_t registryHandle() const { return registryHandle_; }
    // The image was destroyed before the context.
    bool isDetached() const { return image_ == nullptr; }

    [[noreturn]] static void fail(std::int32_t code);

protected:
    explicit ImageContextImp(ImageImp& image);

    // The image, or ImageContextException 3 once it has gone.
    ImageImp& image() const;
    // Forgets the image (it is being destroyed).
    void forgetImage() { image_ = nullptr; }

private:
    std::int32_t registryHandle_ = kNotListed;
    ImageImp* image_;
    std::int32_t pixelKind_ = 0;
};

} // namespace Omvi
