#include "imaging/codecs/tiff/TiffVariantKind.h"

#include <tiffio.h>

namespace Omvi
{
namespace
{

// The colours a photometric interpretation stands for.
std::string colourOf(std::uint16_t photometric)
{
    switch (photometric)
    {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
        return "grey";
    case PHOTOMETRIC_RGB:
        return "RGB";
    case PHOTOMETRIC_PALETTE:
        return "palette";
    case PHOTOMETRIC_MASK:
        return "transparency mask";
    case PHOTOMETRIC_SEPARATED:
        return "CMYK";
    case PHOTOMETRIC_YCBCR:
        return "YCbCr";
    case PHOTOMETRIC_CIELAB:
    case PHOTOMETRIC_ICCLAB:
    case PHOTOMETRIC_ITULAB:
        return "L*a*b*";
    case PHOTOMETRIC_LOGL:
        return "LogL";
    case PHOTOMETRIC_LOGLUV:
        return "LogLuv";
    default:
        return "photometric interpretation " + std::to_string(photometric);
    }
}

// The samples, as in "TIFF of 16 bits a sample".
std::string samplesOf(std::uint16_t bits, std::uint16_t format)
{
    const std::string count = std::to_string(bits);
    switch (format)
    {
    case SAMPLEFORMAT_UINT:
        return count + (bits == 1 ? " bit a sample" : " bits a sample");
    case SAMPLEFORMAT_INT:
        return count + "-bit signed samples";
    case SAMPLEFORMAT_IEEEFP:
        return count + "-bit floating-point samples";
    default:
        return count + "-bit samples of sample format " + std::to_string(format);
    }
}

} // namespace

std::string tiffVariantKind(TIFF* tiff, bool lzw)
{
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    uint32_t subfileType = 0;
    uint16_t bitsPerSample = 1;
    uint16_t samplesPerPixel = 1;
    uint16_t photometric = 0xFFFF;
    uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SUBFILETYPE, &subfileType);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    const bool photometricGiven = TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) == 1;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &sampleFormat);

    const bool floatSamples = bitsPerSample == 32 && sampleFormat == SAMPLEFORMAT_IEEEFP;
    const bool samplesFit =
        samplesPerPixel == 1 ? (bitsPerSample <= 16 && sampleFormat == SAMPLEFORMAT_UINT) || floatSamples
                             : bitsPerSample <= 8 && sampleFormat == SAMPLEFORMAT_UINT;
    const bool knownPhotometric = photometric <= PHOTOMETRIC_PALETTE || photometric == PHOTOMETRIC_YCBCR;
    // The words are made only for a directory that is refused: the probe
    // asks this of every directory it looks at.
    const auto colour = [&] { return colourOf(photometric); };
    const auto samples = [&] { return samplesOf(bitsPerSample, sampleFormat); };

    if (compression == COMPRESSION_OJPEG)
        return "TIFF of old-style JPEG compression";
    if (compression == COMPRESSION_LZW && !lzw)
        return "LZW-compressed TIFF";
    if (!photometricGiven)
        return "TIFF without a photometric interpretation";
    if (!knownPhotometric)
        return colour() + " TIFF" + (samplesFit ? "" : " of " + samples());
    if (!samplesFit)
        return "TIFF of " + samples() + " (" + colour() + ")";
    if (compression == COMPRESSION_LZW && (bitsPerSample == 16 || floatSamples))
        return "LZW-compressed TIFF of " + samples() + " (" + colour() + ")";
    if (subfileType != 0 && (subfileType & FILETYPE_PAGE) == 0)
        return "TIFF whose first image is a reduced-resolution copy or a transparency mask";
    return {};
}

bool tiffDirectoryReadable(TIFF* tiff, bool lzw)
{
    return tiffVariantKind(tiff, lzw).empty();
}

} // namespace Omvi
