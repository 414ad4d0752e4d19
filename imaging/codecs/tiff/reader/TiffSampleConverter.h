#pragma once
// Turns a stored TIFF row (all samples of each pixel side by side, as
// libtiff decodes them) into the row layout of the frame's data model:
// packed ink bits, grey levels or indices, 16- or 32-bit values, or RGBA.
// Samples narrower than a byte are unpacked, extra samples are dropped
// except an alpha sample, and polarity is settled here: a bitonal row has
// a set bit for ink, a grey row has 0 for black.
#include "imaging/codecs/tiff/TiffLayout.h"

#include <array>
#include <cstdint>

namespace Omvi
{

class TiffSampleConverter
{
public:
    explicit TiffSampleConverter(const TiffLayout& layout);

    TiffRowFormat format() const { return format_; }
    // Output bytes of `pixels` pixels.
    std::int64_t outputBytes(std::int64_t pixels) const;
    // Converts pixels [first, first + count) of the stored row `stored` into
    // `out`. Bits past the last pixel of a bit row are cleared.
    void convert(const std::uint8_t* stored, std::int64_t first, std::int32_t count, std::uint8_t* out) const;

    // Copies `bits` bits from bit `from` of `source` to bit `to` of
    // `target` (most significant bit first in each byte).
    static void copyBits(const std::uint8_t* source, std::int64_t from, std::uint8_t* target, std::int64_t to,
                         std::int64_t bits);

private:
    std::uint32_t sampleAt(const std::uint8_t* stored, std::int64_t pixel, std::int32_t sample) const;
    void convertBits(const std::uint8_t* stored, std::int64_t first, std::int32_t count, std::uint8_t* out) const;
    void convertBytes(const std::uint8_t* stored, std::int64_t first, std::int32_t count, std::uint8_t* out) const;
    void convertRgba(const std::uint8_t* stored, std::int64_t first, std::int32_t count, std::uint8_t* out) const;

    TiffRowFormat format_;
    std::int32_t samples_;      // samples per stored pixel
    std::int32_t bits_;         // bits per sample
    std::int32_t alphaSample_;  // the sample that gives alpha, -1 for opaque
    bool invertBits_;           // a bitonal row stored with 0 for ink
    std::array<std::uint8_t, 256> levels_{};  // byte output of each sample value up to 8 bits
};

} // namespace Omvi
