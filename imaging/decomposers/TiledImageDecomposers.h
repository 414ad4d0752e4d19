#pragma once
// The four decomposers (see TiledImageDecomposer.h for what they share).
#include "imaging/decomposers/TiledImageDecomposer.h"

namespace Omvi
{

// Row r of the provider becomes image line origin.y + r; direction 0 lays it
// as it comes, 1 mirrored.
class TiledImageTopDownRowDecomposer : public TiledImageDecomposer
{
public:
    TiledImageTopDownRowDecomposer(TiledImage& target, RowProviderInterface& source, const PixelPair& origin,
                                   std::int32_t direction, bool useKeyColor, const ImagePixel& keyColor);
    // Blends the rows into the image (32-bit RGBA images only) with
    // `blendValue` as the opacity 0-255.
    TiledImageTopDownRowDecomposer(TiledImage& target, RowProviderInterface& source, const PixelPair& origin,
                                   std::int32_t direction, bool useKeyColor, std::int32_t blendValue,
                                   const ImagePixel& keyColor);

protected:
    TiledImageTopDownRowDecomposer(TiledImage& target, RowProviderInterface& source, const PixelPair& origin,
                                   std::int32_t direction, bool backwards, bool useKeyColor,
                                   const ImagePixel& keyColor);
};

// Row r becomes image line origin.y + height - 1 - r.
class TiledImageBottomUpRowDecomposer : public TiledImageTopDownRowDecomposer
{
public:
    TiledImageBottomUpRowDecomposer(TiledImage& target, RowProviderInterface& source, const PixelPair& origin,
                                    std::int32_t direction, bool useKeyColor, const ImagePixel& keyColor);
};

// Row r becomes image column origin.x + r, laid from line origin.y down
// (direction 2) or up from the region's last line (any other direction is
// taken as 3).
class TiledImageLeftRightColumnDecomposer : public TiledImageDecomposer
{
public:
    TiledImageLeftRightColumnDecomposer(TiledImage& target, RowProviderInterface& source,
                                        const PixelPair& origin, std::int32_t direction, bool useKeyColor,
                                        const ImagePixel& keyColor);

protected:
    TiledImageLeftRightColumnDecomposer(TiledImage& target, RowProviderInterface& source,
                                        const PixelPair& origin, std::int32_t direction, bool backwards,
                                        bool useKeyColor, const ImagePixel& keyColor);
};

// Row r becomes image column origin.x + height - 1 - r.
class TiledImageRightLeftColumnDecomposer : public TiledImageLeftRightColumnDecomposer
{
public:
    TiledImageRightLeftColumnDecomposer(TiledImage& target, RowProviderInterface& source,
                                        const PixelPair& origin, std::int32_t direction, bool useKeyColor,
                                        const ImagePixel& keyColor);
};

} // namespace Omvi
