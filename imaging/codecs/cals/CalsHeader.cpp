#include "imaging/codecs/cals/CalsHeader.h"

#include <cstdio>
#include <cstring>

namespace Omvi
{
namespace
{

const char* const kKeys[CalsHeader::kKeyedRecords] = {"srcdocid:", "dstdocid:", "txtfilid:", "figid:",
                                                      "srcgph:",   "doccls:",   "rtype:",    "rorient:",
                                                      "rpelcnt:",  "rdensty:",  "notes:"};

std::string zeroPadded(std::int32_t value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", digits, value);
    return text;
}

// The decimal number after position `from` of the record (leading blanks
// skipped, up to the first non-digit), kept within the int range.
std::int32_t numberAfter(const std::uint8_t* record, std::size_t from)
{
    std::size_t i = from;
    while (i < CalsHeader::kRecordSize && record[i] == ' ')
        ++i;
    std::int64_t value = 0;
    for (; i < CalsHeader::kRecordSize && record[i] >= '0' && record[i] <= '9'; ++i)
        if (value < 0x7FFFFFFF)
            value = value * 10 + (record[i] - '0');
    return static_cast<std::int32_t>(value > 0x7FFFFFFF ? 0x7FFFFFFF : value);
}

// The position after the first `mark` of the record; the record's size when
// it holds none.
std::size_t after(const std::uint8_t* record, char mark)
{
    const void* found = std::memchr(record, mark, CalsHeader::kRecordSize);
    return found ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - record) + 1
                 : CalsHeader::kRecordSize;
}

} // namespace

const char* CalsHeader::key(int record)
{
    return record >= 0 && record < kKeyedRecords ? kKeys[record] : nullptr;
}

int CalsHeader::textRecordOfKey(const char* text)
{
    if (text == nullptr)
        return -1;
    for (int record : {kSourceDocument, kDestinationDocument, kTextFile, kFigure, kSourceGraphics, kDocumentClass,
                       kNotes})
        if (std::strcmp(kKeys[record], text) == 0)
            return record;
    return -1;
}

CalsHeader::CalsHeader()
{
    std::memset(block_, ' ', sizeof block_);
    for (int record : {kSourceDocument, kDestinationDocument, kTextFile, kFigure, kSourceGraphics, kDocumentClass,
                       kNotes})
        setText(record, "NONE");
    setRasterType(1);
    setOrientation(0, 270);
    setPelCount(1, 1);
    setDensity(300);
}

void CalsHeader::writeRecord(int index, const std::string& text)
{
    std::uint8_t* record = block_ + index * kRecordSize;
    std::memset(record, ' ', kRecordSize);
    std::memcpy(record, text.data(), std::min(text.size(), kRecordSize));
}

void CalsHeader::setText(int record, const std::string& value)
{
    if (record < 0 || record >= kKeyedRecords)
        return;
    writeRecord(record, std::string(kKeys[record]) + " " + value);
}

void CalsHeader::setRasterType(std::int32_t type)
{
    writeRecord(kRasterType, std::string(kKeys[kRasterType]) + " " + std::to_string(type));
}

bool CalsHeader::setOrientation(std::int32_t primary, std::int32_t secondary)
{
    if (primary < 0 || primary > 999 || secondary < 0 || secondary > 999)
        return false;
    writeRecord(kOrientation,
                std::string(kKeys[kOrientation]) + " " + zeroPadded(primary, 3) + ", " + zeroPadded(secondary, 3));
    return true;
}

bool CalsHeader::setPelCount(std::int32_t pels, std::int32_t lines)
{
    if (pels < 0 || pels > kMaximumPels || lines < 0 || lines > kMaximumPels)
        return false;
    writeRecord(kPelCount, std::string(kKeys[kPelCount]) + " " + zeroPadded(pels, 6) + ", " + zeroPadded(lines, 6));
    return true;
}

bool CalsHeader::setDensity(std::int32_t density)
{
    if (density < 0 || density > kMaximumDensity)
        return false;
    writeRecord(kDensity, std::string(kKeys[kDensity]) + " " + zeroPadded(density, 4));
    return true;
}

std::string CalsHeader::text(int index) const
{
    if (index < 0 || index >= kKeyedRecords)
        return {};
    const std::uint8_t* bytes = record(index);
    std::size_t begin = after(bytes, ':');
    std::size_t end = kRecordSize;
    while (begin < end && bytes[begin] == ' ')
        ++begin;
    while (end > begin && bytes[end - 1] == ' ')
        --end;
    return std::string(reinterpret_cast<const char*>(bytes + begin), end - begin);
}

void CalsHeader::pelCount(std::int32_t* pels, std::int32_t* lines) const
{
    const std::uint8_t* bytes = record(kPelCount);
    if (pels)
        *pels = numberAfter(bytes, after(bytes, ':'));
    if (lines)
        *lines = numberAfter(bytes, after(bytes, ','));
}

void CalsHeader::orientation(std::int32_t* primary, std::int32_t* secondary) const
{
    const std::uint8_t* bytes = record(kOrientation);
    if (primary)
        *primary = numberAfter(bytes, after(bytes, ':'));
    if (secondary)
        *secondary = numberAfter(bytes, after(bytes, ','));
}

std::int32_t CalsHeader::density() const
{
    const std::uint8_t* bytes = record(kDensity);
    return numberAfter(bytes, after(bytes, ':'));
}

std::int32_t CalsHeader::orientationCode() const
{
    std::int32_t primary = 0;
    std::int32_t secondary = 0;
    orientation(&primary, &secondary);
    const bool ninety = secondary == 90;
    switch (primary)
    {
    case 0: return ninety ? 2 : 0;
    case 90: return ninety ? 4 : 6;
    case 180: return ninety ? 1 : 3;
    case 270: return ninety ? 7 : 5;
    default: return 0;
    }
}

} // namespace Omvi
