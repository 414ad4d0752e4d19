#include "dwfcore/FileInputStream.h"

#include "dwfcore/Exception.h"

#include <cstdio>

namespace DWFCore
{

DWFFileInputStream::~DWFFileInputStream()
{
    if (_own)
    {
        delete _descriptor;
    }
}

void DWFFileInputStream::attach(DWFFileDescriptor* descriptor, bool own)
{
    if (descriptor == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"No file provided",
                      "DWFCore::DWFFileInputStream::attach");
    }
    const size_t size = descriptor->size();
    if (_own && _descriptor != descriptor)
    {
        delete _descriptor;
    }
    _descriptor = descriptor;
    _own = own;
    _size = size;
    _available = size;
}

void DWFFileInputStream::_require(const char* function) const
{
    if (_descriptor == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"No file currently attached", function);
    }
}

size_t DWFFileInputStream::available() const
{
    _require("DWFCore::DWFFileInputStream::available");
    return _available;
}

size_t DWFFileInputStream::read(void* buffer, size_t bytes)
{
    _require("DWFCore::DWFFileInputStream::read");
    const size_t got = _descriptor->read(buffer, bytes);
    if (got == 0 && bytes > 0)
    {
        _available = 0;
    }
    else
    {
        _available -= got < _available ? got : _available;
    }
    return got;
}

long DWFFileInputStream::seek(int origin, long offset)
{
    _require("DWFCore::DWFFileInputStream::seek");
    const long size = static_cast<long>(_size);
    // Bounding the offset first keeps the sums below from overflowing.
    if (offset > size)
    {
        offset = size;
    }
    if (offset < -size)
    {
        offset = -size;
    }
    long target = 0;
    switch (origin)
    {
    case SEEK_SET:
        target = offset;
        break;
    case SEEK_CUR:
        target = (size - static_cast<long>(_available)) + offset;
        break;
    case SEEK_END:
        target = size + offset;
        break;
    default:
        DWFCORE_THROW(DWFInvalidArgumentException, u"Invalid seek origin",
                      "DWFCore::DWFFileInputStream::seek");
    }
    if (target < 0)
    {
        target = 0;
    }
    if (target > size)
    {
        target = size;
    }
    const long previous = _descriptor->seek(SEEK_SET, target);
    _available = static_cast<size_t>(size - target);
    return previous;
}

} // namespace DWFCore
