#ifndef DWFCORE_FILEINPUTSTREAM_H
#define DWFCORE_FILEINPUTSTREAM_H

#include "dwfcore/FileDescriptor.h"
#include "dwfcore/InputStream.h"

namespace DWFCore
{

// Reads through a file descriptor; available() counts down from the size the
// descriptor reported when it was attached.
class DWFFileInputStream : public DWFCoreMemory, public DWFInputStream
{
public:
    DWFFileInputStream() = default;
    ~DWFFileInputStream() override;

    DWFFileInputStream(const DWFFileInputStream&) = delete;
    DWFFileInputStream& operator=(const DWFFileInputStream&) = delete;

    // Takes the descriptor (deleting it with the stream when `own` is set);
    // an owned descriptor attached earlier is deleted.
    void attach(DWFFileDescriptor* descriptor, bool own);

    size_t available() const override;
    // A read that gives nothing for a non-empty request ends the stream, so
    // a file that shrank cannot keep a copy loop going.
    size_t read(void* buffer, size_t bytes) override;
    // The position is clamped to [0, size]; available = size - position.
    long seek(int origin, long offset) override;

private:
    void _require(const char* function) const;

    bool _own = false;
    size_t _available = 0;
    size_t _size = 0;
    DWFFileDescriptor* _descriptor = nullptr;
};

} // namespace DWFCore

#endif
