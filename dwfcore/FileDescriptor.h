#ifndef DWFCORE_FILEDESCRIPTOR_H
#define DWFCORE_FILEDESCRIPTOR_H

#include "dwfcore/File.h"

#include <cstddef>

namespace DWFCore
{

// Opens a DWFFile and performs byte operations on it. Closing is explicit
// and reports failure; destructors of descriptors only clean up.
class DWFFileDescriptor : public DWFCoreMemory
{
public:
    explicit DWFFileDescriptor(const DWFFile& file) : _file(file) {}
    virtual ~DWFFileDescriptor() = default;

    DWFFileDescriptor(const DWFFileDescriptor&) = delete;
    DWFFileDescriptor& operator=(const DWFFileDescriptor&) = delete;

    virtual void open() = 0;
    virtual void close() = 0;
    virtual size_t size() = 0;

    // The defaults throw DWFNotImplementedException.
    virtual size_t read(void* buffer, size_t bytes);
    // Returns the position held before the move.
    virtual long seek(int origin, long offset);
    virtual size_t write(const void* buffer, size_t bytes);
    virtual void flush();

    const DWFFile& file() const { return _file; }

private:
    DWFFile _file;
};

} // namespace DWFCore

#endif
