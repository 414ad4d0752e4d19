#include "imaging/codecs/tiff/reader/TiffRowDecoder.h"

#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/tiff/TiffHandle.h"

#include <algorithm>
#include <cstring>
#include <tiffio.h>

namespace Omvi
{
namespace
{

[[noreturn]] void corrupt()
{
    throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
}

bool withinCap(std::int64_t bytes)
{
    return bytes > 0 && bytes <= TiffHandle::kMaxSingleAllocation;
}

// The stored rows of the separate planes of a pixel-interleaved row: planes
// of whole bytes per sample are interleaved into one row.
void interleave(const std::vector<std::vector<std::uint8_t>>& planes, std::int64_t pixels, std::int32_t sampleBytes,
                std::uint8_t* stored)
{
    const auto count = static_cast<std::int64_t>(planes.size());
    for (std::int64_t i = 0; i < pixels; ++i)
        for (std::int64_t s = 0; s < count; ++s)
            std::memcpy(stored + (i * count + s) * sampleBytes, planes[static_cast<std::size_t>(s)].data() + i * sampleBytes,
                        static_cast<std::size_t>(sampleBytes));
}

void interleave(const std::vector<const std::uint8_t*>& planes, std::int64_t pixels, std::int32_t sampleBytes,
                std::uint8_t* stored)
{
    const auto count = static_cast<std::int64_t>(planes.size());
    for (std::int64_t i = 0; i < pixels; ++i)
        for (std::int64_t s = 0; s < count; ++s)
            std::memcpy(stored + (i * count + s) * sampleBytes, planes[static_cast<std::size_t>(s)] + i * sampleBytes,
                        static_cast<std::size_t>(sampleBytes));
}

// One RGBA pixel of libtiff's raster as red, green, blue and alpha bytes.
void putRgba(std::uint32_t pixel, std::uint8_t* out)
{
    out[0] = static_cast<std::uint8_t>(TIFFGetR(pixel));
    out[1] = static_cast<std::uint8_t>(TIFFGetG(pixel));
    out[2] = static_cast<std::uint8_t>(TIFFGetB(pixel));
    out[3] = static_cast<std::uint8_t>(TIFFGetA(pixel));
}

} // namespace

// Where the stored pixels come from (one class per source).
class TiffRowDecoder::StoredRows
{
public:
    virtual ~StoredRows() = default;
    // Output pixels [left, left + count) of `row`; false when libtiff fails.
    virtual bool row(std::int32_t row, std::int32_t left, std::int32_t count, std::uint8_t* out) = 0;
    // The whole tile in output layout; false when it cannot be read.
    virtual bool tile(std::uint32_t, std::uint32_t, std::uint8_t*) { return false; }

    std::int64_t bufferBytesMade() const { return made_; }

protected:
    // Sizes a buffer of decoded strips or tiles to `count` values, counting
    // the bytes whenever it has to be made larger.
    template <typename Value>
    void sizeBuffer(std::vector<Value>& buffer, std::size_t count)
    {
        if (buffer.capacity() < count)
            made_ += static_cast<std::int64_t>((count - buffer.capacity()) * sizeof(Value));
        buffer.resize(count);
    }

private:
    std::int64_t made_ = 0;
};

namespace
{

using StoredRows = TiffRowDecoder::StoredRows;

// Whether strip or tile `index` exists and the file gives it any bytes. A
// block without bytes cannot decode, so no buffer is made for it.
bool blockHasData(TIFF* tiff, std::uint32_t index)
{
    const std::uint32_t blocks = TIFFIsTiled(tiff) ? TIFFNumberOfTiles(tiff) : TIFFNumberOfStrips(tiff);
    return index < blocks && TIFFGetStrileByteCount(tiff, index) > 0;
}

// Whether the strip holding row `row` (or the tile holding the pixel at
// column `x` of that row) has data in every sample plane.
bool blocksHaveData(TIFF* tiff, std::int32_t planes, std::uint32_t x, std::uint32_t row)
{
    const bool tiled = TIFFIsTiled(tiff) != 0;
    for (std::int32_t p = 0; p < planes; ++p)
    {
        const auto plane = static_cast<std::uint16_t>(p);
        if (!blockHasData(tiff, tiled ? TIFFComputeTile(tiff, x, row, 0, plane) : TIFFComputeStrip(tiff, row, plane)))
            return false;
    }
    return true;
}

// The sample planes a stored row is read in: one for pixel-interleaved data,
// one per sample for separate planes.
std::int32_t planesOf(const TiffLayout& layout)
{
    return layout.planarConfig == PLANARCONFIG_SEPARATE && layout.samplesPerPixel > 1 ? layout.samplesPerPixel : 1;
}

// Strips. Uncompressed strips of interleaved samples are read a scanline
// at a time (any row costs the same). Other strips are decoded whole, one
// strip per plane kept, since most coders only decode a strip from its
// start; a strip too large to keep (one strip for a large picture) is read
// a scanline at a time, rows before the one asked for being decoded and
// dropped.
class StripRows : public StoredRows
{
public:
    // The largest strip kept whole.
    static constexpr std::int64_t kLargestKeptStrip = std::int64_t{16} << 20;

