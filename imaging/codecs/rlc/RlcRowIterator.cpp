#include "imaging/codecs/rlc/RlcRowIterator.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/codec/DecodedRow.h"

#include <cstring>

namespace Omvi
{
namespace
{

constexpr std::size_t kInputSize = 64 * 1024;

void setBlack(std::uint8_t* row, std::int32_t from, std::int32_t to)
{
    for (std::int32_t x = from; x < to; ++x)
    {
        if ((x & 7) == 0 && to - x >= 8)
        {
            const std::int32_t bytes = (to - x) / 8;
            std::memset(row + x / 8, 0xFF, static_cast<std::size_t>(bytes));
            x += bytes * 8 - 1;
            continue;
        }
        row[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
    }
}

} // namespace

RlcRowIteratorUC_1_1::RlcRowIteratorUC_1_1(const std::string& nativePath, std::int32_t height, std::int32_t width)
    : path_(nativePath), height_(height), width_(width), bytesPerRow_(width / 8 + (width % 8 != 0 ? 1 : 0))
{
}

RlcRowIteratorUC_1_1::~RlcRowIteratorUC_1_1() = default;

bool RlcRowIteratorUC_1_1::word(std::uint16_t& value)
{
    if (inputEnd_ - inputPosition_ < 2)
    {
        const std::size_t kept = inputEnd_ - inputPosition_;
        std::memmove(input_.data(), input_.data() + inputPosition_, kept);
        const std::size_t got = file_.readSomeAt(fileOffset_, input_.data() + kept, input_.size() - kept);
        fileOffset_ += static_cast<std::int64_t>(got);
        inputPosition_ = 0;
        inputEnd_ = kept + got;
        if (inputEnd_ < 2)
            return false;
    }
    value = static_cast<std::uint16_t>(input_[inputPosition_] << 8 | input_[inputPosition_ + 1]);
    inputPosition_ += 2;
    return true;
}

void RlcRowIteratorUC_1_1::start()
{
    row_ = 0;
    input_.resize(kInputSize);
    inputPosition_ = 0;
    inputEnd_ = 0;
    fileOffset_ = 4;
    bits_.assign(static_cast<std::size_t>(bytesPerRow_), 0);
    if (!file_.isOpen() && !file_.open(path_))
        throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
    readRow();
}

void RlcRowIteratorUC_1_1::readRow()
{
    std::memset(bits_.data(), 0, bits_.size());
    std::uint16_t pairs = 0;
    if (!word(pairs))
        throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
    for (std::uint32_t i = 0; i < pairs; ++i)
    {
        std::uint16_t a = 0;
        std::uint16_t b = 0;
        if (!word(a) || !word(b))
            throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
        // Columns counted from the right end of the row; a pair that
        // reaches past either end is left out.
        if (a <= b && b <= width_)
            setBlack(bits_.data(), width_ - b, width_ - a);
    }
}

void RlcRowIteratorUC_1_1::getRow(DataBuffer& row)
{
    deliverDecodedRow(row, bits_, bytesPerRow_);
}

bool RlcRowIteratorUC_1_1::next()
{
    ++row_;
    if (row_ < height_ && !bits_.empty())
        readRow();
    return true;
}

void RlcRowIteratorUC_1_1::finish()
{
    file_.close();
    input_.clear();
    input_.shrink_to_fit();
    bits_.clear();
}

} // namespace Omvi
