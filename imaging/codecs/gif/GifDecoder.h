#pragma once
// The GIF decoder of one open file: it walks the blocks to the first image,
// keeps that image's size and colour table, and decodes its LZW data one row
// at a time through a buffered reader. Interlaced images are decoded whole
// (rows in the four-pass order) and then handed out by row.
//
// Damaged data never reaches outside the tables: the minimum code size must
// be 2 to 11, a code past the next free slot ends the data, string chains
// are bounded by the table, a pixel past the colour table in force ends the
// data, and sub-blocks are read until a code has all its bits however short
// they are. Pixels after the end of the data (or after an end code) are
// 255, and the rows they lie in are reported as cut short.
#include "imaging/codecs/codec/BufferedFileReader.h"
#include "imaging/codecs/codec/CodecFile.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Omvi
{

// The image rows in the order an interlaced GIF stores them: every 8th row
// from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
std::vector<std::int32_t> gifInterlacedRowOrder(std::int32_t height);

class GifDecoder
{
public:
    static constexpr std::int32_t kTableSize = 4096;
    // Bytes an interlaced image may take in memory.
    static constexpr std::int64_t kInterlacedImageLimit = std::int64_t(1) << 30;

    // Opens the file and walks to the first image descriptor. A file that
    // cannot be opened, ends or reaches its trailer first, or whose image is
    // empty or has a minimum code size outside 2-11, has no image.
    explicit GifDecoder(const std::string& nativePath);
    ~GifDecoder();
    GifDecoder(const GifDecoder&) = delete;
    GifDecoder& operator=(const GifDecoder&) = delete;

    bool hasImage() const { return hasImage_; }
    // Why there is no image, in words about the file; null when there is
    // one.
    const char* noImageReason() const { return hasImage_ ? nullptr : noImageReason_; }
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    bool isInterlaced() const { return interlaced_; }
    // 2^(table size bits + 1) of the table in force; the entries of a file
    // without a table are white.
    std::int32_t colorCount() const { return colorCount_; }
    // Copies min(count, colour count) entries of red, green, blue.
    void copyPalette(std::int32_t count, std::uint8_t* rgb) const;

    // Back to the start of the image data, with a fresh table; an
    // interlaced image is decoded whole here.
    void reset();
    // Image row `row` into `out` (width bytes): the next row of a plain
    // image (rows come in order), the held row of an interlaced one. False
    // when the row was cut short by an end code, by the end of the data or
    // by a pixel past the colour table (the data ends there too).
    bool readRow(std::int32_t row, std::uint8_t* out);
    // Frees a held interlaced image.
    void releaseImage();
    // The value of the pixel past the colour table that ended the data, or
    // -1.
    std::int32_t pixelPastTable() const { return pixelPastTable_; }

private:
    void walkToImage();
    void resetTable();
    std::int32_t nextCode();
    // Decodes the next string onto the stack; false at the end of the data.
    bool decodeString();
    // Whether a pixel value names a colour of the table in force (any value
    // does without one); one that does not is kept and ends the data.
    bool withinTable(std::int32_t pixel);
    // The next row of the data into `out`; false when it was cut short.
    bool decodeRow(std::uint8_t* out);
    void decodeInterlaced();

    CodecFile file_;
    std::unique_ptr<BufferedFileReader> reader_;
    bool hasImage_ = false;
    const char* noImageReason_ = "The GIF file cannot be opened";
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    bool interlaced_ = false;
    std::int32_t colorCount_ = 0;
    bool hasTable_ = false; // a global or local table in force
    std::array<std::uint8_t, 256 * 3> palette_{};
    std::int64_t dataPosition_ = 0;  // the first sub-block of the image

    // LZW state.
    std::int32_t minimumCodeSize_ = 0;
    std::int32_t clearCode_ = 0;
    std::int32_t endCode_ = 0;
    std::int32_t codeSize_ = 0;
    std::int32_t nextSlot_ = 0;
    std::int32_t previous_ = -1;
    std::int32_t firstCharacter_ = 0;
    std::uint32_t bits_ = 0;
    std::int32_t bitCount_ = 0;
    std::int32_t blockLeft_ = 0;
    bool dataEnded_ = false;
    std::int32_t pixelPastTable_ = -1;
    std::array<std::uint16_t, kTableSize> prefix_{};
    std::array<std::uint8_t, kTableSize> suffix_{};
    std::array<std::uint8_t, kTableSize + 1> stack_{};
    std::int32_t stackTop_ = 0;

    // A decoded interlaced image: rows the data reached.
    std::vector<std::unique_ptr<std::uint8_t[]>> rows_;
    bool imageHeld_ = false;
};

} // namespace Omvi
