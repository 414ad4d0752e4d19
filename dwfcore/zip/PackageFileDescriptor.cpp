#include "dwfcore/zip/PackageFileDescriptor.h"

#include "dwfcore/Exception.h"

#include <cstdio>

namespace DWFToolkit
{

DWFPackageFileDescriptor::DWFPackageFileDescriptor(const DWFCore::DWFFile& file, int mode,
                                                   uint16_t majorVersion, uint16_t minorVersion)
    : DWFPackageFileDescriptor(file, mode, majorVersion, minorVersion, nullptr)
{
}

DWFPackageFileDescriptor::DWFPackageFileDescriptor(
    const DWFCore::DWFFile& file, int mode, uint16_t majorVersion, uint16_t minorVersion,
    std::unique_ptr<DWFCore::DWFFileDescriptor> output)
    : DWFZipFileDescriptor(file, mode, std::move(output)), _major(majorVersion),
      _minor(minorVersion)
{
    if (majorVersion > 99 || minorVersion > 99)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"Package version must lie between 0 and 99",
                      "DWFToolkit::DWFPackageFileDescriptor::DWFPackageFileDescriptor");
    }
}

void DWFPackageFileDescriptor::open()
{
    if (mode() == kUnzip)
    {
        return;
    }
    if (_writing())
    {
        DWFCORE_THROW(DWFIOException, u"Zip archive already open for zipping",
                      "DWFToolkit::DWFPackageFileDescriptor::open");
    }
    // Room for any 16-bit pair; the constructor keeps both below 100, so
    // exactly twelve characters come out.
    char header[32];
    std::snprintf(header, sizeof header, "(DWF V%02u.%02u)", static_cast<unsigned>(_major),
                  static_cast<unsigned>(_minor));
    _startWriting(header, kHeaderSize, u"Failed to open DWF package for writing",
                  "DWFToolkit::DWFPackageFileDescriptor::open");
}

} // namespace DWFToolkit
