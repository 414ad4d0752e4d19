// Building a tiled image from the rows of a provider: a decomposer lays the
// rows into the tiles, a band of tiles (a tile row, or a tile column when
// rows become columns) at a time, under the session's memory budget.
#include "imaging/OMVIException.h"
#include "imaging/images/TiledImage.h"
#include "imaging/models/DataModel.h"
#include "imaging/pipeline/RowProviderInterface.h"

namespace Omvi
{

bool TiledImage::construct(std::unique_ptr<RowProviderInterface>& source, BuildOrder order,
                           std::int32_t organisation)
{
    requireBare();
    if (!source)
        throw new ImageConstructionException("TiledImage::construct", 2);
    const DataModel& model = source->dataModel();
    const std::int32_t chosen = resolveOrganisation(model, organisation);
    const PixelPair provided = source->size();
    if (provided.x < 1 || provided.y < 1)
        throw new ImageConstructionException("TiledImage::construct", 2);
    const PixelPosition built = builtSize(order, provided.x, provided.y);

    std::unique_ptr<DataModel> clone = model.clone();
    tiles_.construct({built.x, built.y}, chosen, clone->dataType());
    model_ = std::move(clone);
    clearColor_ = ImagePixel(model_->pixelKind());
    size_ = {built.x, built.y};
    adoptGeometry();
    constructed_ = true;

    // Rows that become columns of a bitonal image are drawn with their 0
    // bits (paper) transparent over the blank tiles, which read as paper.
    const bool keyed = swapsAxes(order) && model_->colorSpace() == kColorSpaceBitonal;
    try
    {
        decomposeRows(source, {0, 0}, decompositionOf(order), keyed, clearColor_);
    }
    catch (...)
    {
        // The tiles stay until the representation goes; it is not an image.
        constructed_ = false;
        throw;
    }
    // Building is not a change to the image.
    modified_.store(false);
    return true;
}

} // namespace Omvi
