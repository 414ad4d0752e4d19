#pragma once
// The imaging library's own bilevel coder: rows coded one-dimensionally
// (modified Huffman, "Group 3 1-D"), two-dimensionally with end-of-line
// codes ("Group 3 2-D") or two-dimensionally without them ("Group 4").
//
// Rows are one bit a pixel, the first pixel in the most significant bit,
// 1 black and 0 white, (width + 7) / 8 bytes; decoded rows have the bits
// past the width clear. The fill order tells how the coded bit stream is
// cut into bytes: 1 puts the first code bit in the most significant bit of
// a byte, any other value in the least significant bit.
//
// The decoder pulls its bytes from a data stream (or a block in memory);
// codes it cannot make sense of are reported as diagnostics
// (CcittDiagnostics.h) and the row is repaired; Group 3 decoding goes on at
// the next end-of-line code, Group 4 decoding (which has none) ends there.
// It never fails harder than answering false. The encoder writes into a
// caller's buffer and refuses to write past its capacity.
#include <cstdint>
#include <memory>

namespace Omvi
{

class DataStreamInterface;

namespace CcittMode
{
enum : std::int32_t
{
    kGroup3OneDimensional = 0,
    kGroup3TwoDimensional = 1,
    kGroup4 = 2
};
}

// The fill order of coded bytes.
namespace CcittFillOrder
{
enum : std::int32_t
{
    kLeastSignificantFirst = 0,
    kMostSignificantFirst = 1
};
}

// Encoder options.
namespace CcittOption
{
enum : std::int32_t
{
    kFillBeforeEol = 0x1,      // end-of-line codes end on a byte boundary
    kByteAlignedRows = 0x10,   // Group 3 rows end on a byte boundary
    kWordAlignedRows = 0x100,  // ... and on an even byte position
    kNoEol = 0x1000            // Group 3 rows without end-of-line codes
};
}

class CCITTDecoder
{
public:
    virtual ~CCITTDecoder() = default;
    // Mode, fill order and width in pixels (1 to 2^24); false (and no
    // decoding) for anything else.
    virtual bool setup(std::int32_t mode, std::int32_t fillOrder, std::int32_t width) = 0;
    // Decodes a block in memory from its start, as a new page, into
    // `buffer` (byteCount bytes): setStream over the block, then decodeRows.
    virtual bool decodeBlock(const std::uint8_t* data, std::int32_t size, std::uint8_t* buffer,
                             std::int32_t byteCount) = 0;
    // Starts a new page read from `stream` (not owned): the reference row is
    // white and nothing is held over.
    virtual void setStream(DataStreamInterface* stream) = 0;
    // Decodes byteCount / bytes-per-row rows into `buffer` (a positive count
    // below one row gets that many bytes of one row). True when every row
    // was decoded; false when the data ended first (a premature end, the
    // end-of-block code, or in Group 4 a damaged code), in which case the
    // rows not reached are white.
    virtual bool decodeRows(std::uint8_t* buffer, std::int32_t byteCount) = 0;
};

class CCITTEncoder
{
public:
    virtual ~CCITTEncoder() = default;
    // Mode, fill order, options and width in pixels (1 to 2^24); false for
    // anything else.
    virtual bool setup(std::int32_t mode, std::int32_t fillOrder, std::int32_t options, std::int32_t width) = 0;
    // Codes the rows of `data` (byteCount bytes) from a fresh page into
    // `buffer` and ends the page; `bytesProduced` receives the bytes
    // written. False when they did not fit.
    virtual bool encodeBlock(const std::uint8_t* data, std::int32_t byteCount, std::uint8_t* buffer,
                             std::int32_t capacity, std::int32_t* bytesProduced) = 0;
    // Starts a new page written into `buffer` (capacity bytes).
    virtual void setOutput(std::uint8_t* buffer, std::int32_t capacity) = 0;
    // Writes again from the start of the buffer once the caller has taken
    // the bytes out; the coding state carries on.
    virtual void resetOutput() = 0;
    // Codes byteCount / bytes-per-row rows; `bytesProduced` receives the
    // bytes added to the buffer by the call. False when the buffer could not
    // take them: the output is then incomplete and the page must be given up.
    virtual bool encodeRows(const std::uint8_t* data, std::int32_t byteCount, std::int32_t* bytesProduced) = 0;
    // Ends the page (Group 4: the end-of-block code) and writes the last
    // partial byte; `bytesProduced` receives the bytes added. False when
    // they did not fit.
    virtual bool finish(std::int32_t* bytesProduced) = 0;
};

std::unique_ptr<CCITTDecoder> createCcittDecoder();
std::unique_ptr<CCITTEncoder> createCcittEncoder();

} // namespace Omvi
