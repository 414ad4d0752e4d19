#pragma once
// The row iterators of TIFF directories. Each opens its own libtiff handle
// on the frame's directory (so iterators never share libtiff state with the
// frame or with each other) and delivers the rows in the frame's layout:
// packed ink bits, bytes (grey levels or indices), 16- or 32-bit values, or
// RGBA (see TiffLayout). Every iterator also delivers a sub-region of the
// image (corners clamped into it); start() goes to the region's top row.
//
// The frame picks the class by sample kind, tiling and compression; the
// classes differ in how they fetch the stored data (scanlines, whole
// strips, bands of tiles, or libtiff's RGBA reader for YCbCr and the like).
// A decoding failure throws FormatCodecException "Corrupt image file"
// (code 8); reading past the region's last row delivers nothing.
#include "imaging/codecs/codec/SubRegionRowIterator.h"
#include "imaging/codecs/tiff/TiffDirectory.h"
#include "imaging/codecs/tiff/reader/TiffRowDecoder.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class FileSpecifier;

class TiffRowIterator : public SubRegionRowIterator
{
public:
    ~TiffRowIterator() override;

    // Whether the iterator could open its directory; a frame hands out only
    // iterators that could.
    bool isOpen() const { return decoder_ != nullptr; }

    // The output bytes of a row of the region (1-bit rows: whole bytes).
    std::int32_t bytesPerRow() const override;
    // The current row of the region into `row`; a buffer shorter than
    // bytesPerRow throws FormatCodecException "Invalid parameter" (code 6).
    void getRow(DataBuffer& row) override;
    // Moves to the next row; false once past the region's last row.
    bool next() override;
    void start() override;
    void finish() override;

    // The row getRow delivers next (image coordinates).
    std::int32_t currentRow() const { return top() + current_; }

protected:
    TiffRowIterator(const FileSpecifier& file, const TiffDirectory& directory, std::int32_t height, std::int32_t width,
                    TiffRowDecoder::Source source);

private:
    std::unique_ptr<TiffRowDecoder> decoder_;
    std::int32_t current_ = 0;  // rows past the region's top
};

// Uncompressed strips (and any other strips where rows are wanted in any
// order): one scanline per row. Also the plain 16-bit, 32-bit and 64-bit
// layouts.
class TiffRowIteratorUC : public TiffRowIterator
{
public:
    TiffRowIteratorUC(const FileSpecifier& file, const TiffDirectory& directory, std::int32_t height,
                      std::int32_t width);
};

// Tiled directories: one band of tiles (a tile row) at a time, only the
// tile columns the region covers.
class TiffTileRowIterator : public TiffRowIterator
{
public:
    TiffTileRowIterator(const FileSpecifier& file, const TiffDirectory& directory, std::int32_t height,
                        std::int32_t width);
};

// 1-bit strips, a whole decoded strip at a time.
class TiffRowIterator1Bit : public TiffRowIterator
{
public:
    TiffRowIterator1Bit(const FileSpecifier& file, const TiffDirectory& directory, std::int32_t height,
                        std::int32_t width);
};

class TiffRowIteratorUC1Bit : public TiffRowIteratorUC
{
public:
    using TiffRowIteratorUC::TiffRowIteratorUC;
};

class TiffTileRowIterator1Bit : public TiffTileRowIterator
{
public:
    using TiffTileRowIterator::TiffTileRowIterator;
};

// 2- and 4-bit samples expanded to one byte a pixel (grey levels spread
// over 0-255, palette indices as they are).
class TiffRowIterator_2n4_8Bit : public TiffRowIteratorUC
{
public:
    TiffRowIterator_2n4_8Bit(const FileSpecifier& file, const TiffDirectory& directory, std::int32_t height,
                             std::int32_t width, std::int32_t bitsPerPixel);
    std::int32_t bitsPerPixel() const { return bitsPerPixel_; }

private:
    std::int32_t bitsPerPixel_;
};

class TiffTileRowIterator_2n4_8Bit : public TiffTileRowIterator
{
public:
    TiffTileRowIterator_2n4_8Bit(const FileSpecifier& file, const TiffDirectory& directory, std::int32_t height,
                                 std::int32_t width, std::int32_t bitsPerPixel);
    std::int32_t bitsPerPixel() const { return bitsPerPixel_; }

private:
    std::int32_t bitsPerPixel_;
};

// 8-bit samples (and the other layouts of one byte a pixel).
class TiffRowIterator_8_8Bit : public TiffRowIteratorUC
{
public:
    using TiffRowIteratorUC::TiffRowIteratorUC;
};

// 8-bit PackBits strips, a whole decoded strip at a time.
class TiffEncodedRowIterator_8_8Bit : public TiffRowIterator
{
public:
    TiffEncodedRowIterator_8_8Bit(const FileSpecifier& file, const TiffDirectory& directory, std::int32_t height,
                                  std::int32_t width);
};

class TiffRowIteratorUC8Bit : public TiffRowIteratorUC
{
public:
    using TiffRowIteratorUC::TiffRowIteratorUC;
};

class TiffTileRowIterator_8_8Bit : public TiffTileRowIterator
{
public:
    using TiffTileRowIterator::TiffTileRowIterator;
};

// 9- to 16-bit single samples, from strips of any compression.
class TiffRowIteratorUC16Bit : public TiffRowIteratorUC
{
public:
    using TiffRowIteratorUC::TiffRowIteratorUC;
};

// 32-bit IEEE floating-point samples, as stored.
class TiffRowIteratorUC32BitFloat : public TiffRowIteratorUC
{
public:
    using TiffRowIteratorUC::TiffRowIteratorUC;
};

// RGB strips: red, green, blue and alpha (or 255) per pixel.
class TiffRowIterator32Bit : public TiffRowIteratorUC
{
public:
    using TiffRowIteratorUC::TiffRowIteratorUC;
};

class TiffRowIteratorUC32Bit : public TiffRowIteratorUC
{
public:
    using TiffRowIteratorUC::TiffRowIteratorUC;
};

class TiffTileRowIterator32Bit : public TiffTileRowIterator
{
public:
    using TiffTileRowIterator::TiffTileRowIterator;
};

// YCbCr (JPEG among them), LogL and LogLuv strips through libtiff's RGBA
// reader, a strip at a time (the last strip holds only the rows left).
class TiffEncodedRowIterator32Bit : public TiffRowIterator
{
public:
    TiffEncodedRowIterator32Bit(const FileSpecifier& file, const TiffDirectory& directory, std::int32_t height,
                                std::int32_t width);
};

// The same for tiled directories, a band of tiles at a time.
class TiffEncodedTileRowIterator32Bit : public TiffRowIterator
{
public:
    TiffEncodedTileRowIterator32Bit(const FileSpecifier& file, const TiffDirectory& directory, std::int32_t height,
                                    std::int32_t width);
};

} // namespace Omvi
