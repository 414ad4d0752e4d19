#ifndef DWFCORE_BUFFEROUTPUTSTREAM_H
#define DWFCORE_BUFFEROUTPUTSTREAM_H

#include "dwfcore/Memory.h"
#include "dwfcore/OutputStream.h"

namespace DWFCore
{

// A growing memory buffer, or a write-through buffer in front of a chained
// output stream. Nothing is flushed by the destructor.
class DWFBufferOutputStream : public DWFCoreMemory, public DWFOutputStream
{
public:
    // maximumSize 0 or less: no maximum. An initial size of 0 gives a stream
    // without a buffer of its own.
    explicit DWFBufferOutputStream(size_t initialSize = 16384, long maximumSize = -1);
    DWFBufferOutputStream(DWFOutputStream* stream, bool own, size_t bufferSize = 16384);
    ~DWFBufferOutputStream() override;

    DWFBufferOutputStream(const DWFBufferOutputStream&) = delete;
    DWFBufferOutputStream& operator=(const DWFBufferOutputStream&) = delete;

    void flush() override;
    size_t write(const void* buffer, size_t bytes) override;

    virtual size_t bytes() const { return _written; }
    // A copy of the written bytes in *out, to be released with delete[].
    virtual size_t buffer(void** out) const;
    virtual const void* rawBuffer() const { return _buffer; }

private:
    bool _passOn();
    void _grow(size_t request);

    unsigned char* _buffer = nullptr;
    DWFOutputStream* _chained = nullptr;
    size_t _written = 0;
    size_t _bufferSize = 0;
    size_t _free = 0;
    bool _own = false;
    long _maximumSize = -1;
    size_t _initialSize = 0;
};

} // namespace DWFCore

#endif
