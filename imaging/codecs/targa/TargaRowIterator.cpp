#include "imaging/codecs/targa/TargaRowIterator.h"

#include "imaging/OMVIException.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/targa/TargaFileState.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace Omvi
{
namespace
{

constexpr std::size_t kReadBlock = 4096;

[[noreturn]] void corrupt()
{
    throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
}

[[noreturn]] void outsideMap(std::int32_t value, std::int32_t first, std::int32_t entries)
{
    const std::string reason = "A pixel of the Targa file names colour-map entry " +
                               std::to_string(value) + ", outside its map (entries " +
                               std::to_string(first) + " to " +
                               std::to_string(first + entries - 1) + ")";
    throwCorruptImage(reason.c_str());
}

} // namespace

TargaRowIterator::TargaRowIterator(std::shared_ptr<const TargaFileState> state) : state_(std::move(state))
{
    rowBytes_ = state_->kind == 1 ? 4 * state_->width : state_->width;
    row_.resize(rowBytes_);
    stored_.resize(static_cast<std::size_t>(state_->bytesPerRow));
}

TargaRowIterator::~TargaRowIterator() = default;

std::int32_t TargaRowIterator::rowCount() const
{
    return state_->height;
}

std::int32_t TargaRowIterator::width() const
{
    return state_->width;
}

void TargaRowIterator::start()
{
    currentRow_ = 0;
    buffer_.assign(state_->runLength ? kReadBlock : 0, 0);
    bufferOffset_ = state_->pixelOffset;
    bufferFill_ = 0;
    bufferAt_ = 0;
    packetLeft_ = 0;
    started_ = true;
    decodeRow();
}

bool TargaRowIterator::next()
{
    ++currentRow_;
    if (started_ && currentRow_ < state_->height)
        decodeRow();
    return true;
}

void TargaRowIterator::finish()
{
    buffer_.clear();
    buffer_.shrink_to_fit();
    started_ = false;
}

void TargaRowIterator::getRow(DataBuffer& row)
{
    if (row.size() < rowBytes_)
        throw new ImageFilterException("Row buffer too small", ImageFilterException::kRowBufferTooSmall);
    if (!started_ || currentRow_ >= state_->height)
    {
        std::memset(row.data(), 0, static_cast<std::size_t>(row.size()));
        return;
    }
    std::memcpy(row.data(), row_.data(), static_cast<std::size_t>(rowBytes_));
}

std::uint8_t TargaRowIterator::readByte()
{
    if (bufferAt_ == bufferFill_)
    {
        bufferFill_ = state_->file->readSomeAt(bufferOffset_, buffer_.data(), buffer_.size());
        bufferOffset_ += static_cast<std::int64_t>(bufferFill_);
        bufferAt_ = 0;
        if (bufferFill_ == 0)
            corrupt();
    }
    return buffer_[bufferAt_++];
}

void TargaRowIterator::readStored(std::uint8_t* out, std::size_t count)
{
    while (count > 0)
    {
        if (bufferAt_ == bufferFill_)
        {
            out[0] = readByte();
            ++out;
            --count;
            continue;
        }
        const std::size_t take = std::min(count, bufferFill_ - bufferAt_);
        std::memcpy(out, &buffer_[bufferAt_], take);
        bufferAt_ += take;
        out += take;
        count -= take;
    }
}

void TargaRowIterator::decodeRow()
{
    const auto pixelBytes = static_cast<std::size_t>(state_->bytesPerPixel);
    if (!state_->runLength)
    {
        const std::int64_t offset = state_->pixelOffset + state_->bytesPerRow * currentRow_;
        if (!state_->file->readAt(offset, stored_.data(), stored_.size()))
            corrupt();
    }
    else
    {
        // Packets: a header byte whose top bit marks a run of one repeated
        // pixel and whose low bits + 1 count the pixels. What a packet holds
        // past the row's end begins the next row.
        std::int32_t filled = 0;
        while (filled < state_->width)
        {
            if (packetLeft_ == 0)
            {
                const std::uint8_t packet = readByte();
                packetIsRun_ = (packet & 0x80) != 0;
                packetLeft_ = (packet & 0x7F) + 1;
                if (packetIsRun_)
                    readStored(runPixel_, pixelBytes);
            }
            const std::int32_t take = std::min(packetLeft_, state_->width - filled);
            std::uint8_t* out = &stored_[static_cast<std::size_t>(filled) * pixelBytes];
            if (packetIsRun_)
            {
                for (std::int32_t i = 0; i < take; ++i)
                    std::memcpy(out + static_cast<std::size_t>(i) * pixelBytes, runPixel_, pixelBytes);
            }
            else
            {
                readStored(out, static_cast<std::size_t>(take) * pixelBytes);
            }
            filled += take;
            packetLeft_ -= take;
        }
    }
    convertRow();
}

void TargaRowIterator::convertRow()
{
    const std::int32_t width = state_->width;
    std::uint8_t* out = row_.data();
    const std::uint8_t* in = stored_.data();
    if (state_->kind == 2)
    {
        // Delivered indices count from the map's first entry.
        const std::int32_t first = state_->mapFirst;
        const std::int32_t entries = state_->mapEntries;
        for (std::int32_t x = 0; x < width; ++x)
        {
            const std::int32_t entry = in[x] - first;
            if (entry < 0 || entry >= entries)
                outsideMap(in[x], first, entries);
            out[x] = static_cast<std::uint8_t>(entry);
        }
        return;
    }
    if (state_->kind == 3)
    {
        if (state_->bytesPerPixel == 1)
        {
            std::memcpy(out, in, static_cast<std::size_t>(width));
            return;
        }
        // Grey with alpha: the grey byte comes first. The alpha is dropped,
        // as for every grey image with alpha the library reads: grey rows
        // are one byte a pixel.
        for (std::int32_t x = 0; x < width; ++x)
            out[x] = in[2 * x];
        return;
    }
    switch (state_->bytesPerPixel)
    {
    case 2:
        for (std::int32_t x = 0; x < width; ++x)
        {
            const unsigned word = static_cast<unsigned>(in[2 * x] | in[2 * x + 1] << 8);
            out[4 * x] = kTargaFiveBitLevels[(word >> 10) & 31];
            out[4 * x + 1] = kTargaFiveBitLevels[(word >> 5) & 31];
            out[4 * x + 2] = kTargaFiveBitLevels[word & 31];
            out[4 * x + 3] = 255;
        }
        break;
    case 3:
        for (std::int32_t x = 0; x < width; ++x)
        {
            out[4 * x] = in[3 * x + 2];
            out[4 * x + 1] = in[3 * x + 1];
            out[4 * x + 2] = in[3 * x];
            out[4 * x + 3] = 255;
        }
        break;
    default:
    {
        const bool alpha = state_->alpha;
        for (std::int32_t x = 0; x < width; ++x)
        {
            out[4 * x] = in[4 * x + 2];
            out[4 * x + 1] = in[4 * x + 1];
            out[4 * x + 2] = in[4 * x];
            out[4 * x + 3] = alpha ? in[4 * x + 3] : 255;
        }
        break;
    }
    }
}

} // namespace Omvi
