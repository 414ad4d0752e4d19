#pragma once
// The row iterators of the BMP reader: a region of the image, row by row in
// any order, converted to the library's layouts: 1-bit rows packed with a
// set bit black, 8-bit palette indices (also for 1-bit files of two
// colours other than black and white) or grey levels, and 32-bit pixels
// red, green, blue, 255 for the 16-, 24- and 32-bit files. A 4- or 8-bit
// pixel that names a colour past the file's table makes the row corrupt.
// Each depth is one subclass of BmpRowIteratorUC.
#include "imaging/DataBuffer.h"
#include "imaging/codecs/bmp/BmpLayout.h"
#include "imaging/codecs/codec/SubRegionRowIterator.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Omvi
{

class CodecFile;

class BmpRowIteratorUC : public SubRegionRowIterator
{
public:
    ~BmpRowIteratorUC() override;

    // The bytes of one delivered row of the region (what getRow writes).
    std::int32_t bytesPerRow() const override;
    // Reads and converts the current row; past the region's last row the
    // buffer is cleared. Throws ImageFilterException code 6 for a buffer
    // shorter than bytesPerRow and FormatCodecException "Corrupt image
    // file" (8) when the row cannot be read.
    void getRow(DataBuffer& row) override;
    bool next() override;
    void start() override;
    void finish() override {}

protected:
    BmpRowIteratorUC(std::shared_ptr<const CodecFile> file, const BmpLayout& layout);

    const BmpLayout& layout() const { return layout_; }
    // Bytes a delivered pixel takes (0 for packed bits).
    virtual std::int32_t deliveredPixelBytes() const = 0;
    // `stored` holds the file bytes from the byte of column `left` on;
    // writes the `count` delivered pixels to `out`.
    virtual void convert(const std::uint8_t* stored, std::int32_t left, std::int32_t count,
                         std::uint8_t* out) const = 0;

private:
    std::shared_ptr<const CodecFile> file_;
    BmpLayout layout_;
    std::int32_t currentRow_ = 0;
    std::vector<std::uint8_t> stored_;
};

class BmpRowIterator_1_1 : public BmpRowIteratorUC
{
public:
    BmpRowIterator_1_1(std::shared_ptr<const CodecFile> file, const BmpLayout& layout);

protected:
    std::int32_t deliveredPixelBytes() const override { return 0; }
    void convert(const std::uint8_t* stored, std::int32_t left, std::int32_t count,
                 std::uint8_t* out) const override;
};

// 1-bit pixels of a two-colour palette other than black and white: one
// index byte, 0 or 1, a pixel.
class BmpRowIterator_1_8 : public BmpRowIteratorUC
{
public:
    BmpRowIterator_1_8(std::shared_ptr<const CodecFile> file, const BmpLayout& layout);

protected:
    std::int32_t deliveredPixelBytes() const override { return 1; }
    void convert(const std::uint8_t* stored, std::int32_t left, std::int32_t count,
                 std::uint8_t* out) const override;
};

class BmpRowIterator_4_8 : public BmpRowIteratorUC
{
public:
    BmpRowIterator_4_8(std::shared_ptr<const CodecFile> file, const BmpLayout& layout);

protected:
    std::int32_t deliveredPixelBytes() const override { return 1; }
    void convert(const std::uint8_t* stored, std::int32_t left, std::int32_t count,
                 std::uint8_t* out) const override;
};

class BmpRowIterator_8_8 : public BmpRowIteratorUC
{
public:
    BmpRowIterator_8_8(std::shared_ptr<const CodecFile> file, const BmpLayout& layout);

protected:
    std::int32_t deliveredPixelBytes() const override { return 1; }
    void convert(const std::uint8_t* stored, std::int32_t left, std::int32_t count,
                 std::uint8_t* out) const override;
};

// 16-bit pixels under three masks (5-5-5 when the file gives none), each
// channel widened to 0-255 by repeating its bits.
class BmpRowIterator_bf16_32 : public BmpRowIteratorUC
{
public:
    BmpRowIterator_bf16_32(std::shared_ptr<const CodecFile> file, const BmpLayout& layout);

protected:
    std::int32_t deliveredPixelBytes() const override { return 4; }
    void convert(const std::uint8_t* stored, std::int32_t left, std::int32_t count,
                 std::uint8_t* out) const override;

private:
    // Per channel: the mask, its shift (trailing zero bits) and the bits it
    // holds (0 for an empty mask, which reads as 0).
    std::uint32_t mask_[3];
    int shift_[3];
    int width_[3];
};

class BmpRowIterator_24_32 : public BmpRowIteratorUC
{
public:
    BmpRowIterator_24_32(std::shared_ptr<const CodecFile> file, const BmpLayout& layout);

protected:
    std::int32_t deliveredPixelBytes() const override { return 4; }
    void convert(const std::uint8_t* stored, std::int32_t left, std::int32_t count,
                 std::uint8_t* out) const override;
};

class BmpRowIterator_32_32 : public BmpRowIteratorUC
{
public:
    BmpRowIterator_32_32(std::shared_ptr<const CodecFile> file, const BmpLayout& layout);

protected:
    std::int32_t deliveredPixelBytes() const override { return 4; }
    void convert(const std::uint8_t* stored, std::int32_t left, std::int32_t count,
                 std::uint8_t* out) const override;
};

} // namespace Omvi
