#include "imaging/codecs/cals/CcittDecoder.h"

#include "imaging/codecs/cals/CcittDiagnostics.h"
#include "imaging/codecs/cals/CcittTables.h"
#include "imaging/codecs/cals/DecodeBlockStream.h"
#include "imaging/pipeline/DataStreamInterface.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{
namespace
{

using namespace CcittTables;

constexpr std::size_t kInputSize = 8192;
// Entries past a row's changes that equal the width.
constexpr std::int32_t kSentinels = 6;

// Sets the bits of pixels [from, to) of a row whose bits are clear.
inline void setBlack(std::uint8_t* row, std::int32_t from, std::int32_t to)
{
    if (from >= to)
        return;
    const std::int32_t first = from >> 3;
    const std::int32_t last = (to - 1) >> 3;
    const auto firstMask = static_cast<std::uint8_t>(0xFF >> (from & 7));
    const auto lastMask = static_cast<std::uint8_t>(0xFF << (7 - ((to - 1) & 7)));
    if (first == last)
    {
        row[first] |= firstMask & lastMask;
        return;
    }
    row[first] |= firstMask;
    if (last - first > 1)
        std::memset(row + first + 1, 0xFF, static_cast<std::size_t>(last - first - 1));
    row[last] |= lastMask;
}

} // namespace

Decoder::Decoder() : whiteCodes_(whiteTable()), blackCodes_(blackTable()), mainCodes_(mainTable()) {}

Decoder::~Decoder() = default;

bool Decoder::setup(std::int32_t mode, std::int32_t fillOrder, std::int32_t width)
{
    width_ = 0;
    bytesPerRow_ = 0;
    current_.clear();
    reference_.clear();
    if (mode < CcittMode::kGroup3OneDimensional || mode > CcittMode::kGroup4 || width < 1 || width > kMaximumWidth)
        return false;
    mode_ = mode;
    fillOrder_ = fillOrder;
    width_ = width;
    bytesPerRow_ = (width + 7) / 8;
    twoDimensional_ = mode != CcittMode::kGroup3OneDimensional;
    // A row has at most width + 1 changes (one at every pixel and at the
    // end); a few more leave room for the repairs.
    changeLimit_ = width + 4;
    current_.assign(static_cast<std::size_t>(width) + 8 + kSentinels, 0);
    reference_.assign(current_.size(), width);
    input_.resize(kInputSize);
    return true;
}

void Decoder::setStream(DataStreamInterface* stream)
{
    stream_ = stream;
    accumulator_ = 0;
    held_ = 0;
    eolSeen_ = false;
    ended_ = false;
    streamDone_ = stream == nullptr;
    inputPosition_ = 0;
    inputEnd_ = 0;
    rowCounter_ = 0;
    reported_ = 0;
    std::fill(reference_.begin(), reference_.end(), width_);
}

bool Decoder::decodeBlock(const std::uint8_t* data, std::int32_t size, std::uint8_t* buffer, std::int32_t byteCount)
{
    DecodeBlockStream block(data, size);
    block.open(DataStreamInterface::kRead);
    setStream(&block);
    const bool decoded = decodeRows(buffer, byteCount);
    stream_ = nullptr;
    streamDone_ = true;
    return decoded;
}

bool Decoder::decodeRows(std::uint8_t* buffer, std::int32_t byteCount)
{
    if (width_ < 1 || buffer == nullptr || byteCount <= 0)
        return width_ >= 1 && byteCount <= 0;
    ++rowCounter_;
    std::int32_t rows = byteCount / bytesPerRow_;
    if (rows == 0)
    {
        // Part of one row: decode it whole and hand out what fits.
        partialRow_.resize(static_cast<std::size_t>(bytesPerRow_));
        const bool decoded = decodeRows(partialRow_.data(), bytesPerRow_);
        --rowCounter_;
        std::memcpy(buffer, partialRow_.data(), static_cast<std::size_t>(byteCount));
        return decoded;
    }
    bool complete = true;
    for (std::int32_t r = 0; r < rows; ++r)
    {
        std::uint8_t* row = buffer + static_cast<std::ptrdiff_t>(r) * bytesPerRow_;
        if (!complete || ended_)
        {
            // The data ended: the rows not reached are white.
            std::memset(row, 0, static_cast<std::size_t>(bytesPerRow_));
            complete = false;
        }
        else if (!decodeRow(row))
        {
            complete = false;
        }
    }
    return complete;
}

