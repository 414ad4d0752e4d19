#include "imaging/decomposers/DecomposerFactory.h"

#include "imaging/decomposers/TiledImageDecomposers.h"
#include "imaging/images/TiledImage.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbPaletteModel.h"

namespace Omvi
{

std::unique_ptr<TiledImageDecomposer> createDecomposer(ImageRep& target, RowProviderInterface& source,
                                                       const PixelPair& origin, Orientation orientation,
                                                       bool useKeyColor, const ImagePixel& keyColor)
{
    auto* image = dynamic_cast<TiledImage*>(&target);
    if (!image)
        return nullptr;
    switch (orientation)
    {
    case Orientation::Transpose:
        return std::make_unique<TiledImageLeftRightColumnDecomposer>(*image, source, origin, 2, useKeyColor,
                                                                     keyColor);
    case Orientation::QuarterTurnLeft:
        return std::make_unique<TiledImageRightLeftColumnDecomposer>(*image, source, origin, 2, useKeyColor,
                                                                     keyColor);
    case Orientation::QuarterTurnRight:
        return std::make_unique<TiledImageLeftRightColumnDecomposer>(*image, source, origin, 3, useKeyColor,
                                                                     keyColor);
    case Orientation::Transverse:
        return std::make_unique<TiledImageRightLeftColumnDecomposer>(*image, source, origin, 3, useKeyColor,
                                                                     keyColor);
    case Orientation::Identity:
        return std::make_unique<TiledImageTopDownRowDecomposer>(*image, source, origin, 0, useKeyColor, keyColor);
    case Orientation::MirrorLeftRight:
        return std::make_unique<TiledImageTopDownRowDecomposer>(*image, source, origin, 1, useKeyColor, keyColor);
    case Orientation::MirrorTopBottom:
        return std::make_unique<TiledImageBottomUpRowDecomposer>(*image, source, origin, 0, useKeyColor, keyColor);
    case Orientation::HalfTurn:
        return std::make_unique<TiledImageBottomUpRowDecomposer>(*image, source, origin, 1, useKeyColor, keyColor);
    }
    return nullptr;
}

bool hasTransparency(const DataModel& model)
{
    switch (model.colorSpace())
    {
    case kColorSpaceRgb:
        return model.bitsUsedPerPixel() == 32;
    case kColorSpaceGray:
        if (const auto* gray = dynamic_cast<const RgbGrayModel*>(&model))
            for (int level = 0; level < 256; ++level)
                if (gray->alpha(static_cast<std::uint8_t>(level)) == 0)
                    return true;
        return false;
    case kColorSpacePalette:
        // Entries past the palette's count are not colours of the image.
        if (const auto* palette = dynamic_cast<const RgbPaletteModel*>(&model))
            for (int index = 0; index < palette->numEntries() && index < 256; ++index)
                if (palette->entry(static_cast<std::uint8_t>(index)).alpha() == 0)
                    return true;
        return false;
    default:
        return false;
    }
}

} // namespace Omvi