    StripRows(TIFF* tiff, const TiffLayout& layout, const TiffSampleConverter& converter)
        : tiff_(tiff), layout_(layout), converter_(converter), planes_(planesOf(layout))
    {
    }

    bool prepare(bool wholeStrips)
    {
        scanline_ = TIFFScanlineSize64(tiff_);
        const std::int64_t needed = (std::int64_t{layout_.width} * layout_.storedPixelBits() + 7) / 8;
        rowsPerStrip_ = std::max<std::uint32_t>(1, std::min(layout_.rowsPerStrip, layout_.height));
        if (!withinCap(scanline_) || scanline_ < needed || !withinCap(scanline_ * planes_))
            return false;
        // Separate planes are interleaved by whole samples only.
        if (planes_ > 1 && layout_.bitsPerSample % 8 != 0)
            return false;
        stored_.resize(static_cast<std::size_t>(scanline_ * planes_));
        const bool uncompressed = layout_.compression == COMPRESSION_NONE && planes_ == 1;
        const std::int64_t stripBytes = TIFFVStripSize64(tiff_, rowsPerStrip_);
        const bool keepable = stripBytes >= scanline_ * rowsPerStrip_ &&
                              (planes_ > 1 ? withinCap(stripBytes * planes_) : stripBytes <= kLargestKeptStrip);
        if ((wholeStrips || !uncompressed) && keepable)
        {
            // Each plane's strip buffer is made when a strip with data comes.
            strips_.assign(static_cast<std::size_t>(planes_), Strip{});
            stripBytes_ = stripBytes;
            return true;
        }
        // Separate planes only decode whole strips.
        if (planes_ > 1)
            return false;
        catchUp_ = !uncompressed;
        return true;
    }

    bool row(std::int32_t row, std::int32_t left, std::int32_t count, std::uint8_t* out) override
    {
        const std::uint8_t* stored = stored_.data();
        if (!strips_.empty())
        {
            std::vector<const std::uint8_t*> lines(static_cast<std::size_t>(planes_));
            for (std::int32_t p = 0; p < planes_; ++p)
            {
                lines[static_cast<std::size_t>(p)] = stripLine(p, static_cast<std::uint32_t>(row));
                if (!lines[static_cast<std::size_t>(p)])
                    return false;
            }
            if (planes_ == 1)
                stored = lines[0];
            else
                interleave(lines, layout_.width, layout_.bitsPerSample / 8, stored_.data());
        }
        else if (!readScanline(static_cast<std::uint32_t>(row)))
            return false;
        converter_.convert(stored, left, count, out);
        return true;
    }

private:
    struct Strip
    {
        std::vector<std::uint8_t> bytes;
        std::uint32_t index = UINT32_MAX;
        std::int64_t size = 0;
    };