bool Decoder::refill()
{
    if (streamDone_ || stream_ == nullptr)
        return false;
    std::int32_t got = 0;
    stream_->read(static_cast<std::int32_t>(input_.size()), input_.data(), &got);
    if (got < 1)
    {
        streamDone_ = true;
        return false;
    }
    inputPosition_ = 0;
    inputEnd_ = static_cast<std::size_t>(std::min<std::int32_t>(got, static_cast<std::int32_t>(input_.size())));
    // Bytes whose first bit is the most significant are turned around, so
    // the first bit of every byte is its lowest.
    if (fillOrder_ == CcittFillOrder::kMostSignificantFirst)
        for (std::size_t i = 0; i < inputEnd_; ++i)
            input_[i] = kReversedBits[input_[i]];
    return true;
}

void Decoder::topUp()
{
    while (held_ <= 56)
    {
        if (inputPosition_ == inputEnd_ && !refill())
            return;
        accumulator_ |= static_cast<std::uint64_t>(input_[inputPosition_++]) << held_;
        held_ += 8;
    }
}

bool Decoder::synchronise()
{
    // Eleven zero bits, then the one that ends the end-of-line code.
    for (;;)
    {
        if (!need(11))
            return false;
        if ((accumulator_ & 0x7FF) == 0 && held_ >= 11)
            break;
        const std::uint64_t low = accumulator_ & 0x7FF;
        // Drop up to the first set bit of the window and past it.
        drop(low != 0 ? __builtin_ctzll(low) + 1 : held_);
    }
    skipToEndOfEol();
    return true;
}

void Decoder::skipToEndOfEol()
{
    for (;;)
    {
        if (!need(1))
            return;
        if (accumulator_ != 0)
        {
            drop(__builtin_ctzll(accumulator_) + 1);
            return;
        }
        drop(held_);
    }
}

Decoder::Stop Decoder::decodeRun(bool black, std::int32_t start, std::int32_t& run)
{
    const Entry* table = black ? blackCodes_ : whiteCodes_;
    const int bits = black ? kBlackBits : kWhiteBits;
    const std::uint64_t mask = (1u << bits) - 1;
    for (;;)
    {
        if (!need(bits))
            return kPrematureEnd;
        const Entry& entry = table[accumulator_ & mask];
        switch (entry.action)
        {
        case kWhiteTerminatingCode:
        case kBlackTerminatingCode:
            drop(entry.length);
            run += static_cast<std::int32_t>(entry.parameter);
            return kComplete;
        case kWhiteMakeUpCode:
        case kBlackMakeUpCode:
        case kCommonMakeUpCode:
            drop(entry.length);
            run += static_cast<std::int32_t>(entry.parameter);
            if (start + run > width_)
                return kTooLong;
            break;
        case CcittTables::kEndOfLine:
            drop(entry.length);
            eolSeen_ = true;
            return kEolInRow;
        default:
            report("Bad code word in %s at scanline (x %lu)", black ? "BlackTable" : "WhiteTable",
                   static_cast<unsigned long>(start + run));
            return kBadCode;
        }
    }
}

Decoder::Stop Decoder::decodeOneDimensional(std::int32_t& a0)
{
    a0 = 0;
    bool black = false;
    while (a0 < width_)
    {
        std::int32_t run = 0;
        const Stop stop = decodeRun(black, a0, run);
        a0 += run;
        if (stop != kComplete)
        {
            if (run > 0)
                push(a0);
            return stop;
        }
        if (!push(a0))
            return kOverflow;
        black = !black;
    }
    return kComplete;
}

