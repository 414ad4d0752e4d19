#include "dwf/publisher/Texture.h"

namespace DWFToolkit
{

DWFTexture::DWFTexture(const DWFCore::DWFString& name, const DWFCore::DWFString& mimeType,
                       std::uint8_t colorDepth, double width, double height, const double* clip)
    : DWFImage(mimeType, eTexture, colorDepth, width, height, clip), _name(name)
{
}

} // namespace DWFToolkit
