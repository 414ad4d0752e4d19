#pragma once
// The 128-byte header of a PCX file, and the format's run-length coding of
// lines: a byte of 0xC0 or more carries a count (its low 6 bits) for the
// byte that follows; any other byte stands for itself.
#include "imaging/codecs/codec/BufferedFileReader.h"

#include <array>
#include <cstdint>
#include <vector>

namespace Omvi
{

struct PcxHeader
{
    static constexpr std::size_t kSize = 128;
    static constexpr std::uint8_t kManufacturer = 10;
    static constexpr std::uint8_t kRunLengthEncoding = 1;
    static constexpr std::uint8_t kPaletteMarker = 12;
    static constexpr std::size_t kTrailerSize = 769;  // marker and 256 entries

    std::array<std::uint8_t, kSize> bytes{};

    std::uint8_t manufacturer() const { return bytes[0]; }
    std::uint8_t version() const { return bytes[1]; }
    std::uint8_t encoding() const { return bytes[2]; }
    std::uint8_t bitsPerPlane() const { return bytes[3]; }
    std::uint16_t xmin() const { return get16(4); }
    std::uint16_t ymin() const { return get16(6); }
    std::uint16_t xmax() const { return get16(8); }
    std::uint16_t ymax() const { return get16(10); }
    std::uint16_t horizontalDensity() const { return get16(12); }
    std::uint16_t verticalDensity() const { return get16(14); }
    const std::uint8_t* headerPalette() const { return bytes.data() + 16; }
    std::uint8_t planes() const { return bytes[65]; }
    std::uint16_t bytesPerLine() const { return get16(66); }
    std::uint16_t paletteInfo() const { return get16(68); }

    // Columns and rows; 0 or less when the maxima lie below the minima.
    std::int32_t width() const { return std::int32_t(xmax()) - xmin() + 1; }
    std::int32_t height() const { return std::int32_t(ymax()) - ymin() + 1; }
    std::int32_t depth() const { return std::int32_t(bitsPerPlane()) * planes(); }

    // Manufacturer 10, version 0, 2, 3 or 5, run-length encoding.
    bool followsTheRules() const;
    // The bytes of one plane's line the width needs.
    std::int32_t neededBytesPerLine() const { return (width() * bitsPerPlane() + 7) / 8; }
    // Whether the stored line length holds the width without being out of
    // all proportion to it: at least the bytes needed, at most those rounded
    // up to even plus a few bytes of padding. A line length far beyond the
    // width would let a tiny file claim gigabytes of lines.
    bool lineLengthFitsTheWidth() const;
    static constexpr std::int32_t kLinePaddingSlack = 8;

    void set16(std::size_t at, std::uint16_t value)
    {
        bytes[at] = static_cast<std::uint8_t>(value);
        bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
    }

private:
    std::uint16_t get16(std::size_t at) const
    {
        return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
    }
};

// Decodes run-length coded lines from a buffered file. A run that reaches
// past a line's end is carried into the next line.
class PcxRunDecoder
{
public:
    explicit PcxRunDecoder(BufferedFileReader& reader) : reader_(reader) {}

    // Forgets a carried run.
    void clear() { pendingCount_ = 0; }
    // Decodes `length` bytes into `out`; how many came before the file
    // ended (the rest of `out` is left as it was).
    std::size_t decode(std::uint8_t* out, std::size_t length);
    // Decodes `length` bytes and drops them; how many came before the file
    // ended. Runs are passed over whole, so the work follows the coded
    // bytes, not the decoded ones.
    std::uint64_t skip(std::uint64_t length);

private:
    // Decodes up to `length` bytes, handing each literal byte and each piece
    // of a run to `emit(offset, byte, count)`; how many came before the file
    // ended.
    template <typename Emit> std::uint64_t walk(std::uint64_t length, Emit emit);

    BufferedFileReader& reader_;
    std::size_t pendingCount_ = 0;
    std::uint8_t pendingByte_ = 0;
};

// Appends the run-length coding of one row: runs of up to 63 equal bytes as
// a count byte and the byte; a single byte below 0xC0 as itself. Runs never
// cross rows.
void appendPcxRuns(const std::uint8_t* row, std::size_t length, std::vector<std::uint8_t>& out);

} // namespace Omvi
