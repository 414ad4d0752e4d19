#include "dwfcore/zip/ZipFileDescriptor.h"

#include "dwfcore/Exception.h"
#include "dwfcore/zip/Format.h"

namespace DWFCore
{

DWFZipFileDescriptor::DWFZipFileDescriptor(const DWFFile& file, int mode)
    : DWFZipFileDescriptor(file, mode, nullptr)
{
}

DWFZipFileDescriptor::DWFZipFileDescriptor(const DWFFile& file, int mode,
                                           std::unique_ptr<DWFFileDescriptor> output)
    : DWFFileDescriptor(file), _mode(mode), _output(std::move(output))
{
}

DWFZipFileDescriptor::~DWFZipFileDescriptor()
{
    try
    {
        close();
    }
    catch (...)
    {
    }
}

void DWFZipFileDescriptor::open()
{
    if (_mode == kUnzip)
    {
        if (_reader != nullptr)
        {
            DWFCORE_THROW(DWFIOException, u"Zip archive already open for unzipping",
                          "DWFCore::DWFZipFileDescriptor::open");
        }
        _reader = zipio::unzOpenFile(file().name());
        if (_reader == nullptr)
        {
            DWFCORE_THROW(DWFIOException, u"Failed to open zip archive for unzipping",
                          "DWFCore::DWFZipFileDescriptor::open");
        }
        return;
    }
    if (_writer != nullptr)
    {
        DWFCORE_THROW(DWFIOException, u"Zip archive already open for zipping",
                      "DWFCore::DWFZipFileDescriptor::open");
    }
    _startWriting(nullptr, 0, u"Failed to open zip archive for zipping",
                  "DWFCore::DWFZipFileDescriptor::open");
}

void DWFZipFileDescriptor::_startWriting(const void* prefix, size_t prefixLength,
                                         const char16_t* failure, const char* function)
{
    _writer = _output ? zipio::zipOpen(_output.release(), prefix, prefixLength)
                      : zipio::zipOpen(file().name(), prefix, prefixLength);
    if (_writer == nullptr)
    {
        throw DWFIOException(failure, function, u"" __FILE__, __LINE__);
    }
}

void DWFZipFileDescriptor::_detachStream()
{
    if (_liveStream != nullptr)
    {
        _liveStream->_detach();
        _liveStream = nullptr;
    }
}

void DWFZipFileDescriptor::_streamGone(DWFZippingOutputStream* stream)
{
    if (_liveStream == stream)
    {
        _liveStream = nullptr;
    }
}

void DWFZipFileDescriptor::close()
{
    _detachStream();
    if (_reader != nullptr)
    {
        zipio::ZipReader* reader = _reader;
        _reader = nullptr;
        zipio::unzClose(reader);
        return;
    }
    if (_writer != nullptr)
    {
        // Forget the writer first: zipClose frees it on every path, so a
        // failure below must never lead to a second close.
        zipio::ZipWriter* writer = _writer;
        _writer = nullptr;
        std::exception_ptr failure;
        const int status = zipio::zipClose(writer, nullptr, &failure);
        if (status != zipio::kOk)
        {
            zipio::throwFailure(status, failure, u"Failed to close zip archive",
                                "DWFCore::DWFZipFileDescriptor::close");
        }
    }
}

size_t DWFZipFileDescriptor::size()
{
    DWFCORE_THROW(DWFNotImplementedException, u"Not implemented yet",
                  "DWFCore::DWFZipFileDescriptor::size");
}

size_t DWFZipFileDescriptor::read(void* buffer, size_t bytes)
{
    if (_mode != kUnzip || _reader == nullptr)
    {
        DWFCORE_THROW(DWFIOException, u"No archive open for unzipping",
                      "DWFCore::DWFZipFileDescriptor::read");
    }
    return zipio::unzStream(_reader)->read(buffer, bytes);
}

long DWFZipFileDescriptor::seek(int origin, long offset)
{
    if (_mode != kUnzip || _reader == nullptr)
    {
        DWFCORE_THROW(DWFIOException, u"No archive open for unzipping",
                      "DWFCore::DWFZipFileDescriptor::seek");
    }
    zipio::unzStream(_reader)->seek(origin, offset);
    return zipio::unzEntryOffset(_reader);
}

DWFZippingOutputStream* DWFZipFileDescriptor::zip(const DWFString& name, const DWFString& password)
{
    if (_writer == nullptr)
    {
        DWFCORE_THROW(DWFIOException, u"No archive open for zipping",
                      "DWFCore::DWFZipFileDescriptor::zip");
    }
    // The writer holds one entry at a time: the new entry closes the old one.
    _detachStream();
    DWFZippingOutputStream* stream = new (std::nothrow) DWFZippingOutputStream(_writer, _mode);
    if (stream == nullptr)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate zipping stream",
                      "DWFCore::DWFZipFileDescriptor::zip");
    }
    try
    {
        stream->open(name, password);
    }
    catch (...)
    {
        delete stream;
        throw;
    }
    stream->_descriptor = this;
    _liveStream = stream;
    return stream;
}

} // namespace DWFCore
