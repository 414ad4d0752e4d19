#pragma once
// Shared pieces of the TIFF codec's tests: a generator that writes TIFF
// layouts through libtiff (for variants no independent tool writes; the
// tests check what it writes with independent readers), a reader of the
// netpbm files the independent decoders print, and the codec's decoding of
// a frame turned into what a viewer shows (RGB triples).
#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/tests/SharedTestSupport.h"
#include "imaging/codecs/tiff/TiffFormatCodec.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <functional>
#include <tiffio.h>
#include <vector>
#include <xtiffio.h>

namespace OmviTest::Tiff
{

using Bytes = std::vector<std::uint8_t>;

using OmviTest::quoted;

// The standard output of a shell command; nothing when it fails.
inline std::optional<std::string> capture(const std::string& command)
{
    int status = -1;
    const std::vector<std::uint8_t> out = captureOutput(command + " 2>/dev/null", &status);
    if (status != 0)
        return std::nullopt;
    return std::string(out.begin(), out.end());
}

// A netpbm image (P4 bits, P5 grey, P6 colour) as samples, one or three a
// pixel; bits come out as 0 (white) and 1 (black) with maxval 1.
struct Pnm
{
    int width = 0;
    int height = 0;
    int maxval = 0;
    int channels = 0;
    std::vector<std::uint16_t> samples;
};

inline std::optional<Pnm> parsePnm(const std::string& bytes)
{
    if (bytes.size() < 3 || bytes[0] != 'P')
        return std::nullopt;
    const char kind = bytes[1];
    std::size_t at = 2;
    auto number = [&]() -> long {
        while (at < bytes.size())
        {
            if (bytes[at] == '#')
                while (at < bytes.size() && bytes[at] != '\n')
                    ++at;
            else if (std::isspace(static_cast<unsigned char>(bytes[at])))
                ++at;
            else
                break;
        }
        long value = 0;
        bool any = false;
        while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at])))
        {
            value = value * 10 + (bytes[at++] - '0');
            any = true;
        }
        return any ? value : -1;
    };
    Pnm pnm;
    pnm.width = static_cast<int>(number());
    pnm.height = static_cast<int>(number());
    if (pnm.width < 1 || pnm.height < 1)
        return std::nullopt;
    pnm.maxval = kind == '4' ? 1 : static_cast<int>(number());
    pnm.channels = kind == '6' ? 3 : 1;
    if (pnm.maxval < 1 || (kind != '4' && kind != '5' && kind != '6'))
        return std::nullopt;
    ++at;  // the single white space after the header
    const std::size_t count = static_cast<std::size_t>(pnm.width) * pnm.height * pnm.channels;
    pnm.samples.resize(count);
    if (kind == '4')
    {
        const std::size_t rowBytes = (static_cast<std::size_t>(pnm.width) + 7) / 8;
        if (bytes.size() < at + rowBytes * pnm.height)
            return std::nullopt;
        for (int y = 0; y < pnm.height; ++y)
            for (int x = 0; x < pnm.width; ++x)
                pnm.samples[static_cast<std::size_t>(y) * pnm.width + x] =
                    (static_cast<std::uint8_t>(bytes[at + y * rowBytes + x / 8]) >> (7 - x % 8)) & 1;
        return pnm;
    }
    const std::size_t sampleBytes = pnm.maxval > 255 ? 2 : 1;
    if (bytes.size() < at + count * sampleBytes)
        return std::nullopt;
    for (std::size_t i = 0; i < count; ++i)
        pnm.samples[i] = sampleBytes == 2 ? static_cast<std::uint16_t>(
                                                (static_cast<std::uint8_t>(bytes[at + 2 * i]) << 8) |
                                                static_cast<std::uint8_t>(bytes[at + 2 * i + 1]))
                                          : static_cast<std::uint8_t>(bytes[at + i]);
    return pnm;
}

