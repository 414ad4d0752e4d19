#include "dwfcore/TempFile.h"

#include "dwfcore/Exception.h"
#include "dwfcore/StreamFileDescriptor.h"
#include "dwfcore/SystemError.h"
#include "dwfcore/TempFileRegistry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>
#include <vector>

namespace DWFCore
{

namespace
{

std::string temporaryFolder()
{
    const char* folder = std::getenv("TMPDIR");
    if (folder == nullptr || folder[0] == '\0')
    {
        folder = P_tmpdir;
    }
    std::string path(folder);
    if (path.empty() || path.back() != '/')
    {
        path.push_back('/');
    }
    return path;
}

} // namespace

DWFTempFile::DWFTempFile(const DWFFile& file, DWFFileOutputStream* stream, bool deleteOnDestroy)
    : _file(file), _stream(stream), _delete(deleteOnDestroy)
{
}

DWFTempFile* DWFTempFile::Create(const DWFString& prefix, bool deleteOnDestroy)
{
    // The prefix names the file, never a folder.
    std::string pattern = toUTF8(prefix);
    for (char& c : pattern)
    {
        if (c == '/')
        {
            c = '_';
        }
    }
    const std::string folder = temporaryFolder();
    std::string name = folder + pattern + "XXXXXX";

    // Created with O_CREAT|O_EXCL and mode 0600, so nobody can have placed a
    // file or link under the name before us, and listed at once, so that an
    // interrupted run removes it.
    const int fd = DWFTempFileRegistry::create(name);
    if (fd < 0)
    {
        const int error = errno;
        DWFCORE_THROW_SYSTEM(DWFIOException, u"Failed to create a temporary file in", folder,
                             error, "DWFCore::DWFTempFile::Create");
    }
    FILE* handle = ::fdopen(fd, "wb");
    if (handle == nullptr)
    {
        const int error = errno;
        ::close(fd);
        DWFTempFileRegistry::remove(name);
        DWFCORE_THROW_SYSTEM(DWFIOException, u"Failed to open the temporary file", name, error,
                             "DWFCore::DWFTempFile::Create");
    }
    // From here on the file exists: any failure removes it again.
    try
    {
        return _adopt(name.c_str(), handle, deleteOnDestroy);
    }
    catch (...)
    {
        DWFTempFileRegistry::remove(name);
        throw;
    }
}

DWFTempFile* DWFTempFile::_adopt(const char* path, FILE* handle, bool deleteOnDestroy)
{
    std::unique_ptr<DWFStreamFileDescriptor> descriptor;
    try
    {
        descriptor.reset(new (std::nothrow)
                             DWFStreamFileDescriptor(DWFFile(path), DWFString(u"wb"), handle));
    }
    catch (...)
    {
        std::fclose(handle);
        throw;
    }
    if (!descriptor)
    {
        std::fclose(handle);
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate file descriptor",
                      "DWFCore::DWFTempFile::Create");
    }
    std::unique_ptr<DWFFileOutputStream> stream(new (std::nothrow) DWFFileOutputStream);
    if (!stream)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate new stream",
                      "DWFCore::DWFTempFile::Create");
    }
    stream->attach(descriptor.release(), true);
    DWFTempFile* temp =
        new (std::nothrow) DWFTempFile(DWFFile(path), stream.get(), deleteOnDestroy);
    if (temp == nullptr)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate new temporary file object",
                      "DWFCore::DWFTempFile::Create");
    }
    stream.release();
    return temp;
}

DWFTempFile::~DWFTempFile()
{
    try
    {
        _finishWriting();
    }
    catch (...)
    {
    }
    delete _stream;
    _stream = nullptr;
    if (_file.name().chars() > 0 && !_removed)
    {
        if (_delete)
        {
            DWFTempFileRegistry::remove(_file.nativePath());
        }
        else
        {
            // The caller keeps the file from here on.
            DWFTempFileRegistry::forget(_file.nativePath());
        }
    }
}

bool DWFTempFile::remove() noexcept
{
    try
    {
        // The output stream is closed first; whether what it still held
        // could be written no longer matters.
        _finishWriting();
    }
    catch (...)
    {
    }
    if (_removed)
    {
        return true;
    }
    try
    {
        if (!DWFTempFileRegistry::remove(_file.nativePath()))
        {
            return false;
        }
    }
    catch (...)
    {
        errno = ENOMEM;
        return false;
    }
    _removed = true;
    return true;
}

void DWFTempFile::_finishWriting()
{
    if (_stream == nullptr)
    {
        return;
    }
    std::unique_ptr<DWFFileOutputStream> stream(_stream);
    _stream = nullptr;
    stream->flush();
    // Closing reports a write-back failure that flushing cannot see.
    stream->descriptor()->close();
}

DWFOutputStream* DWFTempFile::getOutputStream()
{
    if (_stream == nullptr)
    {
        DWFCORE_THROW(DWFIOException, u"No valid output stream is available",
                      "DWFCore::DWFTempFile::getOutputStream");
    }
    return _stream;
}

DWFInputStream* DWFTempFile::getInputStream()
{
    _finishWriting();
    std::unique_ptr<DWFFileInputStream> input(new (std::nothrow) DWFFileInputStream);
    if (!input)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate input stream",
                      "DWFCore::DWFTempFile::getInputStream");
    }
    std::unique_ptr<DWFStreamFileDescriptor> descriptor(
        new (std::nothrow) DWFStreamFileDescriptor(_file, DWFString(u"rb")));
    if (!descriptor)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate new stream file descriptor",
                      "DWFCore::DWFTempFile::getInputStream");
    }
    descriptor->open();
    input->attach(descriptor.release(), true);
    return input.release();
}

} // namespace DWFCore
