#ifndef DWFCORE_STREAMFILEDESCRIPTOR_H
#define DWFCORE_STREAMFILEDESCRIPTOR_H

#include "dwfcore/FileDescriptor.h"

#include <cstdio>

namespace DWFCore
{

// Descriptor over the C runtime's buffered files. The mode takes the
// runtime's letters ("rb", "wb", "wbx" for exclusive creation ...).
class DWFStreamFileDescriptor : public DWFFileDescriptor
{
public:
    DWFStreamFileDescriptor(const DWFFile& file, const DWFString& mode);
    // Takes over a handle that is already open on `file` (a file created
    // exclusively by its maker); open() then throws "File already open".
    DWFStreamFileDescriptor(const DWFFile& file, const DWFString& mode, FILE* openHandle);
    ~DWFStreamFileDescriptor() override;

    void open() override;
    // Throws DWFIOException "File close error" when buffered bytes could not
    // be written out; the handle is released either way.
    void close() override;
    // The size taken when the file was opened.
    size_t size() override;

    size_t read(void* buffer, size_t bytes) override;
    long seek(int origin, long offset) override;
    size_t write(const void* buffer, size_t bytes) override;
    void flush() override;

private:
    void _requireOpen(const char* function) const;
    void _recordSize();

    FILE* _handle = nullptr;
    size_t _size = 0;
    DWFString _mode;
};

} // namespace DWFCore

#endif
