#include "imaging/codecs/pict/PictRaster.h"

#include "imaging/codecs/pict/PictCursor.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{
namespace
{

// Rows shorter than this are stored unpacked; longer ones carry a 16-bit
// packed length instead of an 8-bit one.
constexpr std::int32_t kSmallestPackedRow = 8;
constexpr std::int32_t kLargestShortLengthRow = 250;

enum PackType : std::int32_t
{
    kPackDefault = 0,
    kPackNone = 1,
    kPackDropPad = 2, // 32-bit pixels stored as red, green, blue
    kPackWords = 3,   // 16-bit items
    kPackComponents = 4
};

} // namespace

PictRect PictRect::intersect(const PictRect& other) const
{
    return {std::max(top, other.top), std::max(left, other.left), std::min(bottom, other.bottom),
            std::min(right, other.right)};
}

PictRect readPictRect(PictCursor& cursor)
{
    PictRect rect;
    rect.top = cursor.s16();
    rect.left = cursor.s16();
    rect.bottom = cursor.s16();
    rect.right = cursor.s16();
    return rect;
}

PictColor readPictColor(PictCursor& cursor)
{
    PictColor color;
    color.red = cursor.u16();
    color.green = cursor.u16();
    color.blue = cursor.u16();
    return color;
}

std::int64_t unpackPictBits(const std::uint8_t* packed, std::size_t length, std::int32_t itemBytes,
                            std::uint8_t* out, std::size_t capacity, std::size_t* whole)
{
    const std::size_t item = static_cast<std::size_t>(itemBytes);
    std::size_t in = 0;
    std::size_t produced = 0;
    std::size_t total = 0;
    while (in < length)
    {
        const std::uint8_t flag = packed[in++];
        if (flag < 128)
        {
            const std::size_t bytes = (std::size_t{flag} + 1) * item;
            if (bytes > length - in)
                return -1;
            const std::size_t kept = std::min(bytes, capacity - std::min(produced, capacity));
            if (kept > 0)
                std::memcpy(out + produced, packed + in, kept);
            produced += kept;
            total += bytes;
            in += bytes;
        }
        else
        {
            if (item > length - in)
                return -1;
            const std::size_t repeats = 257 - std::size_t{flag};
            for (std::size_t r = 0; r < repeats && produced + item <= capacity; ++r)
            {
                std::memcpy(out + produced, packed + in, item);
                produced += item;
            }
            total += repeats * item;
            in += item;
        }
    }
    if (whole != nullptr)
        *whole = total;
    return static_cast<std::int64_t>(produced);
}

PictRowLayout::PictRowLayout(const PictRasterRecord& record)
    : pixelSize_(record.pixelSize), width_(std::max(record.bounds.width(), 0)),
      componentCount_(record.componentCount)
{
    const std::size_t width = static_cast<std::size_t>(width_);
    std::size_t rowBytes = static_cast<std::size_t>(record.rowBytes);
    switch (pixelSize_)
    {
    case 1:
    case 2:
    case 4:
    case 8:
        pixels_ = Pixels::kIndexed;
        neededBytes_ = (width * static_cast<std::size_t>(pixelSize_) + 7) / 8;
        break;
    case 16:
        pixels_ = Pixels::kDirect16;
        neededBytes_ = 2 * width;
        itemBytes_ = 2;
        break;
    case 32:
        neededBytes_ = 4 * width;
        break;
    default:
        valid_ = false;
        return;
    }
    if (rowBytes == 0)
        rowBytes = neededBytes_;
    storedBytes_ = rowBytes;
    packed_ = rowBytes >= kSmallestPackedRow && record.packType != kPackNone;
    wideLength_ = (rowBytes > kLargestShortLengthRow) != record.otherLengthWidth;

    if (pixelSize_ == 32)
    {
        if (record.packType == kPackDropPad)
        {
            // Three bytes a pixel, never run-length packed.
            pixels_ = Pixels::kChunky24;
            packed_ = false;
            storedBytes_ = neededBytes_ = 3 * width;
        }
        else if (packed_)
        {
            // Packed rows hold one run per component: alpha (when there
            // are four), red, green, blue.
            if (componentCount_ != 3 && componentCount_ != 4)
            {
                valid_ = false;
                return;
            }
            pixels_ = Pixels::kPlanar32;
            neededBytes_ = width * static_cast<std::size_t>(componentCount_);
        }
        else
        {
            pixels_ = Pixels::kChunky32;
        }
    }
    unpackedBytes_ = std::max(neededBytes_, packed_ ? neededBytes_ : storedBytes_);
}

bool PictRowLayout::readRow(PictCursor& cursor, std::uint8_t* row, PictRowCheck check) const
{
    if (!packed_)
    {
        if (storedBytes_ < neededBytes_)
            return false;
        std::memcpy(row, cursor.take(storedBytes_), storedBytes_);
        return true;
    }
    const std::size_t length = wideLength_ ? cursor.u16() : cursor.u8();
    const std::uint8_t* packed = cursor.take(length);
    std::memset(row, 0, unpackedBytes_);
    std::size_t whole = 0;
    const std::int64_t produced =
        unpackPictBits(packed, length, itemBytes_, row, unpackedBytes_, &whole);
    if (produced < 0 || static_cast<std::size_t>(produced) < neededBytes_)
        return false;
    return check == PictRowCheck::kEnough || whole <= std::max(storedBytes_, neededBytes_);
}

std::uint8_t PictRowLayout::index(const std::uint8_t* row, std::int32_t column) const
{
    switch (pixelSize_)
    {
    case 8:
        return row[column];
    case 4:
        return static_cast<std::uint8_t>((row[column / 2] >> (column % 2 == 0 ? 4 : 0)) & 0x0F);
    case 2:
        return static_cast<std::uint8_t>((row[column / 4] >> (6 - 2 * (column % 4))) & 0x03);
    default:
        return static_cast<std::uint8_t>((row[column / 8] >> (7 - column % 8)) & 0x01);
    }
}

PictColor PictRowLayout::pixel(const PictRasterRecord& record, const std::uint8_t* row,
                               std::int32_t column) const
{
    const std::size_t at = static_cast<std::size_t>(column);
    switch (pixels_)
    {
    case Pixels::kIndexed:
    {
        const std::uint8_t value = index(row, column);
        return value < record.table.size() ? record.table[value] : PictColor{};
    }
    case Pixels::kDirect16:
    {
        // Each 5-bit channel becomes the 8-bit level of its top five bits.
        const std::uint16_t value = static_cast<std::uint16_t>(row[2 * at] << 8 | row[2 * at + 1]);
        return {widenPictLevel(static_cast<std::uint8_t>(((value >> 10) & 0x1F) << 3)),
                widenPictLevel(static_cast<std::uint8_t>(((value >> 5) & 0x1F) << 3)),
                widenPictLevel(static_cast<std::uint8_t>((value & 0x1F) << 3))};
    }
    case Pixels::kPlanar32:
    {
        const std::size_t width = static_cast<std::size_t>(width_);
        const std::size_t first = componentCount_ == 4 ? width : 0;
        return {widenPictLevel(row[first + at]), widenPictLevel(row[first + width + at]),
                widenPictLevel(row[first + 2 * width + at])};
    }
    case Pixels::kChunky32:
        return {widenPictLevel(row[4 * at + 1]), widenPictLevel(row[4 * at + 2]),
                widenPictLevel(row[4 * at + 3])};
    case Pixels::kChunky24:
        return {widenPictLevel(row[3 * at]), widenPictLevel(row[3 * at + 1]),
                widenPictLevel(row[3 * at + 2])};
    }
    return {};
}

} // namespace Omvi
