#pragma once
// PCX files made in the tests: a header of any fields and lines coded as
// the format codes them (or given raw).
#include "RasterTestSupport.h"

namespace OmviRaster
{

struct PcxSpec
{
    int width = 1;
    int height = 1;
    int bitsPerPlane = 8;
    int planes = 1;
    int version = 5;
    int bytesPerLine = 0;  // 0: what the width needs (rounded up to even)
    int paletteInfo = 1;
    int xmin = 0;
    int ymin = 0;
    std::uint16_t hdpi = 0;
    std::uint16_t vdpi = 0;
    Bytes headerPalette;   // up to 16 entries
    Bytes trailer;         // 256 entries, with the marker written before them
    Bytes lines;           // planes x bytes per line per row, uncoded
};

inline int pcxBytesPerLine(const PcxSpec& spec)
{
    if (spec.bytesPerLine > 0)
        return spec.bytesPerLine;
    const int bytes = (spec.width * spec.bitsPerPlane + 7) / 8;
    return bytes + bytes % 2;
}

inline Bytes pcxHeaderBytes(const PcxSpec& spec)
{
    Bytes header(128, 0);
    header[0] = 10;
    header[1] = static_cast<std::uint8_t>(spec.version);
    header[2] = 1;
    header[3] = static_cast<std::uint8_t>(spec.bitsPerPlane);
    auto put16 = [&](int at, int value) {
        header[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(value);
        header[static_cast<std::size_t>(at + 1)] = static_cast<std::uint8_t>(value >> 8);
    };
    put16(4, spec.xmin);
    put16(6, spec.ymin);
    put16(8, spec.xmin + spec.width - 1);
    put16(10, spec.ymin + spec.height - 1);
    put16(12, spec.hdpi);
    put16(14, spec.vdpi);
    std::copy(spec.headerPalette.begin(), spec.headerPalette.begin() + std::min<std::ptrdiff_t>(48, spec.headerPalette.size()),
              header.begin() + 16);
    header[65] = static_cast<std::uint8_t>(spec.planes);
    put16(66, pcxBytesPerLine(spec));
    put16(68, spec.paletteInfo);
    return header;
}

// Codes each scan line (planes x bytes per line) on its own.
inline Bytes pcxFile(const PcxSpec& spec)
{
    Bytes file = pcxHeaderBytes(spec);
    const std::size_t line = static_cast<std::size_t>(pcxBytesPerLine(spec)) * spec.planes;
    for (std::size_t at = 0; at + line <= spec.lines.size(); at += line)
    {
        std::size_t i = at;
        while (i < at + line)
        {
            std::size_t run = 1;
            while (i + run < at + line && run < 63 && spec.lines[i + run] == spec.lines[i])
                ++run;
            if (run > 1 || spec.lines[i] >= 0xC0)
                file.push_back(static_cast<std::uint8_t>(0xC0 | run));
            file.push_back(spec.lines[i]);
            i += run;
        }
    }
    if (!spec.trailer.empty())
    {
        file.push_back(12);
        file.insert(file.end(), spec.trailer.begin(), spec.trailer.end());
    }
    return file;
}

} // namespace OmviRaster