    // Scanline `row` into the stored row. A compressed strip is decoded
    // from the row after the last one read, or from the strip's first row,
    // up to it.
    bool readScanline(std::uint32_t row)
    {
        if (catchUp_)
        {
            const std::uint32_t first = row - row % rowsPerStrip_;
            std::uint32_t next = last_ != UINT32_MAX && last_ < row && last_ >= first ? last_ + 1 : first;
            for (; next < row; ++next)
            {
                last_ = UINT32_MAX;
                if (TIFFReadScanline(tiff_, stored_.data(), next, 0) < 0)
                    return false;
                last_ = next;
            }
        }
        last_ = UINT32_MAX;
        if (TIFFReadScanline(tiff_, stored_.data(), row, 0) < 0)
            return false;
        last_ = row;
        return true;
    }

    // The stored line of `row` in plane `plane`, its strip decoded first
    // when it is not the one kept.
    const std::uint8_t* stripLine(std::int32_t plane, std::uint32_t row)
    {
        Strip& strip = strips_[static_cast<std::size_t>(plane)];
        const std::uint32_t index = TIFFComputeStrip(tiff_, row, static_cast<std::uint16_t>(plane));
        if (index != strip.index)
        {
            strip.index = UINT32_MAX;
            if (!blockHasData(tiff_, index))
                return nullptr;
            sizeBuffer(strip.bytes, static_cast<std::size_t>(stripBytes_));
            const tmsize_t got = TIFFReadEncodedStrip(tiff_, index, strip.bytes.data(), static_cast<tmsize_t>(strip.bytes.size()));
            if (got < 0)
                return nullptr;
            strip.size = got;
            strip.index = index;
        }
        const std::int64_t offset = std::int64_t{row % rowsPerStrip_} * scanline_;
        if (offset + scanline_ > strip.size)
            return nullptr;
        return strip.bytes.data() + offset;
    }

    TIFF* tiff_;
    const TiffLayout& layout_;
    const TiffSampleConverter& converter_;
    std::int32_t planes_;
    std::int64_t scanline_ = 0;
    std::uint32_t rowsPerStrip_ = 1;
    std::int64_t stripBytes_ = 0;
    std::vector<std::uint8_t> stored_;
    std::vector<Strip> strips_;
    bool catchUp_ = false;
    std::uint32_t last_ = UINT32_MAX;  // the last row a scanline was read of
};

// Tiles, read a band (one tile row) at a time, only the tile columns asked
// for.
class TileRows : public StoredRows
{
public:
    TileRows(TIFF* tiff, const TiffLayout& layout, const TiffSampleConverter& converter)
        : tiff_(tiff), layout_(layout), converter_(converter), planes_(planesOf(layout))
    {
    }

    bool prepare()
    {
        tileBytes_ = TIFFTileSize64(tiff_);
        tileRowBytes_ = TIFFTileRowSize64(tiff_);
        tilesAcross_ = (layout_.width + layout_.tileWidth - 1) / layout_.tileWidth;
        pixelBits_ = layout_.storedPixelBits();
        if (!withinCap(tileBytes_) || tileRowBytes_ * layout_.tileLength > tileBytes_ ||
            tileRowBytes_ < (std::int64_t{layout_.tileWidth} * pixelBits_ + 7) / 8)
            return false;
        if (planes_ > 1 && layout_.bitsPerSample % 8 != 0)
            return false;
        // The band of decoded tiles and the stored row they make.
        const std::int64_t planeRow = (std::int64_t{tilesAcross_} * layout_.tileWidth * pixelBits_ + 7) / 8;
        if (!withinCap(std::int64_t{tilesAcross_} * planes_ * tileBytes_) || !withinCap(planeRow * planes_))
            return false;
        band_.resize(static_cast<std::size_t>(tilesAcross_));
        bandRow_.assign(static_cast<std::size_t>(tilesAcross_), -1);
        planeRows_.assign(static_cast<std::size_t>(planes_), std::vector<std::uint8_t>(static_cast<std::size_t>(planeRow)));
        if (planes_ > 1)
            stored_.resize(static_cast<std::size_t>(planeRow * planes_));
        return true;
    }

