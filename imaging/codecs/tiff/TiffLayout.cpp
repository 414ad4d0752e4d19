#include "imaging/codecs/tiff/TiffLayout.h"

#include "imaging/codecs/tiff/TiffStoredEntry.h"

#include <algorithm>
#include <tiffio.h>

namespace Omvi
{
namespace
{

constexpr std::uint32_t kLargestSide = 0x7FFFFFFE;
// Tiles may overhang the image (a 256-pixel tile over a 100-pixel image),
// but a tile side beyond the image's (rounded up to whole 16-pixel blocks)
// and beyond this is no image's: buffers are sized by tiles.
constexpr std::uint32_t kLargestOverhangingTile = 2048;

bool tileSideFits(std::uint32_t tile, std::uint32_t image)
{
    const std::uint64_t rounded = (std::uint64_t{image} + 15) / 16 * 16;
    return tile <= std::max<std::uint64_t>(rounded, kLargestOverhangingTile);
}

// The sample kind (data type) of a pixel of `bits` bits.
std::int32_t sampleKindOf(std::int32_t bits)
{
    if (bits <= 1)
        return 0;
    if (bits <= 8)
        return 1;
    if (bits <= 16)
        return 2;
    if (bits <= 32)
        return 3;
    return 4;
}

// The colour samples of a pixel under the photometric interpretations the
// codec delivers; 0 for the others (whose rows are not read).
std::int32_t colourChannelsOf(std::uint16_t photometric)
{
    switch (photometric)
    {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_PALETTE:
    case PHOTOMETRIC_LOGL:
        return 1;
    case PHOTOMETRIC_RGB:
    case PHOTOMETRIC_YCBCR:
    case PHOTOMETRIC_LOGLUV:
        return 3;
    default:
        return 0;
    }
}

// Whether the directory stores no more samples a pixel than its colour
// samples and the extra samples it declares, and one more: a writer that
// leaves its alpha sample undeclared is common, and libtiff and the codec
// read that sample as alpha. libtiff turns any other undeclared sample into
// an extra sample too, so a directory of a few bytes could make every pixel
// thousands of samples wide, and each strip or tile as many times larger.
bool samplesAreDeclared(TIFF* tiff, std::uint16_t photometric, std::uint16_t samplesPerPixel)
{
    const std::int32_t colours = colourChannelsOf(photometric);
    if (colours == 0 || samplesPerPixel <= colours + 1)
        return true;
    const std::uint64_t declared = storedValueCount(tiff, TIFFTAG_EXTRASAMPLES).value_or(0);
    return samplesPerPixel <= colours + 1 + declared;
}

// A palette whose entries are all grey and step by one: entry i is (i, i, i)
// in 8-bit or in 16-bit colour-map values.
bool isGrayRamp(const std::uint16_t* red, const std::uint16_t* green, const std::uint16_t* blue, std::int32_t count)
{
    for (std::int32_t i = 0; i < count; ++i)
    {
        if (red[i] != green[i] || green[i] != blue[i])
            return false;
        if (blue[i] != i && (red[i] >> 8) != i)
            return false;
    }
    return true;
}

} // namespace

bool TiffLayout::isRgbLike() const
{
    return photometric == PHOTOMETRIC_RGB || photometric == PHOTOMETRIC_YCBCR || photometric == PHOTOMETRIC_LOGL ||
           photometric == PHOTOMETRIC_LOGLUV;
}

bool TiffLayout::read(TIFF* tiff)
{
    *this = TiffLayout();
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height))
        return false;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &sampleFormat);
    std::uint16_t extraCount = 0;
    std::uint16_t* extraKinds = nullptr;
    if (TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds) && extraKinds)
        extraSamples.assign(extraKinds, extraKinds + extraCount);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planarConfig);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SUBFILETYPE, &subfileType);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    tiled = TIFFIsTiled(tiff) != 0;
    if (tiled)
    {
        TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth);
        TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileLength);
        if (tileWidth < 1 || tileLength < 1 || !tileSideFits(tileWidth, width) || !tileSideFits(tileLength, height))
            return false;
    }
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide || samplesPerPixel < 1 ||
        bitsPerSample < 1 || bitsPerSample > 64 || colorSamples() < 1 ||
        !samplesAreDeclared(tiff, photometric, samplesPerPixel))
        return false;

    // Bits per pixel counts the colour samples only; an unassociated (or
    // unspecified) alpha sample beside three 8-bit colours makes 32.
    bitsPerPixel = colorSamples() * bitsPerSample;
    if (bitsPerPixel == 24)
        for (std::size_t i = 0; i < extraSamples.size(); ++i)
            if (extraSamples[i] == EXTRASAMPLE_UNSPECIFIED || extraSamples[i] == EXTRASAMPLE_UNASSALPHA)
            {
                hasAlpha = true;
                alphaSample = colorSamples() + static_cast<std::int32_t>(i);
                bitsPerPixel = 32;
                break;
            }

    const std::int32_t bits = bitsPerPixel;
    colorModel = kTiffPlain;
    sampleKind = sampleKindOf(bits);
    if (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK)
    {
        minIsWhite = photometric == PHOTOMETRIC_MINISWHITE;
        if (bits == 1)
            colorModel = kTiffBitonal;
        else if (bits == 2 || bits == 4 || bits == 8)
            colorModel = kTiffGray;
    }
    else if (isRgbLike())
    {
        if (bits == 24 || bits == 32)
            colorModel = kTiffRgb;
    }
    else if (photometric == PHOTOMETRIC_PALETTE && bits <= 8)
    {
        std::uint16_t* red = nullptr;
        std::uint16_t* green = nullptr;
        std::uint16_t* blue = nullptr;
        hasColorMap = TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue) && red && green && blue;
        sampleKind = 1;
        if (hasColorMap)
        {
            colorModel = kTiffPalette;
            paletteCount = 1 << bits;
            // The colour map holds 2 ^ BitsPerSample entries, at least as many
            // as the palette.
            if (isGrayRamp(red, green, blue, paletteCount))
                colorModel = kTiffGray;
        }
    }

    // A plain single sample wider than a byte may use fewer bits than it
    // occupies: MaxSampleValue tells how many.
    std::uint16_t maxSample = 0;
    if (colorModel == kTiffPlain && bits > 8 && samplesPerPixel == 1 && extraSamples.empty() &&
        TIFFGetField(tiff, TIFFTAG_MAXSAMPLEVALUE, &maxSample))
    {
        std::int32_t used = 8;
        while (used < bits && (std::int64_t{1} << used) < maxSample)
            ++used;
        bitsPerPixel = used;
    }
    return true;
}

