#include "dwfcore/zip/ZippingOutputStream.h"

#include "dwfcore/Exception.h"
#include "dwfcore/zip/Format.h"
#include "dwfcore/zip/Writer.h"
#include "dwfcore/zip/ZipFileDescriptor.h"

namespace DWFCore
{

DWFZippingOutputStream::DWFZippingOutputStream(zipio::ZipWriter* writer, int level)
    : _writer(writer), _level(level)
{
}

DWFZippingOutputStream::~DWFZippingOutputStream()
{
    try
    {
        close();
    }
    catch (...)
    {
        // The writer is abandoned on failure; closing the archive reports it.
    }
    if (_descriptor != nullptr)
    {
        _descriptor->_streamGone(this);
    }
}

void DWFZippingOutputStream::open(const DWFString& name, const DWFString& password)
{
    _open = false;
    if (_writer == nullptr)
    {
        DWFCORE_THROW(DWFIOException, u"No archive open for zipping",
                      "DWFCore::DWFZippingOutputStream::open");
    }
    const int status =
        zipio::zipOpenNewFileInZip(_writer, name, nullptr, nullptr, 0, nullptr, 0, DWFString(),
                                   zipio::kMethodDeflate, _level, password);
    if (status != zipio::kOk)
    {
        zipio::throwFailure(status, zipio::zipFailure(_writer), u"Failed to open new file in archive",
                            "DWFCore::DWFZippingOutputStream::open");
    }
    _open = true;
}

void DWFZippingOutputStream::close()
{
    if (!_open)
    {
        return;
    }
    _open = false;
    const int status = zipio::zipCloseFileInZip(_writer);
    if (status != zipio::kOk)
    {
        zipio::throwFailure(status, zipio::zipFailure(_writer), u"Failed to close file in archive",
                            "DWFCore::DWFZippingOutputStream::close");
    }
}

size_t DWFZippingOutputStream::write(const void* buffer, size_t bytes)
{
    if (!_open)
    {
        DWFCORE_THROW(DWFIOException, u"No file open for zipping",
                      "DWFCore::DWFZippingOutputStream::write");
    }
    const int status = zipio::zipWriteInFileInZip(_writer, buffer, bytes);
    if (status != zipio::kOk)
    {
        zipio::throwFailure(status, zipio::zipFailure(_writer), u"Failed to deflate bytes",
                            "DWFCore::DWFZippingOutputStream::write");
    }
    return bytes;
}

void DWFZippingOutputStream::_detach()
{
    // The owner closes any entry still open through the writer itself.
    _open = false;
    _writer = nullptr;
    _descriptor = nullptr;
}

} // namespace DWFCore
