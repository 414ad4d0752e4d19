#include "dwfcore/FileInputStream.h"

#include "dwfcore/Exception.h"
#include "dwfcore/SeekTarget.h"

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
    const long target = clampedSeekTarget(origin, offset, size - static_cast<long>(_available),
                                          size, "DWFCore::DWFFileInputStream::seek");
    const long previous = _descriptor->seek(SEEK_SET, target);
    _available = static_cast<size_t>(size - target);
    return previous;
}

} // namespace DWFCore
