#pragma once
// Ancillary chunks as properties: what a reader frame finds in the chunks
// libpng has read, and how a writer frame's typed properties (compression,
// density, transparency, background) become chunk settings.
#include "imaging/codecs/png/PngCustomProperties.h"
#include "imaging/codecs/png/PngProperties.h"

#include <memory>

namespace Omvi
{

// The properties of a file's chunks in their order (transparency, gamma,
// density, background, sRGB, scale, page offset, grey significant bits,
// texts), and its histogram apart (null without hIST). Values are given as
// the reader delivers pixels (8-bit samples; bitonal bits with 1 = ink).
void readPngProperties(png_structp png, png_infop info, PngPropertySetIterator& properties,
                       std::unique_ptr<PngHistogram>& histogram);

// What the typed chunk settings need to know of the image being written.
struct PngImageLayout
{
    std::int32_t colorType = kNoColorType;
    std::int32_t bitDepth = 8;
    // Bitonal rows, whose set bits (ink) are written as PNG's 0 (black).
    bool bitonal = false;
    std::int32_t paletteCount = 0;
};

// Sets the chunk of one typed property (types 2, 3, 6, 8 of this codec's
// classes; anything else is skipped). Runs inside a libpng step.
void writeTypedPngProperty(png_structp png, png_infop info, const PngImageLayout& layout,
                           const FormatCodecPropertyInterface& property);

// The pHYs values written for a density: per metre for units 1 and 2,
// unitless values scaled by 10 until they reach 1000 otherwise, truncated
// and kept within 2^31 - 1. False when a density is not above 0.
bool pngDensityChunk(double x, double y, std::int32_t unit, png_uint_32* xOut, png_uint_32* yOut,
                     int* unitOut);

} // namespace Omvi
