#include "imaging/codecs/bmp/BmpRowIterators.h"

#include "imaging/OMVIException.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/codec/CodecFile.h"

#include <cstring>

namespace Omvi
{
namespace
{

// The first stored byte of column `column` and the bytes up to the end of
// column `last`, at `bits` a pixel.
std::int64_t firstByte(std::int32_t column, std::int32_t bits)
{
    return static_cast<std::int64_t>(column) * bits / 8;
}

std::int64_t endByte(std::int32_t last, std::int32_t bits)
{
    return (static_cast<std::int64_t>(last + 1) * bits + 7) / 8;
}

// A channel value of `bits` bits as a level 0-255: its bits repeated from
// the top (so the largest value is 255, and 5-bit 7 is 57), or its top
// eight bits when it has more.
std::uint8_t widenChannel(std::uint32_t value, int bits)
{
    if (bits <= 0)
        return 0;
    if (bits >= 8)
        return static_cast<std::uint8_t>(value >> (bits - 8));
    std::uint32_t level = 0;
    int filled = 0;
    while (filled < 8)
    {
        level = level << bits | value;
        filled += bits;
    }
    return static_cast<std::uint8_t>(level >> (filled - 8));
}

int countBits(std::uint32_t value)
{
    int count = 0;
    for (; value != 0; value >>= 1)
        count += static_cast<int>(value & 1);
    return count;
}

int trailingZeros(std::uint32_t value)
{
    int count = 0;
    while (count < 32 && (value & (1u << count)) == 0)
        ++count;
    return count;
}

} // namespace

BmpRowIteratorUC::BmpRowIteratorUC(std::shared_ptr<const CodecFile> file, const BmpLayout& layout)
    : SubRegionRowIterator(layout.height, layout.width), file_(std::move(file)), layout_(layout),
      stored_(static_cast<std::size_t>(layout.stride))
{
}

BmpRowIteratorUC::~BmpRowIteratorUC() = default;

std::int32_t BmpRowIteratorUC::bytesPerRow() const
{
    const std::int32_t pixels = width();
    if (deliveredPixelBytes() == 0)
        return (pixels + 7) / 8;
    return pixels * deliveredPixelBytes();
}

void BmpRowIteratorUC::start()
{
    currentRow_ = top();
}

bool BmpRowIteratorUC::next()
{
    ++currentRow_;
    return true;
}

void BmpRowIteratorUC::getRow(DataBuffer& row)
{
    const std::int32_t size = bytesPerRow();
    if (row.size() < size)
        throw new ImageFilterException("Row buffer too small", ImageFilterException::kRowBufferTooSmall);
    const std::int32_t pixels = width();
    if (currentRow_ < top() || currentRow_ > bottom() || pixels < 1)
    {
        if (row.size() > 0)
            std::memset(row.data(), 0, static_cast<std::size_t>(row.size()));
        return;
    }
    const std::int64_t from = firstByte(left(), layout_.bits);
    const std::int64_t count = endByte(right(), layout_.bits) - from;
    if (!file_->readAt(layout_.rowOffset(currentRow_) + from, stored_.data(), static_cast<std::size_t>(count)))
        throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
    convert(stored_.data(), left(), pixels, row.data());
}

BmpRowIterator_1_1::BmpRowIterator_1_1(std::shared_ptr<const CodecFile> file, const BmpLayout& layout)
    : BmpRowIteratorUC(std::move(file), layout)
{
}

void BmpRowIterator_1_1::convert(const std::uint8_t* stored, std::int32_t left, std::int32_t count,
                                 std::uint8_t* out) const
{
    const int shift = left % 8;
    const std::int32_t bytes = (count + 7) / 8;
    const std::int32_t storedBytes = (shift + count + 7) / 8;
    const std::uint8_t flip = layout().invert ? 0xFF : 0x00;
    // Bits move up to the first column of the region; the file's own bits
    // go as they are when the region starts on a byte.
    for (std::int32_t i = 0; i < bytes; ++i)
    {
        std::uint8_t value = static_cast<std::uint8_t>(stored[i] << shift);
        if (shift != 0 && i + 1 < storedBytes)
            value = static_cast<std::uint8_t>(value | stored[i + 1] >> (8 - shift));
        out[i] = static_cast<std::uint8_t>(value ^ flip);
    }
    // Bits past the last column are paper.
    if (count % 8 != 0)
        out[bytes - 1] &= static_cast<std::uint8_t>(0xFF << (8 - count % 8));
}

BmpRowIterator_1_8::BmpRowIterator_1_8(std::shared_ptr<const CodecFile> file, const BmpLayout& layout)
    : BmpRowIteratorUC(std::move(file), layout)
{
}

void BmpRowIterator_1_8::convert(const std::uint8_t* stored, std::int32_t left, std::int32_t count,
                                 std::uint8_t* out) const
{
    const std::int32_t first = left % 8;
    for (std::int32_t i = 0; i < count; ++i)
    {
        const std::int32_t bit = first + i;
        out[i] = static_cast<std::uint8_t>(stored[bit / 8] >> (7 - bit % 8) & 1);
    }
}

BmpRowIterator_4_8::BmpRowIterator_4_8(std::shared_ptr<const CodecFile> file, const BmpLayout& layout)
    : BmpRowIteratorUC(std::move(file), layout)
{
}

void BmpRowIterator_4_8::convert(const std::uint8_t* stored, std::int32_t left, std::int32_t count,
                                 std::uint8_t* out) const
{
    const std::int32_t first = left % 2;
    const std::int32_t entries = layout().tableEntries;
    for (std::int32_t i = 0; i < count; ++i)
    {
        const std::int32_t nibble = first + i;
        const std::uint8_t byte = stored[nibble / 2];
        const std::int32_t value = nibble % 2 == 0 ? byte >> 4 : byte & 0x0F;
        if (value >= entries)
            throwPixelPastPalette("BMP", value, entries);
        out[i] = layout().nibbleTable[value];
    }
}

BmpRowIterator_8_8::BmpRowIterator_8_8(std::shared_ptr<const CodecFile> file, const BmpLayout& layout)
    : BmpRowIteratorUC(std::move(file), layout)
{
}

void BmpRowIterator_8_8::convert(const std::uint8_t* stored, std::int32_t, std::int32_t count,
                                 std::uint8_t* out) const
{
    const std::int32_t entries = layout().tableEntries;
    for (std::int32_t i = 0; i < count && entries < 256; ++i)
        if (stored[i] >= entries)
            throwPixelPastPalette("BMP", stored[i], entries);
    std::memcpy(out, stored, static_cast<std::size_t>(count));
}

BmpRowIterator_bf16_32::BmpRowIterator_bf16_32(std::shared_ptr<const CodecFile> file, const BmpLayout& layout)
    : BmpRowIteratorUC(std::move(file), layout)
{
    for (int c = 0; c < 3; ++c)
    {
        mask_[c] = layout.masks[c];
        shift_[c] = mask_[c] == 0 ? 0 : trailingZeros(mask_[c]);
        width_[c] = countBits(mask_[c] >> shift_[c]);
    }
}

void BmpRowIterator_bf16_32::convert(const std::uint8_t* stored, std::int32_t, std::int32_t count,
                                     std::uint8_t* out) const
{
    for (std::int32_t i = 0; i < count; ++i)
    {
        const std::uint32_t pixel = static_cast<std::uint32_t>(stored[2 * i] | stored[2 * i + 1] << 8);
        for (int c = 0; c < 3; ++c)
        {
            out[4 * i + c] = widenChannel((pixel & mask_[c]) >> shift_[c], width_[c]);
        }
        out[4 * i + 3] = 255;
    }
}

BmpRowIterator_24_32::BmpRowIterator_24_32(std::shared_ptr<const CodecFile> file, const BmpLayout& layout)
    : BmpRowIteratorUC(std::move(file), layout)
{
}

void BmpRowIterator_24_32::convert(const std::uint8_t* stored, std::int32_t, std::int32_t count,
                                   std::uint8_t* out) const
{
    for (std::int32_t i = 0; i < count; ++i)
    {
        out[4 * i] = stored[3 * i + 2];
        out[4 * i + 1] = stored[3 * i + 1];
        out[4 * i + 2] = stored[3 * i];
        out[4 * i + 3] = 255;
    }
}

BmpRowIterator_32_32::BmpRowIterator_32_32(std::shared_ptr<const CodecFile> file, const BmpLayout& layout)
    : BmpRowIteratorUC(std::move(file), layout)
{
}

void BmpRowIterator_32_32::convert(const std::uint8_t* stored, std::int32_t, std::int32_t count,
                                   std::uint8_t* out) const
{
    for (std::int32_t i = 0; i < count; ++i)
    {
        out[4 * i] = stored[4 * i + 2];
        out[4 * i + 1] = stored[4 * i + 1];
        out[4 * i + 2] = stored[4 * i];
        out[4 * i + 3] = 255;
    }
}

} // namespace Omvi
