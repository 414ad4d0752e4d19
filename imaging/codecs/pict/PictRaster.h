#pragma once
// The raster operations of a picture (bitmaps and pixel maps) as the
// opcode walk records them, and the layout of their stored rows: how long a
// row is in the file, whether it is PackBits-packed, and how its pixels are
// laid out once unpacked.
#include "imaging/codecs/pict/PictTransfer.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Omvi
{

class PictCursor;

// A QuickDraw rectangle; coordinates are signed 16-bit values in the file.
struct PictRect
{
    std::int32_t top = 0;
    std::int32_t left = 0;
    std::int32_t bottom = 0;
    std::int32_t right = 0;

    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    PictRect intersect(const PictRect& other) const;
    PictRect moved(std::int32_t dx, std::int32_t dy) const
    {
        return {top + dy, left + dx, bottom + dy, right + dx};
    }
};

// Reads top, left, bottom, right.
PictRect readPictRect(PictCursor& cursor);
// Reads three 16-bit channels.
PictColor readPictColor(PictCursor& cursor);

struct PictRasterRecord
{
    PictRect bounds;           // the pixel map's own rectangle: its stored rows
    PictRect source;           // the part of the bounds that is copied
    PictRect destination;      // where it goes in picture coordinates
    std::int32_t rowBytes = 0; // stored row length, flag bits cleared
    std::int32_t pixelSize = 1;
    std::int32_t packType = 0;
    std::int32_t componentCount = 1;
    // Colours by pixel value (2^pixelSize entries for indexed pixels, none
    // for direct ones); tableCount is how many entries the file listed.
    std::vector<PictColor> table;
    std::int32_t tableCount = 0;
    PictTransferState transfer;
    std::size_t dataOffset = 0; // the first stored row in the file
    // The packed rows' lengths are of the other width than the row bytes
    // call for (8 bits past 250 row bytes, 16 bits up to it), as some
    // writers store them near that limit.
    bool otherLengthWidth = false;
};

// How strictly a packed row is judged.
enum class PictRowCheck
{
    // The row yields at least the bytes its pixels need (surplus dropped).
    kEnough,
    // Also: its data unpacks to its end, to no more than the stored row
    // length. A length prefix of the wrong width makes a row fail this.
    kExact
};

// How the rows of one record are stored and unpacked.
class PictRowLayout
{
public:
    // False from valid() for a pixel size or component layout the reader
    // does not know.
    explicit PictRowLayout(const PictRasterRecord& record);

    bool valid() const { return valid_; }
    // Bytes of one row once unpacked (the buffer readRow fills).
    std::size_t unpackedBytes() const { return unpackedBytes_; }

    bool packed() const { return packed_; }

    // Unpacks the next stored row at `cursor` into `row` (unpackedBytes
    // long). Raises PictOverrun when the row reaches past the file; false
    // when it does not pass `check`.
    bool readRow(PictCursor& cursor, std::uint8_t* row,
                 PictRowCheck check = PictRowCheck::kEnough) const;

    // The colour of pixel `column` of an unpacked row.
    PictColor pixel(const PictRasterRecord& record, const std::uint8_t* row,
                    std::int32_t column) const;
    // The value of indexed pixel `column` (pixel sizes up to 8).
    std::uint8_t index(const std::uint8_t* row, std::int32_t column) const;

private:
    enum class Pixels
    {
        kIndexed,  // 1, 2, 4 or 8 bits, most significant bits first
        kDirect16, // 1-5-5-5, big-endian
        kPlanar32, // per row: the component runs one after another
        kChunky32, // x, red, green, blue per pixel
        kChunky24  // red, green, blue per pixel (pack type 2)
    };

    bool valid_ = true;
    Pixels pixels_ = Pixels::kIndexed;
    std::int32_t pixelSize_ = 1;
    std::int32_t width_ = 0;
    std::int32_t componentCount_ = 3;
    bool packed_ = false;
    bool wideLength_ = false; // the packed length is 16 bits
    std::int32_t itemBytes_ = 1;
    std::size_t storedBytes_ = 0; // an unpacked row's length in the file
    std::size_t neededBytes_ = 0; // what a row must yield for its pixels
    std::size_t unpackedBytes_ = 0;
};

// Unpacks PackBits data: a flag byte n below 128 copies the next n + 1
// items, one of 128 or more repeats the next item 257 - n times; an item is
// `itemBytes` bytes. Output beyond `capacity` is dropped. Answers the bytes
// the data unpacks to (up to `capacity`), or -1 when the data ends inside a
// run; `whole`, when given, receives the bytes it unpacks to uncut.
std::int64_t unpackPictBits(const std::uint8_t* packed, std::size_t length, std::int32_t itemBytes,
                            std::uint8_t* out, std::size_t capacity, std::size_t* whole = nullptr);

} // namespace Omvi
