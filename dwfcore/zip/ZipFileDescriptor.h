#ifndef DWFCORE_ZIP_ZIPFILEDESCRIPTOR_H
#define DWFCORE_ZIP_ZIPFILEDESCRIPTOR_H

#include "dwfcore/FileDescriptor.h"
#include "dwfcore/zip/Reader.h"
#include "dwfcore/zip/Writer.h"
#include "dwfcore/zip/ZippingOutputStream.h"

#include <memory>

namespace DWFCore
{

// Descriptor of a ZIP archive. In zip mode (any mode but kUnzip, the mode
// being the deflate level of every entry) it creates the archive and hands
// out one zipping stream per entry; in unzip mode it opens an archive for
// reading.
class DWFZipFileDescriptor : public DWFFileDescriptor
{
public:
    static constexpr int kUnzip = -2;

    DWFZipFileDescriptor(const DWFFile& file, int mode);
    // Zip mode on a file its maker holds open already: the archive is
    // written through `output` (open on `file`, empty, able to write and
    // seek), never by opening the file's name again, which by then may lead
    // somewhere else. A null `output` opens the name, as the first form does.
    DWFZipFileDescriptor(const DWFFile& file, int mode, std::unique_ptr<DWFFileDescriptor> output);
    // Closes what is open; failures are swallowed (call close() to see them).
    ~DWFZipFileDescriptor() override;

    void open() override;
    // Closes the reader, or finishes the archive (an open entry, the central
    // directory and the end record). Throws DWFIOException "Failed to close
    // zip archive" when the archive could not be completed; it is then left
    // without a central directory.
    void close() override;
    size_t size() override;
    size_t read(void* buffer, size_t bytes) override;
    long seek(int origin, long offset) override;

    // A new stream on a new entry, owned by the caller. A stream made
    // earlier that is still alive is detached first (its entry is closed).
    DWFZippingOutputStream* zip(const DWFString& name, const DWFString& password = DWFString());

    int mode() const { return _mode; }
    zipio::ZipReader* reader() const { return _reader; }

protected:
    // Starts the writer on an open output (the package descriptor passes its
    // header as prefix).
    void _startWriting(const void* prefix, size_t prefixLength, const char16_t* failure,
                       const char* function);
    bool _writing() const { return _writer != nullptr; }

private:
    friend class DWFZippingOutputStream;
    void _streamGone(DWFZippingOutputStream* stream);
    void _detachStream();

    int _mode;
    // Taken by the writer when the archive is started.
    std::unique_ptr<DWFFileDescriptor> _output;
    zipio::ZipWriter* _writer = nullptr;
    zipio::ZipReader* _reader = nullptr;
    DWFZippingOutputStream* _liveStream = nullptr;
};

} // namespace DWFCore

#endif