Decoder::Stop Decoder::decodeTwoDimensional(std::int32_t& a0)
{
    const Entry* main = mainCodes_;
    const std::int32_t* reference = reference_.data();
    a0 = -1;  // before the first pixel
    bool black = false;
    std::int32_t bi = 0;
    while (a0 < width_)
    {
        // b1: the first change of the reference row after a0 into the
        // colour opposite to a0's (even indexes turn black, odd white).
        while (reference[bi] <= a0 && reference[bi] < width_)
            bi += 2;
        const std::int32_t b1 = reference[bi];
        if (!need(kMainBits))
            return kPrematureEnd;
        const Entry& entry = main[accumulator_ & 0x7F];
        switch (entry.action)
        {
        case kPassMode:
            drop(entry.length);
            a0 = reference[bi + 1];
            bi += 2;
            break;
        case kHorizontalMode:
        {
            drop(entry.length);
            const std::int32_t start = std::max(a0, 0);
            std::int32_t first = 0;
            Stop stop = decodeRun(black, start, first);
            if (stop != kComplete)
            {
                a0 = start + first;
                if (first > 0)
                    push(a0);
                return stop;
            }
            const std::int32_t a1 = start + first;
            if (!push(a1))
                return kOverflow;
            std::int32_t second = 0;
            stop = decodeRun(!black, a1, second);
            a0 = a1 + second;
            if (stop != kComplete)
            {
                if (second > 0)
                    push(a0);
                return stop;
            }
            if (!push(a0))
                return kOverflow;
            break;
        }
        case kVertical0:
        case kVerticalRight:
        case kVerticalLeft:
        {
            drop(entry.length);
            const auto offset = static_cast<std::int32_t>(entry.parameter);
            const std::int32_t a1 = entry.action == kVerticalLeft ? b1 - offset : b1 + offset;
            // The next change lies after a0 and within the row.
            if (a1 <= a0 || a1 > width_)
            {
                report("Bad code word in %s at scanline (x %lu)", "MainTable",
                       static_cast<unsigned long>(std::max(a0, 0)));
                return kBadCode;
            }
            if (!push(a1))
                return kOverflow;
            a0 = a1;
            black = !black;
            bi = bi > 0 ? bi - 1 : 1;
            break;
        }
        case kExtension:
            report("Unsupported extentsion (x %lu)", static_cast<unsigned long>(std::max(a0, 0)));
            return kBadCode;
        case CcittTables::kEndOfLine:
            drop(entry.length);
            if (mode_ == CcittMode::kGroup4)
            {
                // The end of the block: the colour at a0 runs to the end.
                if (need(4) && (accumulator_ & 0xF) != 0)
                    report("Bad code word in %s at scanline (x %lu)", "EOL",
                           static_cast<unsigned long>(std::max(a0, 0)));
                drop(4);
                need(13);
                drop(13);
                a0 = width_;
                return kEndOfBlock;
            }
            skipToEndOfEol();
            eolSeen_ = true;
            return kEolInRow;
        default:
            report("Bad code word in %s at scanline (x %lu)", "MainTable",
                   static_cast<unsigned long>(std::max(a0, 0)));
            return kBadCode;
        }
    }
    return kComplete;
}

bool Decoder::decodeRow(std::uint8_t* row)
{
    count_ = 0;
    std::int32_t a0 = 0;
    Stop stop = kComplete;
    bool twoDimensionalRow = mode_ == CcittMode::kGroup4;
    if (mode_ != CcittMode::kGroup4)
    {
        if (!eolSeen_ && !synchronise())
            stop = kPrematureEnd;
        eolSeen_ = false;
        if (stop == kComplete && mode_ == CcittMode::kGroup3TwoDimensional)
        {
            if (!need(1))
            {
                stop = kPrematureEnd;
            }
            else
            {
                twoDimensionalRow = (accumulator_ & 1) == 0;
                drop(1);
            }
        }
    }
    if (stop == kComplete)
        stop = twoDimensionalRow ? decodeTwoDimensional(a0) : decodeOneDimensional(a0);
    finishRow(row, std::max(a0, 0), stop);
    if (stop == kPrematureEnd || stop == kEndOfBlock || (mode_ == CcittMode::kGroup4 && stop != kComplete))
    {
        ended_ = true;
        return false;
    }
    return true;
}

void Decoder::finishRow(std::uint8_t* row, std::int32_t position, Stop stop)
{
    if (stop == kPrematureEnd)
        report("PrematureEOF:: %d\n", position);
    if (position != width_)
    {
        report("BadLength: (x %lu) : %d", static_cast<unsigned long>(position), width_);
        // What was not decoded is white.
        if (position < width_ && (count_ & 1) != 0)
            current_[static_cast<std::size_t>(count_++)] = position;
    }
    std::memset(row, 0, static_cast<std::size_t>(bytesPerRow_));
    // Changes past the width are taken back to it (the reference row relies
    // on that) as the black runs are filled.
    std::int32_t* changes = current_.data();
    for (std::int32_t i = 0; i < count_; i += 2)
    {
        const std::int32_t from = changes[i] = std::min(changes[i], width_);
        std::int32_t to = width_;
        if (i + 1 < count_)
            to = changes[i + 1] = std::min(changes[i + 1], width_);
        setBlack(row, from, to);
    }
    if (twoDimensional_)
    {
        for (std::int32_t i = 0; i < kSentinels; ++i)
            changes[count_ + i] = width_;
        current_.swap(reference_);
    }
}

std::unique_ptr<CCITTDecoder> createCcittDecoder()
{
    return std::make_unique<Decoder>();
}

} // namespace Omvi
