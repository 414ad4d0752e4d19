#ifndef DWFCORE_ZIP_ZIPPINGOUTPUTSTREAM_H
#define DWFCORE_ZIP_ZIPPINGOUTPUTSTREAM_H

#include "dwfcore/Memory.h"
#include "dwfcore/OutputStream.h"
#include "dwfcore/String.h"
#include "dwfcore/zip/Writer.h"

namespace DWFCore
{

class DWFZipFileDescriptor;

// Writes one ZIP entry. close() finishes the entry and throws DWFIOException
// when that failed; the destructor closes a still-open entry and swallows
// any failure, which the archive's close then reports.
class DWFZippingOutputStream : public DWFCoreMemory, public DWFOutputStream
{
public:
    DWFZippingOutputStream(zipio::ZipWriter* writer, int level);
    ~DWFZippingOutputStream() override;

    DWFZippingOutputStream(const DWFZippingOutputStream&) = delete;
    DWFZippingOutputStream& operator=(const DWFZippingOutputStream&) = delete;

    void open(const DWFString& name, const DWFString& password);
    void close();

    void flush() override {}
    size_t write(const void* buffer, size_t bytes) override;

private:
    friend class DWFZipFileDescriptor;

    // The descriptor that made the stream is closing, or a new entry is
    // starting: the writer is no longer ours to use.
    void _detach();

    bool _open = false;
    zipio::ZipWriter* _writer;
    int _level;
    DWFZipFileDescriptor* _descriptor = nullptr;
};

} // namespace DWFCore

#endif
