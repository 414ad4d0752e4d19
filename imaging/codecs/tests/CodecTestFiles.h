#pragma once
// Small files of every codec's format, built byte by byte in the tests (the
// probes' golden inputs; the codec tests reuse them), and the twelve codecs
// in the order the texture conversion registers them.
#include "imaging/codecs/bmp/BmpFormatCodec.h"
#include "imaging/codecs/cals/CalsFormatCodec.h"
#include "imaging/codecs/flic/FlicFormatCodec.h"
#include "imaging/codecs/gif/GifFormatCodec.h"
#include "imaging/codecs/jfif/JfifFormatCodec.h"
#include "imaging/codecs/pcx/PcxFormatCodec.h"
#include "imaging/codecs/pict/PictFormatCodec.h"
#include "imaging/codecs/png/PngFormatCodec.h"
#include "imaging/codecs/rlc/RlcFormatCodec.h"
#include "imaging/codecs/targa/TargaFormatCodec.h"
#include "imaging/codecs/tiff/TiffFormatCodec.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include <zlib.h>

namespace OmviTest
{

using Bytes = std::vector<std::uint8_t>;

inline void put16le(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    if (bytes.size() < at + 2)
        bytes.resize(at + 2);
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void put32le(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    put16le(bytes, at, value & 0xFFFF);
    put16le(bytes, at + 2, value >> 16);
}

inline void put16be(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    if (bytes.size() < at + 2)
        bytes.resize(at + 2);
    bytes[at] = static_cast<std::uint8_t>(value >> 8);
    bytes[at + 1] = static_cast<std::uint8_t>(value);
}

inline void append32be(Bytes& bytes, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline void appendText(Bytes& bytes, const std::string& text)
{
    bytes.insert(bytes.end(), text.begin(), text.end());
}

// A bitmap with a 40-byte info header (or the older 12-byte one), its
// palette and its rows; `height` below 0 stores rows top-down.
inline Bytes bmpFile(std::int32_t width, std::int32_t height, int bits, std::uint32_t compression = 0,
                     bool coreHeader = false)
{
    const std::uint32_t infoSize = coreHeader ? 12 : 40;
    const std::uint32_t paletteEntries = bits <= 8 ? 1u << bits : 0;
    const std::uint32_t paletteBytes = paletteEntries * (coreHeader ? 3 : 4);
    const std::uint32_t offset = 14 + infoSize + paletteBytes;
    const std::uint32_t stride = ((static_cast<std::uint32_t>(bits * width) + 31) / 32) * 4;
    const std::uint32_t rows = static_cast<std::uint32_t>(height < 0 ? -height : height);
    Bytes bytes(offset + stride * rows, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32le(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
    put32le(bytes, 10, offset);
    put32le(bytes, 14, infoSize);
    if (coreHeader)
    {
        put16le(bytes, 18, static_cast<std::uint32_t>(width));
        put16le(bytes, 20, rows);
        put16le(bytes, 22, 1);
        put16le(bytes, 24, static_cast<std::uint32_t>(bits));
    }
    else
    {
        put32le(bytes, 18, static_cast<std::uint32_t>(width));
        put32le(bytes, 22, static_cast<std::uint32_t>(height));
        put16le(bytes, 26, 1);
        put16le(bytes, 28, static_cast<std::uint32_t>(bits));
        put32le(bytes, 30, compression);
    }
    return bytes;
}

inline Bytes jfifStart()
{
    return {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00, 0x01, 0x01, 0x00};
}

inline void appendPngChunk(Bytes& bytes, const char* type, const Bytes& data)
{
    append32be(bytes, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = bytes.size();
    appendText(bytes, type);
    bytes.insert(bytes.end(), data.begin(), data.end());
    const std::uint32_t crc =
        static_cast<std::uint32_t>(crc32(0, bytes.data() + typeAt, static_cast<uInt>(bytes.size() - typeAt)));
    append32be(bytes, crc);
}

// A grey PNG of one 8-bit row per line, every pixel `level`.
inline Bytes pngFile(std::uint32_t width, std::uint32_t height, std::uint8_t level = 128, std::uint8_t filterMethod = 0)
{
    Bytes bytes = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes header;
    append32be(header, width);
    append32be(header, height);
    header.insert(header.end(), {8, 0, 0, filterMethod, 0});
    appendPngChunk(bytes, "IHDR", header);
    Bytes raw;
    for (std::uint32_t row = 0; row < height; ++row)
    {
        raw.push_back(0);
        raw.insert(raw.end(), width, level);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(packedSize);
    compress(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(packedSize);
    appendPngChunk(bytes, "IDAT", packed);
    appendPngChunk(bytes, "IEND", {});
    return bytes;
}

inline Bytes gifFile(const char* signature = "GIF89a")
{
    Bytes bytes;
    appendText(bytes, signature);
    bytes.insert(bytes.end(), {1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0,
                               2, 2, 0x44, 0x01, 0, 0x3B});
    return bytes;
}

inline Bytes flicFile(std::uint16_t magic = 0xAF12)
{
    Bytes bytes(128, 0);
    put32le(bytes, 0, 128);
    put16le(bytes, 4, magic);
    put16le(bytes, 6, 1);
    put16le(bytes, 8, 320);
    put16le(bytes, 10, 200);
    return bytes;
}

inline Bytes pcxFile(std::uint8_t bitsPerPixel = 8, std::uint8_t planes = 1, std::uint8_t version = 5)
{
    Bytes bytes(128 + 16, 0);
    bytes[0] = 10;
    bytes[1] = version;
    bytes[2] = 1;
    bytes[3] = bitsPerPixel;
    put16le(bytes, 8, 7);
    put16le(bytes, 10, 1);
    bytes[65] = planes;
    put16le(bytes, 66, 8);
    return bytes;
}

// A CALS header of sixteen 128-byte records, then a little data.
inline Bytes calsFile(int rasterType = 1, bool withSourceId = true)
{
    const char* records[] = {"srcdocid: NONE", "dstdocid: NONE", "txtfilid: NONE", "figid: NONE",
                             "srcgph: NONE",   "doccls: NONE",   "rtype: 1",       "rorient: 000,270",
                             "rpelcnt: 000008,000002", "rdensty: 0200", "notes: NONE"};
    Bytes bytes(2048 + 4, ' ');
    for (std::size_t i = 0; i < std::size(records); ++i)
    {
        std::string text = records[i];
        if (i == 6)
            text = "rtype: " + std::to_string(rasterType);
        if (i == 0 && !withSourceId)
            text = "xxxdocid: NONE";
        std::memcpy(&bytes[i * 128], text.data(), text.size());
    }
    return bytes;
}

// A picture of version 1 or 2 after its 512-byte preamble.
inline Bytes pictFile(int version = 2, std::uint16_t bottom = 20, std::uint16_t right = 30)
{
    Bytes bytes(512, 0);
    bytes.insert(bytes.end(), {0, 0});  // picture size
    Bytes frame(8, 0);
    put16be(frame, 4, bottom);
    put16be(frame, 6, right);
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    if (version == 2)
        bytes.insert(bytes.end(), {0x00, 0x11, 0x02, 0xFF, 0x0C, 0x00});
    else
        bytes.insert(bytes.end(), {0x11, 0x01, 0xFF});
    bytes.resize(bytes.size() + 40, 0);
    return bytes;
}

// An RLC raster as run lists: rows of (start, end) pairs within `width`.
inline Bytes rlcFile(std::uint16_t width, const std::vector<std::vector<std::pair<int, int>>>& rows)
{
    Bytes bytes;
    put16be(bytes, 0, static_cast<std::uint32_t>(rows.size()));
    put16be(bytes, 2, width);
    for (const auto& runs : rows)
    {
        put16be(bytes, bytes.size(), static_cast<std::uint32_t>(runs.size()));
        for (const auto& run : runs)
        {
            put16be(bytes, bytes.size(), static_cast<std::uint32_t>(run.first));
            put16be(bytes, bytes.size(), static_cast<std::uint32_t>(run.second));
        }
    }
    return bytes;
}

// Some bytes followed by the container trailer whose first entry has
// `formatCode` (2 RLC, 5 IG4).
inline Bytes containerFile(std::uint16_t formatCode, std::size_t leading = 64)
{
    Bytes bytes(leading, 0x55);
    Bytes trailer(344, 0);
    const std::uint8_t signature[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0x1A, 0x1A, 0x55, 0x64, 0x73, 0x82, 0x43, 0x4A};
    std::memcpy(trailer.data(), signature, sizeof signature);
    put16le(trailer, 22, 1);
    put16le(trailer, 24, 2);
    put16le(trailer, 26, formatCode);
    bytes.insert(bytes.end(), trailer.begin(), trailer.end());
    return bytes;
}

// A Targa header (image type, depth, colour map) with its pixels, and the
// version-2 footer when asked.
inline Bytes targaFile(std::uint8_t imageType, std::uint8_t depth, std::uint16_t mapLength = 0,
                       bool footer = false, std::uint8_t descriptor = 0)
{
    Bytes bytes(18, 0);
    bytes[1] = mapLength > 0 ? 1 : 0;
    bytes[2] = imageType;
    put16le(bytes, 5, mapLength);
    bytes[7] = mapLength > 0 ? 24 : 0;
    put16le(bytes, 12, 4);
    put16le(bytes, 14, 3);
    bytes[16] = depth;
    bytes[17] = descriptor;
    bytes.resize(18 + mapLength * 3 + 4 * 3 * ((depth + 7) / 8), 0x40);
    if (footer)
    {
        bytes.resize(bytes.size() + 8, 0);
        appendText(bytes, "TRUEVISION-XFILE.");
        bytes.push_back(0);
    }
    return bytes;
}

// A little-endian TIFF of one strip: `bits` per sample, `samples` per
// pixel, the given compression tag value (the data is not coded).
inline Bytes tiffFile(std::uint16_t bits = 8, std::uint16_t samples = 1, std::uint16_t compression = 1,
                      std::uint16_t photometric = 1, std::uint16_t sampleFormat = 1)
{
    const std::uint32_t width = 4;
    const std::uint32_t height = 2;
    Bytes bytes = {'I', 'I', 42, 0, 8, 0, 0, 0};
    struct Entry
    {
        std::uint16_t tag;
        std::uint16_t type;
        std::uint32_t count;
        std::uint32_t value;
    };
    const std::uint32_t dataSize = width * height * samples * ((bits + 7u) / 8u);
    std::vector<Entry> entries = {
        {256, 4, 1, width},     {257, 4, 1, height},      {258, 3, 1, bits},
        {259, 3, 1, compression}, {262, 3, 1, photometric}, {273, 4, 1, 0},
        {277, 3, 1, samples},   {278, 4, 1, height},      {279, 4, 1, dataSize},
        {339, 3, 1, sampleFormat}};
    if (samples > 1)
        entries[2].count = 1;  // one value stands for every sample here
    const std::uint32_t directorySize = 2 + 12 * static_cast<std::uint32_t>(entries.size()) + 4;
    const std::uint32_t dataOffset = 8 + directorySize;
    entries[5].value = dataOffset;
    put16le(bytes, 8, static_cast<std::uint32_t>(entries.size()));
    std::size_t at = 10;
    for (const Entry& entry : entries)
    {
        put16le(bytes, at, entry.tag);
        put16le(bytes, at + 2, entry.type);
        put32le(bytes, at + 4, entry.count);
        if (entry.type == 3)
            put32le(bytes, at + 8, entry.value & 0xFFFF);
        else
            put32le(bytes, at + 8, entry.value);
        at += 12;
    }
    put32le(bytes, at, 0);
    bytes.resize(dataOffset + dataSize, 0x80);
    return bytes;
}

// The twelve codecs, TIFF in the given mode.
struct AllCodecs
{
    explicit AllCodecs(int tiffMode = Omvi::TiffFormatCodec::kTextureMode) : tiff(tiffMode) {}

    std::vector<Omvi::ImageFormatCodec*> list()
    {
        return {&tiff, &targa, &rlc, &png, &pict, &pcx, &jfif, &ig4, &gif, &flic, &cals, &bmp};
    }

    Omvi::TiffFormatCodec tiff;
    Omvi::TargaFormatCodec targa;
    Omvi::RlcFormatCodec rlc;
    Omvi::PngFormatCodec png;
    Omvi::PictFormatCodec pict;
    Omvi::PcxFormatCodec pcx;
    Omvi::JfifFormatCodec jfif;
    Omvi::Ig4FormatCodec ig4;
    Omvi::GifFormatCodec gif;
    Omvi::FlicFormatCodec flic;
    Omvi::CalsFormatCodec cals;
    Omvi::BmpFormatCodec bmp;
};

} // namespace OmviTest