// What a viewer shows of a netpbm image: RGB triples of 8 bits.
inline Bytes rgbOf(const Pnm& pnm)
{
    Bytes rgb;
    rgb.reserve(static_cast<std::size_t>(pnm.width) * pnm.height * 3);
    for (int i = 0; i < pnm.width * pnm.height; ++i)
        for (int c = 0; c < 3; ++c)
        {
            std::uint32_t value = pnm.samples[static_cast<std::size_t>(i) * pnm.channels + (pnm.channels == 3 ? c : 0)];
            if (pnm.maxval == 1)
                value = value ? 0 : 255;  // PBM: 1 is black
            else
                value = (value * 255 + pnm.maxval / 2) / pnm.maxval;
            rgb.push_back(static_cast<std::uint8_t>(value));
        }
    return rgb;
}

// One frame as the codec decodes it.
struct Decoded
{
    int colorModel = -1;
    int sampleKind = -1;
    int bitsPerPixel = 0;
    int width = 0;
    int height = 0;
    int orientation = 0;
    int bytesPerRow = 0;
    std::vector<std::array<std::uint8_t, 3>> palette;
    std::vector<Bytes> rows;
};

inline Omvi::FileSpecifier specifierOf(const std::string& path)
{
    return Omvi::FileSpecifier(Omvi::AsciiStringBuffer(path), Omvi::FileSpecifier::kFile);
}

// Frame `index` read through the codec's reader and a row iterator; nothing
// when a step refuses. Codec exceptions pass through.
inline std::optional<Decoded> decode(const Omvi::TiffFormatCodec& codec, const std::string& path, int index = 0)
{
    std::unique_ptr<Omvi::ReadImageFileInterface> reader(codec.openForRead(specifierOf(path)));
    if (!reader)
        return std::nullopt;
    std::unique_ptr<Omvi::ReadImageFileFrameInterface> frame(reader->openFrame(index));
    if (!frame)
        return std::nullopt;
    Decoded decoded;
    frame->getSize(&decoded.height, &decoded.width);
    decoded.colorModel = frame->dataModelKind();
    decoded.sampleKind = frame->sampleKind();
    decoded.bitsPerPixel = frame->bitsPerPixel();
    decoded.orientation = frame->getOrientation();
    decoded.palette.resize(static_cast<std::size_t>(frame->paletteCount()));
    if (!decoded.palette.empty())
        frame->getPalette(frame->paletteCount(), decoded.palette.front().data());
    std::unique_ptr<Omvi::RowIteratorInterface> rows(frame->newRowIterator());
    if (!rows)
        return std::nullopt;
    decoded.bytesPerRow = rows->bytesPerRow();
    Omvi::DataBuffer row(decoded.bytesPerRow);
    rows->start();
    for (int y = 0; y < rows->rowCount(); ++y)
    {
        rows->getRow(row);
        decoded.rows.emplace_back(row.data(), row.data() + decoded.bytesPerRow);
        rows->next();
    }
    rows->finish();
    return decoded;
}

// decode, with a codec exception turned into a test failure that names its
// message.
inline std::optional<Decoded> decodeChecked(const Omvi::TiffFormatCodec& codec, const std::string& path, int index = 0)
{
    try
    {
        return decode(codec, path, index);
    }
    catch (Omvi::OMVIException* error)
    {
        ADD_FAILURE() << path << ": " << error->getMessage().text() << " (" << error->code() << ")";
        delete error;
        return std::nullopt;
    }
}

