#include "dwfcore/BufferOutputStream.h"

#include "dwfcore/Exception.h"

#include <cstring>

namespace DWFCore
{

DWFBufferOutputStream::DWFBufferOutputStream(size_t initialSize, long maximumSize)
    : _maximumSize(maximumSize), _initialSize(initialSize)
{
}

DWFBufferOutputStream::DWFBufferOutputStream(DWFOutputStream* stream, bool own, size_t bufferSize)
    : _chained(stream), _own(own), _initialSize(bufferSize)
{
}

DWFBufferOutputStream::~DWFBufferOutputStream()
{
    delete[] _buffer;
    if (_own)
    {
        delete _chained;
    }
}

void DWFBufferOutputStream::flush()
{
    if (_chained == nullptr || _buffer == nullptr)
    {
        return;
    }
    _passOn();
    _chained->flush();
}

bool DWFBufferOutputStream::_passOn()
{
    if (_written == 0)
    {
        return false;
    }
    _chained->write(_buffer, _written);
    std::memset(_buffer, 0, _written);
    _written = 0;
    _free = _bufferSize;
    return true;
}

void DWFBufferOutputStream::_grow(size_t request)
{
    size_t newSize = 2 * (_written + request);
    if (newSize < 2 * _bufferSize)
    {
        newSize = 2 * _bufferSize;
    }
    if (_maximumSize >= 1 && newSize > static_cast<size_t>(_maximumSize))
    {
        DWFCORE_THROW(DWFIOException, u"Cannot resize stream buffer - exceeded requested maximum",
                      "DWFCore::DWFBufferOutputStream::write");
    }
    unsigned char* grown = allocateArray<unsigned char>(newSize);
    if (grown == nullptr)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to resize buffer",
                      "DWFCore::DWFBufferOutputStream::write");
    }
    if (_written > 0)
    {
        std::memcpy(grown, _buffer, _written);
    }
    delete[] _buffer;
    _buffer = grown;
    _bufferSize = newSize;
    _free = newSize - _written;
}

size_t DWFBufferOutputStream::write(const void* data, size_t request)
{
    if (_initialSize == 0)
    {
        // No buffer of its own: nothing can ever be taken.
        DWFCORE_THROW(DWFNullPointerException, u"No buffer provided",
                      "DWFCore::DWFBufferOutputStream::write");
    }
    if (_buffer == nullptr)
    {
        _buffer = allocateArray<unsigned char>(_initialSize);
        if (_buffer == nullptr)
        {
            DWFCORE_THROW(DWFMemoryException, u"Failed to allocate buffer",
                          "DWFCore::DWFBufferOutputStream::write");
        }
        _bufferSize = _initialSize;
        _free = _initialSize;
    }
    // Pass earlier bytes on to a chained stream before growing the buffer.
    if (request > _free && !(_chained != nullptr && _passOn() && request <= _free))
    {
        _grow(request);
    }
    std::memcpy(_buffer + _written, data, request);
    _written += request;
    _free -= request;
    return request;
}

size_t DWFBufferOutputStream::buffer(void** out) const
{
    if (out == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"No buffer provided",
                      "DWFCore::DWFBufferOutputStream::buffer");
    }
    if (_buffer == nullptr)
    {
        *out = nullptr;
        return 0;
    }
    unsigned char* copy = allocateArray<unsigned char>(_written > 0 ? _written : 1);
    if (copy == nullptr)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate new buffer",
                      "DWFCore::DWFBufferOutputStream::buffer");
    }
    std::memcpy(copy, _buffer, _written);
    *out = copy;
    return _written;
}

} // namespace DWFCore
