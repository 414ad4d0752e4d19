#pragma once
// The picture decoder: it reads the whole picture file, walks its opcodes
// once to record the raster operations (bitmaps and pixel maps; vector
// opcodes are stepped over), and renders them on demand into a canvas of
// 16 bits per channel through the transfer modes. A picture whose opcodes
// or pixel data reach past the end of the file, whose opcodes stop without
// the end-of-picture opcode, that copies a source into a destination of
// another size, or whose canvas would exceed the size limit is unusable: it
// keeps its size but gives no rows.
#include "imaging/codecs/pict/PictRaster.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Omvi
{

class PictPicture
{
public:
    // Pictures above this many pixels are refused: the size a texture may
    // have. The canvas takes six bytes a pixel, so 384 MiB at the most.
    static constexpr std::int64_t kMaxCanvasPixels = std::int64_t{1} << 26;
    // Files above this size are refused.
    static constexpr std::int64_t kMaxFileBytes = std::int64_t{512} << 20;
    // Where the picture begins: a 512-byte preamble comes first.
    static constexpr std::size_t kPreambleBytes = 512;

    // Reads and walks the file at `nativePath`.
    explicit PictPicture(const std::string& nativePath);
    // Walks a picture held in memory (the whole file, preamble included).
    explicit PictPicture(std::vector<std::uint8_t> bytes);

    bool usable() const { return usable_; }
    // Why a picture of a size is not drawn, in words about the file; null
    // for a usable picture and one refused for another reason.
    const char* sizeRefusal() const { return sizeRefusal_; }
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    // 8 (palette indices) or 24 (red, green, blue).
    std::int32_t outputBits() const { return outputBits_; }
    std::int32_t paletteCount() const { return static_cast<std::int32_t>(palette_.size() / 3); }
    // Red, green, blue per entry (8-bit output only).
    const std::vector<std::uint8_t>& palette() const { return palette_; }
    std::size_t recordCount() const { return records_.size(); }
    // The first picture version opcode seen: 1 or 2 (0 before the walk).
    std::int32_t version() const { return version_; }

    // Bytes of one delivered row: width for 8-bit output, 4 x width for
    // 24-bit output (red, green, blue, 255).
    std::int32_t bytesPerRow() const { return outputBits_ == 8 ? width_ : 4 * width_; }
    // Renders the recorded operations the first time it is called. Throws
    // FormatCodecException "Corrupt image file" (8) for an unusable picture.
    void render();
    // Writes row `row` (0 to height - 1) of the rendered picture.
    void copyRow(std::int32_t row, std::uint8_t* out) const;

private:
    void walk();
    void readOpcode(PictCursor& cursor, std::uint32_t opcode);
    void readBits(PictCursor& cursor, bool withRegion);
    void readDirectBits(PictCursor& cursor);
    void readPixelPattern(PictCursor& cursor);
    void readPixMap(PictCursor& cursor, PictRasterRecord& record) const;
    void readColorTable(PictCursor& cursor, PictRasterRecord& record) const;
    // Checks every stored row of the record and steps over them, settling
    // the width of the packed rows' length prefixes.
    void stepOverRows(PictCursor& cursor, PictRasterRecord& record) const;
    void addRecord(PictRasterRecord record);
    void settleOutput();
    void renderRecord(const PictRasterRecord& record);

    std::vector<std::uint8_t> bytes_;
    PictRect frame_;
    std::int32_t version_ = 0;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    bool usable_ = false;
    const char* sizeRefusal_ = nullptr;
    std::int32_t outputBits_ = 24;
    std::vector<std::uint8_t> palette_;
    std::vector<PictRasterRecord> records_;
    // The picture's colours as the opcodes set them.
    PictColor foreground_{0, 0, 0};
    PictColor background_{0xFFFF, 0xFFFF, 0xFFFF};
    PictColor opColor_{0, 0, 0};
    bool rendered_ = false;
    std::vector<std::uint16_t> canvas_; // red, green, blue per pixel (24-bit output)
    std::vector<std::uint8_t> indices_; // palette indices (8-bit output)
};

} // namespace Omvi