    bool row(std::int32_t row, std::int32_t left, std::int32_t count, std::uint8_t* out) override
    {
        const std::uint32_t tileRow = static_cast<std::uint32_t>(row) / layout_.tileLength;
        const std::int64_t line = static_cast<std::uint32_t>(row) % layout_.tileLength;
        const std::uint32_t firstColumn = static_cast<std::uint32_t>(left) / layout_.tileWidth;
        const std::uint32_t lastColumn = static_cast<std::uint32_t>(left + count - 1) / layout_.tileWidth;
        for (std::uint32_t column = firstColumn; column <= lastColumn; ++column)
        {
            std::vector<std::vector<std::uint8_t>>& tiles = band_[column];
            if (bandRow_[column] != tileRow)
            {
                bandRow_[column] = -1;
                if (!readTiles(tileRow, column, tiles))
                    return false;
                bandRow_[column] = tileRow;
            }
            const std::int64_t pixels =
                std::min<std::int64_t>(layout_.tileWidth, std::int64_t{layout_.width} - std::int64_t{column} * layout_.tileWidth);
            for (std::int32_t p = 0; p < planes_; ++p)
                TiffSampleConverter::copyBits(tiles[static_cast<std::size_t>(p)].data() + line * tileRowBytes_, 0,
                                              planeRows_[static_cast<std::size_t>(p)].data(),
                                              std::int64_t{column} * layout_.tileWidth * pixelBits_, pixels * pixelBits_);
        }
        const std::uint8_t* stored = planeRows_[0].data();
        if (planes_ > 1)
        {
            interleave(planeRows_, std::int64_t{lastColumn + 1} * layout_.tileWidth, layout_.bitsPerSample / 8, stored_.data());
            stored = stored_.data();
        }
        converter_.convert(stored, left, count, out);
        return true;
    }

    bool tile(std::uint32_t tileRow, std::uint32_t tileColumn, std::uint8_t* out) override
    {
        std::vector<std::vector<std::uint8_t>>& tiles = direct_;
        if (!readTiles(tileRow, tileColumn, tiles))
            return false;
        const std::int64_t lineBytes = converter_.outputBytes(layout_.tileWidth);
        const std::int64_t pixels = std::min<std::int64_t>(
            layout_.tileWidth, std::int64_t{layout_.width} - std::int64_t{tileColumn} * layout_.tileWidth);
        const std::int64_t lines = std::min<std::int64_t>(
            layout_.tileLength, std::int64_t{layout_.height} - std::int64_t{tileRow} * layout_.tileLength);
        if (planes_ > 1 && directLines_.empty())
        {
            directLines_.assign(static_cast<std::size_t>(planes_), std::vector<std::uint8_t>(static_cast<std::size_t>(tileRowBytes_)));
            directStored_.resize(static_cast<std::size_t>(tileRowBytes_ * planes_));
        }
        for (std::int64_t y = 0; y < layout_.tileLength; ++y)
        {
            std::uint8_t* target = out + y * lineBytes;
            std::memset(target, 0, static_cast<std::size_t>(lineBytes));
            if (y >= lines)
                continue;
            const std::uint8_t* line = tiles[0].data() + y * tileRowBytes_;
            if (planes_ > 1)
            {
                for (std::int32_t p = 0; p < planes_; ++p)
                    std::memcpy(directLines_[static_cast<std::size_t>(p)].data(),
                                tiles[static_cast<std::size_t>(p)].data() + y * tileRowBytes_,
                                static_cast<std::size_t>(tileRowBytes_));
                interleave(directLines_, pixels, layout_.bitsPerSample / 8, directStored_.data());
                line = directStored_.data();
            }
            converter_.convert(line, 0, static_cast<std::int32_t>(pixels), target);
        }
        return true;
    }

private:
    // The tile at (tileRow, tileColumn) of every plane into `tiles`, whose
    // buffers are made (once) only when every plane's tile has data.
    bool readTiles(std::uint32_t tileRow, std::uint32_t tileColumn, std::vector<std::vector<std::uint8_t>>& tiles)
    {
        const std::uint32_t x = tileColumn * layout_.tileWidth;
        const std::uint32_t y = tileRow * layout_.tileLength;
        std::vector<std::uint32_t>& indices = tileIndices_;
        indices.resize(static_cast<std::size_t>(planes_));
        for (std::int32_t p = 0; p < planes_; ++p)
        {
            indices[static_cast<std::size_t>(p)] = TIFFComputeTile(tiff_, x, y, 0, static_cast<std::uint16_t>(p));
            if (!blockHasData(tiff_, indices[static_cast<std::size_t>(p)]))
                return false;
        }
        tiles.resize(static_cast<std::size_t>(planes_));
        for (std::int32_t p = 0; p < planes_; ++p)
        {
            std::vector<std::uint8_t>& tile = tiles[static_cast<std::size_t>(p)];
            sizeBuffer(tile, static_cast<std::size_t>(tileBytes_));
            if (TIFFReadEncodedTile(tiff_, indices[static_cast<std::size_t>(p)], tile.data(), static_cast<tmsize_t>(tileBytes_)) <
                tileRowBytes_ * layout_.tileLength)
                return false;
        }
        return true;
    }

