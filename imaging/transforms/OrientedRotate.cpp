#include "imaging/transforms/OrientedRotate.h"

#include "imaging/OMVIException.h"
#include "imaging/images/TiledImage.h"
#include "imaging/models/DataModel.h"
#include "imaging/shears/Rotate.h"
#include "imaging/transforms/ConvertModel.h"

namespace Omvi
{

OrientedRotate::OrientedRotate(RowProviderInterface* input, Orientation orientation, const double& angle,
                               ImagePixel clear, bool grayAsRgb)
    : angle_(angle), clear_(clear)
{
    std::unique_ptr<RowProviderInterface> owned(input);
    if (!owned)
        throw static_cast<OMVIException*>(
            new ImageFilterException("No valid inputs", ImageFilterException::kNoValidInputs));
    build(owned, orientation, grayAsRgb);
}

void OrientedRotate::build(std::unique_ptr<RowProviderInterface>& input, Orientation orientation, bool grayAsRgb)
{
    auto* converted = new ConvertModel(input.get(), grayAsRgb);
    static_cast<void>(input.release());
    input.reset(converted);
    converted->convertSourcePixel(clear_);

    // The image holds the oriented view of the converted rows: they are
    // laid so that reading the image in the inverse orientation would give
    // them back.
    const PixelPair rows = converted->size();
    const PixelPosition oriented = orientedSize(orientation, rows.x, rows.y);
    const PixelPair size{oriented.x, oriented.y};
    image_ = std::make_unique<TiledImage>();
    image_->constructUnlocked(size, converted->dataModel(), clear_, kOrganisationDefault);
    image_->pasteInOrder(input, {0, 0}, inverse(orientation));

    std::unique_ptr<RowProviderInterface> reader = image_->read(size, {0, 0});
    if (!reader)
        throw static_cast<OMVIException*>(
            new ImageFilterException("No valid inputs", ImageFilterException::kNoValidInputs));
    auto* rotate = new Rotate(reader.get(), angle_, clear_, grayAsRgb);
    static_cast<void>(reader.release());
    std::unique_ptr<RowProviderInterface> inner(rotate);
    init(rotate->size(), rotate->dataModel());
    // Nothing can fail once the rotation is connected, so that it never
    // outlives the image on an error path.
    RowProviderInterface* connected = rotate;
    if (!connectInput(connected))
        throw static_cast<OMVIException*>(
            new ImageFilterException("No valid inputs", ImageFilterException::kNoValidInputs));
    static_cast<void>(inner.release());
    rotate_ = rotate;
    rowsLeft_ = rotate->rowsRemaining();
}

OrientedRotate::~OrientedRotate()
{
    // The rotation reads the image: it goes first.
    if (inputCount() > 0)
    {
        RowProviderInterface* inner = input(0);
        returnInput(inner);
        delete inner;
    }
}

std::int32_t OrientedRotate::getNextRow(DataBuffer& row)
{
    if (rowsLeft_ <= 0)
        return 0;
    requireRowBytes(row, bytesPerRow());
    input(0)->getNextRow(row);
    return --rowsLeft_;
}

void OrientedRotate::adjustOffset(PixelPair& offset) const
{
    if (rotate_ != nullptr)
        rotate_->adjustOffset(offset);
}

void OrientedRotate::adjustOffset(Point2d& point) const
{
    if (rotate_ != nullptr)
        rotate_->adjustOffset(point);
}

} // namespace Omvi
