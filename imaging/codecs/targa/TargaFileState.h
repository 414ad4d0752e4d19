#pragma once
// What the Targa reader learns of a file once, when it opens it: the
// header, the version-2 footer and extension area when there is one, the
// colour map, where the pixels start and how they are stored. Frames and
// row iterators share it.
#include <cstdint>
#include <memory>
#include <vector>

namespace Omvi
{

class CodecFile;

// The 5-bit channel widening of 16-bit pixels and colour maps.
extern const std::uint8_t kTargaFiveBitLevels[32];

struct TargaFileState
{
    // Reads the header and everything after it that the reader uses; a file
    // too short for a header gives a state that is not decodable.
    explicit TargaFileState(std::shared_ptr<const CodecFile> file);

    std::shared_ptr<const CodecFile> file;
    std::uint8_t header[18] = {};
    bool hasHeader = false;
    bool hasFooter = false;
    std::vector<std::uint8_t> extension;  // the 495-byte extension area, or empty
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t imageType = 0;    // as stored (1-3, 9-11 ...)
    std::int32_t storedBits = 0;   // the header's depth (15 stays 15)
    std::int32_t bytesPerPixel = 0;
    std::int32_t kind = 0;         // 1 true colour, 2 colour-mapped, 3 grey, 0 another type
    bool runLength = false;
    bool alpha = false;            // the fourth byte of 32-bit pixels is alpha
    std::int64_t pixelOffset = 0;
    std::int64_t bytesPerRow = 0;  // stored bytes of one uncompressed row
    std::int32_t orientation = 2;  // the library's code for the stored origin
    // The stored value of a pixel that names the map's first entry (the
    // header's first-entry index): pixel value v shows entry v - mapFirst.
    std::int32_t mapFirst = 0;
    // The map's entries an 8-bit pixel can name, at most 256; the palette
    // holds them from the map's first entry on.
    std::int32_t mapEntries = 0;
    std::uint8_t palette[256 * 3] = {};  // red, green, blue
    std::uint8_t paletteAlpha[256] = {};
    // Whether rows can be decoded: a known type with the depth it needs, a
    // readable colour map of a known entry size, and (uncompressed) every
    // row in the file.
    bool decodable = false;
    // Why rows cannot be decoded, in words about the file; null when they
    // can.
    const char* refusal = "The Targa file ends within its header";
};

} // namespace Omvi
