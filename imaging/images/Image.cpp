#include "imaging/images/Image.h"

#include "imaging/OMVIException.h"
#include "imaging/contexts/ImageContext.h"
#include "imaging/images/TiledImage.h"
#include "imaging/models/DataModel.h"
#include "imaging/pipeline/RowProviderInterface.h"
#include "imaging/session/OMVISession.h"

namespace Omvi
{

namespace
{
OMVISession& session()
{
    OMVISession* current = OMVISession::get();
    if (current == nullptr)
        throw static_cast<OMVIException*>(
            new SystemException("Invalid Page Volume", SystemException::kInvalidPageVolume));
    return *current;
}

// A tiled copy of `other`'s representation; code 3 with `message` when it
// is not tiled.
std::unique_ptr<ImageRep> tiledCopyOf(const Image& other, const char* message)
{
    ImageRep* source = other.representation();
    if (source == nullptr)
        return nullptr;
    if (dynamic_cast<TiledImage*>(source) == nullptr)
        throw static_cast<OMVIException*>(new ImageConstructionException(message, 3));
    auto copy = std::make_unique<TiledImage>();
    copy->construct(*source);
    return copy;
}
} // namespace

Image::Image() = default;

Image::Image(RowProviderInterface* source, std::int32_t organisation)
    : Image(source, BuildOrder::RowsTopDown, organisation)
{
}

Image::Image(RowProviderInterface* source, BuildOrder order, std::int32_t organisation)
{
    std::unique_ptr<RowProviderInterface> rows(source);
    try
    {
        build(rows, order, organisation);
    }
    catch (...)
    {
        // Not taken over yet: the caller keeps its provider.
        static_cast<void>(rows.release());
        throw;
    }
}

Image::Image(std::unique_ptr<RowProviderInterface>& source, BuildOrder order, std::int32_t organisation)
{
    build(source, order, organisation);
}

void Image::build(std::unique_ptr<RowProviderInterface>& source, BuildOrder order, std::int32_t organisation)
{
    auto image = std::make_unique<TiledImage>();
    image->construct(source, order, organisation);
    representation_ = std::move(image);
    enlist();
}

Image::Image(FileReadDescriptor& descriptor, std::int32_t organisation)
{
    auto image = std::make_unique<TiledImage>();
    image->construct(descriptor, organisation);
    representation_ = std::move(image);
    enlist();
}

Image::Image(const PixelPair& size, const DataModel& model, const ImagePixel& clearColor, std::int32_t organisation)
{
    auto image = std::make_unique<TiledImage>();
    image->construct(size, model, clearColor, organisation);
    representation_ = std::move(image);
    enlist();
}

Image::Image(std::unique_ptr<ImageRep> representation) : representation_(std::move(representation))
{
    enlist();
}

Image::Image(const Image& other) : representation_(tiledCopyOf(other, "Image::Image"))
{
    enlist();
}

Image& Image::operator=(const Image& other)
{
    if (this == &other)
        return *this;
    std::unique_ptr<ImageRep> copy = tiledCopyOf(other, "Image::operator=");
    release();
    representation_ = std::move(copy);
    enlist();
    return *this;
}

Image::~Image()
{
    release();
}

std::unique_ptr<ImageContext> Image::createContext(std::int32_t accessMode, const PixelPair& regionSize,
                                                  const PixelPair& origin, std::int32_t tileCacheSize)
{
    if (!representation_)
        throw static_cast<OMVIException*>(new ImageException("Image::createContext: Region Out Of Bounds", 0));
    return std::make_unique<ImageContext>(
        representation_->createContext(accessMode, regionSize, origin, tileCacheSize));
}

std::unique_ptr<ImageContext> Image::createContext(std::int32_t accessMode)
{
    const PixelPair whole = representation_ ? representation_->size() : PixelPair{};
    return createContext(accessMode, whole, {0, 0}, 4);
}

void Image::enlist()
{
    if (!representation_)
        return;
    try
    {
        representation_->setRegistryId(session().registerImage(representation_.get()));
    }
    catch (...)
    {
        representation_.reset();
        throw;
    }
}

void Image::release() noexcept
{
    if (!representation_)
        return;
    OMVISession* current = OMVISession::get();
    if (current != nullptr && representation_->registryId() != 0)
        current->unregisterImage(representation_->registryId());
    representation_->setRegistryId(0);
    representation_.reset();
}

} // namespace Omvi
