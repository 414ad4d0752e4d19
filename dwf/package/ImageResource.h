#ifndef DWFPACKAGE_IMAGERESOURCE_H
#define DWFPACKAGE_IMAGERESOURCE_H

#include "dwf/package/GraphicResource.h"

#include <cstdint>

namespace DWFToolkit
{

// A raster graphic: a thumbnail, a preview, a texture, a scanned sheet.
class DWFImageResource : public DWFGraphicResource
{
public:
    explicit DWFImageResource(DWFPackageReader* reader = nullptr);
    DWFImageResource(const DWFCore::DWFString& title, const DWFCore::DWFString& role,
                     const DWFCore::DWFString& mime,
                     const DWFCore::DWFString& author = DWFCore::DWFString(),
                     const DWFCore::DWFString& description = DWFCore::DWFString(),
                     const DWFCore::DWFString& creationTime = DWFCore::DWFString(),
                     const DWFCore::DWFString& modificationTime = DWFCore::DWFString());

    bool scanned() const noexcept { return _scanned; }
    bool invertColors() const noexcept { return _invertColors; }
    std::uint8_t colorDepth() const noexcept { return _colorDepth; }
    std::int32_t scannedResolution() const noexcept { return _scannedResolution; }
    const double* originalExtents() const noexcept { return _originalExtents; }

    // A null extents array leaves the original extents unchanged.
    void setImageAttributes(std::uint8_t colorDepth, bool invertColors = false,
                            bool scanned = false, std::int32_t scannedResolution = 0,
                            const double* originalExtents = nullptr);

    void parseAttributeList(const char** attributes) override;
    // An "ImageResource" element in descriptor form, else a plain resource.
    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

private:
    bool _scanned = false;
    bool _invertColors = false;
    std::uint8_t _colorDepth = 0;
    std::int32_t _scannedResolution = 0;
    double _originalExtents[4] = {0, 0, 0, 0};
};

} // namespace DWFToolkit

#endif
