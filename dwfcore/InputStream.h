#ifndef DWFCORE_INPUTSTREAM_H
#define DWFCORE_INPUTSTREAM_H

#include <cstddef>

namespace DWFCore
{

// Source of bytes for packages, resources and model streams.
class DWFInputStream
{
public:
    virtual ~DWFInputStream() = default;

    // Bytes that can still be read from the current position.
    virtual size_t available() const = 0;
    // Copies up to `bytes` into `buffer`; returns how many were copied.
    virtual size_t read(void* buffer, size_t bytes) = 0;
    // Moves the read position (origin SEEK_SET, SEEK_CUR or SEEK_END) and
    // returns the position held before the move.
    virtual long seek(int origin, long offset) = 0;
};

} // namespace DWFCore

#endif
