#pragma once
// How a raster operation of a picture lands on the canvas: the transfer
// mode with the colours it uses. Channels are 16-bit; black is 0 in all
// three, white 65535.
#include <cstdint>

namespace Omvi
{

struct PictColor
{
    std::uint16_t red = 0;
    std::uint16_t green = 0;
    std::uint16_t blue = 0;

    bool operator==(const PictColor& other) const
    {
        return red == other.red && green == other.green && blue == other.blue;
    }
    bool isBlack() const { return red == 0 && green == 0 && blue == 0; }
    bool isWhite() const { return red == 0xFFFF && green == 0xFFFF && blue == 0xFFFF; }
};

// An 8-bit level as a 16-bit channel (255 becomes 65535), and a channel as
// the 8-bit level it reaches (each level k x 257 comes back as k).
inline std::uint16_t widenPictLevel(std::uint8_t level)
{
    return static_cast<std::uint16_t>(level * 257);
}
inline std::uint8_t narrowPictChannel(std::uint16_t channel)
{
    return static_cast<std::uint8_t>(channel * 255u / 65535u);
}

struct PictTransferState
{
    enum Mode : std::int32_t
    {
        kSrcCopy = 0,
        kSrcOr = 1,
        kSrcXor = 2,
        kSrcBic = 3,
        kNotSrcCopy = 4,
        kNotSrcOr = 5,
        kNotSrcXor = 6,
        kNotSrcBic = 7,
        kBlend = 32,
        kAddPin = 33,
        kAddOver = 34,
        kSubPin = 35,
        kTransparent = 36,
        kAddMax = 37,
        kSubOver = 38,
        kAddMin = 39
    };

    std::int32_t mode = kSrcCopy;
    // The picture's colours when the operation was recorded: foreground
    // black and background white until the picture sets them; the op colour
    // (weights of blend, pins of addPin and subPin) black until it is set.
    PictColor foreground{0, 0, 0};
    PictColor background{0xFFFF, 0xFFFF, 0xFFFF};
    PictColor op{0, 0, 0};

    // The canvas colour `destination` after the source colour `source` was
    // transferred onto it.
    PictColor combine(const PictColor& source, const PictColor& destination) const;
};

} // namespace Omvi