    TIFF* tiff_;
    const TiffLayout& layout_;
    const TiffSampleConverter& converter_;
    std::int32_t planes_;
    std::int64_t tileBytes_ = 0;
    std::int64_t tileRowBytes_ = 0;
    std::uint32_t tilesAcross_ = 0;
    std::int64_t pixelBits_ = 0;
    // Per tile column: its decoded tile (one per plane) and the tile row it
    // belongs to (-1 for none).
    std::vector<std::vector<std::vector<std::uint8_t>>> band_;
    std::vector<std::int64_t> bandRow_;
    std::vector<std::vector<std::uint8_t>> planeRows_;
    std::vector<std::uint8_t> stored_;
    std::vector<std::uint32_t> tileIndices_;
    // A tile read directly (one per plane), and its lines interleaved.
    std::vector<std::vector<std::uint8_t>> direct_;
    std::vector<std::vector<std::uint8_t>> directLines_;
    std::vector<std::uint8_t> directStored_;
};

// libtiff's RGBA reader, kept open for the decoder's life and asked for one
// rectangle at a time, in the file's own row order (no flipping).
class RgbaReader
{
public:
    ~RgbaReader()
    {
        if (begun_)
            TIFFRGBAImageEnd(&image_);
    }

    bool begin(TIFF* tiff)
    {
        char message[1024] = {};
        if (!TIFFRGBAImageOK(tiff, message) || !TIFFRGBAImageBegin(&image_, tiff, 1, message))
            return false;
        begun_ = true;
        image_.req_orientation = image_.orientation;
        return true;
    }

    // The `width` by `height` pixels from (x, y), top row first.
    bool read(std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height, std::uint32_t* raster)
    {
        image_.col_offset = static_cast<int>(x);
        image_.row_offset = static_cast<int>(y);
        return TIFFRGBAImageGet(&image_, raster, width, height) == 1;
    }

private:
    TIFFRGBAImage image_{};
    bool begun_ = false;
};

// Strips through the RGBA reader, a strip at a time.
class RgbaStripRows : public StoredRows
{
public:
    RgbaStripRows(TIFF* tiff, const TiffLayout& layout) : tiff_(tiff), layout_(layout) {}

    bool prepare()
    {
        rowsPerStrip_ = std::max<std::uint32_t>(1, std::min(layout_.rowsPerStrip, layout_.height));
        if (!withinCap(std::int64_t{layout_.width} * rowsPerStrip_ * 4))
            return false;
        return reader_.begin(tiff_);
    }

    bool row(std::int32_t row, std::int32_t left, std::int32_t count, std::uint8_t* out) override
    {
        const std::uint32_t first = static_cast<std::uint32_t>(row) - static_cast<std::uint32_t>(row) % rowsPerStrip_;
        if (first != cachedFirst_)
        {
            cachedFirst_ = UINT32_MAX;
            // The last strip holds only the rows that are left.
            const std::uint32_t rows = std::min(rowsPerStrip_, layout_.height - first);
            if (!blocksHaveData(tiff_, planesOf(layout_), 0, first))
                return false;
            sizeBuffer(raster_, std::size_t{layout_.width} * rowsPerStrip_);
            if (!reader_.read(0, first, layout_.width, rows, raster_.data()))
                return false;
            cachedFirst_ = first;
        }
        const std::uint32_t* pixels = raster_.data() + std::size_t{layout_.width} * (static_cast<std::uint32_t>(row) - first);
        for (std::int32_t i = 0; i < count; ++i)
            putRgba(pixels[left + i], out + std::int64_t{i} * 4);
        return true;
    }

private:
    TIFF* tiff_;
    const TiffLayout& layout_;
    RgbaReader reader_;
    std::uint32_t rowsPerStrip_ = 1;
    std::vector<std::uint32_t> raster_;
    std::uint32_t cachedFirst_ = UINT32_MAX;
};

// Tiles through the RGBA reader, a band of the tile columns asked for at a
// time.
class RgbaTileRows : public StoredRows
{
public:
    RgbaTileRows(TIFF* tiff, const TiffLayout& layout) : tiff_(tiff), layout_(layout) {}

