#ifndef DWFCORE_ZIP_WRITER_H
#define DWFCORE_ZIP_WRITER_H

// The write side of the ZIP container: entries are raw-deflated (or stored)
// and optionally encrypted with the traditional cipher. The functions return
// the status codes of dwfcore/zip/Format.h; the descriptors and the zipping
// stream turn them into exceptions.
//
// A writer whose output failed is abandoned: it accepts no more entries and
// zipClose() writes no central directory over the failure, so a damaged
// archive can never pass for a complete one.

#include "dwfcore/FileDescriptor.h"
#include "dwfcore/String.h"

#include <cstdint>
#include <ctime>
#include <exception>

namespace DWFCore
{
namespace zipio
{

struct ZipWriter;

// Optional date and attributes of an entry (the current local time and
// external attributes 0x20 when none are given).
struct ZipFileInfo
{
    std::tm date{};       // used when dosDate is 0
    uint32_t dosDate = 0; // DOS date (high half) and time (low half)
    uint16_t internalAttributes = 0;
    uint32_t externalAttributes = 0x20; // archive bit, as for a plain file
};

// Creates the file ("wb") and writes the prefix before the archive. A failure
// to open the file or to write the prefix passes the descriptor's
// DWFIOException through; other failures give null.
ZipWriter* zipOpen(const DWFString& path, const void* prefix, size_t prefixLength);
// The same over an open descriptor, which the writer owns from here on (it is
// deleted on every path, also when null is returned). The descriptor must
// support write and seek. An exception of the descriptor while the prefix is
// written passes through: it says why the archive could not be started.
ZipWriter* zipOpen(DWFFileDescriptor* output, const void* prefix, size_t prefixLength);

// Starts an entry, closing one still open first. method is 0 (stored) or 8
// (deflate); an empty password writes the entry unencrypted.
int zipOpenNewFileInZip(ZipWriter* writer, const DWFString& name, const ZipFileInfo* info,
                        const void* localExtra, uint16_t localExtraSize, const void* centralExtra,
                        uint16_t centralExtraSize, const DWFString& comment, int method, int level,
                        const DWFString& password);

int zipWriteInFileInZip(ZipWriter* writer, const void* bytes, size_t count);

// Finishes the entry and records it in the central directory. Never throws.
int zipCloseFileInZip(ZipWriter* writer);

// Closes an open entry, writes the central directory and the end record
// (unless the writer was abandoned), closes the output and frees the writer
// on every path. Never throws; when `failure` is given it receives the
// exception behind the first failure (see zipFailure).
int zipClose(ZipWriter* writer, const char* comment, std::exception_ptr* failure = nullptr);

// True once an output failure has abandoned the writer.
bool zipAbandoned(const ZipWriter* writer);

// The exception of the output (or of memory) that made the first failure,
// kept so that whoever reports a failed status can give its cause; null
// when the failure was a status of the writer's own (kErrTooManyEntries,
// kErrTooLarge ...).
std::exception_ptr zipFailure(const ZipWriter* writer);

// Throws what a failed status means to whoever asked for the step: the
// kept exception of the output when there is one; for the format's limits a
// DWFOverflowException that says which limit; anything else a
// DWFIOException with `fallback`.
[[noreturn]] void throwFailure(int status, const std::exception_ptr& failure,
                               const char16_t* fallback, const char* function);

} // namespace zipio
} // namespace DWFCore

#endif
