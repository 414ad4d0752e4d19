#pragma once
// PNG files made and checked with libpng directly (its plain write calls and
// its simplified reader), independent of the codec's own reader and writer.
#include "RasterTestSupport.h"

#include <functional>

#include <png.h>

namespace OmviRaster
{

struct PngSpec
{
    std::uint32_t width = 1;
    std::uint32_t height = 1;
    int bitDepth = 8;
    int colorType = PNG_COLOR_TYPE_RGB;
    bool interlaced = false;
    // One sample value per channel per pixel, row after row; packed to the
    // bit depth (16-bit samples big-endian) by encodePng.
    std::vector<std::uint16_t> samples;
    // Palette of a palette image.
    std::vector<png_color> palette;
    // Sets further chunks before the header is written.
    std::function<void(png_structp, png_infop)> chunks;
};

inline int channelsOf(int colorType)
{
    switch (colorType)
    {
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    default:
        return 1;
    }
}

namespace detail
{
inline void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
inline void flushNothing(png_structp) {}
inline void failHard(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}
inline void quiet(png_structp, png_const_charp) {}
} // namespace detail

// The file libpng writes for the spec; empty when libpng refused it.
inline Bytes encodePng(const PngSpec& spec)
{
    Bytes out;
    const int channels = channelsOf(spec.colorType);
    const std::size_t rowBytes = (static_cast<std::size_t>(spec.width) * channels * spec.bitDepth + 7) / 8;
    std::vector<Bytes> rows(spec.height, Bytes(rowBytes, 0));
    std::size_t next = 0;
    for (std::uint32_t y = 0; y < spec.height; ++y)
    {
        std::size_t bit = 0;
        for (std::uint32_t i = 0; i < spec.width * static_cast<std::uint32_t>(channels); ++i)
        {
            const std::uint16_t v = next < spec.samples.size() ? spec.samples[next] : 0;
            ++next;
            if (spec.bitDepth == 16)
            {
                rows[y][2 * i] = static_cast<std::uint8_t>(v >> 8);
                rows[y][2 * i + 1] = static_cast<std::uint8_t>(v);
            }
            else if (spec.bitDepth == 8)
            {
                rows[y][i] = static_cast<std::uint8_t>(v);
            }
            else
            {
                rows[y][bit / 8] |= static_cast<std::uint8_t>(v << (8 - spec.bitDepth - bit % 8));
                bit += static_cast<std::size_t>(spec.bitDepth);
            }
        }
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, detail::failHard, detail::quiet);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> pointers;
    for (Bytes& row : rows)
        pointers.push_back(row.data());
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, detail::appendBytes, detail::flushNothing);
    png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colorType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!spec.palette.empty())
        png_set_PLTE(png, info, spec.palette.data(), static_cast<int>(spec.palette.size()));
    if (spec.chunks)
        spec.chunks(png, info);
    png_write_info(png, info);
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// libpng's simplified reader: `format` is a PNG_FORMAT_* value; empty on
// failure. Its gamma handling is switched off by reading linear-free
// formats only for 8-bit files without gAMA.
struct SimpleImage
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    Bytes pixels;
};

inline SimpleImage decodeSimple(const Bytes& file, std::uint32_t format)
{
    SimpleImage result;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
        return result;
    image.format = format;
    Bytes pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
    {
        png_image_free(&image);
        return result;
    }
    result.width = image.width;
    result.height = image.height;
    result.pixels = std::move(pixels);
    return result;
}

// The chunk types of a PNG file, in order, with their data.
struct Chunk
{
    std::string type;
    Bytes data;
};

inline std::vector<Chunk> chunksOf(const Bytes& file)
{
    std::vector<Chunk> chunks;
    std::size_t at = 8;
    while (at + 12 <= file.size())
    {
        const std::uint32_t length = (std::uint32_t(file[at]) << 24) | (std::uint32_t(file[at + 1]) << 16) |
                                     (std::uint32_t(file[at + 2]) << 8) | file[at + 3];
        if (at + 12 + length > file.size())
            break;
        Chunk chunk;
        chunk.type.assign(reinterpret_cast<const char*>(file.data() + at + 4), 4);
        chunk.data.assign(file.begin() + static_cast<std::ptrdiff_t>(at + 8),
                          file.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
        chunks.push_back(std::move(chunk));
        at += 12 + length;
    }
    return chunks;
}

inline const Chunk* findChunk(const std::vector<Chunk>& chunks, const std::string& type)
{
    for (const Chunk& chunk : chunks)
        if (chunk.type == type)
            return &chunk;
    return nullptr;
}

inline std::uint32_t be32(const Bytes& data, std::size_t at)
{
    return (std::uint32_t(data[at]) << 24) | (std::uint32_t(data[at + 1]) << 16) | (std::uint32_t(data[at + 2]) << 8) |
           data[at + 3];
}

} // namespace OmviRaster
