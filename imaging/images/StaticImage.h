#pragma once
// An image over one block of pixel memory that the caller owns and keeps
// alive: rows of the padded row size of the model (DataModel::bytesPerRow),
// top row first. It has no tiles, no paging and no reactors (the whole image
// counts as one tile), and offers the reading, pasting, blending and
// context operations of the tiled image over the caller's bitmap.
//
// Every region handed to it (read, paste, blend, pasteColumns) is checked
// against the image: nothing is ever read or written outside the
// height x bytes-per-row bytes the caller provides.
//
// Errors (thrown as pointers):
// - ImageConstructionException "TiledImage::construct": 7 null memory,
//   2 width or height below 1 (or a model of no known data type), 3 a second
//   construction;
// - ImageException 0 "Image::read: Region Out Of Bounds",
//   "StaticImage::paste: Region Out Of Bounds" (blend, pasteColumns alike);
//   1 "StaticImage::setDataModel" (another data type), "StaticImage::paste"
//   or "StaticImage::blend" (rows that cannot be converted); 2
//   "StaticImage::addReactor" / "StaticImage::removeReactor" (never
//   supported); 3 "StaticImage:blend" (an image that is not RGB); 4
//   "StaticImage::setClearColor" (a colour of another kind).
#include "imaging/images/HandleList.h"
#include "imaging/images/ImageContextRep.h"
#include "imaging/images/ImageImp.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class PixelCopier;

class StaticImage : public ImageImp
{
public:
    // A bare representation: no memory, size 0 x 0, no model.
    StaticImage();
    // Detaches the contexts still open on it; the memory stays the caller's.
    ~StaticImage() override;

    // Images over caller memory only: the other construct slots answer
    // false and do nothing.
    bool construct(FileReadDescriptor& descriptor, std::int32_t organisation) override;
    bool construct(std::unique_ptr<RowProviderInterface>& source, BuildOrder order,
                   std::int32_t organisation) override;
    // `pixels` holds size.y rows of model.bytesPerRow(size.x) bytes.
    bool construct(std::uint8_t* pixels, const PixelPair& size, const DataModel& model) override;
    bool construct(const PixelPair& size, const DataModel& model, const ImagePixel& clearColor,
                   std::int32_t organisation) override;
    bool construct(ImageRep& other) override;

    // The same registry id (an image that is not registered is only itself).
    bool isSameImage(ImageRep& other) override;
    const PixelPair& size() const override { return size_; }
    std::int32_t tileGrid(std::int32_t& tilesDown, std::int32_t& tilesAcross) const override;
    PixelPair tileSize() const override { return size_; }
    const DataModel* dataModel() const override { return model_.get(); }
    FileReadDescriptor* sourceDescriptor() const override { return nullptr; }
    const ImagePixel& clearColor() const override { return clearColor_; }
    void setClearColor(const ImagePixel& color) override;
    bool isConstructed() const override { return pixels_ != nullptr; }
    bool isModified() const override { return modified_; }
    bool isStatic() const override { return true; }
    // The model must be of the same data type; the clear colour takes its
    // pixel kind.
    void setDataModel(const DataModel& model) override;
    // A ThreadSafeContextImp over the region of the memory (always
    // writable), listed with the image; a region outside the image throws
    // ImageException 0 "Image::createContext: Region Out Of Bounds".
    std::unique_ptr<ImageContextRep> createContext(std::int32_t accessMode, const PixelPair& regionSize,
                                                   const PixelPair& origin, std::int32_t tileCacheSize) override;
    std::unique_ptr<RowProviderInterface> read(const PixelPair& regionSize, const PixelPair& origin,
                                               Orientation orientation) override;
    std::unique_ptr<RowProviderInterface> read(const PixelPair& regionSize, const PixelPair& origin) override;
    void clear() override;
    // Rows of `source` over the image from `origin`, converted to its model
    // first. With `useKeyColor` the pixels that the source marks
    // transparent (alpha 0 of 32-bit RGB, transparent table entries, paper
    // of bitonal rows), or else those equal to the clear colour, leave the
    // image's alone. A source as wide as the image pasted at x = 0 without a
    // key writes its rows straight into the memory. The session's progress
    // reporter is asked every total / 100 rows and may stop the paste. The
    // source is taken over once rows are pulled.
    void paste(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin, bool useKeyColor) override;
    // As paste, blending with `blendValue` (0-255); RGB images only.
    void blend(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin, bool useKeyColor,
               std::int32_t blendValue) override;
    std::int32_t addReactor(ImageReactorInterface* reactor) override;
    void removeReactor(ImageReactorInterface* reactor) override;
    // A static image has no tile locks: answers false.
    bool setUnlocked(bool unlocked) override;
    std::int32_t registryId() const override { return registryId_; }
    void setRegistryId(std::int32_t id) override { registryId_ = id; }
    void releaseContext(std::int32_t handle) override;
    // Source row r becomes image column origin.x + r, its first pixel at the
    // bottom of the covered region (as the tiled image lays them).
    void pasteColumns(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin) override;

    bool staticPixels(StaticPixelView& view) const override;

    // Lists a context opened on the image, so that the image can detach it
    // if it goes first; answers the context's handle for releaseContext.
    std::int32_t registerContext(ImageContextRep* context);
    std::int32_t bytesPerRow() const { return bytesPerRow_; }
    std::uint8_t* pixels() const { return pixels_; }
    // The progress reporter stopped the last paste or blend part way: the
    // rows after it were not written.
    bool wasCancelled() const { return cancelled_; }

private:
    // Converts `source` to the image's model in place (the conversion filter
    // then owns the provider); ImageException 1 with `message` when it
    // cannot.
    void convertToImageModel(std::unique_ptr<RowProviderInterface>& source, const char* message) const;
    // The key for a paste or blend, wrapping the source in a KeyColorMapper
    // when its table marks transparent entries; `keyed` may be cleared.
    ImagePixel chooseKey(std::unique_ptr<RowProviderInterface>& source, bool& keyed) const;
    void requireCovered(const PixelPair& covered, const PixelPair& origin, const char* message) const;
    std::uint8_t* row(std::int32_t y) const { return pixels_ + static_cast<std::ptrdiff_t>(y) * bytesPerRow_; }
    // Pulls every row of `rows` into the image from `origin` through
    // `copier`, run by run for sparse rows; `tick` is told of each row and
    // answers whether to go on.
    template <class Tick>
    void copyRows(RowProviderInterface& rows, const PixelPair& origin, PixelCopier& copier, Tick tick);
    HandleList<ImageContextRep>& contexts();

    std::uint8_t* pixels_ = nullptr;
    PixelPair size_;
    ImagePixel clearColor_;
    std::unique_ptr<DataModel> model_;
    std::int32_t bytesPerRow_ = 0;
    std::int32_t registryId_ = 0;
    bool modified_ = false;
    bool cancelled_ = false;
    std::unique_ptr<HandleList<ImageContextRep>> contexts_;
};

} // namespace Omvi
