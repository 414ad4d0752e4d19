#include "imaging/images/TiledImage.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/descriptors/FileReadDescriptor.h"
#include "imaging/kernels/KernelFactories.h"
#include "imaging/models/DataModel.h"
#include "imaging/platform/Locks.h"
#include "imaging/platform/RunTimeInterface.h"
#include "imaging/session/OMVISession.h"

#include <algorithm>

namespace Omvi
{

namespace
{
RunTimeInterface& sessionRunTime()
{
    OMVISession* session = OMVISession::get();
    if (!session)
        throw new SystemException("Invalid Page Volume", SystemException::kInvalidPageVolume);
    return session->runTime();
}

ReadManyWriteOneLock* makeImageLock()
{
    ReadManyWriteOneLock* lock = sessionRunTime().createReadWriteLock();
    if (!lock)
        throw new SystemException("Out of memory", SystemException::kOutOfMemory);
    return lock;
}

[[noreturn]] void constructionFails(std::int32_t code)
{
    throw new ImageConstructionException("TiledImage::construct", code);
}

// Bytes filled per call of the copier: pixel counts stay within 32 bits for
// every data type.
constexpr std::int64_t kFillChunkBytes = std::int64_t{1} << 24;

std::int64_t pixelsInBytes(std::int64_t bytes, std::int32_t dataType)
{
    switch (dataType)
    {
    case kDataTypeOneBit:
        return bytes * 8;
    case kDataTypeEightBit:
        return bytes;
    case kDataTypeSixteenBit:
        return bytes >> 1;
    case kDataTypeThirtyTwoBit:
        return bytes >> 2;
    case kDataTypeSixtyFourBit:
        return bytes >> 3;
    default:
        return 0;
    }
}
} // namespace

TiledImage::TiledImage()
    : reactors_(sessionRunTime()), contexts_(sessionRunTime()), imageLock_(makeImageLock())
{
}

TiledImage::~TiledImage()
{
    // No copy is reading the image's tiles while it goes. A thread that
    // destroys an image it holds itself is refused the lock and goes on.
    const bool locked = imageLock_->writeLock(kInfinite);
    for (ImageContextRep* context : contexts_.items())
    {
        try
        {
            context->detachImage();
        }
        catch (OMVIException* error)
        {
            delete error;
        }
        catch (...)
        {
        }
    }
    contexts_.clear();
    leaveRegistry();
    if (locked)
        imageLock_->writeUnlock();
}

void TiledImage::leaveRegistry() noexcept
{
    OMVISession* session = OMVISession::get();
    if (!session || registryId_ == 0)
        return;
    try
    {
        session->lockRegistry();
        for (std::int32_t i = 0; i < session->numImages(); ++i)
            if (session->imageAt(i) == this)
            {
                session->unregisterImage(registryId_);
                break;
            }
        session->unlockRegistry();
    }
    catch (OMVIException* error)
    {
        delete error;
    }
    catch (...)
    {
    }
}

void TiledImage::requireBare() const
{
    if (constructed_ || tiles_.isConstructed())
        throw new ImageConstructionException("TiledImage::construct: Already Constructed", 3);
}

std::int32_t TiledImage::resolveOrganisation(const DataModel& model, std::int32_t organisation) const
{
    if (organisation == kOrganisationFromFile || organisation == kOrganisationDefault)
        return model.defaultOrganisation();
    if (!model.supportsOrganisation(organisation))
        constructionFails(0);
    return organisation;
}

void TiledImage::adoptGeometry()
{
    const TileGeometry& geometry = tiles_.geometry();
    tileEdge_ = geometry.edge;
    bytesPerTileRow_ = geometry.lineBytes;
    bytesPerTile_ = geometry.tileBytes;
    tiles_.pageSet(pagingSystem_, pageSet_);
}

void TiledImage::buildBlank(const PixelPair& size, const DataModel& model, const ImagePixel& clearColor,
                            std::int32_t organisation, bool unlocked)
{
    requireBare();
    if (size.x < 1 || size.y < 1)
        constructionFails(2);
    const std::int32_t chosen = resolveOrganisation(model, organisation);
    if (clearColor.kind != model.pixelKind())
        constructionFails(1);
    std::unique_ptr<DataModel> clone = model.clone();
    if (unlocked)
        tiles_.constructUnlocked(size, chosen, model.dataType());
    else
        tiles_.construct(size, chosen, model.dataType());
    model_ = std::move(clone);
    clearColor_ = clearColor;
    size_ = size;
    adoptGeometry();
    lockingFixed_ = unlocked;
    constructed_ = true;
}

bool TiledImage::construct(const PixelPair& size, const DataModel& model, const ImagePixel& clearColor,
                           std::int32_t organisation)
{
    buildBlank(size, model, clearColor, organisation, false);
    return true;
}

void TiledImage::constructUnlocked(const PixelPair& size, const DataModel& model, const ImagePixel& clearColor,
                                   std::int32_t organisation)
{
    buildBlank(size, model, clearColor, organisation, true);
}

bool TiledImage::construct(std::uint8_t*, const PixelPair&, const DataModel&)
{
    return false;
}

bool TiledImage::construct(ImageRep& other)
{
    requireBare();
    auto* source = dynamic_cast<TiledImage*>(&other);
    if (!source)
        constructionFails(3);
    if (!source->imageLock_->readLock(0))
        constructionFails(4);
    struct ReleaseSource
    {
        ReadManyWriteOneLock& lock;
        ~ReleaseSource() { lock.readUnlock(); }
    } release{*source->imageLock_};

    tiles_.shareFrom(source->tiles_);
    if (source->model_)
        model_ = source->model_->clone();
    clearColor_ = source->clearColor_;
    size_ = source->size_;
    tileEdge_ = source->tileEdge_;
    bytesPerTileRow_ = source->bytesPerTileRow_;
    bytesPerTile_ = source->bytesPerTile_;

    OMVISession* session = OMVISession::get();
    const std::int32_t keep = session ? session->integerSetting() : 1;
    if (source->source_ &&
        (keep == 1 || (keep == 2 && source->source_->accessKind() == FileReadDescriptorRep::kSubRegions)))
        source_ = std::make_unique<FileReadDescriptor>(*source->source_);

    pagingSystem_ = source->pagingSystem_;
    pageSet_ = source->pageSet_;
    constructed_ = source->constructed_;
    return true;
}

bool TiledImage::isSameImage(ImageRep&)
{
    return false;
}

std::int32_t TiledImage::tileGrid(std::int32_t& tilesDown, std::int32_t& tilesAcross) const
{
    return tiles_.gridSize(tilesDown, tilesAcross);
}

void TiledImage::setClearColor(const ImagePixel& color)
{
    if (!model_ || color.kind != model_->pixelKind())
        throw new ImageException("TiledImage::setClearColor", 4);
    clearColor_ = color;
}

void TiledImage::setDataModel(const DataModel& model)
{
    if (!model_ || !model.isDataType(model_->dataType()))
        throw new ImageException("TiledImage::setDataModel", 1);
    model_ = model.clone();
    // The clear colour keeps its value and takes the pixels' new kind.
    clearColor_.kind = model_->pixelKind();
}

void TiledImage::clear()
{
    yieldContexts(nullptr, nullptr);
    modified_.store(true);
    std::int32_t down = 0;
    std::int32_t across = 0;
    tiles_.gridSize(down, across);
    for (std::int32_t row = 0; row < down; ++row)
        for (std::int32_t column = 0; column < across; ++column)
        {
            tiles_.clearTile(row, column);
            tellReactors(row, column, 1);
        }
}

std::int32_t TiledImage::addReactor(ImageReactorInterface* reactor)
{
    if (!reactor)
        return 0;
    return reactors_.add(reactor);
}

void TiledImage::removeReactor(ImageReactorInterface* reactor)
{
    const std::int32_t handle = reactors_.find(reactor);
    if (handle != 0)
        reactors_.remove(handle);
}

bool TiledImage::setUnlocked(bool unlocked)
{
    if (!lockingFixed_)
        tiles_.setLocking(!unlocked);
    return !tiles_.locking();
}

std::int32_t TiledImage::registerContext(ImageContextRep* context)
{
    if (!context)
        return 0;
    return contexts_.add(context);
}

void TiledImage::releaseContext(std::int32_t handle)
{
    contexts_.remove(handle);
}

void TiledImage::yieldContexts(const ImageContextRep* except, const TileIndex* only)
{
    // Held through the walk, so that no context leaves the list meanwhile.
    MutexHold hold(contexts_.mutex());
    if (contexts_.count() == 0)
        return;
    for (ImageContextRep* context : contexts_.items())
        if (context != except)
            context->yieldTiles(only);
}

TileIndex TiledImage::tileIndex(std::int32_t y, std::int32_t x) const
{
    if (tileEdge_ < 1)
        return {};
    return {y / tileEdge_, x / tileEdge_};
}

Tile* TiledImage::lockTileShared(std::int32_t row, std::int32_t column)
{
    return tiles_.lockTileShared(row, column);
}

Tile* TiledImage::lockTileExclusive(std::int32_t row, std::int32_t column)
{
    return tiles_.lockTileExclusive(row, column);
}

void TiledImage::unlockTileShared(Tile* tile)
{
    tiles_.unlockTileShared(tile);
}

void TiledImage::unlockTileExclusive(Tile* tile)
{
    tiles_.unlockTileExclusive(tile);
}

bool TiledImage::readTile(const Tile& tile, DataBuffer& buffer) const
{
    return tile.read(buffer);
}

void TiledImage::loadTile(const Tile& tile, std::uint8_t* destination) const
{
    if (!tile.read(destination))
        fillClearColor(destination, bytesPerTile_);
}

void TiledImage::tellReactors(std::int32_t row, std::int32_t column, std::int32_t count)
{
    MutexHold hold(reactors_.mutex());
    for (ImageReactorInterface* reactor : reactors_.items())
        for (std::int32_t k = 0; k < count; ++k)
            reactor->tileModified(row, column + k);
}

void TiledImage::writeTile(const TileIndex& index, const std::uint8_t* pixels)
{
    modified_.store(true);
    tiles_.writeTile(index.row, index.column, pixels);
    tellReactors(index.row, index.column, 1);
}

void TiledImage::writeLockedTile(Tile*& tile, const std::uint8_t* pixels)
{
    modified_.store(true);
    tiles_.writeLockedTile(tile, pixels);
    const TileIndex index = tile->index();
    tellReactors(index.row, index.column, 1);
}

void TiledImage::writeTileRun(const TileIndex& first, std::int32_t count, const std::uint8_t* pixels)
{
    modified_.store(true);
    tiles_.writeTileRun(first.row, first.column, count, pixels);
    tellReactors(first.row, first.column, count);
}

void TiledImage::fillClearColor(std::uint8_t* memory, std::int64_t byteCount) const
{
    if (!memory || byteCount < 1 || !model_)
        return;
    const std::int32_t dataType = model_->dataType();
    std::unique_ptr<PixelCopier> copier(createPixelCopier(dataType));
    if (!copier)
        throw new SystemException("Out of memory", SystemException::kOutOfMemory);
    for (std::int64_t done = 0; done < byteCount; done += kFillChunkBytes)
    {
        const std::int64_t bytes = std::min(kFillChunkBytes, byteCount - done);
        copier->fill(memory + done, 0, clearColor_, static_cast<std::int32_t>(pixelsInBytes(bytes, dataType)));
    }
}

void TiledImage::fillClearColor(DataBuffer& buffer) const
{
    fillClearColor(buffer.data(), buffer.size());
}

void TiledImage::pagingIdentity(PagingSystemInterface*& pagingSystem, PagingSystemInterface::Handle& pageSet) const
{
    pagingSystem = pagingSystem_;
    pageSet = pageSet_;
}

void TiledImage::detachSharedImages()
{
    if (!constructed_ || !pagingSystem_)
        return;
    OMVISession* session = OMVISession::get();
    if (!session)
        return;
    auto release = [](TiledImage& image) {
        if (image.source_)
            image.source_->close();
        image.tiles_.moveToWritablePages();
    };
    bool releasedThis = false;
    session->lockRegistry();
    try
    {
        for (std::int32_t i = 0; i < session->numImages(); ++i)
        {
            auto* image = dynamic_cast<TiledImage*>(session->imageAt(i));
            if (!image || image->pagingSystem_ != pagingSystem_ || image->pageSet_ != pageSet_)
                continue;
            release(*image);
            releasedThis = releasedThis || image == this;
        }
        if (!releasedThis)
            release(*this);
    }
    catch (...)
    {
        session->unlockRegistry();
        throw;
    }
    session->unlockRegistry();
}

} // namespace Omvi
