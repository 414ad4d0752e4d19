#ifndef DWFCORE_FILEOUTPUTSTREAM_H
#define DWFCORE_FILEOUTPUTSTREAM_H

#include "dwfcore/FileDescriptor.h"
#include "dwfcore/OutputStream.h"

namespace DWFCore
{

// Writes through a file descriptor.
class DWFFileOutputStream : public DWFCoreMemory, public DWFOutputStream
{
public:
    DWFFileOutputStream() = default;
    ~DWFFileOutputStream() override;

    DWFFileOutputStream(const DWFFileOutputStream&) = delete;
    DWFFileOutputStream& operator=(const DWFFileOutputStream&) = delete;

    // Takes the descriptor; an owned descriptor attached earlier is deleted.
    void attach(DWFFileDescriptor* descriptor, bool own);
    DWFFileDescriptor* descriptor() const { return _descriptor; }

    void flush() override;
    size_t write(const void* buffer, size_t bytes) override;

private:
    bool _own = false;
    DWFFileDescriptor* _descriptor = nullptr;
};

} // namespace DWFCore

#endif