    bool prepare()
    {
        tilesAcross_ = (layout_.width + layout_.tileWidth - 1) / layout_.tileWidth;
        const std::int64_t tilePixels = std::int64_t{layout_.tileWidth} * layout_.tileLength;
        if (!withinCap(tilePixels * 4) || !withinCap(tilePixels * 4 * tilesAcross_))
            return false;
        band_.resize(tilesAcross_);
        bandRow_.assign(tilesAcross_, -1);
        return reader_.begin(tiff_);
    }

    bool row(std::int32_t row, std::int32_t left, std::int32_t count, std::uint8_t* out) override
    {
        const std::uint32_t tileRow = static_cast<std::uint32_t>(row) / layout_.tileLength;
        const std::uint32_t line = static_cast<std::uint32_t>(row) % layout_.tileLength;
        for (std::int32_t i = 0; i < count;)
        {
            const std::uint32_t x = static_cast<std::uint32_t>(left + i);
            const std::uint32_t column = x / layout_.tileWidth;
            std::vector<std::uint32_t>& tile = band_[column];
            if (bandRow_[column] != tileRow)
            {
                bandRow_[column] = -1;
                std::uint32_t width = 0;
                if (!readTile(tileRow, column, tile, width))
                    return false;
                bandRow_[column] = tileRow;
            }
            const std::uint32_t readWidth =
                std::min(layout_.tileWidth, layout_.width - column * layout_.tileWidth);
            const std::uint32_t from = x - column * layout_.tileWidth;
            const std::uint32_t run = std::min<std::uint32_t>(readWidth - from, static_cast<std::uint32_t>(count - i));
            const std::uint32_t* pixels = tile.data() + std::size_t{line} * readWidth + from;
            for (std::uint32_t k = 0; k < run; ++k)
                putRgba(pixels[k], out + (std::int64_t{i} + k) * 4);
            i += static_cast<std::int32_t>(run);
        }
        return true;
    }

    bool tile(std::uint32_t tileRow, std::uint32_t tileColumn, std::uint8_t* out) override
    {
        std::vector<std::uint32_t>& raster = direct_;
        std::uint32_t width = 0;
        if (!readTile(tileRow, tileColumn, raster, width))
            return false;
        const std::uint32_t lines = std::min(layout_.tileLength, layout_.height - tileRow * layout_.tileLength);
        std::memset(out, 0, std::size_t{layout_.tileWidth} * layout_.tileLength * 4);
        for (std::uint32_t y = 0; y < lines; ++y)
            for (std::uint32_t x = 0; x < width; ++x)
                putRgba(raster[std::size_t{y} * width + x], out + (std::size_t{y} * layout_.tileWidth + x) * 4);
        return true;
    }

private:
    // The part of the tile inside the image into `raster` (made the size
    // of a tile once the tile has data), `width` pixels a line.
    bool readTile(std::uint32_t tileRow, std::uint32_t tileColumn, std::vector<std::uint32_t>& raster,
                  std::uint32_t& width)
    {
        if (tileColumn >= tilesAcross_ || std::int64_t{tileRow} * layout_.tileLength >= layout_.height)
            return false;
        const std::uint32_t x = tileColumn * layout_.tileWidth;
        const std::uint32_t y = tileRow * layout_.tileLength;
        if (!blocksHaveData(tiff_, planesOf(layout_), x, y))
            return false;
        sizeBuffer(raster, std::size_t{layout_.tileWidth} * layout_.tileLength);
        width = std::min(layout_.tileWidth, layout_.width - x);
        const std::uint32_t height = std::min(layout_.tileLength, layout_.height - y);
        return reader_.read(x, y, width, height, raster.data());
    }

