#include "imaging/composers/RowComposerFactory.h"

#include "imaging/composers/StaticImageRowComposer.h"
#include "imaging/composers/TiledRowComposers.h"
#include "imaging/images/TiledImage.h"

namespace Omvi
{

std::unique_ptr<RowProviderInterface> createRowComposer(ImageRep& image, const PixelPair& regionSize,
                                                        const PixelPair& origin, Orientation orientation)
{
    if (auto* tiled = dynamic_cast<TiledImage*>(&image))
    {
        switch (orientation)
        {
        case Orientation::Transpose:
            return std::make_unique<TiledRowComposerLeftRight>(*tiled, regionSize, origin, 2);
        case Orientation::QuarterTurnLeft:
            return std::make_unique<TiledRowComposerRightLeft>(*tiled, regionSize, origin, 2);
        case Orientation::QuarterTurnRight:
            return std::make_unique<TiledRowComposerLeftRight>(*tiled, regionSize, origin, 3);
        case Orientation::Transverse:
            return std::make_unique<TiledRowComposerRightLeft>(*tiled, regionSize, origin, 3);
        case Orientation::Identity:
            return std::make_unique<TiledRowComposerTopDown>(*tiled, regionSize, origin, 0);
        case Orientation::MirrorLeftRight:
            return std::make_unique<TiledRowComposerTopDown>(*tiled, regionSize, origin, 1);
        case Orientation::MirrorTopBottom:
            return std::make_unique<TiledRowComposerBottomUp>(*tiled, regionSize, origin, 0);
        case Orientation::HalfTurn:
            return std::make_unique<TiledRowComposerBottomUp>(*tiled, regionSize, origin, 1);
        }
        return nullptr;
    }
    auto* imp = dynamic_cast<ImageImp*>(&image);
    StaticPixelView view;
    if (imp && imp->dataModel() && imp->staticPixels(view))
        return std::make_unique<StaticImageRowComposer>(view, *imp->dataModel(), regionSize, origin, orientation);
    return nullptr;
}

} // namespace Omvi
