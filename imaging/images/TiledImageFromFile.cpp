// Building a tiled image from an image file: straight over the file's own
// tiles when it has tiles of a size the image can use, over tiles decoded
// when first touched when the file is large and can deliver any band of
// rows, and otherwise from all of its rows.
#include "imaging/OMVIException.h"
#include "imaging/codecs/DirectTileReadInterface.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/descriptors/FileReadDescriptor.h"
#include "imaging/images/TiledImage.h"
#include "imaging/models/DataModel.h"
#include "imaging/paging/DelayLoadPageSystem.h"
#include "imaging/paging/DirectReadPagingSystem.h"
#include "imaging/pipeline/RowProviderInterface.h"
#include "imaging/session/OMVISession.h"

namespace Omvi
{

namespace
{
// Images up to this many pixels are read whole, even when their file could
// deliver tiles on demand.
constexpr std::int64_t kDelayLoadThreshold = 0x100000;

[[noreturn]] void constructionFails(std::int32_t code)
{
    throw new ImageConstructionException("TiledImage::construct", code);
}

OMVISession& session()
{
    OMVISession* current = OMVISession::get();
    if (!current)
        throw new SystemException("Invalid Page Volume", SystemException::kInvalidPageVolume);
    return *current;
}

// The file's size, checked before it shapes anything.
PixelPair frameSize(FileReadDescriptor& descriptor)
{
    const PixelPair size = descriptor.size();
    if (size.x < 1 || size.y < 1)
        constructionFails(2);
    return size;
}

// Tiles of `table` over a new state of a file paging system, which
// `createState(dataType)` makes once the geometry is known to fit
// (kNoPageSet otherwise); a state whose tiles cannot be made ends again.
// Answers the image's copy of the file's model.
template <class Paging, class CreateState>
std::unique_ptr<DataModel> tilesOverFile(TileTable& table, const DataModel& model, const PixelPair& size,
                                         std::int32_t organisation, Paging& paging, CreateState createState)
{
    TileGeometry geometry;
    if (!TileGeometry::of(organisation, model.dataType(), size, geometry))
        constructionFails(TileTable::kNoPageSet);
    std::unique_ptr<DataModel> clone = model.clone();
    const PagingSystemInterface::Handle state = createState(clone->dataType());
    try
    {
        table.constructOnPages(size, organisation, clone->dataType(), paging, state);
    }
    catch (...)
    {
        try
        {
            paging.discardState(state);
        }
        catch (OMVIException* error)
        {
            delete error;
        }
        throw;
    }
    return clone;
}
} // namespace

bool TiledImage::constructFromRows(RowProviderInterface* rows, BuildOrder order, std::int32_t organisation)
{
    std::unique_ptr<RowProviderInterface> provider(rows);
    if (!provider)
        throw new FileIOException("Unable to read the image file", FileIOException::kOtherFailure);
    return construct(provider, order, organisation);
}

bool TiledImage::construct(FileReadDescriptor& descriptor, std::int32_t organisation)
{
    requireBare();
    const DataModel* model = descriptor.dataModel();
    if (!model)
        constructionFails(0);
    if (organisation != kOrganisationFromFile && organisation != kOrganisationDefault &&
        !model->supportsOrganisation(organisation))
        constructionFails(0);

    FileReadDescriptorRep& representation = descriptor.representation();
    if (representation.isStreaming())
        return constructFromRows(representation.rowProvider(), BuildOrder::RowsTopDown, organisation);

    auto copy = std::make_unique<FileReadDescriptor>(descriptor);
    const std::int32_t orientation = representation.orientation();
    if (orientation != 0)
    {
        const std::optional<BuildOrder> order = buildOrderFromCode(orientation);
        if (!order)
            constructionFails(0);
        constructFromRows(representation.rowProvider(), *order, organisation);
        source_ = std::move(copy);
        return true;
    }

    if (tryDirectTiles(*copy, organisation))
    {
        source_ = std::move(copy);
        return true;
    }
    if (!tryDelayLoading(*copy, organisation))
        constructFromRows(representation.rowProvider(), BuildOrder::RowsTopDown, organisation);

    const std::int32_t keep = session().integerSetting();
    if (keep == 1 || (keep == 2 && copy->accessKind() == FileReadDescriptorRep::kSubRegions))
        source_ = std::move(copy);
    return true;
}

bool TiledImage::tryDirectTiles(FileReadDescriptor& copy, std::int32_t organisation)
{
    OMVISession& current = session();
    FileReadDescriptorRep& representation = copy.representation();
    if (!current.isFlagClear() || !representation.supportsAccess(FileReadDescriptorRep::kDirectTiles))
        return false;
    auto* tiles = dynamic_cast<DirectTileReadInterface*>(representation.frame());
    if (!tiles)
        return false;
    const DataModel& model = *copy.dataModel();
    const std::int32_t fileTileSize = tiles->tileSize();
    auto accepted = [&](std::int32_t code) {
        return model.supportsOrganisation(code) && tileSizeOfOrganisation(code) == fileTileSize;
    };
    std::int32_t chosen = -1;
    if (organisation == kOrganisationDefault)
        chosen = accepted(model.defaultOrganisation()) ? model.defaultOrganisation() : -1;
    else if (organisation == kOrganisationFromFile)
    {
        for (std::int32_t code = kOrganisation64; code <= kOrganisation1024 && chosen < 0; ++code)
            if (accepted(code))
                chosen = code;
    }
    else if (accepted(organisation))
        chosen = organisation;
    if (chosen < 0)
        return false;

    const PixelPair size = frameSize(copy);
    DirectReadPagingSystem& paging = current.directReadPagingSystem();
    model_ = tilesOverFile(tiles_, model, size, chosen, paging,
                           [&](std::int32_t dataType) { return paging.createState(copy, chosen, size, dataType); });
    clearColor_ = ImagePixel(model_->pixelKind());
    size_ = size;
    adoptGeometry();
    constructed_ = true;
    return true;
}

bool TiledImage::tryDelayLoading(FileReadDescriptor& copy, std::int32_t organisation)
{
    OMVISession& current = session();
    FileReadDescriptorRep& representation = copy.representation();
    if (current.imageSetting() == 2)
        return false;
    const PixelPair size = frameSize(copy);
    if (std::int64_t{size.x} * size.y <= kDelayLoadThreshold ||
        !representation.supportsAccess(FileReadDescriptorRep::kDelayLoading))
        return false;

    const DataModel& model = *copy.dataModel();
    std::int32_t chosen = organisation;
    if (chosen == kOrganisationFromFile || chosen == kOrganisationDefault)
        chosen = model.defaultOrganisation();
    // Files that read sub-regions cheaply are read in the largest tiles and
    // decoded again when needed; the others keep what they decoded.
    const bool subRegions = representation.supportsAccess(FileReadDescriptorRep::kSubRegions);
    if (subRegions && model.supportsOrganisation(kOrganisation1024))
        chosen = kOrganisation1024;
    const bool keepDecoded = !subRegions && current.imageSetting() != 1;

    DelayLoadPageSystem& paging = current.delayLoadPagingSystem();
    model_ = tilesOverFile(tiles_, model, size, chosen, paging, [&](std::int32_t dataType) {
        return paging.createState(copy, chosen, size, dataType, keepDecoded);
    });
    clearColor_ = ImagePixel(model_->pixelKind());
    size_ = size;
    adoptGeometry();
    constructed_ = true;
    return true;
}

} // namespace Omvi
