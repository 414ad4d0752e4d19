#include "imaging/composers/StaticImageRowComposer.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/images/RegionCheck.h"
#include "imaging/kernels/KernelFactories.h"
#include "imaging/models/DataModel.h"

namespace Omvi
{

namespace
{
// The stitcher direction of each orientation: along a line (0, mirrored 1)
// or down a column (2, from the bottom up 3).
std::int32_t stitcherDirection(Orientation orientation)
{
    switch (orientation)
    {
    case Orientation::Transpose:
    case Orientation::QuarterTurnLeft:
        return 2;
    case Orientation::QuarterTurnRight:
    case Orientation::Transverse:
        return 3;
    case Orientation::Identity:
    case Orientation::MirrorTopBottom:
        return 0;
    case Orientation::MirrorLeftRight:
    case Orientation::HalfTurn:
        return 1;
    }
    return 0;
}

// Whether the rows start from the far line (or column).
bool startsFromFarEnd(Orientation orientation)
{
    return orientation == Orientation::QuarterTurnLeft || orientation == Orientation::Transverse ||
           orientation == Orientation::MirrorTopBottom || orientation == Orientation::HalfTurn;
}
} // namespace

StaticImageRowComposer::StaticImageRowComposer(const StaticPixelView& image, const DataModel& model,
                                               const PixelPair& regionSize, const PixelPair& origin,
                                               Orientation orientation)
    : image_(image), model_(model.clone())
{
    requireRegionInside(image.size, regionSize, origin, "StaticImageRowComposer: Region Out Of Bounds");
    const bool columns = swapsAxes(orientation);
    rowLength_ = columns ? regionSize.y : regionSize.x;
    rowCount_ = columns ? regionSize.x : regionSize.y;
    const std::int64_t bytes = rowBytes(rowLength_, model.dataType());
    if (bytes < 1 || bytes > INT32_MAX)
        throw new ImageException("StaticImageRowComposer: Region Out Of Bounds", 0);
    bytesPerRow_ = static_cast<std::int32_t>(bytes);

    const std::int32_t first = columns ? origin.x : origin.y;
    const std::int32_t last = first + rowCount_ - 1;
    const bool far = startsFromFarEnd(orientation);
    moving_ = far ? last : first;
    step_ = far ? -1 : 1;
    fixed_ = columns ? origin.y : origin.x;
    stitcher_.reset(createRowStitcher(model.dataType(), stitcherDirection(orientation)));
    if (!stitcher_)
        throw new SystemException("Out of memory", SystemException::kOutOfMemory);
}

StaticImageRowComposer::~StaticImageRowComposer() = default;

std::int32_t StaticImageRowComposer::getNextRow(DataBuffer& row)
{
    if (delivered_ >= rowCount_)
        return 0;
    if (row.size() < bytesPerRow_)
        throw new ImageFilterException("Row buffer too small", ImageFilterException::kRowBufferTooSmall);
    stitcher_->setDestination(row.data(), 0, rowLength_);
    stitcher_->setSource(image_.bytesPerLine, moving_);
    stitcher_->stitch(image_.pixels, fixed_, rowLength_);
    moving_ += step_;
    ++delivered_;
    return rowCount_ - delivered_;
}

} // namespace Omvi
