#ifndef DWFCORE_ZIP_READER_H
#define DWFCORE_ZIP_READER_H

// The read side of the ZIP container. It finds the end record, walks the
// central directory and keeps a case-insensitively sorted index of the entry
// names; it tolerates bytes before the archive (the package header) whether
// the offsets count them or not. Entries can be located by name, inflated
// and decrypted. Functions return the status codes of dwfcore/zip/Format.h;
// a malformed directory found while opening throws DWFInvalidTypeException
// "Bad zip file".

#include "dwfcore/InputStream.h"
#include "dwfcore/String.h"

#include <cstdint>
#include <string>
#include <vector>

namespace DWFCore
{
namespace zipio
{

struct ZipReader;

// Status of a password that does not pass the entry's check byte.
constexpr int kErrPassword = -106;

struct ZipEntryInfo
{
    uint16_t versionMadeBy = 0;
    uint16_t versionNeeded = 0;
    uint16_t flag = 0;
    uint16_t method = 0;
    uint32_t dosDate = 0;
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    uint16_t nameLength = 0;
    uint16_t extraLength = 0;
    uint16_t commentLength = 0;
    uint16_t diskNumberStart = 0;
    uint16_t internalAttributes = 0;
    uint32_t externalAttributes = 0;
    uint32_t localHeaderOffset = 0;
    // The DOS value broken down; month runs from 0 to 11.
    int second = 0, minute = 0, hour = 0, day = 0, month = 0, year = 0;
};

struct ZipIndexRecord
{
    std::string name; // separators turned into "\", no leading separator
    uint32_t entry;
    uint64_t recordPosition;
};

ZipReader* unzOpenFile(const DWFString& path);
// The stream is not owned and must outlive the reader.
ZipReader* unzOpenStream(DWFInputStream* stream);
ZipReader* unzLocal_OpenFile(const DWFString& path, bool buildIndex);
ZipReader* unzLocal_OpenStream(DWFInputStream* stream, bool buildIndex);

int unzFirstEntry(ZipReader* reader);
int unzNextEntry(ZipReader* reader);

// The current entry's record; name, extra field and comment are copied as far
// as the buffers hold (a name is always zero-terminated when nameSize > 0).
int unzGetEntryInfo(ZipReader* reader, ZipEntryInfo* info, char* name, size_t nameSize, void* extra,
                    size_t extraSize, char* comment, size_t commentSize);

// Counts and positions from the end record.
uint16_t unzEntryCount(const ZipReader* reader);
uint64_t unzBytesBeforeArchive(const ZipReader* reader);
const std::vector<ZipIndexRecord>& unzIndex(const ZipReader* reader);
// The archive's input stream.
DWFInputStream* unzStream(const ZipReader* reader);

// Makes the entry named `name` current (same normalisation and case rule as
// the index; an exact-case match wins); kEndOfList when there is none.
int unzLocateEntry(ZipReader* reader, const DWFString& name);

// Opens the current entry for reading, decrypting with `password` when the
// entry is encrypted.
int unzOpenEntry(ZipReader* reader, const DWFString& password);
// Inflates up to `bytes` of the open entry; returns the count (0 at the end)
// or a negative status.
long unzReadEntry(ZipReader* reader, void* buffer, size_t bytes);
// Bytes delivered by the open entry, or kErrParam when none is open.
long unzEntryOffset(const ZipReader* reader);
// kErrCRC when the entry was read to its end and its CRC differs.
int unzCloseEntry(ZipReader* reader);

// Locates, opens, reads and closes one entry; refuses entries whose declared
// size exceeds maxBytes with kErrParam.
int unzExtractEntry(ZipReader* reader, const DWFString& name, const DWFString& password,
                    std::vector<unsigned char>& out, size_t maxBytes);

int unzClose(ZipReader* reader);

} // namespace zipio
} // namespace DWFCore

#endif
