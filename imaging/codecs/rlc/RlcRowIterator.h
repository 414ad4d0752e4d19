#pragma once
// The rows of an RLC raster, read one after another from its run lists:
// each row is a count of pairs (a, b), big-endian 16-bit values, and every
// pair makes black the columns from width - b up to width - a. Pairs that
// reach outside the row are skipped. A file that ends before the last row
// throws FormatCodecException "Corrupt image file" (code 8).
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <string>
#include <vector>

namespace Omvi
{

class RlcRowIteratorUC_1_1 : public RowIteratorInterface
{
public:
    RlcRowIteratorUC_1_1(const std::string& nativePath, std::int32_t height, std::int32_t width);
    ~RlcRowIteratorUC_1_1() override;

    std::int32_t bytesPerRow() const override { return bytesPerRow_; }
    void getRow(DataBuffer& row) override;
    bool next() override;
    std::int32_t rowCount() const override { return height_; }
    std::int32_t width() const override { return width_; }
    void start() override;
    void finish() override;

private:
    void readRow();
    bool word(std::uint16_t& value);

    std::string path_;
    std::int32_t height_;
    std::int32_t width_;
    std::int32_t bytesPerRow_;
    std::int32_t row_ = 0;
    CodecFile file_;
    std::vector<std::uint8_t> input_;
    std::size_t inputPosition_ = 0;
    std::size_t inputEnd_ = 0;
    std::int64_t fileOffset_ = 0;
    std::vector<std::uint8_t> bits_;
};

} // namespace Omvi
