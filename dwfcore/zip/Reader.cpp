#include "dwfcore/zip/Reader.h"

#include "dwfcore/Exception.h"
#include "dwfcore/FileInputStream.h"
#include "dwfcore/StreamFileDescriptor.h"
#include "dwfcore/zip/Cipher.h"
#include "dwfcore/zip/Format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <zlib.h>

namespace DWFCore
{
namespace zipio
{

namespace
{

constexpr size_t kEndScanLimit = 65535;
constexpr size_t kInputBufferSize = 16384;

// The read state of an open entry.
struct EntryRead
{
    z_stream inflater{};
    bool inflaterReady = false;
    bool encrypted = false;
    TraditionalCipher cipher;
    uint16_t method = 0;
    uint64_t dataPosition = 0;   // next compressed byte in the stream
    uint64_t compressedLeft = 0; // compressed bytes not yet taken in
    uint64_t delivered = 0;
    uint32_t crc = 0;
    bool ended = false;
    unsigned char input[kInputBufferSize];

    ~EntryRead()
    {
        if (inflaterReady)
        {
            inflateEnd(&inflater);
        }
    }
};

int lowerByte(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c;
}

int compareNoCase(const std::string& a, const std::string& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
    {
        const int d = lowerByte(static_cast<unsigned char>(a[i])) -
                      lowerByte(static_cast<unsigned char>(b[i]));
        if (d != 0)
        {
            return d;
        }
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

std::string normalise(std::string name)
{
    size_t start = 0;
    while (start < name.size() && (name[start] == '/' || name[start] == '\\'))
    {
        ++start;
    }
    name.erase(0, start);
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

} // namespace

struct ZipReader
{
    DWFInputStream* stream = nullptr;
    bool ownsStream = false;
    uint64_t streamSize = 0;
    uint16_t entries = 0;
    uint32_t directorySize = 0;
    uint32_t directoryOffset = 0;
    uint16_t commentLength = 0;
    uint64_t bytesBefore = 0;

    uint32_t current = 0;
    uint64_t currentPosition = 0;
    bool currentValid = false;
    ZipEntryInfo info;
    std::string currentName;

    std::unique_ptr<EntryRead> entry;
    std::vector<ZipIndexRecord> index;

    ~ZipReader()
    {
        if (ownsStream)
        {
            delete stream;
        }
    }

    // Reads exactly `count` bytes at `position`; false when the stream is
    // shorter.
    bool readAt(uint64_t position, void* out, size_t count)
    {
        if (position > streamSize || count > streamSize - position)
        {
            return false;
        }
        stream->seek(SEEK_SET, static_cast<long>(position));
        unsigned char* p = static_cast<unsigned char*>(out);
        while (count > 0)
        {
            const size_t got = stream->read(p, count);
            if (got == 0)
            {
                return false;
            }
            p += got;
            count -= got;
        }
        return true;
    }

    uint64_t directoryEnd() const { return bytesBefore + directoryOffset + directorySize; }

    // Reads the record at currentPosition into info and currentName.
    int readCentralRecord()
    {
        currentValid = false;
        uint8_t r[kCentralHeaderSize];
        const uint64_t at = currentPosition + bytesBefore;
        if (at + kCentralHeaderSize > directoryEnd() || !readAt(at, r, sizeof r))
        {
            return kErrBadZip;
        }
        if (get32(r) != kCentralHeaderSignature)
        {
            return kErrBadZip;
        }
        ZipEntryInfo i;
        i.versionMadeBy = get16(r + 4);
        i.versionNeeded = get16(r + 6);
        i.flag = get16(r + 8);
        i.method = get16(r + 10);
        i.dosDate = get32(r + 12);
        i.crc = get32(r + 16);
        i.compressedSize = get32(r + 20);
        i.uncompressedSize = get32(r + 24);
        i.nameLength = get16(r + 28);
        i.extraLength = get16(r + 30);
        i.commentLength = get16(r + 32);
        i.diskNumberStart = get16(r + 34);
        i.internalAttributes = get16(r + 36);
        i.externalAttributes = get32(r + 38);
        i.localHeaderOffset = get32(r + 42);
        const uint32_t time = i.dosDate & 0xFFFFu;
        const uint32_t date = i.dosDate >> 16;
        i.second = static_cast<int>(2 * (time & 0x1Fu));
        i.minute = static_cast<int>((time >> 5) & 0x3Fu);
        i.hour = static_cast<int>(time >> 11);
        i.day = static_cast<int>(date & 0x1Fu);
        i.month = static_cast<int>(((date >> 5) & 0x0Fu)) - 1;
        i.year = static_cast<int>(1980 + (date >> 9));
        const uint64_t variable =
            static_cast<uint64_t>(i.nameLength) + i.extraLength + i.commentLength;
        if (at + kCentralHeaderSize + variable > directoryEnd())
        {
            return kErrBadZip;
        }
        std::string name(i.nameLength, '\0');
        if (!readAt(at + kCentralHeaderSize, &name[0], name.size()))
        {
            return kErrBadZip;
        }
        info = i;
        currentName.swap(name);
        currentValid = true;
        return kOk;
    }
};

namespace
{

// Finds the end record and fills the reader's directory fields.
int readEndRecord(ZipReader& reader)
{
    reader.stream->seek(SEEK_SET, 0);
    reader.streamSize = reader.stream->available();
    if (reader.streamSize < kEndRecordSize)
    {
        return kErrIO;
    }
    const size_t window =
        static_cast<size_t>(std::min<uint64_t>(reader.streamSize, kEndScanLimit + kEndRecordSize));
    const uint64_t windowStart = reader.streamSize - window;
    std::vector<uint8_t> tail(window);
    if (!reader.readAt(windowStart, tail.data(), window))
    {
        return kErrIO;
    }
    size_t hit = window;
    for (size_t i = window - kEndRecordSize + 1; i-- > 0;)
    {
        if (get32(&tail[i]) == kEndRecordSignature)
        {
            hit = i;
            break;
        }
    }
    if (hit == window)
    {
        return kErrIO;
    }
    const uint8_t* e = &tail[hit];
    const uint16_t thisDisk = get16(e + 4);
    const uint16_t directoryDisk = get16(e + 6);
    const uint16_t entriesHere = get16(e + 8);
    const uint16_t entriesTotal = get16(e + 10);
    reader.directorySize = get32(e + 12);
    reader.directoryOffset = get32(e + 16);
    reader.commentLength = get16(e + 20);
    reader.entries = entriesTotal;
    const uint64_t endPosition = windowStart + hit;
    const uint64_t directoryEnd =
        static_cast<uint64_t>(reader.directoryOffset) + reader.directorySize;
    if (thisDisk != 0 || directoryDisk != 0 || entriesHere != entriesTotal ||
        endPosition < directoryEnd ||
        static_cast<uint64_t>(entriesTotal) * kCentralHeaderSize > reader.directorySize)
    {
        return kErrBadZip;
    }
    reader.bytesBefore = endPosition - directoryEnd;
    return kOk;
}

int buildIndex(ZipReader& reader)
{
    reader.index.clear();
    reader.index.reserve(reader.entries);
    int status = unzFirstEntry(&reader);
    while (status == kOk)
    {
        reader.index.push_back(
            ZipIndexRecord{normalise(reader.currentName), reader.current, reader.currentPosition});
        status = unzNextEntry(&reader);
    }
    if (status != kEndOfList || reader.index.size() != reader.entries)
    {
        return kErrBadZip;
    }
    std::stable_sort(reader.index.begin(), reader.index.end(),
                     [](const ZipIndexRecord& a, const ZipIndexRecord& b)
                     { return compareNoCase(a.name, b.name) < 0; });
    return unzFirstEntry(&reader);
}

} // namespace

ZipReader* unzOpenFile(const DWFString& path)
{
    return unzLocal_OpenFile(path, true);
}

ZipReader* unzOpenStream(DWFInputStream* stream)
{
    return unzLocal_OpenStream(stream, true);
}

ZipReader* unzLocal_OpenFile(const DWFString& path, bool buildIndexes)
{
    std::unique_ptr<DWFStreamFileDescriptor> descriptor(
        new (std::nothrow) DWFStreamFileDescriptor(DWFFile(path), DWFString(u"rb")));
    if (!descriptor)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate file descriptor",
                      "DWFCore::zipio::unzLocal_OpenFile");
    }
    descriptor->open();
    std::unique_ptr<DWFFileInputStream> stream(new (std::nothrow) DWFFileInputStream);
    if (!stream)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate file stream",
                      "DWFCore::zipio::unzLocal_OpenFile");
    }
    stream->attach(descriptor.release(), true);
    ZipReader* reader = unzLocal_OpenStream(stream.get(), buildIndexes);
    if (reader != nullptr)
    {
        reader->ownsStream = true;
        stream.release();
    }
    return reader;
}

ZipReader* unzLocal_OpenStream(DWFInputStream* stream, bool buildIndexes)
{
    if (stream == nullptr)
    {
        return nullptr;
    }
    std::unique_ptr<ZipReader> reader(new (std::nothrow) ZipReader);
    if (!reader)
    {
        return nullptr;
    }
    reader->stream = stream;
    int status = readEndRecord(*reader);
    if (status == kOk)
    {
        status = buildIndexes ? buildIndex(*reader) : unzFirstEntry(reader.get());
        if (status == kEndOfList && reader->entries == 0)
        {
            status = kOk;
        }
        else if (status != kOk)
        {
            status = kErrBadZip;
        }
    }
    if (status == kErrBadZip)
    {
        DWFCORE_THROW(DWFInvalidTypeException, u"Bad zip file",
                      "DWFCore::zipio::unzLocal_OpenStream");
    }
    if (status != kOk)
    {
        return nullptr;
    }
    return reader.release();
}

int unzFirstEntry(ZipReader* reader)
{
    if (reader == nullptr)
    {
        return kErrParam;
    }
    unzCloseEntry(reader);
    reader->current = 0;
    reader->currentPosition = reader->directoryOffset;
    reader->currentValid = false;
    if (reader->entries == 0)
    {
        return kEndOfList;
    }
    return reader->readCentralRecord();
}

int unzNextEntry(ZipReader* reader)
{
    if (reader == nullptr)
    {
        return kErrParam;
    }
    if (!reader->currentValid || reader->current + 1 >= reader->entries)
    {
        return kEndOfList;
    }
    unzCloseEntry(reader);
    reader->currentPosition += kCentralHeaderSize + reader->info.nameLength +
                               reader->info.extraLength + reader->info.commentLength;
    ++reader->current;
    return reader->readCentralRecord();
}

int unzGetEntryInfo(ZipReader* reader, ZipEntryInfo* info, char* name, size_t nameSize, void* extra,
                    size_t extraSize, char* comment, size_t commentSize)
{
    if (reader == nullptr || !reader->currentValid)
    {
        return kErrParam;
    }
    if (info != nullptr)
    {
        *info = reader->info;
    }
    if (name != nullptr && nameSize > 0)
    {
        const size_t n = std::min(nameSize - 1, reader->currentName.size());
        std::memcpy(name, reader->currentName.data(), n);
        name[n] = '\0';
    }
    const uint64_t at = reader->currentPosition + reader->bytesBefore + kCentralHeaderSize +
                        reader->info.nameLength;
    if (extra != nullptr && extraSize > 0)
    {
        const size_t n = std::min<size_t>(extraSize, reader->info.extraLength);
        if (!reader->readAt(at, extra, n))
        {
            return kErrIO;
        }
    }
    if (comment != nullptr && commentSize > 0)
    {
        const size_t n = std::min<size_t>(commentSize - 1, reader->info.commentLength);
        if (!reader->readAt(at + reader->info.extraLength, comment, n))
        {
            return kErrIO;
        }
        comment[n] = '\0';
    }
    return kOk;
}

uint16_t unzEntryCount(const ZipReader* reader)
{
    return reader != nullptr ? reader->entries : 0;
}

uint64_t unzBytesBeforeArchive(const ZipReader* reader)
{
    return reader != nullptr ? reader->bytesBefore : 0;
}

const std::vector<ZipIndexRecord>& unzIndex(const ZipReader* reader)
{
    return reader->index;
}

DWFInputStream* unzStream(const ZipReader* reader)
{
    return reader != nullptr ? reader->stream : nullptr;
}

int unzLocateEntry(ZipReader* reader, const DWFString& name)
{
    if (reader == nullptr)
    {
        return kErrParam;
    }
    const std::string wanted = normalise(toUTF8(name));
    auto first = std::lower_bound(reader->index.begin(), reader->index.end(), wanted,
                                  [](const ZipIndexRecord& a, const std::string& b)
                                  { return compareNoCase(a.name, b) < 0; });
    auto match = reader->index.end();
    for (auto it = first; it != reader->index.end() && compareNoCase(it->name, wanted) == 0; ++it)
    {
        if (match == reader->index.end() || it->name == wanted)
        {
            match = it;
        }
    }
    if (match == reader->index.end())
    {
        return kEndOfList;
    }
    unzCloseEntry(reader);
    reader->current = match->entry;
    reader->currentPosition = match->recordPosition;
    return reader->readCentralRecord();
}

int unzOpenEntry(ZipReader* reader, const DWFString& password)
{
    if (reader == nullptr || !reader->currentValid)
    {
        return kErrParam;
    }
    unzCloseEntry(reader);
    const ZipEntryInfo& info = reader->info;
    if (info.method != kMethodStored && info.method != kMethodDeflate)
    {
        return kErrBadZip;
    }
    uint8_t local[kLocalHeaderSize];
    const uint64_t headerAt = reader->bytesBefore + info.localHeaderOffset;
    if (!reader->readAt(headerAt, local, sizeof local) || get32(local) != kLocalHeaderSignature)
    {
        return kErrBadZip;
    }
    const uint64_t dataAt = headerAt + kLocalHeaderSize + get16(local + 26) + get16(local + 28);
    // Entry data lies before the central directory.
    const uint64_t limit = reader->bytesBefore + reader->directoryOffset;
    if (dataAt > limit || info.compressedSize > limit - dataAt)
    {
        return kErrBadZip;
    }

    std::unique_ptr<EntryRead> entry(new (std::nothrow) EntryRead);
    if (!entry)
    {
        return kErrInternal;
    }
    entry->method = info.method;
    entry->dataPosition = dataAt;
    entry->compressedLeft = info.compressedSize;
    if (info.flag & kFlagEncrypted)
    {
        const std::string secret = toUTF8(password);
        if (secret.empty() || entry->compressedLeft < TraditionalCipher::kHeaderSize)
        {
            return secret.empty() ? kErrPassword : kErrBadZip;
        }
        uint8_t header[TraditionalCipher::kHeaderSize];
        if (!reader->readAt(dataAt, header, sizeof header))
        {
            return kErrBadZip;
        }
        entry->cipher.reset(secret.data(), secret.size());
        entry->cipher.decrypt(header, sizeof header);
        const uint8_t check = (info.flag & kFlagDataDescriptor)
                                  ? static_cast<uint8_t>((info.dosDate >> 8) & 0xFFu)
                                  : static_cast<uint8_t>(info.crc >> 24);
        if (header[TraditionalCipher::kHeaderSize - 1] != check)
        {
            return kErrPassword;
        }
        entry->encrypted = true;
        entry->dataPosition += sizeof header;
        entry->compressedLeft -= sizeof header;
    }
    if (entry->method == kMethodDeflate)
    {
        if (inflateInit2(&entry->inflater, -MAX_WBITS) != Z_OK)
        {
            return kErrInternal;
        }
        entry->inflaterReady = true;
    }
    reader->entry = std::move(entry);
    return kOk;
}

long unzReadEntry(ZipReader* reader, void* buffer, size_t bytes)
{
    if (reader == nullptr || !reader->entry || (buffer == nullptr && bytes > 0))
    {
        return kErrParam;
    }
    EntryRead& e = *reader->entry;
    const uint64_t declared = reader->info.uncompressedSize;
    bytes = static_cast<size_t>(std::min<uint64_t>(bytes, declared - e.delivered));
    bytes = std::min<size_t>(bytes, 1u << 30);
    if (bytes == 0 || e.ended)
    {
        return 0;
    }
    z_stream& z = e.inflater;
    unsigned char* out = static_cast<unsigned char*>(buffer);
    size_t produced = 0;
    while (produced < bytes && !e.ended)
    {
        if (z.avail_in == 0)
        {
            if (e.compressedLeft == 0)
            {
                // The data ends before the declared size is reached.
                return kErrBadZip;
            }
            const size_t chunk =
                static_cast<size_t>(std::min<uint64_t>(e.compressedLeft, kInputBufferSize));
            if (!reader->readAt(e.dataPosition, e.input, chunk))
            {
                return kErrIO;
            }
            if (e.encrypted)
            {
                e.cipher.decrypt(e.input, chunk);
            }
            e.dataPosition += chunk;
            e.compressedLeft -= chunk;
            z.next_in = e.input;
            z.avail_in = static_cast<uInt>(chunk);
        }
        if (e.method == kMethodStored)
        {
            const size_t n = std::min<size_t>(z.avail_in, bytes - produced);
            std::memcpy(out + produced, z.next_in, n);
            z.next_in += n;
            z.avail_in -= static_cast<uInt>(n);
            produced += n;
            continue;
        }
        z.next_out = out + produced;
        z.avail_out = static_cast<uInt>(bytes - produced);
        const int status = inflate(&z, Z_NO_FLUSH);
        produced = static_cast<size_t>(z.next_out - out);
        if (status == Z_STREAM_END)
        {
            e.ended = true;
        }
        else if (status != Z_OK && !(status == Z_BUF_ERROR && z.avail_in == 0))
        {
            return kErrBadZip;
        }
    }
    e.crc = crcUpdate(e.crc, out, produced);
    e.delivered += produced;
    if (e.delivered == declared)
    {
        e.ended = true;
    }
    return static_cast<long>(produced);
}

long unzEntryOffset(const ZipReader* reader)
{
    if (reader == nullptr || !reader->entry)
    {
        return kErrParam;
    }
    return static_cast<long>(reader->entry->delivered);
}

int unzCloseEntry(ZipReader* reader)
{
    if (reader == nullptr)
    {
        return kErrParam;
    }
    if (!reader->entry)
    {
        return kOk;
    }
    const bool complete = reader->entry->delivered == reader->info.uncompressedSize;
    const bool crcMatches = reader->entry->crc == reader->info.crc;
    reader->entry.reset();
    return (complete && !crcMatches) ? kErrCRC : kOk;
}

int unzExtractEntry(ZipReader* reader, const DWFString& name, const DWFString& password,
                    std::vector<unsigned char>& out, size_t maxBytes)
{
    int status = unzLocateEntry(reader, name);
    if (status != kOk)
    {
        return status;
    }
    if (reader->info.uncompressedSize > maxBytes)
    {
        return kErrParam;
    }
    status = unzOpenEntry(reader, password);
    if (status != kOk)
    {
        return status;
    }
    out.assign(reader->info.uncompressedSize, 0);
    size_t filled = 0;
    while (filled < out.size())
    {
        const long got = unzReadEntry(reader, out.data() + filled, out.size() - filled);
        if (got <= 0)
        {
            unzCloseEntry(reader);
            out.clear();
            return got < 0 ? static_cast<int>(got) : kErrBadZip;
        }
        filled += static_cast<size_t>(got);
    }
    status = unzCloseEntry(reader);
    if (status != kOk)
    {
        out.clear();
    }
    return status;
}

int unzClose(ZipReader* reader)
{
    if (reader == nullptr)
    {
        return kErrParam;
    }
    unzCloseEntry(reader);
    delete reader;
    return kOk;
}

} // namespace zipio
} // namespace DWFCore
