#pragma once
// An image representation: what an Image handle holds. The two kinds are
// the tiled image (pixels in square tiles that live in a paging system) and
// the static image (one caller-owned buffer); both derive from ImageImp.
// The operations are listed in their slot order; a construct operation is
// run once, on a bare representation, and a failed one leaves it
// unconstructed. Sizes and origins are (x, y) pairs: width and height, or
// column and row.
#include "imaging/Orientation.h"
#include "imaging/geometry/PixelRect.h"
#include "imaging/models/ImagePixel.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class DataModel;
class FileReadDescriptor;
class ImageContextRep;
class ImageReactorInterface;
class RowProviderInterface;

class ImageRep
{
public:
    ImageRep();
    ImageRep(const ImageRep&) = delete;
    ImageRep& operator=(const ImageRep&) = delete;

    // 0
    virtual ~ImageRep();
    // 1: the image of the descriptor's current frame (organisation 0-4, or
    // kOrganisationFromFile / kOrganisationDefault).
    virtual bool construct(FileReadDescriptor& descriptor, std::int32_t organisation) = 0;
    // 2: the image built from every row of `source`, laid in `order`. The
    // representation takes the provider over once it starts pulling rows
    // (`source` is then empty, also when pulling fails); an error before
    // that leaves it with the caller.
    virtual bool construct(std::unique_ptr<RowProviderInterface>& source, BuildOrder order,
                           std::int32_t organisation) = 0;
    // 3: an image over a caller's buffer of `size` pixels of `model`.
    virtual bool construct(std::uint8_t* pixels, const PixelPair& size, const DataModel& model) = 0;
    // 4: a blank image: every pixel reads as `clearColor`.
    virtual bool construct(const PixelPair& size, const DataModel& model, const ImagePixel& clearColor,
                           std::int32_t organisation) = 0;
    // 5: a copy of another representation.
    virtual bool construct(ImageRep& other) = 0;
    // 6
    virtual bool isSameImage(ImageRep& other) = 0;
    // 7-9: width and height; the tile grid (answers the tile count); the
    // tile's width and height.
    virtual const PixelPair& size() const = 0;
    virtual std::int32_t tileGrid(std::int32_t& tilesDown, std::int32_t& tilesAcross) const = 0;
    virtual PixelPair tileSize() const = 0;
    // 10-13
    virtual const DataModel* dataModel() const = 0;
    // The descriptor of the file the image was built from, when it keeps
    // one; owned by the image.
    virtual FileReadDescriptor* sourceDescriptor() const = 0;
    virtual const ImagePixel& clearColor() const = 0;
    virtual void setClearColor(const ImagePixel& color) = 0;
    // 14-17
    virtual bool isConstructed() const = 0;
    virtual bool isModified() const = 0;
    virtual bool isStatic() const = 0;
    virtual void setDataModel(const DataModel& model) = 0;
    // 18: a context for random access to the region of `regionSize` pixels
    // from `origin`: writable when `accessMode` is 1 (static images: always),
    // read-only otherwise, keeping up to `tileCacheSize` tile copies. The
    // image lists it until it is destroyed. A region outside the image
    // throws ImageException 0 "Image::createContext: Region Out Of Bounds".
    virtual std::unique_ptr<ImageContextRep> createContext(std::int32_t accessMode, const PixelPair& regionSize,
                                                           const PixelPair& origin, std::int32_t tileCacheSize) = 0;
    // 19: a new row provider over the region of `regionSize` pixels from
    // `origin` (image coordinates), delivered in `orientation` (4 as it is;
    // 0-3 its columns become the rows). A region outside the image throws
    // ImageException 0 "Image::read: Region Out Of Bounds".
    virtual std::unique_ptr<RowProviderInterface> read(const PixelPair& regionSize, const PixelPair& origin,
                                                       Orientation orientation) = 0;
    // 20: the same, as it is (Orientation::Identity).
    virtual std::unique_ptr<RowProviderInterface> read(const PixelPair& regionSize, const PixelPair& origin) = 0;
    // 21: every pixel becomes the clear colour.
    virtual void clear() = 0;
    // 22: the rows of `source` written over the image from `origin`, row r
    // at line origin.y + r; with `useKeyColor` the source's transparent
    // pixels leave the image's alone. The source is converted to the image's
    // model first. The representation takes the provider over once it starts
    // pulling rows (`source` is then empty); an error before that (no
    // conversion, a region outside the image) leaves it with the caller,
    // possibly inside the conversion filter made for it.
    virtual void paste(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin, bool useKeyColor) = 0;
    // 23: as paste, blending the rows in with `blendValue` (0-255) as their
    // opacity; RGB images only.
    virtual void blend(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin, bool useKeyColor,
                       std::int32_t blendValue) = 0;
    // 24 and 25: observers of written tiles (not owned); addReactor answers
    // the reactor's handle.
    virtual std::int32_t addReactor(ImageReactorInterface* reactor) = 0;
    virtual void removeReactor(ImageReactorInterface* reactor) = 0;
    // 26: true turns tile locking off; answers whether it is off.
    virtual bool setUnlocked(bool unlocked) = 0;
    // 27 and 28: the id under which the session lists the image.
    virtual std::int32_t registryId() const = 0;
    virtual void setRegistryId(std::int32_t id) = 0;
    // 29: a context opened on the image is done (its handle in the image's
    // context list).
    virtual void releaseContext(std::int32_t handle) = 0;
    // 30: as paste, each source row becoming one column of the image: row r
    // goes to column origin.x + r, laid from the region's bottom line up.
    virtual void pasteColumns(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin) = 0;
};

} // namespace Omvi
