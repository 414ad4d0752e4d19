#pragma once
// GIF files made in the tests: a small LZW encoder that can do what no
// Debian tool does (sub-blocks of one byte, the full code space without a
// clear code, no clear code at the start), with the extensions and colour
// tables a file may carry. giftopnm checks what it writes.
#include "RasterTestSupport.h"

#include <unordered_map>

namespace OmviRaster
{

struct GifSpec
{
    int width = 1;
    int height = 1;
    // Pixels in image row order (interlaced files store them reordered).
    Bytes pixels;
    Bytes globalTable;  // red, green, blue per entry; a power of two, 2-256
    Bytes localTable;
    bool interlaced = false;
    int minimumCodeSize = 8;
    int subBlockSize = 255;
    bool clearFirst = true;
    // When the table is full: a clear code (as encoders do), or go on with
    // 12-bit codes and no new entries.
    bool clearWhenFull = true;
    bool extensions = false;  // graphic control, comment, application
    bool secondImage = false;
    const char* signature = "GIF89a";
};

namespace detail
{

inline int tableBits(std::size_t bytes)
{
    int bits = 1;
    while ((std::size_t(3) << bits) < bytes)
        ++bits;
    return bits;
}

class BitWriter
{
public:
    void put(int code, int size)
    {
        bits_ |= static_cast<std::uint32_t>(code) << count_;
        count_ += size;
        while (count_ >= 8)
        {
            bytes.push_back(static_cast<std::uint8_t>(bits_));
            bits_ >>= 8;
            count_ -= 8;
        }
    }
    void flush()
    {
        if (count_ > 0)
            bytes.push_back(static_cast<std::uint8_t>(bits_));
        bits_ = 0;
        count_ = 0;
    }
    Bytes bytes;

private:
    std::uint32_t bits_ = 0;
    int count_ = 0;
};

} // namespace detail

// The image's LZW codes, packed least significant bit first.
inline Bytes gifLzw(const Bytes& pixels, int minimumCodeSize, bool clearFirst, bool clearWhenFull,
                    int* codesWritten = nullptr)
{
    const int clear = 1 << minimumCodeSize;
    const int end = clear + 1;
    int codeSize = minimumCodeSize + 1;
    int next = clear + 2;
    int codes = 0;
    std::unordered_map<std::uint32_t, int> table;
    detail::BitWriter out;
    auto emit = [&](int code) {
        out.put(code, codeSize);
        ++codes;
    };
    if (clearFirst)
        emit(clear);
    if (!pixels.empty())
    {
        int prefix = pixels[0];
        for (std::size_t i = 1; i < pixels.size(); ++i)
        {
            const std::uint32_t key = (static_cast<std::uint32_t>(prefix) << 8) | pixels[i];
            const auto found = table.find(key);
            if (found != table.end())
            {
                prefix = found->second;
                continue;
            }
            emit(prefix);
            if (next < 4096)
            {
                table[key] = next++;
                if (next > (1 << codeSize) && codeSize < 12)
                    ++codeSize;
            }
            else if (clearWhenFull)
            {
                emit(clear);
                table.clear();
                next = clear + 2;
                codeSize = minimumCodeSize + 1;
            }
            prefix = pixels[i];
        }
        emit(prefix);
    }
    emit(end);
    out.flush();
    if (codesWritten)
        *codesWritten = codes;
    return out.bytes;
}

inline void appendSubBlocks(Bytes& file, const Bytes& data, int blockSize)
{
    for (std::size_t at = 0; at < data.size(); at += static_cast<std::size_t>(blockSize))
    {
        const std::size_t size = std::min(data.size() - at, static_cast<std::size_t>(blockSize));
        file.push_back(static_cast<std::uint8_t>(size));
        file.insert(file.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                    data.begin() + static_cast<std::ptrdiff_t>(at + size));
    }
    file.push_back(0);
}

inline void appendImage(Bytes& file, const GifSpec& spec, const Bytes& pixels, int* codes)
{
    file.insert(file.end(), {0x2C, 0, 0, 0, 0, static_cast<std::uint8_t>(spec.width),
                             static_cast<std::uint8_t>(spec.width >> 8), static_cast<std::uint8_t>(spec.height),
                             static_cast<std::uint8_t>(spec.height >> 8)});
    std::uint8_t packed = spec.interlaced ? 0x40 : 0;
    if (!spec.localTable.empty())
        packed |= static_cast<std::uint8_t>(0x80 | (detail::tableBits(spec.localTable.size()) - 1));
    file.push_back(packed);
    file.insert(file.end(), spec.localTable.begin(), spec.localTable.end());
    file.push_back(static_cast<std::uint8_t>(spec.minimumCodeSize));
    Bytes stored;
    if (spec.interlaced)
    {
        const int starts[] = {0, 4, 2, 1};
        const int steps[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int row = starts[pass]; row < spec.height; row += steps[pass])
                stored.insert(stored.end(), pixels.begin() + static_cast<std::ptrdiff_t>(row) * spec.width,
                              pixels.begin() + static_cast<std::ptrdiff_t>(row + 1) * spec.width);
    }
    else
    {
        stored = pixels;
    }
    appendSubBlocks(file, gifLzw(stored, spec.minimumCodeSize, spec.clearFirst, spec.clearWhenFull, codes),
                    spec.subBlockSize);
}

inline Bytes gifFile(const GifSpec& spec, int* codes = nullptr)
{
    Bytes file(spec.signature, spec.signature + 6);
    std::uint8_t packed = 0;
    if (!spec.globalTable.empty())
        packed = static_cast<std::uint8_t>(0x80 | (detail::tableBits(spec.globalTable.size()) - 1));
    file.insert(file.end(), {static_cast<std::uint8_t>(spec.width), static_cast<std::uint8_t>(spec.width >> 8),
                             static_cast<std::uint8_t>(spec.height), static_cast<std::uint8_t>(spec.height >> 8),
                             packed, 0, 0});
    file.insert(file.end(), spec.globalTable.begin(), spec.globalTable.end());
    if (spec.extensions)
    {
        file.insert(file.end(), {0x21, 0xF9, 4, 0x01, 10, 0, 3, 0});  // graphic control, colour 3 clear
        file.insert(file.end(), {0x21, 0xFE, 5, 'h', 'e', 'l', 'l', 'o', 2, '!', '!', 0});  // comment
        file.insert(file.end(), {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                                 3, 1, 0, 0, 0});  // application
    }
    appendImage(file, spec, spec.pixels, codes);
    if (spec.secondImage)
    {
        GifSpec second = spec;
        second.localTable.clear();
        Bytes other(spec.pixels.size());
        for (std::size_t i = 0; i < other.size(); ++i)
            other[i] = static_cast<std::uint8_t>(spec.pixels[i] ^ 1);
        appendImage(file, second, other, nullptr);
    }
    file.push_back(0x3B);
    return file;
}

// A colour table of `entries` distinct colours.
inline Bytes colourTable(int entries)
{
    Bytes table;
    for (int i = 0; i < entries; ++i)
        table.insert(table.end(), {static_cast<std::uint8_t>(i * 37), static_cast<std::uint8_t>(255 - i),
                                   static_cast<std::uint8_t>(i * i)});
    return table;
}

} // namespace OmviRaster
