#pragma once
// The common base of the two image representations; it adds nothing to
// ImageRep but the one class that the session's registry and the image
// handle recognise as an image of this library.
#include "imaging/images/ImageRep.h"

namespace Omvi
{

class ImageImp : public ImageRep
{
public:
    ImageImp();
    ~ImageImp() override;
};

} // namespace Omvi
