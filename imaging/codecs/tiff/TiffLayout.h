#pragma once
// What one TIFF directory holds and how the codec delivers it: the tags
// that shape the pixel data, read once, and the data model the frame
// reports for them (colour model kind, sample kind, bits per pixel, alpha).
// The frame and each of its row iterators read it from their own handles.
#include <cstdint>
#include <vector>

typedef struct tiff TIFF;

namespace Omvi
{

// The colour model kinds the TIFF frame and writer exchange.
enum TiffColorModel : std::int32_t
{
    kTiffPlain = 0,
    kTiffRgb = 1,
    kTiffPalette = 2,
    kTiffGray = 3,
    kTiffBitonal = 4
};

// How the rows of a directory are delivered: the layout of the frame's data
// model.
enum class TiffRowFormat
{
    kNone,     // no iterator reads this directory
    kBits,     // 1 bit per pixel, packed, first pixel in the high bit; a set bit is ink
    kBytes,    // one byte per pixel: grey level, palette index or plain value
    kShorts,   // one 16-bit value per pixel, native byte order
    kWords,    // one 32-bit value per pixel as stored (integer or IEEE float)
    kRgba,     // red, green, blue, alpha bytes
    kRgba64,   // red, green, blue, alpha as 16-bit values, native byte order
};

struct TiffLayout
{
    // Tags.
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t samplesPerPixel = 1;
    std::uint16_t bitsPerSample = 1;
    std::uint16_t sampleFormat = 1;
    std::uint16_t photometric = 0;
    std::uint16_t compression = 1;
    std::uint16_t planarConfig = 1;
    std::uint16_t orientation = 1;
    std::uint32_t subfileType = 0;
    std::vector<std::uint16_t> extraSamples;
    bool tiled = false;
    std::uint32_t tileWidth = 0;
    std::uint32_t tileLength = 0;
    std::uint32_t rowsPerStrip = 0;
    bool hasColorMap = false;

    // Classification.
    std::int32_t bitsPerPixel = 0;
    bool hasAlpha = false;
    std::int32_t alphaSample = -1;  // the alpha sample's position in a pixel, -1 without
    bool minIsWhite = false;
    std::int32_t colorModel = kTiffPlain;
    std::int32_t sampleKind = 1;
    std::int32_t paletteCount = 0;

    // The directory the handle is on; false when its sizes or sample layout
    // are unusable (no width or height, more than 2^31 - 2 rows or pixels per
    // row, more extra samples than samples, more samples than the colour
    // samples of its photometric interpretation, its declared extra samples
    // and one undeclared alpha sample, samples wider than 64 bits, tiles far
    // larger than the image).
    bool read(TIFF* tiff);

    // Samples that carry colour (samples per pixel minus extra samples).
    std::int32_t colorSamples() const
    {
        return samplesPerPixel - static_cast<std::int32_t>(extraSamples.size());
    }
    bool isTiled() const { return tiled; }
    // Photometric interpretations whose pixels are RGB: RGB, YCbCr, LogL,
    // LogLuv.
    bool isRgbLike() const;
    // Whether libtiff's RGBA reader has to convert the pixels (YCbCr, LogL,
    // LogLuv); RGB itself is read as stored.
    bool needsRgbaReader() const { return isRgbLike() && photometric != 2; }
    // How the rows are delivered.
    TiffRowFormat rowFormat() const;
    // The output bytes of `pixels` pixels in that format.
    std::int64_t outputBytes(std::int64_t pixels) const;
    // Bits of one stored pixel (all samples; one plane when planar).
    std::int64_t storedPixelBits() const;
};

} // namespace Omvi
