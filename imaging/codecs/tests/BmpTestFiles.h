#pragma once
// Bitmap files built byte by byte for the BMP tests: any depth, header
// size, row order, palette and mask, with the raw value of every pixel
// chosen by a function.
#include "imaging/codecs/tests/CodecTestFiles.h"
#include "imaging/codecs/tests/ImageTestSupport.h"
#include "imaging/codecs/tests/MemoryFile.h"

#include <array>
#include <functional>

namespace OmviTest
{

struct BmpSpec
{
    int width = 4;
    int height = 3;
    int bits = 24;
    bool topDown = false;
    std::uint32_t headerSize = 40;  // 12 for the core header, 108 or 124 for the longer ones
    std::uint32_t compression = 0;
    std::array<std::uint32_t, 3> masks = {0, 0, 0};  // written when compression is 3
    std::vector<std::array<std::uint8_t, 3>> palette;  // red, green, blue
    std::int64_t colorsUsed = -1;                     // -1: the palette's size (0 when none)
    std::int32_t xPerMetre = 0;
    std::int32_t yPerMetre = 0;
    // The stored value of pixel (x, y), y = 0 the top row: a palette index,
    // a 16-bit word, or 0xRRGGBB.
    std::function<std::uint32_t(int, int)> value = [](int x, int y) { return std::uint32_t(x * 31 + y * 17); };
};

inline Bytes makeBmp(const BmpSpec& spec)
{
    const bool core = spec.headerSize < 40;
    const std::size_t entryBytes = core ? 3 : 4;
    const std::uint32_t maskBytes = spec.compression == 3 && spec.headerSize == 40 ? 12 : 0;
    const std::uint32_t offset =
        14 + spec.headerSize + maskBytes + static_cast<std::uint32_t>(spec.palette.size() * entryBytes);
    const std::uint32_t stride = ((static_cast<std::uint32_t>(spec.width * spec.bits) + 31) / 32) * 4;
    Bytes bytes(offset + stride * static_cast<std::uint32_t>(spec.height), 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32le(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
    put32le(bytes, 10, offset);
    put32le(bytes, 14, spec.headerSize);
    if (core)
    {
        put16le(bytes, 18, static_cast<std::uint32_t>(spec.width));
        put16le(bytes, 20, static_cast<std::uint32_t>(spec.height));
        put16le(bytes, 22, 1);
        put16le(bytes, 24, static_cast<std::uint32_t>(spec.bits));
    }
    else
    {
        put32le(bytes, 18, static_cast<std::uint32_t>(spec.width));
        put32le(bytes, 22, static_cast<std::uint32_t>(spec.topDown ? -spec.height : spec.height));
        put16le(bytes, 26, 1);
        put16le(bytes, 28, static_cast<std::uint32_t>(spec.bits));
        put32le(bytes, 30, spec.compression);
        put32le(bytes, 34, stride * static_cast<std::uint32_t>(spec.height));
        put32le(bytes, 38, static_cast<std::uint32_t>(spec.xPerMetre));
        put32le(bytes, 42, static_cast<std::uint32_t>(spec.yPerMetre));
        const std::int64_t used = spec.colorsUsed >= 0 ? spec.colorsUsed : std::int64_t(spec.palette.size());
        put32le(bytes, 46, static_cast<std::uint32_t>(used));
        if (spec.compression == 3)
            for (int c = 0; c < 3; ++c)
                put32le(bytes, 54 + 4 * c, spec.masks[static_cast<std::size_t>(c)]);
        if (spec.headerSize >= 108)
            put32le(bytes, 14 + 56, 0x73524742);  // "sRGB"
    }
    std::size_t at = 14 + spec.headerSize + maskBytes;
    for (const auto& entry : spec.palette)
    {
        bytes[at] = entry[2];
        bytes[at + 1] = entry[1];
        bytes[at + 2] = entry[0];
        at += entryBytes;
    }
    for (int y = 0; y < spec.height; ++y)
    {
        const std::size_t row = offset + stride * static_cast<std::size_t>(spec.topDown ? y : spec.height - 1 - y);
        for (int x = 0; x < spec.width; ++x)
        {
            const std::uint32_t value = spec.value(x, y);
            if (spec.bits <= 8)
            {
                const int perByte = 8 / spec.bits;
                const int shift = 8 - spec.bits * (x % perByte + 1);
                bytes[row + static_cast<std::size_t>(x / perByte)] |=
                    static_cast<std::uint8_t>((value & ((1u << spec.bits) - 1)) << shift);
            }
            else if (spec.bits == 16)
            {
                put16le(bytes, row + 2 * static_cast<std::size_t>(x), value & 0xFFFF);
            }
            else
            {
                const std::size_t pixel = row + static_cast<std::size_t>(x) * (spec.bits / 8);
                bytes[pixel] = static_cast<std::uint8_t>(value);
                bytes[pixel + 1] = static_cast<std::uint8_t>(value >> 8);
                bytes[pixel + 2] = static_cast<std::uint8_t>(value >> 16);
            }
        }
    }
    return bytes;
}

// A palette of `count` distinct colours.
inline std::vector<std::array<std::uint8_t, 3>> colourPalette(int count)
{
    std::vector<std::array<std::uint8_t, 3>> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back({static_cast<std::uint8_t>(i * 37 + 5), static_cast<std::uint8_t>(255 - i * 13),
                           static_cast<std::uint8_t>(i * 91)});
    return palette;
}

// What the generator's pixels should read as, as RGB.
inline TestImage expectedBmpRgb(const BmpSpec& spec)
{
    TestImage image{spec.width, spec.height, 3, {}};
    for (int y = 0; y < spec.height; ++y)
        for (int x = 0; x < spec.width; ++x)
        {
            const std::uint32_t value = spec.value(x, y);
            std::array<std::uint8_t, 3> rgb{};
            if (spec.bits <= 8)
            {
                const std::uint32_t index = value & ((1u << spec.bits) - 1);
                if (index < spec.palette.size())
                    rgb = spec.palette[index];
            }
            else if (spec.bits == 16)
            {
                std::array<std::uint32_t, 3> masks = spec.masks;
                if (spec.compression != 3)
                    masks = {0x7C00, 0x03E0, 0x001F};
                for (int c = 0; c < 3; ++c)
                {
                    const std::uint32_t mask = masks[static_cast<std::size_t>(c)];
                    if (mask == 0)
                        continue;
                    int shift = 0;
                    while (!((mask >> shift) & 1))
                        ++shift;
                    int bits = 0;
                    while (bits < 32 && ((mask >> shift) >> bits) & 1)
                        ++bits;
                    const std::uint32_t channel = ((value & 0xFFFF) & mask) >> shift;
                    // The bits repeated from the top: 5-bit 7 is 00111 00111 -> 57.
                    std::uint32_t level = channel << (8 - bits);
                    for (int filled = bits; filled < 8; filled += bits)
                        level |= channel << (8 - bits) >> filled;
                    rgb[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(level);
                }
            }
            else
            {
                rgb = {static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
                       static_cast<std::uint8_t>(value)};
            }
            image.pixels.insert(image.pixels.end(), rgb.begin(), rgb.end());
        }
    return image;
}

} // namespace OmviTest
