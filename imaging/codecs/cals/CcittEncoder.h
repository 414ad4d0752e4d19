#pragma once
// The bilevel row encoder (see CcittCoder.h). Each row is first turned into
// the positions where its colour changes, found a word at a time; the codes
// are made from those positions and the previous row's (the reference of
// two-dimensional coding).
#include "imaging/codecs/cals/CcittCoder.h"

#include <cstdint>
#include <vector>

namespace Omvi
{

class Encoder : public CCITTEncoder
{
public:
    static constexpr std::int32_t kMaximumWidth = 1 << 24;

    // The most bytes the codes of one row of `width` pixels can take in any
    // mode (end-of-line code, fill and alignment included).
    static std::int64_t worstCaseRowBytes(std::int32_t width);

    Encoder();
    ~Encoder() override;

    bool setup(std::int32_t mode, std::int32_t fillOrder, std::int32_t options, std::int32_t width) override;
    bool encodeBlock(const std::uint8_t* data, std::int32_t byteCount, std::uint8_t* buffer, std::int32_t capacity,
                     std::int32_t* bytesProduced) override;
    void setOutput(std::uint8_t* buffer, std::int32_t capacity) override;
    void resetOutput() override;
    bool encodeRows(const std::uint8_t* data, std::int32_t byteCount, std::int32_t* bytesProduced) override;
    bool finish(std::int32_t* bytesProduced) override;

    std::int32_t bytesPerRow() const { return bytesPerRow_; }
    // Rows coded since the output was set.
    std::int32_t rowCounter() const { return rowCounter_; }

private:
    void findChanges(const std::uint8_t* row);
    std::int32_t nextChange(const std::uint8_t* row, std::int32_t position, bool black) const;
    void encodeRow(const std::uint8_t* row);
    void encodeOneDimensional();
    void encodeTwoDimensional();
    void putEndOfLine(int tag);
    void putRun(bool black, std::int32_t run);
    void put(std::uint32_t bits, int length);
    void padToByte();
    void appendByte(std::uint8_t byte);
    void reverseFrom(std::int32_t start);

    std::int32_t mode_ = 0;
    std::int32_t fillOrder_ = 1;
    std::int32_t options_ = 0;
    std::int32_t width_ = 0;
    std::int32_t bytesPerRow_ = 0;

    std::uint8_t* buffer_ = nullptr;
    std::int32_t capacity_ = 0;
    std::int32_t count_ = 0;
    bool full_ = false;
    std::int32_t rowCounter_ = 0;

    std::uint64_t bits_ = 0;  // pending code bits, the oldest highest
    int held_ = 0;            // below 8 between codes
    bool nextRowOneDimensional_ = true;
    std::int32_t k_ = 1;
    std::int32_t maximumK_ = 2;

    // Changes of the row being coded and of the reference row, each ended
    // by entries equal to the width.
    std::vector<std::int32_t> current_;
    std::vector<std::int32_t> reference_;
    std::int32_t changes_ = 0;
};

} // namespace Omvi
