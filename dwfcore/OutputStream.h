#ifndef DWFCORE_OUTPUTSTREAM_H
#define DWFCORE_OUTPUTSTREAM_H

#include <cstddef>

namespace DWFCore
{

// Sink of bytes; concrete streams buffer, encode, zip or write to files.
class DWFOutputStream
{
public:
    virtual ~DWFOutputStream() = default;

    virtual void flush() = 0;
    // Returns the number of bytes accepted.
    virtual size_t write(const void* buffer, size_t bytes) = 0;
};

} // namespace DWFCore

#endif
