#pragma once
// The handle on an image: it owns one representation (a tiled image, or a
// static image over caller memory) and lists it with the session for as
// long as it holds it, so that representations can change without touching
// callers. An empty handle holds none.
//
// Errors: ImageConstructionException 3 "Image::Image" / "Image::operator="
// for copying an image whose representation is not tiled; ImageException 0
// "Image::createContext: Region Out Of Bounds" for a context of an empty
// image (or one outside the image); without a session
// SystemException 2 "Invalid Page Volume"; the representation's own
// construction errors pass through.
#include "imaging/Orientation.h"
#include "imaging/geometry/PixelRect.h"
#include "imaging/models/ImagePixel.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class DataModel;
class FileReadDescriptor;
class ImageContext;
class ImageRep;
class RowProviderInterface;

class Image
{
public:
    // An empty image.
    Image();
    // A tiled image built from every row of `source`, laid in `order`
    // (kOrganisationFromFile and kOrganisationDefault both take the model's
    // default organisation). The image takes the source over once it pulls
    // rows and deletes it (or the conversion filter put around it); when
    // construction fails before that, the source stays the caller's.
    Image(RowProviderInterface* source, std::int32_t organisation);
    Image(RowProviderInterface* source, BuildOrder order, std::int32_t organisation);
    // The same, saying who holds the source: `source` is empty once the
    // image took it over, whether or not construction then failed.
    Image(std::unique_ptr<RowProviderInterface>& source, BuildOrder order, std::int32_t organisation);
    // A tiled image of the descriptor's current frame.
    Image(FileReadDescriptor& descriptor, std::int32_t organisation);
    // A blank tiled image: every pixel reads as `clearColor`.
    Image(const PixelPair& size, const DataModel& model, const ImagePixel& clearColor, std::int32_t organisation);
    // Adopts a constructed representation (a static image over caller
    // memory, for example); null makes an empty image.
    explicit Image(std::unique_ptr<ImageRep> representation);
    // A copy of a tiled image (it shares the tiles until one of them
    // writes); a copy of an empty image is empty.
    Image(const Image& other);
    // As the copy; the old representation leaves only once the copy is made.
    Image& operator=(const Image& other);
    // Unlists the representation and deletes it.
    ~Image();

    // A context over the region (ImageRep::createContext); the image must
    // outlive it or detaches it when it goes first.
    std::unique_ptr<ImageContext> createContext(std::int32_t accessMode, const PixelPair& regionSize,
                                                const PixelPair& origin, std::int32_t tileCacheSize);
    // A context over the whole image.
    std::unique_ptr<ImageContext> createContext(std::int32_t accessMode);

    ImageRep* representation() const { return representation_.get(); }
    bool isEmpty() const { return !representation_; }

private:
    void build(std::unique_ptr<RowProviderInterface>& source, BuildOrder order, std::int32_t organisation);
    // Lists the representation with the session.
    void enlist();
    void release() noexcept;

    std::unique_ptr<ImageRep> representation_;
};

} // namespace Omvi
