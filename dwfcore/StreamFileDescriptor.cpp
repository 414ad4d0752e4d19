#include "dwfcore/StreamFileDescriptor.h"

#include "dwfcore/Exception.h"
#include "dwfcore/RegularFile.h"
#include "dwfcore/SystemError.h"

#include <cerrno>

#include <sys/stat.h>

namespace DWFCore
{

DWFStreamFileDescriptor::DWFStreamFileDescriptor(const DWFFile& file, const DWFString& mode)
    : DWFFileDescriptor(file), _mode(mode)
{
}

DWFStreamFileDescriptor::DWFStreamFileDescriptor(const DWFFile& file, const DWFString& mode,
                                                 FILE* openHandle)
    : DWFFileDescriptor(file), _mode(mode)
{
    // Taken last, so that nothing above can throw while the handle is ours.
    _handle = openHandle;
    struct stat info;
    if (_handle != nullptr && ::fstat(fileno(_handle), &info) == 0)
    {
        _size = static_cast<size_t>(info.st_size);
    }
}

DWFStreamFileDescriptor::~DWFStreamFileDescriptor()
{
    if (_handle != nullptr)
    {
        std::fclose(_handle);
    }
}

void DWFStreamFileDescriptor::_recordSize()
{
    struct stat info;
    if (::fstat(fileno(_handle), &info) != 0)
    {
        const int error = errno;
        std::fclose(_handle);
        _handle = nullptr;
        DWFCORE_THROW_SYSTEM(DWFIOException, u"Failed to stat file", file().nativePath(), error,
                             "DWFCore::DWFStreamFileDescriptor::open");
    }
    _size = static_cast<size_t>(info.st_size);
}

void DWFStreamFileDescriptor::open()
{
    if (_handle != nullptr)
    {
        DWFCORE_THROW(DWFIOException, u"File already open",
                      "DWFCore::DWFStreamFileDescriptor::open");
    }
    _size = 0;
    const std::string path = file().nativePath();
    const std::string mode = toUTF8(_mode);
    // A file opened only to be read comes from a document or a setting and
    // may name a FIFO or a device, which would block or never end.
    const bool readOnly = !mode.empty() && mode[0] == 'r' && mode.find('+') == std::string::npos;
    _handle = readOnly ? openRegularFileStream(path) : std::fopen(path.c_str(), mode.c_str());
    if (_handle == nullptr)
    {
        const int error = errno;
        DWFCORE_THROW_SYSTEM(DWFIOException, u"Failed to open file", path, error,
                             "DWFCore::DWFStreamFileDescriptor::open");
    }
    _recordSize();
}

void DWFStreamFileDescriptor::close()
{
    if (_handle == nullptr)
    {
        return;
    }
    FILE* handle = _handle;
    _handle = nullptr;
    _size = 0;
    errno = 0;
    if (std::fclose(handle) != 0)
    {
        const int error = errno != 0 ? errno : EIO;
        DWFCORE_THROW_SYSTEM(DWFIOException, u"File close error", file().nativePath(), error,
                             "DWFCore::DWFStreamFileDescriptor::close");
    }
}

void DWFStreamFileDescriptor::_requireOpen(const char* function) const
{
    if (_handle == nullptr)
    {
        DWFCORE_THROW(DWFIOException, u"No file currently open", function);
    }
}

size_t DWFStreamFileDescriptor::size()
{
    _requireOpen("DWFCore::DWFStreamFileDescriptor::size");
    return _size;
}

size_t DWFStreamFileDescriptor::read(void* buffer, size_t bytes)
{
    _requireOpen("DWFCore::DWFStreamFileDescriptor::read");
    const size_t got = std::fread(buffer, 1, bytes, _handle);
    if (got < bytes && std::ferror(_handle))
    {
        const int error = errno;
        DWFCORE_THROW_SYSTEM(DWFIOException, u"File read error", file().nativePath(), error,
                             "DWFCore::DWFStreamFileDescriptor::read");
    }
    return got;
}

long DWFStreamFileDescriptor::seek(int origin, long offset)
{
    _requireOpen("DWFCore::DWFStreamFileDescriptor::seek");
    const off_t previous = ::ftello(_handle);
    if (previous < 0 || ::fseeko(_handle, offset, origin) != 0)
    {
        const int error = errno;
        DWFCORE_THROW_SYSTEM(DWFIOException, u"Failed to seek", file().nativePath(), error,
                             "DWFCore::DWFStreamFileDescriptor::seek");
    }
    return static_cast<long>(previous);
}

size_t DWFStreamFileDescriptor::write(const void* buffer, size_t bytes)
{
    _requireOpen("DWFCore::DWFStreamFileDescriptor::write");
    // A short write is a failure whatever the stream's error flag says: the
    // bytes it did not take are lost (a full disk refuses them mid-buffer).
    // The reason is the errno of this very call.
    errno = 0;
    const size_t put = std::fwrite(buffer, 1, bytes, _handle);
    if (put < bytes)
    {
        const int error = errno != 0 ? errno : EIO;
        DWFCORE_THROW_SYSTEM(DWFIOException, u"File write error", file().nativePath(), error,
                             "DWFCore::DWFStreamFileDescriptor::write");
    }
    return put;
}

void DWFStreamFileDescriptor::flush()
{
    _requireOpen("DWFCore::DWFStreamFileDescriptor::flush");
    errno = 0;
    if (std::fflush(_handle) != 0)
    {
        const int error = errno != 0 ? errno : EIO;
        DWFCORE_THROW_SYSTEM(DWFIOException, u"File flush error", file().nativePath(), error,
                             "DWFCore::DWFStreamFileDescriptor::flush");
    }
}

} // namespace DWFCore