TiffRowFormat TiffLayout::rowFormat() const
{
    switch (colorModel)
    {
    case kTiffBitonal:
        return bitsPerSample == 1 ? TiffRowFormat::kBits : TiffRowFormat::kNone;
    case kTiffGray:
    case kTiffPalette:
        return bitsPerSample <= 8 ? TiffRowFormat::kBytes : TiffRowFormat::kNone;
    case kTiffRgb:
        if (needsRgbaReader())
            return TiffRowFormat::kRgba;
        return bitsPerSample == 8 && colorSamples() >= 3 ? TiffRowFormat::kRgba : TiffRowFormat::kNone;
    default:
        break;
    }
    // Plain models: the stored values as they are.
    const bool oneColour = photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK ||
                           photometric == PHOTOMETRIC_PALETTE;
    if (oneColour && colorSamples() == 1)
    {
        if (bitsPerSample <= 8)
            return TiffRowFormat::kBytes;
        if (bitsPerSample <= 16)
            return TiffRowFormat::kShorts;
        if (bitsPerSample <= 32)
            return TiffRowFormat::kWords;
        return TiffRowFormat::kNone;
    }
    if (photometric == PHOTOMETRIC_RGB && bitsPerSample == 16 && colorSamples() == 3)
        return TiffRowFormat::kRgba64;
    return TiffRowFormat::kNone;
}

std::int64_t TiffLayout::outputBytes(std::int64_t pixels) const
{
    switch (rowFormat())
    {
    case TiffRowFormat::kBits:
        return (pixels + 7) / 8;
    case TiffRowFormat::kBytes:
        return pixels;
    case TiffRowFormat::kShorts:
        return pixels * 2;
    case TiffRowFormat::kWords:
    case TiffRowFormat::kRgba:
        return pixels * 4;
    case TiffRowFormat::kRgba64:
        return pixels * 8;
    case TiffRowFormat::kNone:
        break;
    }
    return 0;
}

std::int64_t TiffLayout::storedPixelBits() const
{
    if (planarConfig == PLANARCONFIG_SEPARATE)
        return bitsPerSample;
    return std::int64_t{samplesPerPixel} * bitsPerSample;
}

} // namespace Omvi
