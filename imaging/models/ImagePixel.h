#pragma once
// One pixel value of any data model: up to 64 bits, of which the kind's
// width is used. Pixels travel by value (clear colours, key colours, fills).
#include <cstdint>

namespace Omvi
{

// What an ImagePixel's value means. Kinds 0-4 are raw samples of the five
// data types (1, 8, 16, 32, 64 bits); the colour models use 5-8. A plain
// data model answers its data type as its pixel kind.
enum PixelKind : std::int32_t
{
    kPixelOneBit = 0,
    kPixelEightBit = 1,
    kPixelSixteenBit = 2,
    kPixelThirtyTwoBit = 3,
    kPixelSixtyFourBit = 4,
    kPixelBitonal = 5,  // a bitonal bit: 1 is ink (black), 0 is paper (white)
    kPixelGray = 6,     // a gray level 0-255
    kPixelPalette = 7,  // a palette index 0-255
    kPixelRgb = 8       // a packed RgbColor
};

struct ImagePixel
{
    ImagePixel() = default;
    explicit ImagePixel(std::int32_t pixelKind) : kind(pixelKind) {}
    ImagePixel(std::int32_t pixelKind, std::uint64_t pixelValue) : value(pixelValue), kind(pixelKind) {}

    // The number of value bytes the kind uses: 1 for kinds 0, 1, 5, 6, 7;
    // 2 for kind 2; 4 for kinds 3 and 8; 8 for kind 4; 0 for any other.
    static int byteWidth(std::int32_t pixelKind)
    {
        switch (pixelKind)
        {
        case kPixelOneBit:
        case kPixelEightBit:
        case kPixelBitonal:
        case kPixelGray:
        case kPixelPalette:
            return 1;
        case kPixelSixteenBit:
            return 2;
        case kPixelThirtyTwoBit:
        case kPixelRgb:
            return 4;
        case kPixelSixtyFourBit:
            return 8;
        default:
            return 0;
        }
    }

    // Zeroes the bytes of the value that the kind uses; an unknown kind
    // changes nothing.
    void clear()
    {
        const int bytes = byteWidth(kind);
        if (bytes == 8)
            value = 0;
        else if (bytes > 0)
            value &= ~((std::uint64_t{1} << (8 * bytes)) - 1);
    }

    // The low byte: the level, index or bit of kinds 5-7.
    std::uint8_t lowByte() const { return static_cast<std::uint8_t>(value); }

    bool operator==(const ImagePixel& other) const { return kind == other.kind && value == other.value; }
    bool operator!=(const ImagePixel& other) const { return !(*this == other); }

    std::uint64_t value = 0;
    std::int32_t kind = kPixelOneBit;
};

} // namespace Omvi
