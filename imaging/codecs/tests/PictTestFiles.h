#pragma once
// Pictures built byte by byte for the PICT reader's tests: a preamble, the
// picture header, the version opcode, any opcodes the test adds, raster
// operations (bitmaps, indexed and direct pixel maps, packed or not) and
// the end opcode. Also the reading of a frame through the codec.
#include "imaging/codecs/pict/PictFormatCodec.h"
#include "imaging/codecs/pict/PictPicture.h"
#include "imaging/codecs/tests/CodecTestFiles.h"
#include "imaging/codecs/tests/ImageTestSupport.h"
#include "imaging/codecs/tests/MemoryFile.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace OmviTest
{

struct PictBox
{
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
};

struct PictRgb
{
    std::uint16_t red = 0;
    std::uint16_t green = 0;
    std::uint16_t blue = 0;
};

// PackBits of one row: runs of 2 or more equal items as repeats, the rest
// as literals; `itemBytes` is 1 or 2.
inline Bytes pictPackBits(const Bytes& row, int itemBytes = 1)
{
    Bytes out;
    const std::size_t item = static_cast<std::size_t>(itemBytes);
    const std::size_t items = row.size() / item;
    auto same = [&](std::size_t a, std::size_t b)
    { return std::equal(&row[a * item], &row[a * item] + item, &row[b * item]); };
    std::size_t i = 0;
    while (i < items)
    {
        std::size_t run = 1;
        while (i + run < items && run < 128 && same(i, i + run))
            ++run;
        if (run >= 2)
        {
            out.push_back(static_cast<std::uint8_t>(257 - run));
            out.insert(out.end(), &row[i * item], &row[i * item] + item);
            i += run;
            continue;
        }
        std::size_t literal = 1;
        while (i + literal < items && literal < 128 &&
               !(i + literal + 1 < items && same(i + literal, i + literal + 1)))
            ++literal;
        out.push_back(static_cast<std::uint8_t>(literal - 1));
        out.insert(out.end(), &row[i * item], &row[(i + literal) * item]);
        i += literal;
    }
    return out;
}

// One raster operation of a picture.
struct PictRasterSpec
{
    PictBox bounds;
    PictBox source;      // bounds when left empty
    PictBox destination; // source when left empty
    int pixelSize = 8;
    int packType = 0;
    int componentCount = 1;
    int mode = 0;
    int rowBytes = -1;       // -1: the natural length (even, at least that of the pixels)
    bool bitmap = false;     // a one-bit bitmap instead of a pixel map
    bool withRegion = false; // the Rgn form, with a mask region
    bool deviceTable = false;
    std::vector<PictRgb> table;
    std::vector<int> tableValues; // the value of each entry (its position when empty)
    int lengthBytes = 0;          // of each packed row's length; 0: 2 past 250 row bytes, else 1
    // Each row as it is stored once unpacked (rowBytes long for chunky and
    // indexed rows; the component runs for planar 32-bit rows).
    std::vector<Bytes> rows;
};

class PictBuilder
{
public:
    // A picture of `version` 1 or 2 with the given frame.
    PictBuilder(int version, PictBox frame) : version_(version)
    {
        bytes_.assign(512, 0);
        bytes_.insert(bytes_.end(), {0, 0});
        rect(frame);
        if (version == 2)
        {
            bytes_.insert(bytes_.end(), {0x00, 0x11, 0x02, 0xFF});
            opcode(0x0C00);
            Bytes header(24, 0);
            header[0] = 0xFF;
            header[1] = 0xFE;
            bytes_.insert(bytes_.end(), header.begin(), header.end());
        }
        else
        {
            bytes_.insert(bytes_.end(), {0x11, 0x01});
        }
    }

    PictBuilder& opcode(std::uint32_t code)
    {
        if (version_ == 2)
        {
            if (bytes_.size() % 2 != 0)
                bytes_.push_back(0);
            u16(code);
        }
        else
        {
            bytes_.push_back(static_cast<std::uint8_t>(code));
        }
        return *this;
    }
    PictBuilder& u8(std::uint32_t value)
    {
        bytes_.push_back(static_cast<std::uint8_t>(value));
        return *this;
    }
    PictBuilder& u16(std::uint32_t value)
    {
        bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
        bytes_.push_back(static_cast<std::uint8_t>(value));
        return *this;
    }
    PictBuilder& u32(std::uint32_t value)
    {
        append32be(bytes_, value);
        return *this;
    }
    PictBuilder& raw(const Bytes& more)
    {
        bytes_.insert(bytes_.end(), more.begin(), more.end());
        return *this;
    }
    PictBuilder& rect(const PictBox& box)
    {
        return u16(static_cast<std::uint16_t>(box.top))
            .u16(static_cast<std::uint16_t>(box.left))
            .u16(static_cast<std::uint16_t>(box.bottom))
            .u16(static_cast<std::uint16_t>(box.right));
    }
    PictBuilder& color(std::uint32_t code, PictRgb rgb)
    {
        return opcode(code).u16(rgb.red).u16(rgb.green).u16(rgb.blue);
    }
    // The initial clip region most writers put first.
    PictBuilder& clip(const PictBox& box) { return opcode(0x0001).u16(10).rect(box); }

    // BitsRect or PackBitsRect (by the row length), or their Rgn forms.
    PictBuilder& bits(const PictRasterSpec& spec)
    {
        const int width = spec.bounds.right - spec.bounds.left;
        const int rowBytes = rowBytesOf(spec, width);
        opcode((rowBytes < 8 ? 0x90 : 0x98) + (spec.withRegion ? 1 : 0));
        if (spec.bitmap)
        {
            u16(static_cast<std::uint32_t>(rowBytes));
            rect(spec.bounds);
        }
        else
        {
            u16(0x8000u | static_cast<std::uint32_t>(rowBytes));
            pixMap(spec);
            u32(0); // seed
            u16(spec.deviceTable ? 0x8000 : 0);
            u16(static_cast<std::uint16_t>(spec.table.size() - 1));
            for (std::size_t i = 0; i < spec.table.size(); ++i)
            {
                u16(spec.tableValues.empty() ? static_cast<std::uint32_t>(i)
                                             : static_cast<std::uint32_t>(spec.tableValues[i]));
                u16(spec.table[i].red).u16(spec.table[i].green).u16(spec.table[i].blue);
            }
        }
        tail(spec, rowBytes);
        return *this;
    }

    // DirectBitsRect (16- and 32-bit pixel maps).
    PictBuilder& directBits(const PictRasterSpec& spec)
    {
        const int width = spec.bounds.right - spec.bounds.left;
        const int rowBytes = rowBytesOf(spec, width);
        opcode(0x9A);
        u32(0xFF);
        u16(0x8000u | static_cast<std::uint32_t>(rowBytes));
        pixMap(spec);
        tail(spec, rowBytes);
        return *this;
    }

    Bytes finish()
    {
        opcode(0x00FF);
        if (version_ == 2 && bytes_.size() % 2 != 0)
            bytes_.push_back(0);
        return bytes_;
    }
    // The bytes so far, without the end opcode.
    const Bytes& bytes() const { return bytes_; }

private:
    static int rowBytesOf(const PictRasterSpec& spec, int width)
    {
        if (spec.rowBytes >= 0)
            return spec.rowBytes;
        const int bits = spec.bitmap ? 1 : spec.pixelSize;
        const int bytes = (width * bits + 7) / 8;
        return (bytes + 1) / 2 * 2;
    }

    void pixMap(const PictRasterSpec& spec)
    {
        rect(spec.bounds);
        u16(0); // version
        u16(static_cast<std::uint32_t>(spec.packType));
        u32(0);                        // pack size
        u32(72u << 16).u32(72u << 16); // resolutions
        u16(spec.pixelSize > 8 ? 16 : 0);
        u16(static_cast<std::uint32_t>(spec.pixelSize));
        u16(static_cast<std::uint32_t>(spec.componentCount));
        u16(static_cast<std::uint32_t>(spec.pixelSize > 8 ? 8 : spec.pixelSize));
        u32(0).u32(0).u32(0); // plane bytes, table, reserved
    }

    void tail(const PictRasterSpec& spec, int rowBytes)
    {
        const PictBox source = spec.source.bottom != spec.source.top ? spec.source : spec.bounds;
        const PictBox destination =
            spec.destination.bottom != spec.destination.top ? spec.destination : source;
        rect(source);
        rect(destination);
        u16(static_cast<std::uint32_t>(spec.mode));
        if (spec.withRegion)
            u16(10).rect(destination);
        const bool packed = rowBytes >= 8 && spec.packType != 1 && spec.packType != 2;
        for (const Bytes& row : spec.rows)
        {
            if (!packed)
            {
                raw(row);
                continue;
            }
            const Bytes packedRow = pictPackBits(row, spec.pixelSize == 16 ? 2 : 1);
            if (spec.lengthBytes == 2 || (spec.lengthBytes == 0 && rowBytes > 250))
                u16(static_cast<std::uint32_t>(packedRow.size()));
            else
                u8(static_cast<std::uint32_t>(packedRow.size()));
            raw(packedRow);
        }
    }

    int version_;
    Bytes bytes_;
};

// A 32-bit direct picture of an RGB image: planar rows of `components`
// runs (packed), chunky x-red-green-blue rows (pack type 1) or
// red-green-blue rows (pack type 2).
inline PictRasterSpec directSpec(const TestImage& rgb, int packType = 4, int components = 3)
{
    PictRasterSpec spec;
    spec.bounds = {0, 0, rgb.height, rgb.width};
    spec.pixelSize = 32;
    spec.packType = packType;
    spec.componentCount = components;
    spec.rowBytes = 4 * rgb.width;
    for (int y = 0; y < rgb.height; ++y)
    {
        Bytes row;
        const std::uint8_t* pixels = rgb.row(y);
        if (packType == 1)
        {
            for (int x = 0; x < rgb.width; ++x)
                row.insert(row.end(), {0, pixels[3 * x], pixels[3 * x + 1], pixels[3 * x + 2]});
        }
        else if (packType == 2)
        {
            row.assign(pixels, pixels + 3 * rgb.width);
        }
        else
        {
            if (components == 4)
                row.insert(row.end(), static_cast<std::size_t>(rgb.width), 0xFF);
            for (int c = 0; c < 3; ++c)
                for (int x = 0; x < rgb.width; ++x)
                    row.push_back(pixels[3 * x + c]);
        }
        spec.rows.push_back(row);
    }
    return spec;
}

// An indexed pixel map of `pixelSize` bits over `indices` (one byte a
// pixel, width x height), rows packed to the natural even row length.
inline PictRasterSpec indexedSpec(const Bytes& indices, int width, int height, int pixelSize,
                                  std::vector<PictRgb> table)
{
    PictRasterSpec spec;
    spec.bounds = {0, 0, height, width};
    spec.pixelSize = pixelSize;
    spec.table = std::move(table);
    const int rowBytes = ((width * pixelSize + 7) / 8 + 1) / 2 * 2;
    for (int y = 0; y < height; ++y)
    {
        Bytes row(static_cast<std::size_t>(rowBytes), 0);
        for (int x = 0; x < width; ++x)
        {
            const int bit = x * pixelSize;
            const int shift = 8 - pixelSize - bit % 8;
            row[static_cast<std::size_t>(bit / 8)] |= static_cast<std::uint8_t>(
                (indices[static_cast<std::size_t>(y * width + x)] & ((1 << pixelSize) - 1))
                << shift);
        }
        spec.rows.push_back(row);
    }
    return spec;
}

// The first frame of a picture read through the codec.
struct OpenedPict
{
    std::unique_ptr<MemoryFile> file;
    std::unique_ptr<Omvi::ReadImageFileInterface> reader;
    std::unique_ptr<Omvi::ReadImageFileFrameInterface> frame;
};

inline OpenedPict openPict(const Bytes& bytes)
{
    static Omvi::PictFormatCodec codec;
    OpenedPict opened;
    opened.file = std::make_unique<MemoryFile>(bytes);
    opened.reader.reset(codec.openForRead(opened.file->specifier()));
    if (opened.reader)
        opened.frame.reset(opened.reader->openFrame(0));
    return opened;
}

// 16-bit channels of a table entry from 8-bit ones (high byte and low byte
// alike, as writers store them).
inline PictRgb pictRgb(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return {static_cast<std::uint16_t>(r * 257), static_cast<std::uint16_t>(g * 257),
            static_cast<std::uint16_t>(b * 257)};
}

} // namespace OmviTest
