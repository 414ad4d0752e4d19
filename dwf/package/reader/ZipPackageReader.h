#ifndef DWFPACKAGE_READER_ZIPPACKAGEREADER_H
#define DWFPACKAGE_READER_ZIPPACKAGEREADER_H

#include "dwf/package/reader/PackageReader.h"

#include <cstddef>

namespace DWFCore
{
namespace zipio
{
struct ZipReader;
}
} // namespace DWFCore

namespace DWFToolkit
{

//
// A package read from its ZIP container (with or without the package
// header in front). Each request inflates the entry named by the href,
// decrypting it with the password when it is encrypted.
//
class DWFZipPackageReader : public DWFPackageReader
{
public:
    // Entries larger than this are refused rather than held in memory.
    static constexpr std::size_t kDefaultMaximumEntryBytes = std::size_t(1) << 30;

    // Opens the package file at `path`; throws DWFIOException when it is no archive.
    explicit DWFZipPackageReader(const DWFCore::DWFString& path,
                                 const DWFCore::DWFString& password = DWFCore::DWFString());
    // Reads the archive from `stream` (not owned; it must outlive the reader).
    explicit DWFZipPackageReader(DWFCore::DWFInputStream* stream,
                                 const DWFCore::DWFString& password = DWFCore::DWFString());
    ~DWFZipPackageReader() override;

    DWFZipPackageReader(const DWFZipPackageReader&) = delete;
    DWFZipPackageReader& operator=(const DWFZipPackageReader&) = delete;

    void setMaximumEntryBytes(std::size_t bytes) noexcept { _maximumEntryBytes = bytes; }

    //
    // The inflated entry, or null when the archive has no entry of that
    // name. A damaged entry, a wrong password or an entry over the maximum
    // size throws DWFIOException. Every request inflates anew; nothing is
    // cached whatever `cache` says.
    //
    DWFCore::DWFInputStream* getInputStream(const DWFCore::DWFString& href, bool cache) override;

private:
    DWFCore::zipio::ZipReader* _zip = nullptr;
    DWFCore::DWFString _password;
    std::size_t _maximumEntryBytes = kDefaultMaximumEntryBytes;
};

} // namespace DWFToolkit

#endif
