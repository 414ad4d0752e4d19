#include "imaging/decomposers/TiledImageDecomposers.h"

namespace Omvi
{

namespace
{
std::int32_t rowDirection(std::int32_t direction)
{
    return direction == 1 ? 1 : 0;
}

std::int32_t columnDirection(std::int32_t direction)
{
    return direction == 2 ? 2 : 3;
}
} // namespace

TiledImageTopDownRowDecomposer::TiledImageTopDownRowDecomposer(TiledImage& target, RowProviderInterface& source,
                                                               const PixelPair& origin, std::int32_t direction,
                                                               bool useKeyColor, const ImagePixel& keyColor)
    : TiledImageDecomposer(target, source, origin, rowDirection(direction), false, false, useKeyColor, keyColor,
                           std::nullopt)
{
}

TiledImageTopDownRowDecomposer::TiledImageTopDownRowDecomposer(TiledImage& target, RowProviderInterface& source,
                                                               const PixelPair& origin, std::int32_t direction,
                                                               bool useKeyColor, std::int32_t blendValue,
                                                               const ImagePixel& keyColor)
    : TiledImageDecomposer(target, source, origin, rowDirection(direction), false, false, useKeyColor, keyColor,
                           blendValue)
{
}

TiledImageTopDownRowDecomposer::TiledImageTopDownRowDecomposer(TiledImage& target, RowProviderInterface& source,
                                                               const PixelPair& origin, std::int32_t direction,
                                                               bool backwards, bool useKeyColor,
                                                               const ImagePixel& keyColor)
    : TiledImageDecomposer(target, source, origin, rowDirection(direction), false, backwards, useKeyColor,
                           keyColor, std::nullopt)
{
}

TiledImageBottomUpRowDecomposer::TiledImageBottomUpRowDecomposer(TiledImage& target, RowProviderInterface& source,
                                                                 const PixelPair& origin, std::int32_t direction,
                                                                 bool useKeyColor, const ImagePixel& keyColor)
    : TiledImageTopDownRowDecomposer(target, source, origin, direction, true, useKeyColor, keyColor)
{
}

TiledImageLeftRightColumnDecomposer::TiledImageLeftRightColumnDecomposer(TiledImage& target,
                                                                         RowProviderInterface& source,
                                                                         const PixelPair& origin,
                                                                         std::int32_t direction, bool useKeyColor,
                                                                         const ImagePixel& keyColor)
    : TiledImageDecomposer(target, source, origin, columnDirection(direction), true, false, useKeyColor, keyColor,
                           std::nullopt)
{
}

TiledImageLeftRightColumnDecomposer::TiledImageLeftRightColumnDecomposer(TiledImage& target,
                                                                         RowProviderInterface& source,
                                                                         const PixelPair& origin,
                                                                         std::int32_t direction, bool backwards,
                                                                         bool useKeyColor,
                                                                         const ImagePixel& keyColor)
    : TiledImageDecomposer(target, source, origin, columnDirection(direction), true, backwards, useKeyColor,
                           keyColor, std::nullopt)
{
}

TiledImageRightLeftColumnDecomposer::TiledImageRightLeftColumnDecomposer(TiledImage& target,
                                                                         RowProviderInterface& source,
                                                                         const PixelPair& origin,
                                                                         std::int32_t direction, bool useKeyColor,
                                                                         const ImagePixel& keyColor)
    : TiledImageLeftRightColumnDecomposer(target, source, origin, direction, true, useKeyColor, keyColor)
{
}

} // namespace Omvi
