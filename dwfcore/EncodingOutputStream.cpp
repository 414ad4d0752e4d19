#include "dwfcore/EncodingOutputStream.h"

#include "dwfcore/Exception.h"
#include "dwfcore/String.h"

#include <algorithm>

namespace DWFCore
{

namespace
{

// Grows to the larger of `needed` and twice the current size, as the
// encoders size their output by measuring first.
template <class T> void ensureScratch(std::vector<T>& scratch, size_t needed, const char* function)
{
    if (scratch.size() >= needed)
    {
        return;
    }
    try
    {
        scratch.assign(std::max(needed, 2 * scratch.size()), T());
    }
    catch (const std::bad_alloc&)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate buffer", function);
    }
}

} // namespace

DWFUTF8EncodingOutputStream::DWFUTF8EncodingOutputStream(DWFOutputStream* stream, bool own)
    : _stream(stream), _own(own)
{
}

DWFUTF8EncodingOutputStream::~DWFUTF8EncodingOutputStream()
{
    if (_own)
    {
        delete _stream;
    }
}

void DWFUTF8EncodingOutputStream::flush()
{
    if (_stream == nullptr)
    {
        DWFCORE_THROW(DWFNullPointerException, u"No stream to flush",
                      "DWFCore::DWFUTF8EncodingOutputStream::flush");
    }
    _stream->flush();
}

size_t DWFUTF8EncodingOutputStream::write(const void* buffer, size_t bytes)
{
    const char* const function = "DWFCore::DWFUTF8EncodingOutputStream::write";
    if (_stream == nullptr)
    {
        DWFCORE_THROW(DWFNullPointerException, u"No stream to write to", function);
    }
    const char16_t* text = static_cast<const char16_t*>(buffer);
    const size_t measured = DWFString::EncodeUTF8(text, bytes, nullptr, 0);
    ensureScratch(_scratch, measured + 1, function);
    std::fill(_scratch.begin(), _scratch.end(), '\0');
    const size_t encoded = DWFString::EncodeUTF8(text, bytes, _scratch.data(), _scratch.size());
    _encoded += encoded;
    return _stream->write(_scratch.data(), encoded);
}

DWFXMLEncodingOutputStream::DWFXMLEncodingOutputStream(DWFOutputStream* stream, bool own,
                                                       bool wideInput)
    : _stream(stream), _own(own), _wide(wideInput)
{
}

DWFXMLEncodingOutputStream::~DWFXMLEncodingOutputStream()
{
    if (_own)
    {
        delete _stream;
    }
}

void DWFXMLEncodingOutputStream::attach(DWFOutputStream* stream, bool own)
{
    if (_stream != nullptr)
    {
        if (_own && _stream != stream)
        {
            delete _stream;
        }
        _encoded = 0;
    }
    _stream = stream;
    _own = own;
}

void DWFXMLEncodingOutputStream::flush()
{
    if (_stream == nullptr)
    {
        DWFCORE_THROW(DWFNullPointerException, u"No stream to flush",
                      "DWFCore::DWFXMLEncodingOutputStream::flush");
    }
    _stream->flush();
}

size_t DWFXMLEncodingOutputStream::write(const void* buffer, size_t bytes)
{
    const char* const function = "DWFCore::DWFXMLEncodingOutputStream::write";
    if (_stream == nullptr)
    {
        DWFCORE_THROW(DWFNullPointerException, u"No stream to write to", function);
    }
    if (!_wide)
    {
        const char* text = static_cast<const char*>(buffer);
        const size_t measured = DWFString::EncodeXML(text, bytes, nullptr, 0);
        ensureScratch(_narrow, measured + 1, function);
        const size_t escaped = DWFString::EncodeXML(text, bytes, _narrow.data(), _narrow.size());
        _encoded += escaped;
        return _stream->write(_narrow.data(), escaped);
    }
    const char16_t* text = static_cast<const char16_t*>(buffer);
    const size_t measured = DWFString::EncodeXML(text, bytes, nullptr, 0);
    ensureScratch(_wideScratch, measured / sizeof(char16_t) + 1, function);
    const size_t escaped = DWFString::EncodeXML(text, bytes, _wideScratch.data(),
                                                _wideScratch.size() * sizeof(char16_t));
    _encoded += escaped;
    return _stream->write(_wideScratch.data(), escaped);
}

} // namespace DWFCore
