#include "dwfcore/zip/Writer.h"

#include "dwfcore/Exception.h"
#include "dwfcore/StreamFileDescriptor.h"
#include "dwfcore/zip/Cipher.h"
#include "dwfcore/zip/Format.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>
#include <zlib.h>

namespace DWFCore
{
namespace zipio
{

namespace
{

constexpr size_t kOutputBufferSize = 16384;
// Name, comment and password buffers of the record builder.
constexpr size_t kNameLimit = 4096;
constexpr size_t kTextLimit = 1024;

ZipLimits& currentLimits()
{
    static ZipLimits limits;
    return limits;
}

} // namespace

const ZipLimits& zipLimits()
{
    return currentLimits();
}

void setZipLimits(const ZipLimits& limits)
{
    ZipLimits& current = currentLimits();
    current.entries = limits.entries < kMaxEntries ? limits.entries : kMaxEntries;
    current.bytes = limits.bytes < kMaxSize ? limits.bytes : kMaxSize;
}

struct ZipWriter
{
    std::unique_ptr<DWFFileDescriptor> output;
    uint64_t position = 0; // where the next byte lands, from the start of the file
    std::vector<uint8_t> centralDirectory;
    uint64_t entries = 0;
    bool abandoned = false;
    // The exception behind the first failure, when one was caught here.
    std::exception_ptr failure;

    // The entry being written.
    bool entryOpen = false;
    z_stream deflater{};
    bool deflaterReady = false;
    uint64_t localHeaderPosition = 0;
    std::vector<uint8_t> record;
    uint16_t flag = 0;
    uint16_t method = 0;
    uint32_t dosDateTime = 0;
    uint32_t crc = 0;
    uint64_t uncompressedSize = 0;
    uint64_t compressedSize = 0;
    bool encrypted = false;
    TraditionalCipher cipher;
    size_t pending = 0;
    uint8_t buffer[kOutputBufferSize];

    ~ZipWriter() { endDeflater(); }

    void endDeflater()
    {
        if (deflaterReady)
        {
            deflateEnd(&deflater);
            deflaterReady = false;
        }
    }

    // Writes raw bytes at the current position; false on a short write.
    bool put(const void* bytes, size_t count)
    {
        if (count == 0)
        {
            return true;
        }
        const size_t written = output->write(bytes, count);
        position += written;
        return written == count;
    }

