#include "imaging/kernels/Blenders.h"

#include "imaging/models/RgbColor.h"

#include <cstddef>

namespace Omvi
{

namespace
{
std::int32_t clampOpacity(std::int32_t opacity)
{
    return opacity < 0 ? 0 : opacity > 255 ? 255 : opacity;
}

// Colour bytes 0-2 of `count` pixels; the alpha bytes stay. `step` is +4 or
// -4 along the source.
template <bool SkipTransparent>
void blendRun(const BlendTables& tables, std::uint8_t* to, const std::uint8_t* from, std::ptrdiff_t step,
              std::int32_t count)
{
    const std::uint8_t* s = tables.sourceWeight.data();
    const std::uint8_t* d = tables.destinationWeight.data();
    for (std::ptrdiff_t k = 0; k < count; ++k)
    {
        const std::uint8_t* in = from + k * step;
        std::uint8_t* out = to + 4 * k;
        if (SkipTransparent && in[3] == 0)
            continue;
        for (int c = 0; c < 3; ++c)
        {
            const unsigned sum = unsigned{s[in[c]]} + d[out[c]];
            out[c] = static_cast<std::uint8_t>(sum > 255 ? 255 : sum);
        }
    }
}
} // namespace

BlendTables::BlendTables(std::int32_t requested) : opacity(clampOpacity(requested))
{
    for (int i = 0; i < 256; ++i)
    {
        sourceWeight[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * opacity / 255);
        destinationWeight[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * (255 - opacity) / 255);
    }
}

RgbaBlender::RgbaBlender(std::int32_t opacity) : tables_(opacity) {}

void RgbaBlender::copy(std::uint8_t* destination, std::int32_t destinationOffset, const std::uint8_t* source,
                       std::int32_t sourceOffset, std::int32_t count)
{
    blendRun<false>(tables_, destination + std::ptrdiff_t{destinationOffset} * 4,
                    source + std::ptrdiff_t{sourceOffset} * 4, 4, count);
}

void RgbaBlender::fill(std::uint8_t* destination, std::int32_t offset, ImagePixel value, std::int32_t count)
{
    const RgbColor colour(static_cast<std::uint32_t>(value.value));
    const std::uint8_t weighted[3] = {tables_.sourceWeight[colour.red()], tables_.sourceWeight[colour.green()],
                                      tables_.sourceWeight[colour.blue()]};
    const std::uint8_t* d = tables_.destinationWeight.data();
    std::uint8_t* to = destination + std::ptrdiff_t{offset} * 4;
    for (std::ptrdiff_t k = 0; k < count; ++k)
        for (int c = 0; c < 3; ++c)
        {
            std::uint8_t& out = to[4 * k + c];
            const unsigned sum = unsigned{weighted[c]} + d[out];
            out = static_cast<std::uint8_t>(sum > 255 ? 255 : sum);
        }
}

RgbaTransparentBlender::RgbaTransparentBlender(std::int32_t opacity, ImagePixel) : RgbaBlender(opacity) {}

void RgbaTransparentBlender::copy(std::uint8_t* destination, std::int32_t destinationOffset,
                                  const std::uint8_t* source, std::int32_t sourceOffset, std::int32_t count)
{
    blendRun<true>(tables_, destination + std::ptrdiff_t{destinationOffset} * 4,
                   source + std::ptrdiff_t{sourceOffset} * 4, 4, count);
}

RgbaBlendRowSplitter::RgbaBlendRowSplitter(std::int32_t direction, std::int32_t opacity)
    : mirrored_(direction == 1), tables_(opacity)
{
}

void RgbaBlendRowSplitter::setSource(const std::uint8_t* row, std::int32_t rowLength)
{
    row_ = row;
    length_ = rowLength;
}

template <bool SkipTransparent>
void RgbaBlendRowSplitter::blendPiece(std::uint8_t* tileLine, std::int32_t linePosition,
                                      std::int32_t sourceOffset, std::int32_t count) const
{
    std::uint8_t* to = tileLine + std::ptrdiff_t{linePosition} * 4;
    if (mirrored_)
        blendRun<SkipTransparent>(tables_, to, row_ + (std::ptrdiff_t{length_} - 1 - sourceOffset) * 4, -4, count);
    else
        blendRun<SkipTransparent>(tables_, to, row_ + std::ptrdiff_t{sourceOffset} * 4, 4, count);
}

void RgbaBlendRowSplitter::split(std::uint8_t* tileLine, std::int32_t linePosition, std::int32_t sourceOffset,
                                 std::int32_t count)
{
    blendPiece<false>(tileLine, linePosition, sourceOffset, count);
}

RgbaTransparentBlendRowSplitter::RgbaTransparentBlendRowSplitter(std::int32_t direction, std::int32_t opacity,
                                                                 ImagePixel)
    : RgbaBlendRowSplitter(direction, opacity)
{
}

void RgbaTransparentBlendRowSplitter::split(std::uint8_t* tileLine, std::int32_t linePosition,
                                            std::int32_t sourceOffset, std::int32_t count)
{
    blendPiece<true>(tileLine, linePosition, sourceOffset, count);
}

} // namespace Omvi
