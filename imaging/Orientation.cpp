#include "imaging/Orientation.h"

namespace Omvi
{

std::optional<BuildOrder> buildOrderFromCode(std::int32_t code)
{
    if (code < 0 || code > 7)
        return std::nullopt;
    return static_cast<BuildOrder>(code);
}

std::optional<Orientation> orientationFromCode(std::int32_t code)
{
    if (code < 0 || code > 7)
        return std::nullopt;
    return static_cast<Orientation>(code);
}

bool swapsAxes(BuildOrder order)
{
    return codeOf(order) >= 4;
}

bool swapsAxes(Orientation orientation)
{
    return codeOf(orientation) < 4;
}

PixelPosition builtSize(BuildOrder order, std::int32_t providerWidth, std::int32_t providerHeight)
{
    return swapsAxes(order) ? PixelPosition{providerHeight, providerWidth} : PixelPosition{providerWidth, providerHeight};
}

PixelPosition orientedSize(Orientation orientation, std::int32_t storedWidth, std::int32_t storedHeight)
{
    return swapsAxes(orientation) ? PixelPosition{storedHeight, storedWidth} : PixelPosition{storedWidth, storedHeight};
}

PixelPosition providerPixel(BuildOrder order, std::int32_t w, std::int32_t h, std::int32_t x, std::int32_t y)
{
    switch (order)
    {
    case BuildOrder::RowsTopDown:
        return {x, y};
    case BuildOrder::RowsTopDownMirrored:
        return {w - 1 - x, y};
    case BuildOrder::RowsBottomUp:
        return {x, h - 1 - y};
    case BuildOrder::RowsBottomUpMirrored:
        return {w - 1 - x, h - 1 - y};
    // The built image is h wide and w high: column x holds provider row x.
    case BuildOrder::ColumnsLeftRightDown:
        return {y, x};
    case BuildOrder::ColumnsRightLeftDown:
        return {y, h - 1 - x};
    case BuildOrder::ColumnsLeftRightUp:
        return {w - 1 - y, x};
    case BuildOrder::ColumnsRightLeftUp:
        return {w - 1 - y, h - 1 - x};
    }
    return {x, y};
}

PixelPosition storedPixel(Orientation orientation, std::int32_t w, std::int32_t h, std::int32_t x, std::int32_t y)
{
    switch (orientation)
    {
    case Orientation::Transpose:
        return {y, x};
    case Orientation::QuarterTurnLeft:
        return {w - 1 - y, x};
    case Orientation::QuarterTurnRight:
        return {y, h - 1 - x};
    case Orientation::Transverse:
        return {w - 1 - y, h - 1 - x};
    case Orientation::Identity:
        return {x, y};
    case Orientation::MirrorLeftRight:
        return {w - 1 - x, y};
    case Orientation::MirrorTopBottom:
        return {x, h - 1 - y};
    case Orientation::HalfTurn:
        return {w - 1 - x, h - 1 - y};
    }
    return {x, y};
}

Orientation toOrientation(BuildOrder order)
{
    switch (order)
    {
    case BuildOrder::RowsTopDown:
        return Orientation::Identity;
    case BuildOrder::RowsTopDownMirrored:
        return Orientation::MirrorLeftRight;
    case BuildOrder::RowsBottomUp:
        return Orientation::MirrorTopBottom;
    case BuildOrder::RowsBottomUpMirrored:
        return Orientation::HalfTurn;
    case BuildOrder::ColumnsLeftRightDown:
        return Orientation::Transpose;
    case BuildOrder::ColumnsRightLeftDown:
        return Orientation::QuarterTurnRight;
    case BuildOrder::ColumnsLeftRightUp:
        return Orientation::QuarterTurnLeft;
    case BuildOrder::ColumnsRightLeftUp:
        return Orientation::Transverse;
    }
    return Orientation::Identity;
}

BuildOrder toBuildOrder(Orientation orientation)
{
    for (std::int32_t code = 0; code < 8; ++code)
        if (toOrientation(static_cast<BuildOrder>(code)) == orientation)
            return static_cast<BuildOrder>(code);
    return BuildOrder::RowsTopDown;
}

Orientation inverse(Orientation orientation)
{
    // Only the two quarter turns are not their own inverses.
    switch (orientation)
    {
    case Orientation::QuarterTurnLeft:
        return Orientation::QuarterTurnRight;
    case Orientation::QuarterTurnRight:
        return Orientation::QuarterTurnLeft;
    default:
        return orientation;
    }
}

Orientation decompositionOf(BuildOrder order)
{
    return inverse(toOrientation(order));
}

} // namespace Omvi
