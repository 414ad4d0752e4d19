#ifndef DWFCORE_ZIP_PACKAGEFILEDESCRIPTOR_H
#define DWFCORE_ZIP_PACKAGEFILEDESCRIPTOR_H

// The package file descriptor carries the package toolkit's namespace but is
// part of the core library (dwfcore): it is the ZIP descriptor plus the
// package header, and the package library (dwf/package) builds on it.

#include "dwfcore/zip/ZipFileDescriptor.h"

#include <cstdint>

namespace DWFToolkit
{

// A DWF package file: the twelve-byte header "(DWF Vmm.nn)" followed by the
// ZIP archive, whose offsets count from the first byte of the file.
class DWFPackageFileDescriptor : public DWFCore::DWFZipFileDescriptor
{
public:
    static constexpr size_t kHeaderSize = 12;

    // Versions above 99 throw DWFInvalidArgumentException: the header has
    // room for two digits each.
    DWFPackageFileDescriptor(const DWFCore::DWFFile& file, int mode, uint16_t majorVersion,
                             uint16_t minorVersion);
    // Zip mode through an output already open on `file` (see the ZIP
    // descriptor's constructor of the same form).
    DWFPackageFileDescriptor(const DWFCore::DWFFile& file, int mode, uint16_t majorVersion,
                             uint16_t minorVersion,
                             std::unique_ptr<DWFCore::DWFFileDescriptor> output);
    ~DWFPackageFileDescriptor() override = default;

    // Zip mode: writes the header and starts the archive. Unzip mode does
    // nothing; packages are read through a DWFZipFileDescriptor.
    void open() override;

    uint16_t majorVersion() const { return _major; }
    uint16_t minorVersion() const { return _minor; }

private:
    uint16_t _major;
    uint16_t _minor;
};

} // namespace DWFToolkit

#endif
