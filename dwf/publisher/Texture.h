#ifndef DWFPUBLISHER_TEXTURE_H
#define DWFPUBLISHER_TEXTURE_H

#include "dwf/publisher/Image.h"

namespace DWFToolkit
{

//
// A texture image. Its name is how the W3D stream's texture records refer to
// it, and the title of its image resource in the package.
//
class DWFTexture : public DWFImage
{
public:
    DWFTexture(const DWFCore::DWFString& name, const DWFCore::DWFString& mimeType,
               std::uint8_t colorDepth, double width, double height, const double* clip = nullptr);

    const DWFCore::DWFString& name() const noexcept { return _name; }

private:
    DWFCore::DWFString _name;
};

} // namespace DWFToolkit

#endif
