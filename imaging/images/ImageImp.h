#pragma once
// The common base of the two image representations: the one class that the
// session's registry and the image handle recognise as an image of this
// library. Beside ImageRep's slots it answers where a static image keeps its
// pixels, so that composers and contexts can walk them in place.
#include "imaging/images/ImageRep.h"
#include "imaging/images/StaticPixelView.h"

namespace Omvi
{

class ImageImp : public ImageRep
{
public:
    ImageImp();
    ~ImageImp() override;

    // A static image fills `view` with its pixel memory and answers true;
    // a tiled image answers false.
    virtual bool staticPixels(StaticPixelView& view) const;
};

} // namespace Omvi
