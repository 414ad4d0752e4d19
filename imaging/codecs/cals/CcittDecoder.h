#pragma once
// The bilevel row decoder (see CcittCoder.h). Rows are decoded into the
// positions where the colour changes (white to black at even indexes, black
// to white at odd ones), which two-dimensional rows refer to as the next
// row's reference, and then filled into bytes. A row is never allowed more
// changes than it has pixels, so damaged codes cannot run past the arrays.
// Group 4 data has no end-of-line codes to find the rows again after a
// damaged code, so there such a code ends the page like the end of the data:
// every row handed out was read from the data, and the rows a file claims
// cost no work beyond what its bytes describe.
#include "imaging/codecs/cals/CcittCoder.h"
#include "imaging/codecs/cals/CcittDiagnostics.h"
#include "imaging/codecs/cals/CcittTables.h"

#include <cstdint>
#include <vector>

namespace Omvi
{

class Decoder : public CCITTDecoder
{
public:
    // The largest width setup accepts.
    static constexpr std::int32_t kMaximumWidth = 1 << 24;
    // Diagnostics reported per page at most; the rest are dropped.
    static constexpr std::int32_t kDiagnosticsPerPage = 64;

    Decoder();
    ~Decoder() override;

    bool setup(std::int32_t mode, std::int32_t fillOrder, std::int32_t width) override;
    bool decodeBlock(const std::uint8_t* data, std::int32_t size, std::uint8_t* buffer,
                     std::int32_t byteCount) override;
    void setStream(DataStreamInterface* stream) override;
    bool decodeRows(std::uint8_t* buffer, std::int32_t byteCount) override;

    std::int32_t bytesPerRow() const { return bytesPerRow_; }
    // decodeRows calls since the stream was attached.
    std::int32_t rowCounter() const { return rowCounter_; }

private:
    // How the decoding of a row stopped.
    enum Stop
    {
        kComplete,
        kBadCode,       // reported; the row is repaired
        kEolInRow,      // an end-of-line code inside the row (Group 3)
        kTooLong,       // the runs passed the width
        kOverflow,      // more changes than a row can hold
        kPrematureEnd,  // no more data
        kEndOfBlock     // the end-of-block code (Group 4)
    };

    bool decodeRow(std::uint8_t* row);
    bool synchronise();
    void skipToEndOfEol();
    Stop decodeOneDimensional(std::int32_t& a0);
    Stop decodeTwoDimensional(std::int32_t& a0);
    Stop decodeRun(bool black, std::int32_t start, std::int32_t& run);
    void finishRow(std::uint8_t* row, std::int32_t position, Stop stop);
    template <typename... Values>
    void report(const char* format, Values... values)
    {
        if (reported_ >= kDiagnosticsPerPage)
            return;
        ++reported_;
        reportCcittDiagnostic(format, values...);
    }

    bool push(std::int32_t position)
    {
        if (count_ >= changeLimit_)
            return false;
        current_[static_cast<std::size_t>(count_++)] = position;
        return true;
    }

    // Bits are held with the first coded bit lowest.
    bool need(int bits)
    {
        if (held_ < bits)
            topUp();
        return held_ > 0;
    }
    void drop(int bits)
    {
        if (bits >= held_)
        {
            accumulator_ = 0;
            held_ = 0;
        }
        else
        {
            accumulator_ >>= bits;
            held_ -= bits;
        }
    }
    void topUp();
    bool refill();

    std::int32_t mode_ = 0;
    std::int32_t fillOrder_ = 1;
    std::int32_t width_ = 0;
    std::int32_t bytesPerRow_ = 0;
    bool twoDimensional_ = false;
    std::int32_t rowCounter_ = 0;
    std::int32_t reported_ = 0;
    DataStreamInterface* stream_ = nullptr;

    std::uint64_t accumulator_ = 0;
    int held_ = 0;
    bool eolSeen_ = false;
    bool ended_ = false;
    bool streamDone_ = true;
    std::vector<std::uint8_t> input_;
    std::size_t inputPosition_ = 0;
    std::size_t inputEnd_ = 0;

    // Changes of the row being decoded and of the reference row; the
    // reference ends in entries equal to the width.
    std::vector<std::int32_t> current_;
    std::vector<std::int32_t> reference_;
    std::int32_t count_ = 0;
    std::int32_t changeLimit_ = 0;
    std::vector<std::uint8_t> partialRow_;

    // The code tables, looked up once rather than per code.
    const CcittTables::Entry* whiteCodes_;
    const CcittTables::Entry* blackCodes_;
    const CcittTables::Entry* mainCodes_;
};

} // namespace Omvi
