#ifndef DWFCORE_ZIP_FORMAT_H
#define DWFCORE_ZIP_FORMAT_H

// Record layouts of the ZIP container shared by the writer and the reader.

#include <cstddef>
#include <cstdint>
#include <ctime>

namespace DWFCore
{
namespace zipio
{

constexpr uint32_t kLocalHeaderSignature = 0x04034B50u;
constexpr uint32_t kCentralHeaderSignature = 0x02014B50u;
constexpr uint32_t kDataDescriptorSignature = 0x08074B50u;
constexpr uint32_t kEndRecordSignature = 0x06054B50u;

constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kDataDescriptorSize = 16;
constexpr size_t kEndRecordSize = 22;

constexpr uint16_t kVersion = 20;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflate = 8;

constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagDataDescriptor = 0x0008;

// Without a 64-bit form every count is 16-bit and every size or offset 32-bit.
constexpr uint64_t kMaxEntries = 0xFFFFu;
constexpr uint64_t kMaxSize = 0xFFFFFFFFu;

// Status codes of the writer and the reader.
enum Status : int
{
    kOk = 0,
    kErrIO = -1,
    kEndOfList = -100,
    kErrParam = -102,
    kErrBadZip = -103,
    kErrInternal = -104,
    kErrCRC = -105,
    // The archive would pass the format's entry count or size limit.
    kErrTooManyEntries = -106,
    kErrTooLarge = -107,
};

// The limits the writer keeps to: the format's own. Tests lower them to
// reach the failures without writing gigabytes; they never rise above the
// format's.
struct ZipLimits
{
    uint64_t entries = kMaxEntries;
    uint64_t bytes = kMaxSize; // of an entry and of the whole archive
};
const ZipLimits& zipLimits();
void setZipLimits(const ZipLimits& limits);

inline void put16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void put32(uint8_t* p, uint32_t v)
{
    put16(p, static_cast<uint16_t>(v));
    put16(p + 2, static_cast<uint16_t>(v >> 16));
}
inline uint16_t get16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t get32(const uint8_t* p)
{
    return static_cast<uint32_t>(get16(p)) | (static_cast<uint32_t>(get16(p + 2)) << 16);
}

// DOS date in the high half, DOS time in the low half.
inline uint32_t dosDateTime(const std::tm& t)
{
    int year = t.tm_year; // years since 1900
    if (year < 80)
        year = 80; // the DOS form cannot go before 1980
    const uint32_t date = (static_cast<uint32_t>(year - 80) << 9) |
                          (static_cast<uint32_t>(t.tm_mon + 1) << 5) |
                          static_cast<uint32_t>(t.tm_mday);
    const uint32_t time = (static_cast<uint32_t>(t.tm_hour) << 11) |
                          (static_cast<uint32_t>(t.tm_min) << 5) |
                          static_cast<uint32_t>(t.tm_sec / 2);
    return (date << 16) | (time & 0xFFFFu);
}

} // namespace zipio
} // namespace DWFCore

#endif
