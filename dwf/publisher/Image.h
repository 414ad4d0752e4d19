#ifndef DWFPUBLISHER_IMAGE_H
#define DWFPUBLISHER_IMAGE_H

#include "dwf/publisher/Publishable.h"

#include <cstdint>

namespace DWFToolkit
{

//
// An image that a model carries to the package: its thumbnail, a texture or a
// preview. The bytes come from a stream attached with setInputStream; the
// publisher reads them through streams of its own (getInputStream), so the
// image keeps its stream for as long as it lives.
//
class DWFImage : public DWFPublishableResource
{
public:
    // What the image is for; the package publisher treats any other value
    // as a preview.
    enum teKind : std::int32_t
    {
        eTexture = 1,
        eThumbnail = 2,
        ePreview = 3
    };

    // No stream attached. `clip` (four doubles) is not owned and may be null.
    DWFImage(const DWFCore::DWFString& mimeType, std::int32_t kind, std::uint8_t colorDepth,
             double width, double height, const double* clip = nullptr);
    // Deletes an owned stream.
    ~DWFImage() override;

    DWFImage(const DWFImage&) = delete;
    DWFImage& operator=(const DWFImage&) = delete;

    const DWFCore::DWFString& getMIMEType() override { return _mimeType; }

    //
    // A new stream over the attached one, owned by the caller, which leaves the
    // attached stream in place when it is deleted. Without an attached stream:
    // DWFNullPointerException.
    //
    DWFCore::DWFInputStream* getInputStream() override;

    //
    // Attaches `stream`, deleting an owned stream attached before. Attaching
    // the stream already attached only changes the ownership flag.
    //
    void setInputStream(DWFCore::DWFInputStream* stream, bool own);

    std::int32_t kind() const noexcept { return _kind; }
    std::uint8_t colorDepth() const noexcept { return _colorDepth; }
    double width() const noexcept { return _width; }
    double height() const noexcept { return _height; }
    // Four doubles or null.
    const double* clip() const noexcept { return _clip; }

private:
    bool _ownStream = false;
    DWFCore::DWFInputStream* _stream = nullptr;
    DWFCore::DWFString _mimeType;
    std::int32_t _kind;
    std::uint8_t _colorDepth;
    double _width;
    double _height;
    const double* _clip;
};

} // namespace DWFToolkit

#endif
