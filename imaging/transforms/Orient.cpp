#include "imaging/transforms/Orient.h"

#include "imaging/OMVIException.h"
#include "imaging/images/StaticImage.h"
#include "imaging/images/TiledImage.h"
#include "imaging/models/DataModel.h"

namespace Omvi
{

Orient::Orient(RowProviderInterface* input, Orientation orientation) : orientation_(orientation)
{
    std::unique_ptr<RowProviderInterface> owned(input);
    if (!owned)
        throw static_cast<OMVIException*>(
            new ImageFilterException("No valid inputs", ImageFilterException::kNoValidInputs));
    if (orientation_ == Orientation::Identity)
    {
        RowProviderInterface* connected = owned.get();
        if (!connectInput(connected))
            throw static_cast<OMVIException*>(
                new ImageFilterException("No valid inputs", ImageFilterException::kNoValidInputs));
        static_cast<void>(owned.release());
        init(connected->size());
        rowsLeft_ = connected->rowsRemaining();
        return;
    }
    buffer(owned);
}

void Orient::buffer(std::unique_ptr<RowProviderInterface>& input)
{
    const PixelPair size = input->size();
    const std::unique_ptr<DataModel> model = input->dataModel().clone();
    const double edge = tileSizeOfOrganisation(model->defaultOrganisation());
    if (size.x / edge > 2.0 || size.y / edge > 2.0)
    {
        auto tiled = std::make_unique<TiledImage>();
        tiled->constructUnlocked(size, *model, ImagePixel(model->pixelKind(), 0), kOrganisationDefault);
        image_ = std::move(tiled);
    }
    else
    {
        // At most twice the tile edge each way: one block is cheaper than
        // tiles and pages.
        const std::int64_t bytes = model->bytesPerRow(size.x) * static_cast<std::int64_t>(size.y);
        if (size.x < 1 || size.y < 1 || bytes < 1)
            throw static_cast<OMVIException*>(
                new ImageFilterException("Invalid image size", ImageFilterException::kInvalidSize));
        memory_.assign(static_cast<std::size_t>(bytes), 0);
        auto block = std::make_unique<StaticImage>();
        block->construct(memory_.data(), size, *model);
        image_ = std::move(block);
    }
    image_->paste(input, {0, 0}, false);
    rows_ = image_->read(size, {0, 0}, orientation_);
    if (!rows_)
        throw static_cast<OMVIException*>(
            new ImageFilterException("No valid inputs", ImageFilterException::kNoValidInputs));
    init(rows_->size(), *model);
    rowsLeft_ = rows_->rowsRemaining();
}

Orient::~Orient()
{
    rows_.reset();
    image_.reset();
}

std::int32_t Orient::getNextRow(DataBuffer& row)
{
    if (rowsLeft_ <= 0)
        return 0;
    requireRowBytes(row, bytesPerRow());
    RowProviderInterface* source = rows_ ? rows_.get() : input(0);
    source->getNextRow(row);
    return --rowsLeft_;
}

bool Orient::isValid() const
{
    if (!isInitialised())
        return false;
    return rows_ ? rows_->isValid() : ImageFilter::isValid();
}

} // namespace Omvi
