// The region operations of a tiled image: reading a region through a row
// composer (or straight from the file when that is cheaper), and writing
// rows into the tiles through decomposers: paste, blend, pasteColumns and
// pasteInOrder.
#include "imaging/OMVIException.h"
#include "imaging/composers/RowComposerFactory.h"
#include "imaging/contexts/ThreadSafeContextImp.h"
#include "imaging/decomposers/DecomposerFactory.h"
#include "imaging/decomposers/TiledImageDecomposers.h"
#include "imaging/descriptors/FileReadDescriptor.h"
#include "imaging/filters/KeyColorMapper.h"
#include "imaging/images/RegionCheck.h"
#include "imaging/images/TiledImage.h"
#include "imaging/models/ColorModelInterface.h"
#include "imaging/models/DataModel.h"
#include "imaging/paging/DirectReadPagingSystem.h"
#include "imaging/pipeline/RowProviderInterface.h"
#include "imaging/session/OMVISession.h"

#include <algorithm>

namespace Omvi
{

namespace
{
// The rectangle that the rows of `source` cover when laid in `orientation`.
PixelPair coveredSize(const RowProviderInterface& source, Orientation orientation)
{
    const PixelPair provided = source.size();
    return swapsAxes(orientation) ? PixelPair{provided.y, provided.x} : provided;
}

void requireSource(const std::unique_ptr<RowProviderInterface>& source, const char* message)
{
    if (!source)
        throw new ImageException(message, 1);
}
} // namespace

std::unique_ptr<ImageContextRep> TiledImage::createContext(std::int32_t accessMode, const PixelPair& regionSize,
                                                           const PixelPair& origin, std::int32_t tileCacheSize)
{
    if (!constructed_)
        throw new ImageException("Image::createContext: Region Out Of Bounds", 0);
    requireRegionInside(size_, regionSize, origin, "Image::createContext: Region Out Of Bounds");
    auto context = std::make_unique<ThreadSafeContextImp>(*this, regionSize, origin, accessMode, tileCacheSize);
    const std::int32_t handle = registerContext(context.get());
    if (handle == 0)
        throw new SystemException("Too many image contexts", SystemException::kOutOfMemory);
    context->setRegistryHandle(handle);
    return context;
}

std::unique_ptr<RowProviderInterface> TiledImage::read(const PixelPair& regionSize, const PixelPair& origin,
                                                       Orientation orientation)
{
    if (!constructed_)
        throw new ImageException("Image::read: Region Out Of Bounds", 0);
    requireRegionInside(size_, regionSize, origin, "Image::read: Region Out Of Bounds");
    // Tiles that a context of this thread holds are given back: the rows
    // show what the contexts wrote.
    yieldContexts(nullptr, nullptr);

    // An image that still shows its file as it is can read a region
    // straight from the file, unless its tiles are the file's own.
    if (orientation == Orientation::Identity && !modified_.load() && source_)
    {
        FileReadDescriptorRep& file = source_->representation();
        if (file.supportsAccess(FileReadDescriptorRep::kSubRegions))
        {
            OMVISession* session = OMVISession::get();
            const bool ownTiles = file.supportsAccess(FileReadDescriptorRep::kDirectTiles) && session &&
                                  pagingSystem_ == &session->directReadPagingSystem();
            if (!ownTiles)
            {
                std::unique_ptr<RowProviderInterface> rows(file.subRegionRowProvider(regionSize, origin));
                if (rows)
                    return rows;
            }
        }
    }
    return createRowComposer(*this, regionSize, origin, orientation);
}

std::unique_ptr<RowProviderInterface> TiledImage::read(const PixelPair& regionSize, const PixelPair& origin)
{
    return read(regionSize, origin, Orientation::Identity);
}

void TiledImage::convertToImageModel(std::unique_ptr<RowProviderInterface>& source, const char* message) const
{
    const DataModel& from = source->dataModel();
    if (!(from != *model_))
        return;
    RowProviderInterface* input = source.get();
    RowProviderInterface* converted = nullptr;
    const ColorModelInterface* fromFace = ColorModelInterface::of(from);
    const ColorModelInterface* toFace = ColorModelInterface::of(*model_);
    if (fromFace && fromFace->canConvertTo(*model_))
        converted = fromFace->convertTo(*model_, input);
    else if (toFace && toFace->canConvertFrom(from))
        converted = toFace->convertFrom(from, input);
    else
        throw new ImageException(message, 1);
    if (converted && converted != input)
    {
        // The filter owns the provider from now on.
        (void)source.release();
        source.reset(converted);
    }
    if (source->dataModel().dataType() != model_->dataType())
        throw new ImageException(message, 1);
}

void TiledImage::decomposeRows(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin,
                               Orientation orientation, bool useKeyColor, const ImagePixel& keyColor)
{
    std::unique_ptr<TiledImageDecomposer> decomposer =
        createDecomposer(*this, *source, origin, orientation, useKeyColor, keyColor);
    if (!decomposer)
        throw new ImageException("TiledImage::paste", 1);
    // From here on the rows are the image's: the provider goes when they
    // have been pulled, or when pulling them fails.
    std::unique_ptr<RowProviderInterface> rows = std::move(source);
    yieldContexts(nullptr, nullptr);
    cancelled_.store(false);
    decomposer->decompose();
    cancelled_.store(decomposer->cancelled());
}

void TiledImage::pasteRows(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin,
                           bool useKeyColor, const std::int32_t* blendValue)
{
    const char* const message = blendValue ? "TiledImage::blend" : "TiledImage::paste";
    requireSource(source, message);
    if (!constructed_)
        throw new ImageException(message, 1);
    if (blendValue && model_->colorSpace() != kColorSpaceRgb)
        throw new ImageException("TiledImage:blend", 3);
    requireRegionInside(size_, source->size(), origin,
                        blendValue ? "TiledImage::blend: Region Out Of Bounds" : "TiledImage::paste: Region Out Of Bounds");
    convertToImageModel(source, message);

    // Which pixels are transparent: the alpha byte of RGB rows that use it,
    // the transparent entries of gray and palette tables (marked with one
    // key by a mapper), the 0 bits of bitonal rows.
    ImagePixel key;
    bool keyed = useKeyColor;
    if (keyed)
    {
        const DataModel& model = source->dataModel();
        if (model.colorSpace() == kColorSpaceRgb)
            keyed = model.bitsUsedPerPixel() == 32;
        else if (hasTransparency(model))
        {
            auto mapper = std::make_unique<KeyColorMapper>(source.get());
            (void)source.release();
            key = mapper->keyColour();
            source = std::move(mapper);
        }
    }

    std::unique_ptr<TiledImageDecomposer> decomposer;
    if (blendValue)
        decomposer = std::make_unique<TiledImageTopDownRowDecomposer>(*this, *source, origin, 0, keyed,
                                                                      std::clamp(*blendValue, 0, 255), key);
    else
        decomposer = std::make_unique<TiledImageTopDownRowDecomposer>(*this, *source, origin, 0, keyed, key);
    std::unique_ptr<RowProviderInterface> rows = std::move(source);
    yieldContexts(nullptr, nullptr);
    cancelled_.store(false);
    decomposer->decompose();
    cancelled_.store(decomposer->cancelled());
}

void TiledImage::paste(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin, bool useKeyColor)
{
    pasteRows(source, origin, useKeyColor, nullptr);
}

void TiledImage::blend(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin, bool useKeyColor,
                       std::int32_t blendValue)
{
    pasteRows(source, origin, useKeyColor, &blendValue);
}

void TiledImage::pasteColumns(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin)
{
    requireSource(source, "TiledImage::paste");
    if (!constructed_)
        throw new ImageException("TiledImage::paste", 1);
    requireRegionInside(size_, coveredSize(*source, Orientation::Transpose), origin,
                        "TiledImage::pasteColumns: Region Out Of Bounds");
    convertToImageModel(source, "TiledImage::paste");
    std::unique_ptr<TiledImageDecomposer> decomposer =
        std::make_unique<TiledImageLeftRightColumnDecomposer>(*this, *source, origin, 3, false, clearColor_);
    std::unique_ptr<RowProviderInterface> rows = std::move(source);
    yieldContexts(nullptr, nullptr);
    cancelled_.store(false);
    decomposer->decompose();
    cancelled_.store(decomposer->cancelled());
}

void TiledImage::pasteInOrder(std::unique_ptr<RowProviderInterface>& source, const PixelPair& origin,
                              Orientation orientation)
{
    requireSource(source, "TiledImage::paste");
    if (!constructed_)
        throw new ImageException("TiledImage::paste", 1);
    requireRegionInside(size_, coveredSize(*source, orientation), origin,
                        "TiledImage::pasteInOrder: Region Out Of Bounds");
    convertToImageModel(source, "TiledImage::paste");
    decomposeRows(source, origin, orientation, false, clearColor_);
}

} // namespace Omvi
