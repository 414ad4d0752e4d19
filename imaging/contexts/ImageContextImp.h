#pragma once
// What the two context implementations share: the image they work on, its
// pixel kind and data type, the handle under which the image lists them, the
// pixel accessors by kind (getPixel and putPixel pick the width of the
// kind), the state of a context whose image has gone, and the pieces their
// accessors are made of: the pixel copier of rows, the bit and word
// accesses, the tile-grid check and the walk of a row through its tiles.
//
// Errors are ImageContextException:
// - 0 "Tile Already Allocated": a second tile asked for while one is out;
// - 1 "Attempted Write with a ReadOnly Context";
// - 2 "Out of bounds request": a pixel, row or tile outside what the
//   context may reach (and a row buffer too short for the row);
// - 3 "Invalid implementation. The image has been deleted.": any use of a
//   context whose image was destroyed first.
#include "imaging/images/ImageContextRep.h"
#include "imaging/images/Tile.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace Omvi
{

class DataBuffer;
class ImageImp;
class PixelCopier;
class TiledImage;

class ImageContextImp : public ImageContextRep
{
public:
    enum : std::int32_t
    {
        kTileAlreadyAllocated = 0,
        kReadOnly = 1,
        kOutOfBounds = 2,
        kImageDeleted = 3
    };
    // The handle of a context the image does not list.
    static constexpr std::int32_t kNotListed = -1;

    ~ImageContextImp() override;

    std::int32_t pixelKind() const override { return pixelKind_; }
    // By the pixel kind: 0 and 5 one bit, 1, 6 and 7 a byte, 2 a 16-bit
    // word, 3 and 8 a 32-bit word, 4 a 64-bit word. Any other kind: an empty
    // pixel of that kind, and nothing is written.
    ImagePixel getPixel(std::int32_t x, std::int32_t y) override;
    void putPixel(std::int32_t x, std::int32_t y, const ImagePixel& pixel) override;
    void setRegistryHandle(std::int32_t handle) override { registryHandle_ = handle; }

    std::int32_t registryHandle() const { return registryHandle_; }
    // The image was destroyed before the context.
    bool isDetached() const { return image_ == nullptr; }

    [[noreturn]] static void fail(std::int32_t code);

protected:
    explicit ImageContextImp(ImageImp& image);

    // The image, or ImageContextException 3 once it has gone.
    ImageImp& image() const;
    // Forgets the image (it is being destroyed).
    void forgetImage() { image_ = nullptr; }
    // Takes the context off the image's list, if it is on it. Never throws.
    void leaveImage() noexcept;

    std::int32_t dataType() const { return dataType_; }
    std::int32_t bitsPerPixel() const { return bitsPerPixel_; }
    // The opaque pixel copier of the image's data type, made on first use.
    PixelCopier& copier();
    // Code 2 when `row` is shorter than `count` pixels.
    void requireRowBuffer(const DataBuffer& row, std::int32_t count) const;

    // Tile (tileRow, tileColumn) of the image's grid, else code 2.
    static TileIndex tileInGrid(TiledImage& image, std::int32_t tileRow, std::int32_t tileColumn);
    // Calls piece(tileColumn, start, done, length) for each run of the
    // `count` pixels from x that lies in one column of tiles `edge` pixels
    // wide: `length` pixels from `start` in the tile, `done` pixels into the
    // row.
    template <class Piece>
    static void forEachTilePiece(std::int32_t x, std::int32_t count, std::int32_t edge, Piece piece)
    {
        for (std::int32_t done = 0; done < count;)
        {
            const std::int32_t at = x + done;
            const std::int32_t start = at % edge;
            const std::int32_t length = std::min(edge - start, count - done);
            piece(at / edge, start, done, length);
            done += length;
        }
    }

    // Pixel x of a bitonal line, in the byte that holds it.
    static bool bitAt(const std::uint8_t* byte, std::int32_t x) { return ((*byte >> (7 - (x & 7))) & 1) != 0; }
    static void setBitAt(std::uint8_t* byte, std::int32_t x, bool value)
    {
        const auto mask = static_cast<std::uint8_t>(0x80 >> (x & 7));
        *byte = static_cast<std::uint8_t>(value ? *byte | mask : *byte & ~mask);
    }
    // A 64-bit pixel as two 32-bit words, the low one first.
    static std::uint64_t load64(const std::uint8_t* at);
    static void store64(std::uint8_t* at, std::uint64_t value);

private:
    std::int32_t registryHandle_ = kNotListed;
    ImageImp* image_;
    std::int32_t pixelKind_ = 0;
    std::int32_t dataType_ = 0;
    std::int32_t bitsPerPixel_ = 0;
    std::unique_ptr<PixelCopier> copier_;
};

} // namespace Omvi
