#include "dwfcore/BufferInputStream.h"

#include "dwfcore/Exception.h"
#include "dwfcore/SeekTarget.h"

#include <cstdio>
#include <cstring>

namespace DWFCore
{

DWFBufferInputStream::DWFBufferInputStream(const void* buffer, size_t size)
    : _buffer(static_cast<const unsigned char*>(buffer)), _size(buffer != nullptr ? size : 0),
      _available(_size)
{
}

DWFBufferInputStream::DWFBufferInputStream(DWFInputStream* stream, bool own)
    : _chained(stream), _own(own)
{
}

DWFBufferInputStream::~DWFBufferInputStream()
{
    if (_own)
    {
        delete _chained;
    }
}

void DWFBufferInputStream::chainInputStream(DWFInputStream* stream, bool own)
{
    if (_own && _chained != stream)
    {
        delete _chained;
    }
    _chained = stream;
    _own = own;
}

size_t DWFBufferInputStream::available() const
{
    return _chained != nullptr ? _chained->available() : _available;
}

size_t DWFBufferInputStream::read(void* buffer, size_t bytes)
{
    if (_chained != nullptr)
    {
        return _chained->read(buffer, bytes);
    }
    const size_t count = bytes < _available ? bytes : _available;
    if (count > 0)
    {
        std::memcpy(buffer, _buffer + _position, count);
        _position += count;
        _available -= count;
    }
    return count;
}

long DWFBufferInputStream::seek(int origin, long offset)
{
    if (_chained != nullptr)
    {
        return _chained->seek(origin, offset);
    }
    const long previous = static_cast<long>(_position);
    const long size = static_cast<long>(_size);
    const long target =
        clampedSeekTarget(origin, offset, previous, size, "DWFCore::DWFBufferInputStream::seek");
    _position = static_cast<size_t>(target);
    _available = _size - _position;
    return previous;
}

} // namespace DWFCore
