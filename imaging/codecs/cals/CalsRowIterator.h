#pragma once
// Delivers the lines of a CALS raster one after another, decoded from the
// Group 4 code after the header. A raster whose code ends or is damaged
// before its last line throws FormatCodecException "Corrupt image file"
// (code 8) at that line, so a header that claims more lines than the code
// holds costs no more work than the code does.
#include "imaging/pipeline/RowIteratorInterface.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Omvi
{

class CCITTDecoder;
class DataStreamInterface;

class CalsRowIterator : public RowIteratorInterface
{
public:
    CalsRowIterator(DataStreamInterface* stream, std::int32_t pels, std::int32_t lines);
    ~CalsRowIterator() override;

    std::int32_t bytesPerRow() const override { return bytesPerLine_; }
    // Throws ImageFilterException when `row` is shorter than a line.
    void getRow(DataBuffer& row) override;
    bool next() override;
    std::int32_t rowCount() const override { return lines_; }
    std::int32_t width() const override { return pels_; }
    // Decodes from the first raster byte (the stream goes back to the start
    // and past the header when it can; else it is read from where it
    // stands) and decodes the first line.
    void start() override;
    void finish() override;

private:
    void decodeLine();

    DataStreamInterface* stream_;
    std::int32_t pels_;
    std::int32_t lines_;
    std::int32_t bytesPerLine_;
    std::int32_t line_ = 0;
    bool ended_ = false;
    std::vector<std::uint8_t> buffer_;
    std::unique_ptr<CCITTDecoder> decoder_;
};

} // namespace Omvi
