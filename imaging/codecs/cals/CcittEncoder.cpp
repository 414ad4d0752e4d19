#include "imaging/codecs/cals/CcittEncoder.h"

#include "imaging/codecs/cals/CcittTables.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace Omvi
{
namespace
{

using namespace CcittTables;

constexpr std::int32_t kSentinels = 4;

inline int leadingZeros8(std::uint32_t byte)
{
    return __builtin_clz(byte) - 24;
}

} // namespace

std::int64_t Encoder::worstCaseRowBytes(std::int32_t width)
{
    // Two-dimensional coding takes at most about 12 bits a pixel (a
    // horizontal mode of two one-pixel runs), one-dimensional at most 8; an
    // end-of-line code with fill and tag, the row's first and last modes
    // and word alignment add a few bytes.
    return 3 * static_cast<std::int64_t>(std::max(width, 0)) / 2 + 32;
}

Encoder::Encoder() = default;

Encoder::~Encoder() = default;

bool Encoder::setup(std::int32_t mode, std::int32_t fillOrder, std::int32_t options, std::int32_t width)
{
    width_ = 0;
    bytesPerRow_ = 0;
    if (mode < CcittMode::kGroup3OneDimensional || mode > CcittMode::kGroup4 || width < 1 || width > kMaximumWidth)
        return false;
    mode_ = mode;
    fillOrder_ = fillOrder;
    options_ = options;
    width_ = width;
    bytesPerRow_ = (width + 7) / 8;
    current_.assign(static_cast<std::size_t>(width) + 1 + kSentinels, width);
    reference_.assign(current_.size(), width);
    return true;
}

void Encoder::setOutput(std::uint8_t* buffer, std::int32_t capacity)
{
    buffer_ = buffer;
    capacity_ = buffer != nullptr ? std::max(capacity, 0) : 0;
    count_ = 0;
    rowCounter_ = 0;
    full_ = false;
    bits_ = 0;
    held_ = 0;
    nextRowOneDimensional_ = true;
    maximumK_ = 2;
    k_ = 1;
    std::fill(reference_.begin(), reference_.end(), width_);
}

void Encoder::resetOutput()
{
    count_ = 0;
}

bool Encoder::encodeRows(const std::uint8_t* data, std::int32_t byteCount, std::int32_t* bytesProduced)
{
    const std::int32_t before = count_;
    if (width_ >= 1 && data != nullptr && byteCount > 0)
    {
        const std::int32_t rows = byteCount / bytesPerRow_;
        for (std::int32_t r = 0; r < rows && !full_; ++r)
            encodeRow(data + static_cast<std::ptrdiff_t>(r) * bytesPerRow_);
    }
    reverseFrom(before);
    if (bytesProduced != nullptr)
        *bytesProduced = count_ - before;
    return !full_ && width_ >= 1;
}

bool Encoder::finish(std::int32_t* bytesProduced)
{
    const std::int32_t before = count_;
    if (mode_ == CcittMode::kGroup4)
    {
        // The end of the block: two end-of-line codes.
        put(kEol.bits, kEol.length);
        put(kEol.bits, kEol.length);
    }
    padToByte();
    reverseFrom(before);
    if (bytesProduced != nullptr)
        *bytesProduced = count_ - before;
    return !full_ && width_ >= 1;
}

bool Encoder::encodeBlock(const std::uint8_t* data, std::int32_t byteCount, std::uint8_t* buffer,
                          std::int32_t capacity, std::int32_t* bytesProduced)
{
    setOutput(buffer, capacity);
    std::int32_t produced = 0;
    const bool coded = encodeRows(data, byteCount, &produced) && finish(&produced);
    if (bytesProduced != nullptr)
        *bytesProduced = count_;
    return coded;
}

void Encoder::reverseFrom(std::int32_t start)
{
    if (fillOrder_ == CcittFillOrder::kMostSignificantFirst || buffer_ == nullptr)
        return;
    for (std::int32_t i = start; i < count_; ++i)
        buffer_[i] = kReversedBits[buffer_[i]];
}

void Encoder::appendByte(std::uint8_t byte)
{
    if (count_ >= capacity_)
    {
        full_ = true;
        return;
    }
    buffer_[count_++] = byte;
}

void Encoder::put(std::uint32_t bits, int length)
{
    bits_ = (bits_ << length) | bits;
    held_ += length;
    while (held_ >= 8)
    {
        held_ -= 8;
        appendByte(static_cast<std::uint8_t>(bits_ >> held_));
    }
    bits_ &= (1u << held_) - 1;
}

void Encoder::padToByte()
{
    if (held_ > 0)
        put(0, 8 - held_);
}

void Encoder::putRun(bool black, std::int32_t run)
{
    const Code* terminating = black ? kBlackTerminating : kWhiteTerminating;
    const Code* makeUp = black ? kBlackMakeUp : kWhiteMakeUp;
    while (run >= 2624)
    {
        put(kExtendedMakeUp[12].bits, kExtendedMakeUp[12].length);
        run -= 2560;
    }
    if (run >= 64)
    {
        const std::int32_t units = run / 64;
        const Code& code = units <= 27 ? makeUp[units - 1] : kExtendedMakeUp[units - 28];
        put(code.bits, code.length);
        run -= units * 64;
    }
    put(terminating[run].bits, terminating[run].length);
}

std::int32_t Encoder::nextChange(const std::uint8_t* row, std::int32_t position, bool black) const
{
    // The first pixel at or after `position` whose colour is not `black`.
    const std::uint32_t flip = black ? 0xFF : 0x00;
    std::size_t i = static_cast<std::size_t>(position) >> 3;
    const auto bytes = static_cast<std::size_t>(bytesPerRow_);
    std::uint32_t byte = (row[i] ^ flip) & (0xFFu >> (position & 7));
    if (byte != 0)
        return static_cast<std::int32_t>(i * 8) + leadingZeros8(byte);
    ++i;
    const std::uint64_t flipWord = black ? ~std::uint64_t{0} : 0;
    for (; i + 8 <= bytes; i += 8)
    {
        std::uint64_t word;
        std::memcpy(&word, row + i, sizeof word);
        word = __builtin_bswap64(word) ^ flipWord;
        if (word != 0)
            return static_cast<std::int32_t>(i * 8) + __builtin_clzll(word);
    }
    for (; i < bytes; ++i)
    {
        byte = row[i] ^ flip;
        if (byte != 0)
            return static_cast<std::int32_t>(i * 8) + leadingZeros8(byte);
    }
    return width_;
}

void Encoder::findChanges(const std::uint8_t* row)
{
    std::int32_t* changes = current_.data();
    std::int32_t count = 0;
    std::int32_t position = 0;
    bool black = false;
    for (;;)
    {
        position = nextChange(row, position, black);
        if (position >= width_)
            break;
        changes[count++] = position;
        black = !black;
    }
    for (std::int32_t i = 0; i < kSentinels; ++i)
        changes[count + i] = width_;
    changes_ = count;
}

void Encoder::putEndOfLine(int tag)
{
    if ((options_ & CcittOption::kNoEol) != 0)
        return;
    if ((options_ & CcittOption::kFillBeforeEol) != 0)
    {
        // Zero bits so that the twelve bits of the code end a byte.
        const int fill = held_ <= 4 ? 4 - held_ : 12 - held_;
        if (fill > 0)
            put(0, fill);
    }
    if (tag < 0)
        put(kEol.bits, kEol.length);
    else
        put((kEol.bits << 1) | static_cast<std::uint32_t>(tag), kEol.length + 1);
}

void Encoder::encodeRow(const std::uint8_t* row)
{
    findChanges(row);
    ++rowCounter_;
    switch (mode_)
    {
    case CcittMode::kGroup4:
        encodeTwoDimensional();
        break;
    case CcittMode::kGroup3OneDimensional:
        putEndOfLine(-1);
        encodeOneDimensional();
        break;
    default:
        if (nextRowOneDimensional_)
        {
            putEndOfLine(1);
            encodeOneDimensional();
            nextRowOneDimensional_ = false;
        }
        else
        {
            putEndOfLine(0);
            encodeTwoDimensional();
            if (--k_ <= 0)
            {
                nextRowOneDimensional_ = true;
                k_ = maximumK_ - 1;
            }
        }
        break;
    }
    if (mode_ != CcittMode::kGroup4 &&
        (options_ & (CcittOption::kByteAlignedRows | CcittOption::kWordAlignedRows)) != 0)
    {
        padToByte();
        if ((options_ & CcittOption::kWordAlignedRows) != 0 && (count_ & 1) != 0)
            appendByte(0);
    }
    current_.swap(reference_);
}

void Encoder::encodeOneDimensional()
{
    const std::int32_t* changes = current_.data();
    std::int32_t previous = 0;
    bool black = false;
    for (std::int32_t i = 0; i < changes_ && !full_; ++i)
    {
        putRun(black, changes[i] - previous);
        previous = changes[i];
        black = !black;
    }
    putRun(black, width_ - previous);
}

void Encoder::encodeTwoDimensional()
{
    const std::int32_t* current = current_.data();
    const std::int32_t* reference = reference_.data();
    std::int32_t a0 = -1;  // before the first pixel
    bool black = false;
    std::size_t ai = 0;
    std::size_t bi = 0;
    while (a0 < width_ && !full_)
    {
        while (current[ai] <= a0)
            ++ai;
        const std::int32_t a1 = current[ai];
        // b1: the first change of the reference row after a0 into the
        // colour opposite to a0's (even indexes turn black).
        while (reference[bi] <= a0 || (bi & 1) != static_cast<std::size_t>(black))
            ++bi;
        const std::int32_t b1 = reference[bi];
        const std::int32_t b2 = reference[bi + 1];
        if (b2 < a1)
        {
            put(kPass.bits, kPass.length);
            a0 = b2;
        }
        else if (std::abs(a1 - b1) <= 3)
        {
            const Code& code = kVertical[a1 - b1 + 3];
            put(code.bits, code.length);
            a0 = a1;
            black = !black;
            bi = bi > 0 ? bi - 1 : 0;
        }
        else
        {
            const std::int32_t a2 = current[ai + 1];
            put(kHorizontal.bits, kHorizontal.length);
            putRun(black, a1 - std::max(a0, 0));
            putRun(!black, a2 - a1);
            a0 = a2;
        }
    }
}

std::unique_ptr<CCITTEncoder> createCcittEncoder()
{
    return std::make_unique<Encoder>();
}

} // namespace Omvi
