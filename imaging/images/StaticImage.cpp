#include "imaging/images/StaticImage.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/StaticBuffer.h"
#include "imaging/composers/RowComposerFactory.h"
#include "imaging/contexts/ThreadSafeContextImp.h"
#include "imaging/decomposers/DecomposerFactory.h"
#include "imaging/filters/KeyColorMapper.h"
#include "imaging/images/RegionCheck.h"
#include "imaging/kernels/KernelFactories.h"
#include "imaging/models/ColorModelInterface.h"
#include "imaging/models/DataModel.h"
#include "imaging/pipeline/ProgressReporterInterface.h"
#include "imaging/pipeline/RowProviderInterface.h"
#include "imaging/session/OMVISession.h"

#include <algorithm>
#include <limits>

namespace Omvi
{

namespace
{
constexpr const char* kConstruct = "TiledImage::construct";
constexpr const char* kPasteRegion = "StaticImage::paste: Region Out Of Bounds";

[[noreturn]] void constructionFails(std::int32_t code, const char* message = kConstruct)
{
    throw static_cast<OMVIException*>(new ImageConstructionException(message, code));
}

[[noreturn]] void imageFails(const char* message, std::int32_t code)
{
    throw static_cast<OMVIException*>(new ImageException(message, code));
}

ProgressReporterInterface* progressReporter()
{
    OMVISession* session = OMVISession::get();
    return session != nullptr ? session->progressReporter() : nullptr;
}

void requireSource(const std::unique_ptr<RowProviderInterface>& source, const char* message)
{
    if (!source)
        imageFails(message, 1);
}

std::unique_ptr<PixelCopier> requireKernel(PixelCopier* kernel)
{
    if (kernel == nullptr)
        throw static_cast<OMVIException*>(new SystemException("Out of memory", SystemException::kOutOfMemory));
    return std::unique_ptr<PixelCopier>(kernel);
}
} // namespace

StaticImage::StaticImage() = default;

StaticImage::~StaticImage()
{
    if (!contexts_)
        return;
    for (ImageContextRep* context : contexts_->items())
        if (context != nullptr)
            context->detachImage();
}

// ---------------------------------------------------------------------------
// Construction

bool StaticImage::construct(FileReadDescriptor&, std::int32_t)
{
    return false;
}

bool StaticImage::construct(std::unique_ptr<RowProviderInterface>&, BuildOrder, std::int32_t)
{
    return false;
}

bool StaticImage::construct(const PixelPair&, const DataModel&, const ImagePixel&, std::int32_t)
{
    return false;
}

bool StaticImage::construct(ImageRep&)
{
    return false;
}

bool StaticImage::construct(std::uint8_t* pixels, const PixelPair& size, const DataModel& model)
{
    if (pixels_ != nullptr)
        constructionFails(3, "TiledImage::construct: Already Constructed");
    if (pixels == nullptr)
        constructionFails(7);
    const std::int64_t rowBytes = model.bytesPerRow(size.x);
    if (size.x < 1 || size.y < 1 || rowBytes < 1 || rowBytes > std::numeric_limits<std::int32_t>::max())
        constructionFails(2);
    model_ = model.clone();
    bytesPerRow_ = static_cast<std::int32_t>(rowBytes);
    size_ = size;
    clearColor_ = ImagePixel(model.pixelKind(), 0);
    pixels_ = pixels;
    return true;
}

// ---------------------------------------------------------------------------
// Queries and settings

bool StaticImage::isSameImage(ImageRep& other)
{
    if (&other == this)
        return true;
    return registryId_ != 0 && other.registryId() == registryId_;
}

std::int32_t StaticImage::tileGrid(std::int32_t& tilesDown, std::int32_t& tilesAcross) const
{
    tilesDown = 1;
    tilesAcross = 1;
    return 1;
}

void StaticImage::setClearColor(const ImagePixel& color)
{
    if (!model_ || color.kind != model_->pixelKind())
        imageFails("StaticImage::setClearColor", 4);
    clearColor_ = color;
}

void StaticImage::setDataModel(const DataModel& model)
{
    if (!model_ || !model_->isDataType(model.dataType()))
        imageFails("StaticImage::setDataModel", 1);
    model_ = model.clone();
    clearColor_.kind = model_->pixelKind();
}

std::int32_t StaticImage::addReactor(ImageReactorInterface*)
{
    imageFails("StaticImage::addReactor", 2);
}

void StaticImage::removeReactor(ImageReactorInterface*)
{
    imageFails("StaticImage::removeReactor", 2);
}

bool StaticImage::setUnlocked(bool)
{
    return false;
}

bool StaticImage::staticPixels(StaticPixelView& view) const
{
    if (pixels_ == nullptr)
        return false;
    view.pixels = pixels_;
    view.bytesPerLine = bytesPerRow_;
    view.size = size_;
    return true;
}

HandleList<ImageContextRep>& StaticImage::contexts()
{
    if (!contexts_)
    {
        OMVISession* session = OMVISession::get();
        if (session == nullptr)
            throw static_cast<OMVIException*>(
                new SystemException("Invalid Page Volume", SystemException::kInvalidPageVolume));
        contexts_ = std::make_unique<HandleList<ImageContextRep>>(session->runTime());
    }
    return *contexts_;
}

std::int32_t StaticImage::registerContext(ImageContextRep* context)
{
    return contexts().add(context);
}

void StaticImage::releaseContext(std::int32_t handle)
{
    if (contexts_)
        contexts_->remove(handle);
}

// ---------------------------------------------------------------------------
// Contexts, reading and clearing

std::unique_ptr<ImageContextRep> StaticImage::createContext(std::int32_t accessMode, const PixelPair& regionSize,
                                                           const PixelPair& origin, std::int32_t tileCacheSize)
{
    if (pixels_ == nullptr)
        imageFails("Image::createContext: Region Out Of Bounds", 0);
    requireRegionInside(size_, regionSize, origin, "Image::createContext: Region Out Of Bounds");
    auto context = std::make_unique<ThreadSafeContextImp>(*this, regionSize, origin, accessMode, tileCacheSize);
    const std::int32_t handle = registerContext(context.get());
    if (handle == 0)
        throw static_cast<OMVIException*>(new SystemException("Too many image contexts", SystemException::kOutOfMemory));
    context->setRegistryHandle(handle);
    return context;
}

std::unique_ptr<RowProviderInterface> StaticImage::read(const PixelPair& regionSize, const PixelPair& origin,
                                                        Orientation orientation)
{
    if (pixels_ == nullptr)
        imageFails("Image::read: Region Out Of Bounds", 0);
    requireRegionInside(size_, regionSize, origin, "Image::read: Region Out Of Bounds");
    return createRowComposer(*this, regionSize, origin, orientation);
}

std::unique_ptr<RowProviderInterface> StaticImage::read(const PixelPair& regionSize, const PixelPair& origin)
{
    return read(regionSize, origin, Orientation::Identity);
}

void StaticImage::clear()
{
    if (pixels_ == nullptr)
        return;
    const auto copier = requireKernel(createPixelCopier(model_->dataType()));
    for (std::int32_t y = 0; y < size_.y; ++y)
        copier->fill(row(y), 0, clearColor_, size_.x);
}

// ---------------------------------------------------------------------------
// Writing rows

void StaticImage::convertToImageModel(std::unique_ptr<RowProviderInterface>& source, const char* message) const
{
    const DataModel& from = source->dataModel();
    if (!(from != *model_))
        return;
    const ColorModelInterface* fromFace = ColorModelInterface::of(from);
    const ColorModelInterface* toFace = ColorModelInterface::of(*model_);
    RowProviderInterface* input = source.get();
    RowProviderInterface* converted = nullptr;
    if (fromFace != nullptr && fromFace->canConvertTo(*model_))
        converted = fromFace->convertTo(*model_, input);
    else if (toFace != nullptr && toFace->canConvertFrom(from))
        converted = toFace->convertFrom(from, input);
    else
        imageFails(message, 1);
    if (converted != nullptr && converted != input)
    {
        // The conversion filter owns the provider from now on.
        static_cast<void>(source.release());
        source.reset(converted);
    }
    if (source->dataModel().dataType() != model_->dataType())
        imageFails(message, 1);
}

ImagePixel StaticImage::chooseKey(std::unique_ptr<RowProviderInterface>& source, bool& keyed) const
{
    ImagePixel key = clearColor_;
    if (!keyed)
        return key;
    const DataModel& model = source->dataModel();
    if (model.colorSpace() == kColorSpaceRgb)
    {
        // Only rows that use their alpha byte mark transparent pixels.
        keyed = model.bitsUsedPerPixel() == 32;
        return key;
    }
    if (model_->colorSpace() != kColorSpaceRgb && hasTransparency(model))
    {
        auto mapper = std::make_unique<KeyColorMapper>(source.get());
        static_cast<void>(source.release());
        key = mapper->keyColour();
        source = std::move(mapper);
    }
    return key;
}

void StaticImage::requireCovered(const PixelPair& covered, const PixelPair& origin, const char* message) const
{
    if (pixels_ == nullptr)
        imageFails(message, 0);
    requireRegionInside(size_, covered, origin, message);
}

template <class Tick>
void StaticImage::copyRows(RowProviderInterface& rows, const PixelPair& origin, PixelCopier& copier, Tick tick)
{
    const std::int32_t width = rows.size().x;
    const std::int32_t height = rows.size().y;
    DataBuffer buffer(std::max(rows.bytesPerRow(), static_cast<std::int32_t>(model_->bytesPerRow(width))));
    const bool sparse = rows.hasSparseRows();
    for (std::int32_t r = 0; r < height && rows.rowsRemaining() > 0; ++r)
    {
        rows.getNextRow(buffer);
        std::uint8_t* destination = row(origin.y + r);
        if (sparse)
        {
            std::int32_t first = 0;
            std::int32_t count = 0;
            const std::int32_t runs = rows.runCount();
            for (std::int32_t run = 0; run < runs && rows.nextRun(first, count); ++run)
            {
                // Runs are kept inside the source row, and so inside the image.
                const std::int32_t start = std::clamp(first, 0, width);
                const std::int32_t end = static_cast<std::int32_t>(
                    std::clamp<std::int64_t>(std::int64_t{first} + count, start, width));
                copier.copy(destination, origin.x + start, buffer.data(), start, end - start);
            }
        }
        else
        {
            copier.copy(destination, origin.x, buffer.data(), 0, width);
        }
        if (!tick(r))
            return;
    }
}

void StaticImage::paste(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin, bool useKeyColor)
{
    requireSource(source, "StaticImage::paste");
    requireCovered(source->size(), origin, kPasteRegion);
    convertToImageModel(source, "StaticImage::paste");
    bool keyed = useKeyColor;
    const ImagePixel key = chooseKey(source, keyed);

    // From here on the rows are the image's: the provider (or its outermost
    // wrapper) goes when they have been pulled, or when pulling them fails.
    const std::unique_ptr<RowProviderInterface> rows = std::move(source);
    ProgressReporterInterface* reporter = progressReporter();
    const std::int32_t total = rows->rowsRemaining();
    const std::int32_t interval = total > 100 ? total / 100 : 1;
    std::int32_t counter = 0;
    std::int32_t done = 0;
    bool stopped = false;
    auto tick = [&](std::int32_t) {
        if (reporter != nullptr)
        {
            ++counter;
            if (counter > interval)
            {
                if (!reporter->reportProgress(done, total))
                {
                    stopped = true;
                    return false;
                }
                counter = 0;
            }
            ++done;
        }
        return true;
    };

    const PixelPair covered = rows->size();
    // Straight into the memory: rows exactly as wide as the image's, so
    // that each padded row the source writes is one row of the image.
    const bool direct = !rows->hasSparseRows() && origin.x == 0 && !keyed && covered.x == size_.x &&
                        rows->bytesPerRow() <= bytesPerRow_;
    if (direct)
    {
        StaticBuffer target(row(origin.y), bytesPerRow_);
        for (std::int32_t r = 0; r < covered.y && rows->rowsRemaining() > 0; ++r)
        {
            target.setData(row(origin.y + r));
            rows->getNextRow(target);
            if (!tick(r))
                break;
        }
    }
    else
    {
        const auto copier = requireKernel(createPixelCopier(model_->dataType(), keyed, key));
        copyRows(*rows, origin, *copier, tick);
    }
    cancelled_ = stopped;
    if (reporter != nullptr && !stopped)
        reporter->reportProgress(total, total);
}

void StaticImage::blend(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin, bool useKeyColor,
                        std::int32_t blendValue)
{
    requireSource(source, "StaticImage::blend");
    if (!model_ || model_->colorSpace() != kColorSpaceRgb)
        imageFails("StaticImage:blend", 3);
    requireCovered(source->size(), origin, "StaticImage::blend: Region Out Of Bounds");
    convertToImageModel(source, "StaticImage::blend");
    bool keyed = useKeyColor;
    const ImagePixel key = chooseKey(source, keyed);

    const std::unique_ptr<RowProviderInterface> rows = std::move(source);
    ProgressReporterInterface* reporter = progressReporter();
    const std::int32_t total = rows->rowsRemaining();
    bool stopped = false;
    const auto blender = requireKernel(createBlender(std::clamp(blendValue, 0, 255), keyed, key));
    copyRows(*rows, origin, *blender, [&](std::int32_t r) {
        if (reporter != nullptr && !reporter->reportProgress(r, total))
        {
            stopped = true;
            return false;
        }
        return true;
    });
    cancelled_ = stopped;
    if (reporter != nullptr && !stopped)
        reporter->reportProgress(total, total);
}

void StaticImage::pasteColumns(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin)
{
    requireSource(source, "StaticImage::paste");
    const PixelPair provided = source->size();
    requireCovered({provided.y, provided.x}, origin, "StaticImage::pasteColumns: Region Out Of Bounds");
    convertToImageModel(source, "StaticImage::paste");

    const std::unique_ptr<RowProviderInterface> rows = std::move(source);
    std::unique_ptr<PixelColumnCopier> writer(createColumnPixelCopier(model_->dataType(), 3));
    if (!writer)
        throw static_cast<OMVIException*>(new SystemException("Out of memory", SystemException::kOutOfMemory));
    const std::int32_t length = provided.x;
    DataBuffer buffer(std::max(rows->bytesPerRow(), static_cast<std::int32_t>(model_->bytesPerRow(length))));
    const bool sparse = rows->hasSparseRows();
    for (std::int32_t r = 0; r < provided.y && rows->rowsRemaining() > 0; ++r)
    {
        rows->getNextRow(buffer);
        writer->setGeometry(bytesPerRow_, origin.x + r);
        // Pixel k of the row lands on line origin.y + length - 1 - k.
        auto put = [&](std::int32_t first, std::int32_t count) {
            writer->copyColumn(pixels_, origin.y + length - first - count, buffer.data(), first, count);
        };
        if (!sparse)
        {
            put(0, length);
            continue;
        }
        std::int32_t first = 0;
        std::int32_t count = 0;
        const std::int32_t runs = rows->runCount();
        for (std::int32_t run = 0; run < runs && rows->nextRun(first, count); ++run)
        {
            const std::int32_t start = std::clamp(first, 0, length);
            const auto end =
                static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{first} + count, start, length));
            if (end > start)
                put(start, end - start);
        }
    }
}

} // namespace Omvi
