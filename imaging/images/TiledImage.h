#pragma once
// The general image representation: pixels in square tiles whose pages live
// in a paging system, so that images larger than memory can be built, read
// and written, copies share their tiles until one of them writes, and an
// image read from a file can page from the file's own tiles or decode its
// tiles only when they are touched.
//
// Errors (thrown as pointers, see OMVIException.h):
// - ImageConstructionException "TiledImage::construct": 0 organisation not
//   supported by the model (or a frame orientation outside 0-7), 1 clear
//   colour of another kind than the model's pixels, 2 width or height below
//   1, 3 copy of a representation that is not tiled (or a second
//   construction), 4 the source's image lock could not be taken, 5 no page
//   set to be had (also from writes: "TiledImage::writeTile").
// - ImageException: 1 "TiledImage::setDataModel" (another data type),
//   4 "TiledImage::setClearColor" (another kind), 5 a tile lock the calling
//   thread blocks itself, 0 a tile index outside the grid.
// - ImageException 0 "Image::read: Region Out Of Bounds" and
//   "TiledImage::paste: Region Out Of Bounds" (also blend, pasteColumns,
//   pasteInOrder) for regions that are not inside the image; 1
//   "TiledImage::paste" (or "TiledImage::blend") when the rows cannot be
//   converted to the image's model; 3 "TiledImage:blend" for a blend into an
//   image that is not RGB.
#include "imaging/PagingSystemInterface.h"
#include "imaging/images/HandleList.h"
#include "imaging/images/ImageContextRep.h"
#include "imaging/images/ImageImp.h"
#include "imaging/images/ImageReactorInterface.h"
#include "imaging/images/TileTable.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace Omvi
{

class DataBuffer;
class FileReadDescriptor;
class ReadManyWriteOneLock;

class TiledImage : public ImageImp
{
public:
    // A bare representation: no tiles, no model, clear colour of kind 0,
    // tile locking on. Needs the session (its run time makes the locks):
    // without one, SystemException 2 "Invalid Page Volume".
    TiledImage();
    // Waits for the image lock (no copy is being made of the image), then
    // detaches the contexts still open on it, drops its tiles and leaves
    // the session's registry if it is still listed there.
    ~TiledImage() override;

    bool construct(FileReadDescriptor& descriptor, std::int32_t organisation) override;
    bool construct(std::unique_ptr<RowProviderInterface>& source, BuildOrder order,
                   std::int32_t organisation) override;
    // Images over caller memory are static images: answers false.
    bool construct(std::uint8_t* pixels, const PixelPair& size, const DataModel& model) override;
    bool construct(const PixelPair& size, const DataModel& model, const ImagePixel& clearColor,
                   std::int32_t organisation) override;
    bool construct(ImageRep& other) override;
    // A blank image for a transform's private use: no tile locks, and
    // setUnlocked can never turn them on.
    void constructUnlocked(const PixelPair& size, const DataModel& model, const ImagePixel& clearColor,
                           std::int32_t organisation);

    bool isSameImage(ImageRep& other) override;
    const PixelPair& size() const override { return size_; }
    std::int32_t tileGrid(std::int32_t& tilesDown, std::int32_t& tilesAcross) const override;
    PixelPair tileSize() const override { return {tileEdge_, tileEdge_}; }
    const DataModel* dataModel() const override { return model_.get(); }
    FileReadDescriptor* sourceDescriptor() const override { return source_.get(); }
    const ImagePixel& clearColor() const override { return clearColor_; }
    void setClearColor(const ImagePixel& color) override;
    bool isConstructed() const override { return constructed_; }
    bool isModified() const override { return modified_.load(); }
    bool isStatic() const override { return false; }
    // The model must be of the same data type; the clear colour takes the
    // new model's pixel kind. Pixels are not touched.
    void setDataModel(const DataModel& model) override;
    // A ThreadSafeContextImp over the region, listed with the image.
    std::unique_ptr<ImageContextRep> createContext(std::int32_t accessMode, const PixelPair& regionSize,
                                                   const PixelPair& origin, std::int32_t tileCacheSize) override;
    std::unique_ptr<RowProviderInterface> read(const PixelPair& regionSize, const PixelPair& origin,
                                               Orientation orientation) override;
    std::unique_ptr<RowProviderInterface> read(const PixelPair& regionSize, const PixelPair& origin) override;
    // Every tile reads as the clear colour again (reactors are told of
    // each); copies that share tiles keep their pixels.
    void clear() override;
    void paste(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin, bool useKeyColor) override;
    void blend(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin, bool useKeyColor,
               std::int32_t blendValue) override;
    void pasteColumns(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin) override;
    // As paste, the rows laid so that reading the covered region back in
    // `orientation` gives them again; no key colour.
    void pasteInOrder(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin,
                      Orientation orientation);
    // The last construction from rows, paste, blend or pasteColumns was
    // stopped by the progress reporter: the image holds only the rows
    // written until then.
    bool wasCancelled() const { return cancelled_; }
    std::int32_t addReactor(ImageReactorInterface* reactor) override;
    void removeReactor(ImageReactorInterface* reactor) override;
    bool setUnlocked(bool unlocked) override;
    std::int32_t registryId() const override { return registryId_; }
    void setRegistryId(std::int32_t id) override { registryId_ = id; }
    void releaseContext(std::int32_t handle) override;
    // Lists a context opened on the image, so that the image can detach it
    // if it goes first; answers the context's handle for releaseContext.
    std::int32_t registerContext(ImageContextRep* context);
    // Every listed context but `except` that holds a tile locked for the
    // calling thread between its calls (`only` that tile, or any when null)
    // gives it back, so that the thread can lock it.
    void yieldContexts(const ImageContextRep* except, const TileIndex* only);

    // Tile services of the contexts, composers and decomposers.
    std::int32_t tileEdge() const { return tileEdge_; }
    std::int32_t bytesPerTileRow() const { return bytesPerTileRow_; }
    std::int32_t bytesPerTile() const { return bytesPerTile_; }
    // The (row, column) of the tile that holds pixel (x, y).
    TileIndex tileIndex(std::int32_t y, std::int32_t x) const;
    Tile* lockTileShared(std::int32_t row, std::int32_t column);
    Tile* lockTileExclusive(std::int32_t row, std::int32_t column);
    void unlockTileShared(Tile* tile);
    void unlockTileExclusive(Tile* tile);
    // Reads the tile's page into `buffer` (at least a tile's bytes) unless
    // the tile is blank; answers whether it read.
    bool readTile(const Tile& tile, DataBuffer& buffer) const;
    // The tile's pixels as the image shows them: its page, or the clear
    // colour for a blank tile.
    void loadTile(const Tile& tile, std::uint8_t* destination) const;
    // Writes store whole tiles (bytesPerTile each), mark the image modified
    // and then tell every reactor of each tile written, in list order.
    void writeTile(const TileIndex& index, const std::uint8_t* pixels);
    // For a tile the caller holds exclusively; `tile` may be replaced (copy
    // on write) by the tile now held in its stead.
    void writeLockedTile(Tile*& tile, const std::uint8_t* pixels);
    void writeTileRun(const TileIndex& first, std::int32_t count, const std::uint8_t* pixels);
    // Fills bytes with the clear colour.
    void fillClearColor(std::uint8_t* memory, std::int64_t byteCount) const;
    void fillClearColor(DataBuffer& buffer) const;

    // The paging system and page set the tiles came from: images built
    // from one source (and their copies) answer the same.
    void pagingIdentity(PagingSystemInterface*& pagingSystem, PagingSystemInterface::Handle& pageSet) const;
    // Every registered tiled image of this image's paging identity (this
    // one included) closes its source descriptor and moves its tiles off
    // the file's pages, so that the file can be let go.
    void detachSharedImages();
    const TileTable& tileTable() const { return tiles_; }

private:
    void requireBare() const;
    std::int32_t resolveOrganisation(const DataModel& model, std::int32_t organisation) const;
    void adoptGeometry();
    void buildBlank(const PixelPair& size, const DataModel& model, const ImagePixel& clearColor,
                    std::int32_t organisation, bool unlocked);
    // Replaces `source` by a filter that delivers its rows in the image's
    // model (the filter owns the provider from then on); ImageException 1
    // with `message` when there is none.
    void convertToImageModel(std::unique_ptr<RowProviderInterface>& source, const char* message) const;
    // Writes every row of `source` through a decomposer made for it; the
    // provider is taken over once the decomposer stands.
    void decomposeRows(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin,
                       Orientation orientation, bool useKeyColor, const ImagePixel& keyColor);
    void pasteRows(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin, bool useKeyColor,
                   const std::int32_t* blendValue);
    bool constructFromRows(RowProviderInterface* rows, BuildOrder order, std::int32_t organisation);
    bool tryDirectTiles(FileReadDescriptor& copy, std::int32_t organisation);
    bool tryDelayLoading(FileReadDescriptor& copy, std::int32_t organisation);
    void tellReactors(std::int32_t row, std::int32_t column, std::int32_t count);
    void leaveRegistry() noexcept;

    std::int32_t registryId_ = 0;
    TileTable tiles_;
    std::unique_ptr<FileReadDescriptor> source_;
    std::unique_ptr<DataModel> model_;
    ImagePixel clearColor_;
    std::int32_t bytesPerTileRow_ = 0;
    std::int32_t bytesPerTile_ = 0;
    HandleList<ImageReactorInterface> reactors_;
    HandleList<ImageContextRep> contexts_;
    PixelPair size_;
    std::int32_t tileEdge_ = 0;
    std::unique_ptr<ReadManyWriteOneLock> imageLock_;
    std::atomic<bool> modified_{false};
    bool constructed_ = false;
    bool lockingFixed_ = false;
    std::atomic<bool> cancelled_{false};
    PagingSystemInterface* pagingSystem_ = nullptr;
    PagingSystemInterface::Handle pageSet_ = PagingSystemInterface::kInvalidHandle;
};

} // namespace Omvi
