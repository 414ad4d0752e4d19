#include "imaging/codecs/tiff/reader/TiffSampleConverter.h"

#include <cstring>
#include <tiffio.h>

namespace Omvi
{
namespace
{

// The alpha sample of a directory: an unassociated or unspecified extra
// sample found by the classification, else for four samples the fourth as
// stored (an RGB directory with one more sample and no meaning given for it,
// or with associated alpha), else none (opaque).
std::int32_t alphaSampleOf(const TiffLayout& layout)
{
    if (layout.alphaSample >= 0)
        return layout.alphaSample;
    if (layout.rowFormat() == TiffRowFormat::kRgba64)
        for (std::size_t i = 0; i < layout.extraSamples.size(); ++i)
            if (layout.extraSamples[i] == EXTRASAMPLE_UNSPECIFIED || layout.extraSamples[i] == EXTRASAMPLE_UNASSALPHA)
                return layout.colorSamples() + static_cast<std::int32_t>(i);
    return layout.samplesPerPixel == 4 ? 3 : -1;
}

} // namespace

TiffSampleConverter::TiffSampleConverter(const TiffLayout& layout)
    : format_(layout.rowFormat()),
      samples_(layout.samplesPerPixel),
      bits_(layout.bitsPerSample),
      alphaSample_(alphaSampleOf(layout)),
      invertBits_(!layout.minIsWhite)
{
    if (format_ != TiffRowFormat::kBytes)
        return;
    // Grey levels spread over 0-255 (0 black); indices and plain values as
    // they are.
    const std::uint32_t top = (1u << bits_) - 1;
    for (std::uint32_t value = 0; value <= top && value < levels_.size(); ++value)
    {
        std::uint32_t level = value;
        if (layout.colorModel == kTiffGray && layout.photometric != PHOTOMETRIC_PALETTE)
        {
            level = top == 0 ? 0 : value * 255 / top;
            if (layout.minIsWhite)
                level = 255 - level;
        }
        levels_[value] = static_cast<std::uint8_t>(level);
    }
}

std::int64_t TiffSampleConverter::outputBytes(std::int64_t pixels) const
{
    switch (format_)
    {
    case TiffRowFormat::kBits:
        return (pixels + 7) / 8;
    case TiffRowFormat::kBytes:
        return pixels;
    case TiffRowFormat::kShorts:
        return pixels * 2;
    case TiffRowFormat::kWords:
    case TiffRowFormat::kRgba:
        return pixels * 4;
    case TiffRowFormat::kRgba64:
        return pixels * 8;
    case TiffRowFormat::kNone:
        break;
    }
    return 0;
}

void TiffSampleConverter::copyBits(const std::uint8_t* source, std::int64_t from, std::uint8_t* target,
                                   std::int64_t to, std::int64_t bits)
{
    if (bits <= 0)
        return;
    if (from % 8 == 0 && to % 8 == 0)
    {
        std::memcpy(target + to / 8, source + from / 8, static_cast<std::size_t>(bits / 8));
        from += bits / 8 * 8;
        to += bits / 8 * 8;
        bits %= 8;
    }
    for (std::int64_t i = 0; i < bits; ++i)
    {
        const std::int64_t s = from + i;
        const std::int64_t t = to + i;
        const auto mask = static_cast<std::uint8_t>(0x80u >> (t % 8));
        if (source[s / 8] & (0x80u >> (s % 8)))
            target[t / 8] = static_cast<std::uint8_t>(target[t / 8] | mask);
        else
            target[t / 8] = static_cast<std::uint8_t>(target[t / 8] & ~mask);
    }
}

std::uint32_t TiffSampleConverter::sampleAt(const std::uint8_t* stored, std::int64_t pixel, std::int32_t sample) const
{
    const std::int64_t index = pixel * samples_ + sample;
    switch (bits_)
    {
    case 8:
        return stored[index];
    case 16: {
        std::uint16_t value;
        std::memcpy(&value, stored + index * 2, 2);
        return value;
    }
    case 32: {
        std::uint32_t value;
        std::memcpy(&value, stored + index * 4, 4);
        return value;
    }
    default:
        break;
    }
    // Samples of other widths are packed most significant bit first.
    std::int64_t bit = index * bits_;
    std::uint32_t value = 0;
    for (std::int32_t i = 0; i < bits_ && i < 32; ++i, ++bit)
        value = (value << 1) | ((stored[bit / 8] >> (7 - bit % 8)) & 1u);
    return value;
}

void TiffSampleConverter::convert(const std::uint8_t* stored, std::int64_t first, std::int32_t count,
                                  std::uint8_t* out) const
{
    if (count <= 0)
        return;
    switch (format_)
    {
    case TiffRowFormat::kBits:
        convertBits(stored, first, count, out);
        return;
    case TiffRowFormat::kBytes:
        convertBytes(stored, first, count, out);
        return;
    case TiffRowFormat::kShorts:
        if (bits_ == 16 && samples_ == 1)
        {
            std::memcpy(out, stored + first * 2, static_cast<std::size_t>(count) * 2);
            return;
        }
        for (std::int32_t i = 0; i < count; ++i)
        {
            const auto value = static_cast<std::uint16_t>(sampleAt(stored, first + i, 0));
            std::memcpy(out + std::int64_t{i} * 2, &value, 2);
        }
        return;
    case TiffRowFormat::kWords:
        if (bits_ == 32 && samples_ == 1)
        {
            std::memcpy(out, stored + first * 4, static_cast<std::size_t>(count) * 4);
            return;
        }
        for (std::int32_t i = 0; i < count; ++i)
        {
            const std::uint32_t value = sampleAt(stored, first + i, 0);
            std::memcpy(out + std::int64_t{i} * 4, &value, 4);
        }
        return;
    case TiffRowFormat::kRgba:
        convertRgba(stored, first, count, out);
        return;
    case TiffRowFormat::kRgba64:
        for (std::int32_t i = 0; i < count; ++i)
        {
            std::uint16_t pixel[4];
            for (std::int32_t s = 0; s < 3; ++s)
                pixel[s] = static_cast<std::uint16_t>(sampleAt(stored, first + i, s));
            pixel[3] = alphaSample_ >= 0 ? static_cast<std::uint16_t>(sampleAt(stored, first + i, alphaSample_))
                                         : std::uint16_t{0xFFFF};
            std::memcpy(out + std::int64_t{i} * 8, pixel, 8);
        }
        return;
    case TiffRowFormat::kNone:
        break;
    }
}

void TiffSampleConverter::convertBits(const std::uint8_t* stored, std::int64_t first, std::int32_t count,
                                      std::uint8_t* out) const
{
    const std::int64_t bytes = (std::int64_t{count} + 7) / 8;
    if (samples_ == 1)
        copyBits(stored, first, out, 0, count);
    else
    {
        std::memset(out, 0, static_cast<std::size_t>(bytes));
        for (std::int32_t i = 0; i < count; ++i)
            if (sampleAt(stored, first + i, 0))
                out[i / 8] = static_cast<std::uint8_t>(out[i / 8] | (0x80u >> (i % 8)));
    }
    if (invertBits_)
        for (std::int64_t i = 0; i < bytes; ++i)
            out[i] = static_cast<std::uint8_t>(~out[i]);
    // Bits past the last pixel are paper.
    if (count % 8 != 0)
        out[bytes - 1] = static_cast<std::uint8_t>(out[bytes - 1] & (0xFF00u >> (count % 8)));
}

void TiffSampleConverter::convertBytes(const std::uint8_t* stored, std::int64_t first, std::int32_t count,
                                       std::uint8_t* out) const
{
    if (bits_ == 8)
    {
        const std::uint8_t* in = stored + first * samples_;
        for (std::int32_t i = 0; i < count; ++i, in += samples_)
            out[i] = levels_[*in];
        return;
    }
    for (std::int32_t i = 0; i < count; ++i)
        out[i] = levels_[sampleAt(stored, first + i, 0) & 0xFFu];
}

void TiffSampleConverter::convertRgba(const std::uint8_t* stored, std::int64_t first, std::int32_t count,
                                      std::uint8_t* out) const
{
    const std::uint8_t* in = stored + first * samples_;
    if (samples_ == 4 && alphaSample_ == 3)
    {
        std::memcpy(out, in, static_cast<std::size_t>(count) * 4);
        return;
    }
    for (std::int32_t i = 0; i < count; ++i, in += samples_, out += 4)
    {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
        out[3] = alphaSample_ >= 0 ? in[alphaSample_] : std::uint8_t{255};
    }
}

} // namespace Omvi
