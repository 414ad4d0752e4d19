#include "dwf/package/reader/ZipPackageReader.h"

#include "dwf/package/BytesInputStream.h"
#include "dwfcore/Exception.h"
#include "dwfcore/zip/Format.h"
#include "dwfcore/zip/Reader.h"

#include <memory>
#include <new>
#include <vector>

namespace DWFToolkit
{

namespace zipio = DWFCore::zipio;

namespace
{

// The ZIP layer reports a damaged archive both ways; one kind of failure here.
template <class Open> zipio::ZipReader* openArchive(Open open)
{
    zipio::ZipReader* zip = nullptr;
    try
    {
        zip = open();
    }
    catch (const DWFCore::DWFMemoryException&)
    {
        throw;
    }
    catch (const DWFCore::DWFException&)
    {
        zip = nullptr;
    }
    if (zip == nullptr)
    {
        DWFCORE_THROW(DWFIOException, u"Failed to open package",
                      "DWFToolkit::DWFZipPackageReader::DWFZipPackageReader");
    }
    return zip;
}

} // namespace

DWFZipPackageReader::DWFZipPackageReader(const DWFCore::DWFString& path,
                                         const DWFCore::DWFString& password)
    : _zip(openArchive([&] { return zipio::unzOpenFile(path); })), _password(password)
{
}

DWFZipPackageReader::DWFZipPackageReader(DWFCore::DWFInputStream* stream,
                                         const DWFCore::DWFString& password)
    : _zip(openArchive([&] { return zipio::unzOpenStream(stream); })), _password(password)
{
}

DWFZipPackageReader::~DWFZipPackageReader()
{
    zipio::unzClose(_zip);
}

DWFCore::DWFInputStream* DWFZipPackageReader::getInputStream(const DWFCore::DWFString& href, bool)
{
    std::vector<unsigned char> bytes;
    const int status = zipio::unzExtractEntry(_zip, href, _password, bytes, _maximumEntryBytes);
    if (status == zipio::kEndOfList)
    {
        return nullptr;
    }
    if (status != 0)
    {
        DWFCORE_THROW(DWFIOException, u"Failed to read package entry",
                      "DWFToolkit::DWFZipPackageReader::getInputStream");
    }
    std::unique_ptr<DWFBytesInputStream> stream(new (std::nothrow)
                                                    DWFBytesInputStream(std::move(bytes)));
    if (!stream)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate stream",
                      "DWFToolkit::DWFZipPackageReader::getInputStream");
    }
    return stream.release();
}

} // namespace DWFToolkit
