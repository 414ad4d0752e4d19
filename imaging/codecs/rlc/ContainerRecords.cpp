#include "imaging/codecs/rlc/ContainerRecords.h"

#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/rlc/RlcContainer.h"

#include <cstring>

namespace Omvi::ContainerRecords
{
namespace
{

constexpr std::size_t kEntriesStart = 24;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kEntriesFitting = (RlcContainer::kTrailerSize - kEntriesStart) / kEntrySize;

std::int16_t signed16(const std::uint8_t* bytes)
{
    return static_cast<std::int16_t>(ByteOrder::littleEndian16(bytes));
}

bool readRecord(const CodecFile& file, std::uint32_t offset, std::uint8_t* out, std::size_t size)
{
    return file.readAt(static_cast<std::int64_t>(offset), out, size);
}

} // namespace

bool readTrailer(const CodecFile& file, std::uint16_t formatCode, std::vector<Entry>& entries,
                 std::int16_t* declaredCount)
{
    entries.clear();
    if (file.size() <= static_cast<std::int64_t>(RlcContainer::kTrailerSize))
        return false;
    std::uint8_t trailer[RlcContainer::kTrailerSize];
    if (!file.readAt(file.size() - static_cast<std::int64_t>(sizeof trailer), trailer, sizeof trailer))
        return false;
    if (std::memcmp(trailer, RlcContainer::kSignature, RlcContainer::kSignatureSize) != 0 ||
        ByteOrder::littleEndian16(&trailer[26]) != formatCode)
        return false;
    const std::int16_t count = signed16(&trailer[22]);
    if (declaredCount)
        *declaredCount = count;
    const std::size_t usable = count > 0 ? std::min<std::size_t>(static_cast<std::size_t>(count), kEntriesFitting) : 0;
    for (std::size_t i = 0; i < usable; ++i)
    {
        const std::uint8_t* bytes = trailer + kEntriesStart + i * kEntrySize;
        Entry entry;
        entry.type = signed16(bytes);
        entry.format = ByteOrder::littleEndian16(bytes + 2);
        entry.editCount = signed16(bytes + 6);
        entry.offset = ByteOrder::littleEndian32(bytes + 8);
        entry.value = ByteOrder::littleEndian32(bytes + 12);
        entries.push_back(entry);
    }
    return true;
}

bool readPlacement(const CodecFile& file, const Entry& entry, Placement& out)
{
    std::uint8_t record[kPlacementSize];
    if (!readRecord(file, entry.offset, record, sizeof record))
        return false;
    out.height = ByteOrder::littleEndian16(record + 4);
    out.width = ByteOrder::littleEndian16(record + 6);
    out.x = ByteOrder::littleEndianDouble(record + 8);
    out.y = ByteOrder::littleEndianDouble(record + 16);
    out.scale = ByteOrder::littleEndianDouble(record + 24);
    out.resolution = ByteOrder::littleEndianDouble(record + 32);
    out.degrees = ByteOrder::littleEndianDouble(record + 40);
    out.quarterTurns = signed16(record + 52);
    out.foreground = record[56];
    out.referenceName.clear();
    return true;
}

bool readReference(const CodecFile& file, const Entry& entry, Placement& out)
{
    std::uint8_t record[kReferenceSize];
    if (!readRecord(file, entry.offset, record, sizeof record))
        return false;
    out.x = ByteOrder::littleEndianDouble(record);
    out.y = ByteOrder::littleEndianDouble(record + 8);
    out.scale = ByteOrder::littleEndianDouble(record + 16);
    out.resolution = ByteOrder::littleEndianDouble(record + 24);
    out.degrees = ByteOrder::littleEndianDouble(record + 32);
    out.quarterTurns = signed16(record + 44);
    out.foreground = ByteOrder::littleEndian16(record + 48);
    // The name ends at its NUL or, without one, at the end of the record.
    const auto* name = reinterpret_cast<const char*>(record + 56);
    out.referenceName.assign(name, strnlen(name, kReferenceSize - 56));
    return true;
}

bool readEdits(const CodecFile& file, const Entry& entry, std::vector<Edit>& out)
{
    out.clear();
    // The record is no larger than the file; the edits are the whole ones
    // it holds, up to the count declared.
    if (static_cast<std::int64_t>(entry.value) > file.size())
        return false;
    std::vector<std::uint8_t> record(entry.value);
    if (!record.empty() && !readRecord(file, entry.offset, record.data(), record.size()))
        return false;
    const std::size_t declared = entry.editCount > 0 ? static_cast<std::size_t>(entry.editCount) : 0;
    const std::size_t count = std::min(declared, record.size() / kEditSize);
    for (std::size_t i = 0; i < count; ++i)
    {
        const std::uint8_t* bytes = record.data() + i * kEditSize;
        const std::uint8_t kind = bytes[0];
        const std::uint8_t draw = bytes[1];
        if (kind > kArc || (draw != 0 && draw != 4))
            continue;
        auto value = [bytes](std::size_t at) { return ByteOrder::littleEndianDouble(bytes + at); };
        Edit edit;
        edit.shape = kind;
        edit.draws = draw == 4;
        switch (kind)
        {
        case kRectangle:
            edit.values = {value(8), value(32), value(24), value(16)};
            break;
        case kPolygon:
        {
            const std::uint16_t points = ByteOrder::littleEndian16(bytes + 2);
            if (points < 1 || points > 10)
                continue;
            edit.pointCount = points;
            for (std::size_t k = 0; k < points; ++k)
            {
                edit.values.push_back(value(8 + 16 * k));
                edit.values.push_back(value(16 + 16 * k));
            }
            break;
        }
        case kCircle:
            edit.values = {value(8), value(16), value(24)};
            break;
        case kDonut:
            edit.values = {value(8), value(16), value(24), value(32)};
            break;
        default:
            edit.values = {value(8), value(16), value(24), value(32), value(40), value(48)};
            break;
        }
        out.push_back(std::move(edit));
    }
    return true;
}

bool readStripTable(const CodecFile& file, const Entry& entry, std::uint32_t dataEnd, StripTable& out)
{
    std::uint8_t table[kStripTableSize];
    if (!readRecord(file, entry.offset, table, sizeof table))
        return false;
    const std::int16_t strips = signed16(table);
    const std::int16_t rows = signed16(table + 2);
    if (strips < 1 || static_cast<std::size_t>(strips) > kMaximumStrips || rows < 1)
        return false;
    out.rowsPerStrip = rows;
    out.offsets.clear();
    out.sizes.clear();
    for (std::int16_t i = 0; i < strips; ++i)
        out.offsets.push_back(ByteOrder::littleEndian32(table + 8 + 4 * i));
    for (std::size_t i = 0; i < out.offsets.size(); ++i)
    {
        const std::uint32_t end = i + 1 < out.offsets.size() ? out.offsets[i + 1] : dataEnd;
        if (end < out.offsets[i] || static_cast<std::int64_t>(end) > file.size())
            return false;
        out.sizes.push_back(end - out.offsets[i]);
    }
    return true;
}

} // namespace Omvi::ContainerRecords
