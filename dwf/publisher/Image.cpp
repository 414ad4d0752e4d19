#include "dwf/publisher/Image.h"

#include "dwfcore/BufferInputStream.h"
#include "dwfcore/Exception.h"

#include <new>

namespace DWFToolkit
{

DWFImage::DWFImage(const DWFCore::DWFString& mimeType, std::int32_t kind, std::uint8_t colorDepth,
                   double width, double height, const double* clip)
    : _mimeType(mimeType), _kind(kind), _colorDepth(colorDepth), _width(width), _height(height),
      _clip(clip)
{
}

DWFImage::~DWFImage()
{
    if (_ownStream)
    {
        delete _stream;
    }
}

void DWFImage::setInputStream(DWFCore::DWFInputStream* stream, bool own)
{
    // Deleting the stream that is being attached again would leave the image
    // pointing at freed memory.
    if (_ownStream && _stream != stream)
    {
        delete _stream;
    }
    _stream = stream;
    _ownStream = own && stream != nullptr;
}

DWFCore::DWFInputStream* DWFImage::getInputStream()
{
    if (_stream == nullptr)
    {
        DWFCORE_THROW(DWFNullPointerException, u"No stream bound to object",
                      "DWFToolkit::DWFImage::getInputStream");
    }
    DWFCore::DWFInputStream* stream =
        new (std::nothrow) DWFCore::DWFBufferInputStream(_stream, false);
    if (stream == nullptr)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate input stream",
                      "DWFToolkit::DWFImage::getInputStream");
    }
    return stream;
}

} // namespace DWFToolkit