// What a viewer shows of a decoded frame: RGB triples (bitonal ink black,
// grey levels, palette colours, RGB without its alpha).
inline Bytes rgbOf(const Decoded& decoded)
{
    Bytes rgb;
    for (const Bytes& row : decoded.rows)
        for (int x = 0; x < decoded.width; ++x)
        {
            std::array<std::uint8_t, 3> pixel{};
            switch (decoded.colorModel)
            {
            case 4: {
                const bool ink = (row[static_cast<std::size_t>(x / 8)] >> (7 - x % 8)) & 1;
                pixel.fill(ink ? 0 : 255);
                break;
            }
            case 2:
                pixel = decoded.palette.at(row[static_cast<std::size_t>(x)]);
                break;
            case 3:
                pixel.fill(row[static_cast<std::size_t>(x)]);
                break;
            case 1:
                pixel = {row[static_cast<std::size_t>(x) * 4], row[static_cast<std::size_t>(x) * 4 + 1],
                         row[static_cast<std::size_t>(x) * 4 + 2]};
                break;
            default:
                break;
            }
            rgb.insert(rgb.end(), pixel.begin(), pixel.end());
        }
    return rgb;
}

// Peak signal-to-noise ratio of two equally long sample sequences (dB;
// infinity when equal).
inline double psnr(const Bytes& a, const Bytes& b)
{
    if (a.size() != b.size() || a.empty())
        return 0.0;
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        const double d = static_cast<double>(a[i]) - b[i];
        sum += d * d;
    }
    if (sum == 0.0)
        return INFINITY;
    return 10.0 * std::log10(255.0 * 255.0 / (sum / static_cast<double>(a.size())));
}

// The layout of one directory the generator writes.
struct TiffSpec
{
    std::uint32_t width = 16;
    std::uint32_t height = 16;
    std::uint16_t bitsPerSample = 8;
    std::uint16_t samplesPerPixel = 1;
    std::uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    std::uint16_t fillOrder = FILLORDER_MSB2LSB;
    std::uint16_t orientation = 0;  // 0: no tag
    std::uint16_t sampleFormat = 0;  // 0: no tag
    std::uint16_t predictor = 0;
    std::uint32_t subfileType = 0;
    std::uint32_t rowsPerStrip = 0;  // 0: libtiff's default
    std::uint32_t tileWidth = 0;     // 0: strips
    std::uint32_t tileLength = 0;
    std::vector<std::uint16_t> extraSamples;
    std::vector<std::uint16_t> red, green, blue;  // a colour map
    int maxSampleValue = -1;
    // Further tags set before the pixels are written (GeoTIFF tags, private
    // tags ...).
    std::function<void(TIFF*)> tags;
};

// Bytes of one stored row of one plane.
inline std::size_t planeRowBytes(const TiffSpec& spec)
{
    const std::size_t samples = spec.planar == PLANARCONFIG_SEPARATE ? 1 : spec.samplesPerPixel;
    return (static_cast<std::size_t>(spec.width) * samples * spec.bitsPerSample + 7) / 8;
}

