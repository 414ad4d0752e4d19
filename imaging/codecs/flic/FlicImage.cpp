#include "imaging/codecs/flic/FlicImage.h"

#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/codec/CodecFile.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace Omvi
{

// Raised when a chunk's packets reach past its data, a line or the image;
// it never leaves the decoder.
struct FlicDamage
{
};

// Little-endian values from one chunk's data, checked against its end.
class FlicChunkReader
{
public:
    FlicChunkReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t u8()
    {
        if (position_ >= size_)
            throw FlicDamage{};
        return data_[position_++];
    }
    std::int8_t s8() { return static_cast<std::int8_t>(u8()); }
    std::uint16_t u16()
    {
        const std::uint8_t* bytes = take(2);
        return ByteOrder::littleEndian16(bytes);
    }
    const std::uint8_t* take(std::size_t count)
    {
        if (count > size_ - position_)
            throw FlicDamage{};
        const std::uint8_t* bytes = data_ + position_;
        position_ += count;
        return bytes;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

FlicImage::FlicImage(const CodecFile& file)
{
    std::uint8_t header[kHeaderBytes];
    if (!file.readAt(0, header, sizeof header))
        return;
    frameCount_ = ByteOrder::littleEndian16(&header[6]);
    width_ = ByteOrder::littleEndian16(&header[8]);
    height_ = ByteOrder::littleEndian16(&header[10]);
}

void FlicImage::decode(const CodecFile& file)
{
    decoded_ = false;
    palette_.fill(0);
    pixels_.clear();
    if (width_ < 1 || height_ < 1)
    {
        refusal_ = "The FLIC header's size holds no pixels";
        return;
    }
    if (std::int64_t{width_} * height_ > kMaxPixels)
    {
        refusal_ = "The FLIC header's size is beyond what the reader decodes";
        return;
    }
    try
    {
        pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0);
        decoded_ = applyFirstFrame(file);
        refusal_ = "The FLIC file ends within its first frame, or a chunk's size there is damaged";
    }
    catch (const FlicDamage&)
    {
        decoded_ = false;
        refusal_ = "The FLIC file's first frame is damaged";
    }
    catch (const std::bad_alloc&)
    {
        decoded_ = false;
        refusal_ = "The FLIC image does not fit in memory";
    }
    if (!decoded_)
        pixels_.clear();
}

bool FlicImage::applyFirstFrame(const CodecFile& file)
{
    const std::int64_t end = file.size();
    std::int64_t position = kHeaderBytes;
    std::int32_t frame = -1;
    std::int32_t subChunksLeft = 0;
    std::vector<std::uint8_t> data;
    while (position < end)
    {
        std::uint8_t header[kChunkHeaderBytes];
        if (!file.readAt(position, header, sizeof header))
            return false; // a chunk header cut short
        const std::uint32_t size = ByteOrder::littleEndian32(header);
        const std::uint16_t type = ByteOrder::littleEndian16(&header[4]);
        if (size < kChunkHeaderBytes || size > end - position)
            return false;
        if (type == kFrame)
        {
            ++frame;
            // The first frame is the image: stop at the next one, or at
            // once when the header counts no frames.
            if (frame > 0 || frame >= frameCount_)
                break;
            std::uint8_t counts[10];
            if (size < kChunkHeaderBytes + sizeof counts ||
                !file.readAt(position + 6, counts, sizeof counts))
                return false;
            subChunksLeft = ByteOrder::littleEndian16(counts);
            // The sub-chunks follow as chunks of their own.
            position += kChunkHeaderBytes + sizeof counts;
            continue;
        }
        data.resize(size - kChunkHeaderBytes);
        if (!file.readAt(position + kChunkHeaderBytes, data.data(), data.size()))
            return false;
        applyChunk(type, data.data(), data.size());
        if (subChunksLeft > 0)
            --subChunksLeft;
        position += size;
    }
    // The image is complete when its frame was seen with every chunk it
    // announced (or when the header counts no frames at all).
    return frameCount_ == 0 || (frame >= 0 && subChunksLeft == 0);
}

std::uint8_t* FlicImage::pixelsAt(std::int32_t x, std::int32_t y, std::int32_t count)
{
    if (x < 0 || y < 0 || y >= height_ || count < 0 || count > width_ - x)
        throw FlicDamage{};
    return pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
}

void FlicImage::applyChunk(std::uint16_t type, const std::uint8_t* data, std::size_t size)
{
    FlicChunkReader reader(data, size);
    switch (type)
    {
    case kColor256:
        readColors(reader, 1);
        break;
    case kColor64:
        readColors(reader, 4);
        break;
    case kBlack:
        std::fill(pixels_.begin(), pixels_.end(), 0);
        break;
    case kByteRun:
        readByteRun(reader);
        break;
    case kLiteral:
        std::memcpy(pixels_.data(), reader.take(pixels_.size()), pixels_.size());
        break;
    case kLineDelta:
        readLineDelta(reader);
        break;
    case kWordDelta:
        readWordDelta(reader);
        break;
    default:
        break; // other chunks (stamps, prefixes, labels) carry nothing for the image
    }
}

void FlicImage::readColors(FlicChunkReader& reader, int scale)
{
    const std::uint16_t packets = reader.u16();
    std::size_t index = 0;
    for (std::uint16_t p = 0; p < packets; ++p)
    {
        index += reader.u8();
        std::size_t count = reader.u8();
        if (count == 0)
            count = 256;
        const std::uint8_t* colors = reader.take(3 * count);
        // Entries past the last one are read and dropped.
        for (std::size_t i = 0; i < count && index < 256; ++i, ++index)
            for (std::size_t c = 0; c < 3; ++c)
                palette_[3 * index + c] = static_cast<std::uint8_t>(colors[3 * i + c] * scale);
        if (index >= 256)
            index = 256;
    }
}

void FlicImage::readByteRun(FlicChunkReader& reader)
{
    for (std::int32_t y = 0; y < height_; ++y)
    {
        reader.u8(); // the packet count: the width tells when a line is done
        std::int32_t x = 0;
        while (x < width_)
        {
            const std::int8_t count = reader.s8();
            if (count < 0)
            {
                const std::int32_t n = -count;
                std::memcpy(pixelsAt(x, y, n), reader.take(static_cast<std::size_t>(n)),
                            static_cast<std::size_t>(n));
                x += n;
            }
            else
            {
                const std::uint8_t value = reader.u8();
                std::memset(pixelsAt(x, y, count), value, static_cast<std::size_t>(count));
                x += count;
            }
        }
    }
}

void FlicImage::readLineDelta(FlicChunkReader& reader)
{
    std::int32_t y = reader.u16();
    const std::uint16_t lines = reader.u16();
    for (std::uint16_t line = 0; line < lines; ++line, ++y)
    {
        const std::uint8_t packets = reader.u8();
        std::int32_t x = 0;
        for (std::uint8_t p = 0; p < packets; ++p)
        {
            x += reader.u8();
            const std::int8_t count = reader.s8();
            if (count < 0)
            {
                const std::int32_t n = -count;
                const std::uint8_t value = reader.u8();
                std::memset(pixelsAt(x, y, n), value, static_cast<std::size_t>(n));
                x += n;
            }
            else
            {
                std::memcpy(pixelsAt(x, y, count), reader.take(static_cast<std::size_t>(count)),
                            static_cast<std::size_t>(count));
                x += count;
            }
        }
    }
}

void FlicImage::readWordDelta(FlicChunkReader& reader)
{
    const std::uint16_t lines = reader.u16();
    std::int32_t y = 0;
    for (std::uint16_t line = 0; line < lines; ++line, ++y)
    {
        std::uint16_t word = reader.u16();
        while ((word & 0xC000) != 0)
        {
            if ((word & 0xC000) == 0xC000)
            {
                y += -static_cast<std::int16_t>(word); // lines skipped
                if (y > height_)
                    throw FlicDamage{};
            }
            else if ((word & 0xC000) == 0x8000)
                *pixelsAt(width_ - 1, y, 1) = static_cast<std::uint8_t>(word & 0xFF);
            else
                throw FlicDamage{};
            word = reader.u16();
        }
        std::int32_t x = 0;
        for (std::uint16_t p = 0; p < word; ++p)
        {
            x += reader.u8();
            const std::int8_t count = reader.s8();
            if (count > 0)
            {
                const std::int32_t bytes = 2 * count;
                std::memcpy(pixelsAt(x, y, bytes), reader.take(static_cast<std::size_t>(bytes)),
                            static_cast<std::size_t>(bytes));
                x += bytes;
            }
            else if (count < 0)
            {
                const std::uint8_t* pair = reader.take(2);
                const std::int32_t pairs = -count;
                std::uint8_t* out = pixelsAt(x, y, 2 * pairs);
                for (std::int32_t i = 0; i < pairs; ++i)
                {
                    out[2 * i] = pair[0];
                    out[2 * i + 1] = pair[1];
                }
                x += 2 * pairs;
            }
        }
    }
}

} // namespace Omvi
