#pragma once
// Decodes the pixels of one TIFF directory through a handle of its own and
// hands them out in the frame's row format: any row (or part of a row) in
// any order, and whole stored tiles. How the stored data is fetched is the
// decoder's source:
//   kScanlines   strips, one scanline at a time (any row, any order);
//   kStrips      strips, one whole decoded strip at a time;
//   kTiles       tiles, one band of tiles (a tile row) at a time;
//   kRgbaStrips  strips through libtiff's RGBA reader (YCbCr, LogLuv ...);
//   kRgbaTiles   tiles through libtiff's RGBA reader.
// A decoding failure throws FormatCodecException "Corrupt image file"
// (code 8); nothing of a damaged file is handed out as pixels.
#include "imaging/codecs/tiff/TiffLayout.h"
#include "imaging/codecs/tiff/reader/TiffSampleConverter.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Omvi
{

class TiffHandle;

class TiffRowDecoder
{
public:
    enum class Source
    {
        kScanlines,
        kStrips,
        kTiles,
        kRgbaStrips,
        kRgbaTiles
    };

    // Null when the directory cannot be decoded in the frame's row format
    // from that source (no such layout, buffers beyond the allocation cap,
    // libtiff's RGBA reader refusing the directory).
    static std::unique_ptr<TiffRowDecoder> create(std::unique_ptr<TiffHandle> handle, const TiffLayout& layout,
                                                  Source source);
    ~TiffRowDecoder();
    TiffRowDecoder(const TiffRowDecoder&) = delete;
    TiffRowDecoder& operator=(const TiffRowDecoder&) = delete;

    const TiffLayout& layout() const { return layout_; }
    Source source() const { return source_; }
    // Output bytes of `pixels` pixels.
    std::int64_t outputBytes(std::int64_t pixels) const { return converter_.outputBytes(pixels); }

    // Pixels [left, left + count) of image row `row` into `out`.
    void decodeRow(std::int32_t row, std::int32_t left, std::int32_t count, std::uint8_t* out);
    // The whole stored tile (tile width by tile length pixels, output layout,
    // one tile line after the other) into `out`; parts past the image's edge
    // are zero. False for a stripped directory or a tile outside the grid.
    bool decodeTile(std::uint32_t tileRow, std::uint32_t tileColumn, std::uint8_t* out);
    // The bytes of the buffers made so far for decoded strips and tiles. A
    // strip or tile without data gets none, and buffers are made once and
    // reused: the work stays in proportion to the data present.
    std::int64_t bufferBytesMade() const;

    class StoredRows;

private:
    TiffRowDecoder(std::unique_ptr<TiffHandle> handle, const TiffLayout& layout, Source source);
    bool prepare();

    std::unique_ptr<TiffHandle> handle_;
    TiffLayout layout_;
    Source source_;
    TiffSampleConverter converter_;
    std::unique_ptr<StoredRows> rows_;
};

} // namespace Omvi
