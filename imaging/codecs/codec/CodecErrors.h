#pragma once
// The codes and texts with which readers and writers raise
// FormatCodecException (always thrown as a pointer made with new, as every
// exception of the imaging library is).
#include "imaging/OMVIException.h"

#include <cstdint>
#include <string>

namespace Omvi
{

enum FormatCodecError : std::int32_t
{
    kCodecNullParameter = 0,                // "NULL parameter", "Invalid Frame Attributes"
    kCodecRequiredPropertiesNotSet = 1,     // "Required Properties Not Set"
    kCodecInvalidRowIteratorSize = 2,       // "Invalid RowIterator dimensions"
    kCodecRowIteratorMismatch = 3,          // "RowIterator-Set Parameters mismatch"
    kCodecParametersMismatch = 4,           // "Parameters Set mismatch"
    kCodecMultipleFrames = 5,               // "<format> does not support multiple frames"
    kCodecInvalidColorModel = 6,            // "Invalid Color Model", "Invalid parameter"
    kCodecInvalidBitsPerPixel = 7,          // "Invalid bits used per pixel", "Invalid Bits Per Pixel"
    kCodecCorruptImage = 8,                 // "Corrupt image file"
    kCodecInvalidSize = 9                   // a size the writer cannot store, or the reader cannot decode
};

[[noreturn]] inline void throwFormatCodecException(const char* message, std::int32_t code)
{
    throw new FormatCodecException(message, code);
}

// "Corrupt image file" (code 8), with the decoder's words on what it found
// wrong when it gave any (`reason` may be null or empty).
[[noreturn]] inline void throwCorruptImage(const char* reason)
{
    throw new FormatCodecException("Corrupt image file", kCodecCorruptImage, reason != nullptr ? reason : "");
}

// "Corrupt image file" (8) for a pixel of a `format` file that names colour
// `value` of a colour table of `entries` colours: a colour the file never
// gives is not made up.
[[noreturn]] inline void throwPixelPastPalette(const char* format, std::int32_t value,
                                               std::int32_t entries)
{
    const std::string reason = std::string("A pixel of the ") + format + " file names colour " +
                               std::to_string(value) + ", past its colour table of " +
                               std::to_string(entries) + (entries == 1 ? " colour" : " colours");
    throwCorruptImage(reason.c_str());
}

} // namespace Omvi