    TIFF* tiff_;
    const TiffLayout& layout_;
    RgbaReader reader_;
    std::uint32_t tilesAcross_ = 0;
    std::vector<std::vector<std::uint32_t>> band_;
    std::vector<std::int64_t> bandRow_;
    std::vector<std::uint32_t> direct_;  // a tile read directly
};

} // namespace

TiffRowDecoder::TiffRowDecoder(std::unique_ptr<TiffHandle> handle, const TiffLayout& layout, Source source)
    : handle_(std::move(handle)), layout_(layout), source_(source), converter_(layout_)
{
}

TiffRowDecoder::~TiffRowDecoder() = default;

std::unique_ptr<TiffRowDecoder> TiffRowDecoder::create(std::unique_ptr<TiffHandle> handle, const TiffLayout& layout,
                                                       Source source)
{
    if (!handle || layout.rowFormat() == TiffRowFormat::kNone)
        return nullptr;
    std::unique_ptr<TiffRowDecoder> decoder(new TiffRowDecoder(std::move(handle), layout, source));
    if (!decoder->prepare())
        return nullptr;
    return decoder;
}

bool TiffRowDecoder::prepare()
{
    TIFF* tiff = handle_->get();
    const bool tiles = source_ == Source::kTiles || source_ == Source::kRgbaTiles;
    if (tiles != layout_.tiled || !withinCap(outputBytes(layout_.width)))
        return false;
    const bool rgba = source_ == Source::kRgbaStrips || source_ == Source::kRgbaTiles;
    if (rgba != layout_.needsRgbaReader())
        return false;
    switch (source_)
    {
    case Source::kScanlines:
    case Source::kStrips: {
        auto rows = std::make_unique<StripRows>(tiff, layout_, converter_);
        if (!rows->prepare(source_ == Source::kStrips))
            return false;
        rows_ = std::move(rows);
        return true;
    }
    case Source::kTiles: {
        auto rows = std::make_unique<TileRows>(tiff, layout_, converter_);
        if (!rows->prepare())
            return false;
        rows_ = std::move(rows);
        return true;
    }
    case Source::kRgbaStrips: {
        auto rows = std::make_unique<RgbaStripRows>(tiff, layout_);
        if (!rows->prepare())
            return false;
        rows_ = std::move(rows);
        return true;
    }
    case Source::kRgbaTiles: {
        auto rows = std::make_unique<RgbaTileRows>(tiff, layout_);
        if (!rows->prepare())
            return false;
        rows_ = std::move(rows);
        return true;
    }
    }
    return false;
}

void TiffRowDecoder::decodeRow(std::int32_t row, std::int32_t left, std::int32_t count, std::uint8_t* out)
{
    if (row < 0 || static_cast<std::uint32_t>(row) >= layout_.height || left < 0 || count < 1 ||
        std::int64_t{left} + count > layout_.width)
        return;
    // Rows decoded from JPEG data that ended early are made up.
    if (!rows_->row(row, left, count, out) || handle_->jpegDataEnded())
        corrupt();
}

std::int64_t TiffRowDecoder::bufferBytesMade() const
{
    return rows_->bufferBytesMade();
}

bool TiffRowDecoder::decodeTile(std::uint32_t tileRow, std::uint32_t tileColumn, std::uint8_t* out)
{
    if (!layout_.tiled)
        return false;
    const std::uint32_t tilesAcross = (layout_.width + layout_.tileWidth - 1) / layout_.tileWidth;
    const std::uint32_t tilesDown = (layout_.height + layout_.tileLength - 1) / layout_.tileLength;
    if (tileRow >= tilesDown || tileColumn >= tilesAcross)
        return false;
    return rows_->tile(tileRow, tileColumn, out) && !handle_->jpegDataEnded();
}

} // namespace Omvi