    // Encrypts and writes the pending compressed bytes.
    int flushBuffer()
    {
        if (pending == 0)
        {
            return kOk;
        }
        // Neither the entry nor the archive may pass what 32-bit sizes and
        // offsets can say; stop as soon as the bytes would.
        if (compressedSize + pending > zipLimits().bytes || position + pending > zipLimits().bytes)
        {
            return kErrTooLarge;
        }
        if (encrypted)
        {
            cipher.encrypt(buffer, pending);
        }
        if (!put(buffer, pending))
        {
            return kErrIO;
        }
        compressedSize += pending;
        pending = 0;
        deflater.next_out = buffer;
        deflater.avail_out = kOutputBufferSize;
        return kOk;
    }
};

namespace
{

uint32_t currentDosDateTime(const ZipFileInfo* info)
{
    if (info != nullptr && info->dosDate != 0)
    {
        return info->dosDate;
    }
    if (info != nullptr)
    {
        return dosDateTime(info->date);
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return dosDateTime(local);
}

uint16_t flagFor(int level, bool encrypted)
{
    uint16_t flag = 0;
    if (level == 8 || level == 9)
    {
        flag = 2;
    }
    else if (level == 2)
    {
        flag = 4;
    }
    else if (level == 1)
    {
        flag = 6;
    }
    if (encrypted)
    {
        flag |= kFlagEncrypted | kFlagDataDescriptor;
    }
    return flag;
}

std::string boundedUTF8(const DWFString& text, size_t limit, const char* function)
{
    std::string bytes = toUTF8(text);
    if (bytes.size() >= limit)
    {
        DWFCORE_THROW(DWFOverflowException, u"Buffer too small", function);
    }
    return bytes;
}

// Runs `step`; an exception of the output marks the writer abandoned and
// passes through.
template <class Step> int guarded(ZipWriter* writer, Step step)
{
    try
    {
        const int status = step();
        if (status != kOk)
        {
            writer->abandoned = true;
        }
        return status;
    }
    catch (...)
    {
        writer->abandoned = true;
        if (!writer->failure)
        {
            writer->failure = std::current_exception();
        }
        throw;
    }
}

} // namespace

ZipWriter* zipOpen(const DWFString& path, const void* prefix, size_t prefixLength)
{
    std::unique_ptr<DWFStreamFileDescriptor> output(
        new (std::nothrow) DWFStreamFileDescriptor(DWFFile(path), DWFString(u"wb")));
    if (!output)
    {
        return nullptr;
    }
    output->open();
    return zipOpen(output.release(), prefix, prefixLength);
}

ZipWriter* zipOpen(DWFFileDescriptor* output, const void* prefix, size_t prefixLength)
{
    std::unique_ptr<DWFFileDescriptor> owned(output);
    if (!owned)
    {
        return nullptr;
    }
    std::unique_ptr<ZipWriter> writer(new (std::nothrow) ZipWriter);
    if (!writer)
    {
        return nullptr;
    }
    writer->output = std::move(owned);
    // The output's own failure (which file, which reason) passes to the
    // caller; only a short write without one gives null.
    if (prefix != nullptr && !writer->put(prefix, prefixLength))
    {
        writer->output->close();
        return nullptr;
    }
    return writer.release();
}

bool zipAbandoned(const ZipWriter* writer)
{
    return writer == nullptr || writer->abandoned;
}

int zipOpenNewFileInZip(ZipWriter* writer, const DWFString& name, const ZipFileInfo* info,
                        const void* localExtra, uint16_t localExtraSize, const void* centralExtra,
                        uint16_t centralExtraSize, const DWFString& comment, int method, int level,
                        const DWFString& password)
{
    if (writer == nullptr || (method != kMethodStored && method != kMethodDeflate) ||
        (method == kMethodDeflate && (level < Z_DEFAULT_COMPRESSION || level > Z_BEST_COMPRESSION)))
    {
        return kErrParam;
    }
    if (writer->entryOpen)
    {
        const int status = zipCloseFileInZip(writer);
        if (status != kOk)
        {
            return status;
        }
    }
    if (writer->abandoned)
    {
        return kErrIO;
    }
    if (writer->entries >= zipLimits().entries)
    {
        return kErrTooManyEntries;
    }
    if (writer->position > zipLimits().bytes)
    {
        return kErrTooLarge;
    }

    const char* const function = "DWFCore::zipio::zipOpenNewFileInZip";
    std::string nameBytes = boundedUTF8(name, kNameLimit, function);
    if (nameBytes.empty())
    {
        nameBytes = "-";
    }
    const std::string commentBytes = boundedUTF8(comment, kTextLimit, function);
    const std::string passwordBytes = boundedUTF8(password, kTextLimit, function);
    if (localExtra == nullptr)
    {
        localExtraSize = 0;
    }
    if (centralExtra == nullptr)
    {
        centralExtraSize = 0;
    }

    writer->encrypted = !passwordBytes.empty();
    writer->flag = flagFor(level, writer->encrypted);
    writer->method = static_cast<uint16_t>(method);
    writer->dosDateTime = currentDosDateTime(info);
    writer->crc = 0;
    writer->uncompressedSize = 0;
    writer->compressedSize = 0;
    writer->pending = 0;
    writer->localHeaderPosition = writer->position;

    // The central record is kept until the entry closes, when its CRC and
    // sizes are known.
    const uint16_t nameLength = static_cast<uint16_t>(nameBytes.size());
    const uint16_t commentLength = static_cast<uint16_t>(commentBytes.size());
    std::vector<uint8_t>& record = writer->record;
    record.assign(kCentralHeaderSize + nameLength + centralExtraSize + commentLength, 0);
    uint8_t* r = record.data();
    put32(r, kCentralHeaderSignature);
    put16(r + 4, kVersion);
    put16(r + 6, kVersion);
    put16(r + 8, writer->flag);
    put16(r + 10, writer->method);
    put32(r + 12, writer->dosDateTime);
    put16(r + 28, nameLength);
    put16(r + 30, centralExtraSize);
    put16(r + 32, commentLength);
    put16(r + 36, info != nullptr ? info->internalAttributes : 0);
    put32(r + 38, info != nullptr ? info->externalAttributes : 0x20u);
    put32(r + 42, static_cast<uint32_t>(writer->localHeaderPosition));
    std::memcpy(r + kCentralHeaderSize, nameBytes.data(), nameLength);
    if (centralExtraSize > 0)
    {
        std::memcpy(r + kCentralHeaderSize + nameLength, centralExtra, centralExtraSize);
    }
    if (commentLength > 0)
    {
        std::memcpy(r + kCentralHeaderSize + nameLength + centralExtraSize, commentBytes.data(),
                    commentLength);
    }

    return guarded(writer,
                   [&]() -> int
                   {
                       uint8_t header[kLocalHeaderSize] = {};
                       put32(header, kLocalHeaderSignature);
                       put16(header + 4, kVersion);
                       put16(header + 6, writer->flag);
                       put16(header + 8, writer->method);
                       put32(header + 10, writer->dosDateTime);
                       put16(header + 26, nameLength);
                       put16(header + 28, localExtraSize);
                       if (!writer->put(header, sizeof header) ||
                           !writer->put(nameBytes.data(), nameLength) ||
                           !writer->put(localExtra, localExtraSize))
                       {
                           return kErrIO;
                       }

                       if (writer->encrypted)
                       {
                           writer->cipher.reset(passwordBytes.data(), passwordBytes.size());
                           uint8_t encryptionHeader[TraditionalCipher::kHeaderSize];
                           // Bit 3 is set, so readers check the entry's time, not its CRC.
                           if (!writer->cipher.makeHeader(
                                   static_cast<uint16_t>(writer->dosDateTime), encryptionHeader))
                           {
                               return kErrInternal;
                           }
                           if (!writer->put(encryptionHeader, sizeof encryptionHeader))
                           {
                               return kErrIO;
                           }
                           writer->compressedSize = sizeof encryptionHeader;
                       }

                       writer->deflater = z_stream{};
                       writer->deflater.next_out = writer->buffer;
                       writer->deflater.avail_out = kOutputBufferSize;
                       if (writer->method == kMethodDeflate)
                       {
                           const int status = deflateInit2(&writer->deflater, level, Z_DEFLATED,
                                                           -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
                           if (status != Z_OK)
                           {
                               return status;
                           }
                           writer->deflaterReady = true;
                       }
                       writer->entryOpen = true;
                       return kOk;
                   });
}

int zipWriteInFileInZip(ZipWriter* writer, const void* bytes, size_t count)
{
    if (writer == nullptr || !writer->entryOpen)
    {
        return kErrParam;
    }
    if (writer->abandoned)
    {
        return kErrIO;
    }
    if (count == 0)
    {
        return kOk;
    }
    if (bytes == nullptr)
    {
        return kErrParam;
    }
    if (writer->uncompressedSize + count > zipLimits().bytes)
    {
        // The entry cannot be finished in 32-bit fields: give up the archive
        // rather than write sizes that wrapped.
        writer->abandoned = true;
        return kErrTooLarge;
    }
    return guarded(writer,
                   [&]() -> int
                   {
                       writer->crc = crcUpdate(writer->crc, bytes, count);
                       writer->uncompressedSize += count;
                       z_stream& z = writer->deflater;
                       // count fits in 32 bits: it was checked against the size limit.
                       z.next_in = static_cast<Bytef*>(const_cast<void*>(bytes));
                       z.avail_in = static_cast<uInt>(count);
                       while (z.avail_in > 0)
                       {
                           if (z.avail_out == 0)
                           {
                               writer->pending = kOutputBufferSize;
                               const int status = writer->flushBuffer();
                               if (status != kOk)
                               {
                                   return status;
                               }
                           }
                           if (writer->method == kMethodDeflate)
                           {
                               const int status = deflate(&z, Z_NO_FLUSH);
                               if (status != Z_OK)
                               {
                                   return status < 0 ? status : kErrInternal;
                               }
                           }
                           else
                           {
                               const uInt chunk =
                                   z.avail_in < z.avail_out ? z.avail_in : z.avail_out;
                               std::memcpy(z.next_out, z.next_in, chunk);
                               z.next_in += chunk;
                               z.avail_in -= chunk;
                               z.next_out += chunk;
                               z.avail_out -= chunk;
                           }
                       }
                       writer->pending = kOutputBufferSize - z.avail_out;
                       return kOk;
                   });
}

namespace
{

int finishEntry(ZipWriter* writer)
{
    z_stream& z = writer->deflater;
    if (writer->method == kMethodDeflate)
    {
        for (;;)
        {
            if (z.avail_out == 0)
            {
                writer->pending = kOutputBufferSize;
                const int status = writer->flushBuffer();
                if (status != kOk)
                {
                    return status;
                }
            }
            const int status = deflate(&z, Z_FINISH);
            if (status == Z_STREAM_END)
            {
                break;
            }
            if (status != Z_OK && status != Z_BUF_ERROR)
            {
                return status;
            }
        }
    }
    writer->pending = kOutputBufferSize - z.avail_out;
    int status = writer->flushBuffer();
    writer->endDeflater();
    if (status != kOk)
    {
        return status;
    }

    if (writer->flag & kFlagDataDescriptor)
    {
        uint8_t descriptor[kDataDescriptorSize];
        put32(descriptor, kDataDescriptorSignature);
        put32(descriptor + 4, writer->crc);
        put32(descriptor + 8, static_cast<uint32_t>(writer->compressedSize));
        put32(descriptor + 12, static_cast<uint32_t>(writer->uncompressedSize));
        if (!writer->put(descriptor, sizeof descriptor))
        {
            return kErrIO;
        }
    }

    // Patch the local header with the final CRC and sizes, then come back.
    uint8_t sizes[12];
    put32(sizes, writer->crc);
    put32(sizes + 4, static_cast<uint32_t>(writer->compressedSize));
    put32(sizes + 8, static_cast<uint32_t>(writer->uncompressedSize));
    const uint64_t resume = writer->position;
    writer->output->seek(SEEK_SET, static_cast<long>(writer->localHeaderPosition + 14));
    const size_t patched = writer->output->write(sizes, sizeof sizes);
    writer->output->seek(SEEK_SET, static_cast<long>(resume));
    if (patched != sizeof sizes)
    {
        return kErrIO;
    }

    uint8_t* r = writer->record.data();
    put32(r + 16, writer->crc);
    put32(r + 20, static_cast<uint32_t>(writer->compressedSize));
    put32(r + 24, static_cast<uint32_t>(writer->uncompressedSize));
    writer->centralDirectory.insert(writer->centralDirectory.end(), writer->record.begin(),
                                    writer->record.end());
    // Only an entry whose record is in the directory counts.
    ++writer->entries;
    return kOk;
}

} // namespace

int zipCloseFileInZip(ZipWriter* writer)
{
    if (writer == nullptr || !writer->entryOpen)
    {
        return kErrParam;
    }
    int status = kErrIO;
    if (!writer->abandoned)
    {
        try
        {
            status = finishEntry(writer);
        }
        catch (const std::bad_alloc&)
        {
            status = kErrInternal;
            writer->failure = writer->failure ? writer->failure : std::current_exception();
        }
        catch (...)
        {
            status = kErrIO;
            writer->failure = writer->failure ? writer->failure : std::current_exception();
        }
    }
    writer->endDeflater();
    writer->record.clear();
    writer->entryOpen = false;
    if (status != kOk)
    {
        writer->abandoned = true;
    }
    return status;
}

namespace
{

int writeDirectory(ZipWriter* writer, const char* comment)
{
    const size_t commentLength = comment != nullptr ? std::strlen(comment) : 0;
    const uint64_t offset = writer->position;
    const uint64_t size = writer->centralDirectory.size();
    if (commentLength > 0xFFFFu)
    {
        return kErrParam;
    }
    const uint64_t limit = zipLimits().bytes;
    if (offset > limit || size > limit || offset + size > limit)
    {
        return kErrTooLarge;
    }
    uint8_t end[kEndRecordSize] = {};
    put32(end, kEndRecordSignature);
    put16(end + 8, static_cast<uint16_t>(writer->entries));
    put16(end + 10, static_cast<uint16_t>(writer->entries));
    put32(end + 12, static_cast<uint32_t>(size));
    put32(end + 16, static_cast<uint32_t>(offset));
    put16(end + 20, static_cast<uint16_t>(commentLength));
    if (!writer->put(writer->centralDirectory.data(), size) || !writer->put(end, sizeof end) ||
        !writer->put(comment, commentLength))
    {
        return kErrIO;
    }
    return kOk;
}

} // namespace

void throwFailure(int status, const std::exception_ptr& failure, const char16_t* fallback,
                  const char* function)
{
    if (failure)
    {
        std::rethrow_exception(failure);
    }
    if (status == kErrTooManyEntries)
    {
        throw DWFOverflowException(u"The package would pass the ZIP format's limit of 65,535 entries",
                                   function, u"" __FILE__, __LINE__);
    }
    if (status == kErrTooLarge)
    {
        throw DWFOverflowException(
            u"The package would pass the ZIP format's limit of 4 GiB for an entry or the archive",
            function, u"" __FILE__, __LINE__);
    }
    throw DWFIOException(fallback, function, u"" __FILE__, __LINE__);
}

std::exception_ptr zipFailure(const ZipWriter* writer)
{
    return writer != nullptr ? writer->failure : std::exception_ptr();
}

int zipClose(ZipWriter* writer, const char* comment, std::exception_ptr* failure)
{
    if (writer == nullptr)
    {
        return kErrParam;
    }
    std::unique_ptr<ZipWriter> owned(writer);
    int status = kOk;
    if (writer->entryOpen)
    {
        status = zipCloseFileInZip(writer);
    }
    if (status == kOk && writer->abandoned)
    {
        status = kErrIO;
    }
    if (status == kOk)
    {
        try
        {
            status = writeDirectory(writer, comment);
        }
        catch (...)
        {
            status = kErrIO;
            writer->failure = writer->failure ? writer->failure : std::current_exception();
        }
    }
    try
    {
        writer->output->close();
    }
    catch (...)
    {
        if (status == kOk)
        {
            status = kErrIO;
            writer->failure = writer->failure ? writer->failure : std::current_exception();
        }
    }
    if (failure != nullptr)
    {
        *failure = writer->failure;
    }
    return status;
}

} // namespace zipio
} // namespace DWFCore
