#include "imaging/codecs/gif/GifDecoder.h"

#include "imaging/codecs/codec/ByteOrder.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{
namespace
{

constexpr int kExtensionIntroducer = 0x21;
constexpr int kImageSeparator = 0x2C;
constexpr int kTrailer = 0x3B;
constexpr std::int32_t kLargestCodeSize = 12;
// Pixels past the end of the data.
constexpr std::uint8_t kMissingPixel = 255;

} // namespace

std::vector<std::int32_t> gifInterlacedRowOrder(std::int32_t height)
{
    std::vector<std::int32_t> order;
    order.reserve(static_cast<std::size_t>(std::max(height, 0)));
    const std::int32_t starts[] = {0, 4, 2, 1};
    const std::int32_t steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (std::int32_t row = starts[pass]; row < height; row += steps[pass])
            order.push_back(row);
    return order;
}

GifDecoder::GifDecoder(const std::string& nativePath)
{
    palette_.fill(255);
    if (nativePath.empty() || !file_.open(nativePath))
        return;
    reader_ = std::make_unique<BufferedFileReader>(file_);
    walkToImage();
}

GifDecoder::~GifDecoder() = default;

void GifDecoder::walkToImage()
{
    std::uint8_t header[13];
    noImageReason_ = "The GIF file ends within its header";
    if (!reader_->read(header, sizeof header))
        return;
    // Signature and version (6 bytes) were checked by the probe; the logical
    // screen's packed byte tells about the global table.
    std::int32_t tableBits = (header[10] & 7) + 1;
    std::int64_t tablePosition = -1;
    if (header[10] & 0x80)
    {
        tablePosition = reader_->position();
        noImageReason_ = "The GIF file ends within its global colour table";
        if (!reader_->skip(3 * (std::int64_t(1) << tableBits)))
            return;
    }

    for (;;)
    {
        const int introducer = reader_->get();
        noImageReason_ = introducer < 0 ? "The GIF file ends before its first image"
                                        : "The GIF file holds no image: its trailer comes first";
        if (introducer < 0 || introducer == kTrailer)
            return;
        if (introducer == kImageSeparator)
            break;
        if (introducer != kExtensionIntroducer)
            continue;  // stray bytes between blocks are passed over
        noImageReason_ = "The GIF file ends within an extension block, before its first image";
        if (reader_->get() < 0)  // the label
            return;
        // Every extension is a chain of sub-blocks up to an empty one.
        for (;;)
        {
            const int size = reader_->get();
            if (size < 0)
                return;
            if (size == 0)
                break;
            if (!reader_->skip(size))
                return;
        }
    }

    std::uint8_t descriptor[9];
    noImageReason_ = "The GIF file ends within its first image's descriptor";
    if (!reader_->read(descriptor, sizeof descriptor))
        return;
    width_ = ByteOrder::littleEndian16(descriptor + 4);
    height_ = ByteOrder::littleEndian16(descriptor + 6);
    const std::uint8_t packed = descriptor[8];
    interlaced_ = (packed & 0x40) != 0;
    if (packed & 0x80)
    {
        tableBits = (packed & 7) + 1;
        tablePosition = reader_->position();
        noImageReason_ = "The GIF file ends within its first image's colour table";
        if (!reader_->skip(3 * (std::int64_t(1) << tableBits)))
            return;
    }
    colorCount_ = 1 << tableBits;
    minimumCodeSize_ = reader_->get();
    if (minimumCodeSize_ < 0)
        noImageReason_ = "The GIF file ends before its first image's data";
    else if (width_ < 1 || height_ < 1)
        noImageReason_ = "The GIF file's first image is empty (no pixels wide or high)";
    else
        noImageReason_ = "The GIF file's first image is damaged: its code size is not one a GIF holds";
    if (width_ < 1 || height_ < 1 || minimumCodeSize_ < 2 || minimumCodeSize_ > 11)
        return;
    dataPosition_ = reader_->position();

    hasTable_ = tablePosition >= 0;
    if (hasTable_)
        file_.readSomeAt(tablePosition, palette_.data(), static_cast<std::size_t>(3 * colorCount_));
    clearCode_ = 1 << minimumCodeSize_;
    endCode_ = clearCode_ + 1;
    for (std::int32_t i = 0; i < clearCode_; ++i)
        suffix_[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    hasImage_ = true;
}

void GifDecoder::copyPalette(std::int32_t count, std::uint8_t* rgb) const
{
    if (rgb == nullptr || count < 1)
        return;
    const std::int32_t entries = std::min(count, colorCount_);
    std::memcpy(rgb, palette_.data(), static_cast<std::size_t>(entries) * 3);
}

void GifDecoder::resetTable()
{
    codeSize_ = minimumCodeSize_ + 1;
    nextSlot_ = clearCode_ + 2;
    previous_ = -1;
    stackTop_ = 0;
}

void GifDecoder::reset()
{
    releaseImage();
    if (!hasImage_)
        return;
    reader_->seek(dataPosition_);
    bits_ = 0;
    bitCount_ = 0;
    blockLeft_ = 0;
    dataEnded_ = false;
    pixelPastTable_ = -1;
    resetTable();
    if (interlaced_)
        decodeInterlaced();
}

std::int32_t GifDecoder::nextCode()
{
    // Sub-blocks may be as short as one byte: read on until the code has
    // all its bits.
    while (bitCount_ < codeSize_)
    {
        if (dataEnded_)
            return -1;
        if (blockLeft_ == 0)
        {
            const int size = reader_->get();
            if (size <= 0)
            {
                dataEnded_ = true;
                return -1;
            }
            blockLeft_ = size;
        }
        const int byte = reader_->get();
        if (byte < 0)
        {
            dataEnded_ = true;
            return -1;
        }
        --blockLeft_;
        bits_ |= static_cast<std::uint32_t>(byte) << bitCount_;
        bitCount_ += 8;
    }
    const auto code = static_cast<std::int32_t>(bits_ & ((1u << codeSize_) - 1));
    bits_ >>= codeSize_;
    bitCount_ -= codeSize_;
    return code;
}

bool GifDecoder::decodeString()
{
    for (;;)
    {
        const std::int32_t code = nextCode();
        if (code < 0)
            return false;
        if (code == clearCode_)
        {
            resetTable();
            continue;
        }
        // An end code, a code that names no entry yet, or one past the next
        // free slot: the data is over.
        if (code == endCode_ || code > nextSlot_ || (previous_ < 0 && code >= clearCode_))
        {
            dataEnded_ = true;
            return false;
        }
        if (previous_ < 0)
        {
            if (!withinTable(code))
                return false;
            firstCharacter_ = code;
            previous_ = code;
            stack_[static_cast<std::size_t>(stackTop_++)] = static_cast<std::uint8_t>(code);
            return true;
        }
        std::int32_t current = code;
        if (code == nextSlot_)
        {
            // The string about to be made: the previous one and its first
            // character.
            stack_[static_cast<std::size_t>(stackTop_++)] = static_cast<std::uint8_t>(firstCharacter_);
            current = previous_;
        }
        // Every entry's prefix is an earlier slot, so the chain ends within
        // the table.
        while (current >= clearCode_ && stackTop_ < kTableSize)
        {
            stack_[static_cast<std::size_t>(stackTop_++)] = suffix_[static_cast<std::size_t>(current)];
            current = prefix_[static_cast<std::size_t>(current)];
        }
        if (current >= clearCode_ || !withinTable(current))
        {
            dataEnded_ = true;
            stackTop_ = 0;
            return false;
        }
        firstCharacter_ = current;
        stack_[static_cast<std::size_t>(stackTop_++)] = static_cast<std::uint8_t>(current);
        if (nextSlot_ < kTableSize)
        {
            prefix_[static_cast<std::size_t>(nextSlot_)] = static_cast<std::uint16_t>(previous_);
            suffix_[static_cast<std::size_t>(nextSlot_)] = static_cast<std::uint8_t>(firstCharacter_);
            ++nextSlot_;
            if (nextSlot_ == (1 << codeSize_) && codeSize_ < kLargestCodeSize)
                ++codeSize_;
        }
        previous_ = code;
        return true;
    }
}

bool GifDecoder::withinTable(std::int32_t pixel)
{
    // Every pixel of a string is the first code of a string before it, so
    // looking at those looks at every pixel once it is first made. Without
    // a table the entries are white whatever the pixels say.
    if (pixel < colorCount_ || !hasTable_)
        return true;
    pixelPastTable_ = pixel;
    dataEnded_ = true;
    return false;
}

bool GifDecoder::decodeRow(std::uint8_t* out)
{
    for (std::int32_t x = 0; x < width_; ++x)
    {
        if (stackTop_ == 0 && (dataEnded_ || !decodeString()))
        {
            std::memset(out + x, kMissingPixel, static_cast<std::size_t>(width_ - x));
            return false;
        }
        out[x] = stack_[static_cast<std::size_t>(--stackTop_)];
    }
    return true;
}

void GifDecoder::decodeInterlaced()
{
    rows_.resize(static_cast<std::size_t>(height_));
    for (std::int32_t row : gifInterlacedRowOrder(height_))
    {
        // Rows the data does not reach are never made.
        if (stackTop_ == 0 && dataEnded_)
            break;
        auto& target = rows_[static_cast<std::size_t>(row)];
        target.reset(new std::uint8_t[static_cast<std::size_t>(width_)]);
        // A row the data ends in is not held either: readRow answers false.
        if (!decodeRow(target.get()))
            target.reset();
    }
    imageHeld_ = true;
}

bool GifDecoder::readRow(std::int32_t row, std::uint8_t* out)
{
    if (!hasImage_ || row < 0 || row >= height_)
        return false;
    if (!imageHeld_)
        return decodeRow(out);
    const auto& held = rows_[static_cast<std::size_t>(row)];
    if (held)
        std::memcpy(out, held.get(), static_cast<std::size_t>(width_));
    else
        std::memset(out, kMissingPixel, static_cast<std::size_t>(width_));
    return held != nullptr;
}

void GifDecoder::releaseImage()
{
    rows_.clear();
    rows_.shrink_to_fit();
    imageHeld_ = false;
}

} // namespace Omvi
