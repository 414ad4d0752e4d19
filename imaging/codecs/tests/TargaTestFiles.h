#pragma once
// Targa files built byte by byte for the Targa tests, and the reader's rows
// turned to top-down order.
#include "imaging/codecs/tests/CodecTestFiles.h"
#include "imaging/codecs/tests/ImageTestSupport.h"
#include "imaging/codecs/tests/MemoryFile.h"

#include <functional>

namespace OmviTest
{

struct TgaSpec
{
    int width = 5;
    int height = 3;
    int type = 2;  // 1, 2, 3; 9, 10, 11 run-length encoded
    int depth = 24;
    int mapLength = 0;
    int mapEntryBits = 24;
    std::uint8_t descriptor = 0;  // bits 4-5: the origin (0 bottom left)
    bool footer = false;
    bool alphaExtension = false;  // an extension area whose attributes say alpha
    std::string id;
    // The stored pixel of (x, y), y = 0 the first stored row: an index or
    // grey level, a 16-bit word, 0xRRGGBB or 0xAARRGGBB.
    std::function<std::uint32_t(int, int)> value = [](int x, int y) { return std::uint32_t(x * 0x1F2E3D + y * 0x4C5B6A); };
    // Run-length packets of at most this many pixels, taken over the whole
    // image so that they run across rows.
    int packetLimit = 128;
};

inline void appendPixel(Bytes& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline Bytes makeTga(const TgaSpec& spec)
{
    Bytes bytes(18, 0);
    bytes[0] = static_cast<std::uint8_t>(spec.id.size());
    bytes[1] = spec.mapLength > 0 ? 1 : 0;
    bytes[2] = static_cast<std::uint8_t>(spec.type);
    put16le(bytes, 5, static_cast<std::uint32_t>(spec.mapLength));
    bytes[7] = spec.mapLength > 0 ? static_cast<std::uint8_t>(spec.mapEntryBits) : 0;
    put16le(bytes, 12, static_cast<std::uint32_t>(spec.width));
    put16le(bytes, 14, static_cast<std::uint32_t>(spec.height));
    bytes[16] = static_cast<std::uint8_t>(spec.depth);
    bytes[17] = spec.descriptor;
    appendText(bytes, spec.id);
    const int entryBytes = (spec.mapEntryBits + 7) / 8;
    for (int i = 0; i < spec.mapLength; ++i)
    {
        const std::uint32_t colour = static_cast<std::uint32_t>(i * 0x030507 + 0x102030) & 0xFFFFFF;
        if (entryBytes == 2)
            appendPixel(bytes, ((colour >> 19) & 31) << 10 | ((colour >> 11) & 31) << 5 | ((colour >> 3) & 31), 2);
        else
            appendPixel(bytes, colour | (entryBytes == 4 ? 0x80000000u : 0), entryBytes);
    }
    const int pixelBytes = (spec.depth == 15 ? 16 : spec.depth) / 8;
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < spec.height; ++y)
        for (int x = 0; x < spec.width; ++x)
            pixels.push_back(spec.value(x, y));
    if (spec.type < 8)
    {
        for (std::uint32_t value : pixels)
            appendPixel(bytes, value, pixelBytes);
    }
    else
    {
        std::size_t i = 0;
        while (i < pixels.size())
        {
            std::size_t run = 1;
            while (i + run < pixels.size() && pixels[i + run] == pixels[i] && run < std::size_t(spec.packetLimit))
                ++run;
            if (run > 1)
            {
                bytes.push_back(static_cast<std::uint8_t>(0x80 | (run - 1)));
                appendPixel(bytes, pixels[i], pixelBytes);
                i += run;
                continue;
            }
            std::size_t raw = 1;
            while (i + raw < pixels.size() && raw < std::size_t(spec.packetLimit) &&
                   !(i + raw + 1 < pixels.size() && pixels[i + raw] == pixels[i + raw + 1]))
                ++raw;
            bytes.push_back(static_cast<std::uint8_t>(raw - 1));
            for (std::size_t k = 0; k < raw; ++k)
                appendPixel(bytes, pixels[i + k], pixelBytes);
            i += raw;
        }
    }
    if (spec.footer || spec.alphaExtension)
    {
        std::uint32_t extensionOffset = 0;
        if (spec.alphaExtension)
        {
            extensionOffset = static_cast<std::uint32_t>(bytes.size());
            Bytes extension(495, 0);
            put16le(extension, 0, 495);
            extension[494] = 4;
            bytes.insert(bytes.end(), extension.begin(), extension.end());
        }
        Bytes footer(8, 0);
        put32le(footer, 0, extensionOffset);
        appendText(footer, "TRUEVISION-XFILE.");
        footer.push_back(0);
        bytes.insert(bytes.end(), footer.begin(), footer.end());
    }
    return bytes;
}

// Rows delivered in file order turned top row first, by the frame's
// orientation code (0 top-down, 1 mirrored, 2 bottom-up, 3 both).
inline TestImage topDown(const TestImage& stored, int orientation)
{
    TestImage out = stored;
    const std::size_t pixel = static_cast<std::size_t>(stored.channels);
    for (int y = 0; y < stored.height; ++y)
    {
        const int fromY = orientation == 2 || orientation == 3 ? stored.height - 1 - y : y;
        for (int x = 0; x < stored.width; ++x)
        {
            const int fromX = orientation == 1 || orientation == 3 ? stored.width - 1 - x : x;
            std::memcpy(out.row(y) + pixel * x, stored.row(fromY) + pixel * fromX, pixel);
        }
    }
    return out;
}

} // namespace OmviTest
