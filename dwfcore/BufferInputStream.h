#ifndef DWFCORE_BUFFERINPUTSTREAM_H
#define DWFCORE_BUFFERINPUTSTREAM_H

#include "dwfcore/InputStream.h"
#include "dwfcore/Memory.h"

namespace DWFCore
{

// Reads a caller's buffer (not owned), or forwards every operation to a
// chained input stream.
class DWFBufferInputStream : public DWFCoreMemory, public DWFInputStream
{
public:
    DWFBufferInputStream(const void* buffer, size_t size);
    DWFBufferInputStream(DWFInputStream* stream, bool own);
    ~DWFBufferInputStream() override;

    DWFBufferInputStream(const DWFBufferInputStream&) = delete;
    DWFBufferInputStream& operator=(const DWFBufferInputStream&) = delete;

    // Deletes the previous chained stream when it was owned.
    void chainInputStream(DWFInputStream* stream, bool own);

    size_t available() const override;
    size_t read(void* buffer, size_t bytes) override;
    // Over a buffer the position is clamped to [0, size] for every origin.
    long seek(int origin, long offset) override;

private:
    const unsigned char* _buffer = nullptr;
    size_t _position = 0;
    size_t _size = 0;
    size_t _available = 0;
    DWFInputStream* _chained = nullptr;
    bool _own = false;
};

} // namespace DWFCore

#endif