// Writes the directories; `pixels[d]` holds directory d's stored rows, one
// plane after the other for separate planes. False when libtiff refused.
inline bool writeTiff(const std::string& path, const std::vector<TiffSpec>& specs, const std::vector<Bytes>& pixels,
                      const char* mode = "w")
{
    // libtiff's complaints (a layout it refuses) come back as a failure, not
    // as text on the console.
    XTIFFInitialize();  // the GeoTIFF tags
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    auto quiet = [](TIFF*, void*, const char*, const char*, va_list) { return 1; };
    TIFFOpenOptionsSetErrorHandlerExtR(options, quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, quiet, nullptr);
    TIFF* tiff = TIFFOpenExt(path.c_str(), mode, options);
    TIFFOpenOptionsFree(options);
    if (!tiff)
        return false;
    bool ok = true;
    for (std::size_t d = 0; d < specs.size() && ok; ++d)
    {
        const TiffSpec& s = specs[d];
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, s.width);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, s.height);
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, s.bitsPerSample);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, s.samplesPerPixel);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, s.photometric);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, s.compression);
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, s.planar);
        TIFFSetField(tiff, TIFFTAG_FILLORDER, s.fillOrder);
        if (s.orientation)
            TIFFSetField(tiff, TIFFTAG_ORIENTATION, s.orientation);
        if (s.sampleFormat)
            TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, s.sampleFormat);
        if (s.predictor)
            TIFFSetField(tiff, TIFFTAG_PREDICTOR, s.predictor);
        if (s.subfileType)
            TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, s.subfileType);
        if (!s.extraSamples.empty())
            TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, static_cast<int>(s.extraSamples.size()), s.extraSamples.data());
        if (!s.red.empty())
            TIFFSetField(tiff, TIFFTAG_COLORMAP, s.red.data(), s.green.data(), s.blue.data());
        if (s.maxSampleValue >= 0)
            TIFFSetField(tiff, TIFFTAG_MAXSAMPLEVALUE, static_cast<unsigned>(s.maxSampleValue));
        if (s.tags)
            s.tags(tiff);
        const std::size_t rowBytes = planeRowBytes(s);
        const std::uint16_t planes = s.planar == PLANARCONFIG_SEPARATE ? s.samplesPerPixel : 1;
        const Bytes& data = pixels[d];
        if (data.size() < rowBytes * s.height * planes)
            ok = false;
        else if (s.tileWidth)
        {
            TIFFSetField(tiff, TIFFTAG_TILEWIDTH, s.tileWidth);
            TIFFSetField(tiff, TIFFTAG_TILELENGTH, s.tileLength);
            const std::size_t samples = s.planar == PLANARCONFIG_SEPARATE ? 1 : s.samplesPerPixel;
            const std::size_t pixelBits = samples * s.bitsPerSample;
            const std::size_t tileRow = (s.tileWidth * pixelBits + 7) / 8;
            Bytes tile(tileRow * s.tileLength);
            for (std::uint16_t p = 0; p < planes && ok; ++p)
                for (std::uint32_t y0 = 0; y0 < s.height && ok; y0 += s.tileLength)
                    for (std::uint32_t x0 = 0; x0 < s.width && ok; x0 += s.tileWidth)
                    {
                        std::fill(tile.begin(), tile.end(), 0);
                        for (std::uint32_t y = 0; y < s.tileLength && y0 + y < s.height; ++y)
                            for (std::uint32_t x = 0; x < s.tileWidth && x0 + x < s.width; ++x)
                                for (std::size_t bit = 0; bit < pixelBits; ++bit)
                                {
                                    const std::size_t from = ((x0 + x) * pixelBits + bit);
                                    const std::uint8_t* source = data.data() + (p * s.height + y0 + y) * rowBytes;
                                    if ((source[from / 8] >> (7 - from % 8)) & 1)
                                    {
                                        const std::size_t to = x * pixelBits + bit;
                                        tile[y * tileRow + to / 8] |= static_cast<std::uint8_t>(0x80 >> (to % 8));
                                    }
                                }
                        ok = TIFFWriteEncodedTile(tiff, TIFFComputeTile(tiff, x0, y0, 0, p), tile.data(),
                                                  static_cast<tmsize_t>(tile.size())) >= 0;
                    }
        }
        else
        {
            if (s.rowsPerStrip)
                TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, s.rowsPerStrip);
            for (std::uint16_t p = 0; p < planes && ok; ++p)
                for (std::uint32_t y = 0; y < s.height && ok; ++y)
                {
                    Bytes row(data.begin() + static_cast<std::ptrdiff_t>((p * s.height + y) * rowBytes),
                              data.begin() + static_cast<std::ptrdiff_t>((p * s.height + y + 1) * rowBytes));
                    ok = TIFFWriteScanline(tiff, row.data(), y, p) >= 0;
                }
        }
        ok = ok && TIFFWriteDirectory(tiff);
    }
    TIFFClose(tiff);
    return ok;
}

// A reproducible pattern of `count` bytes.
inline Bytes pattern(std::size_t count, std::uint32_t seed = 1)
{
    Bytes bytes(count);
    std::uint32_t state = seed * 2654435761u + 12345u;
    for (std::size_t i = 0; i < count; ++i)
    {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<std::uint8_t>((state >> 16) ^ (i * 7));
    }
    return bytes;
}

} // namespace OmviTest::Tiff
