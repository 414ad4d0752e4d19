#pragma once
// The rows of an IG4 raster, decoded strip by strip in order: every strip
// is a Group 4 block of its own (first code bit lowest in each byte) that
// starts from a white reference row, and is decoded a row at a time, so no
// more than one strip's code and one row are held. A strip whose code ends
// before its last row throws FormatCodecException "Corrupt image file"
// (code 8), as does a raster with fewer strips than rows need.
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/rlc/ContainerRecords.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <memory>
#include <string>
#include <vector>

namespace Omvi
{

class CCITTDecoder;
class DecodeBlockStream;

class Ig4RowIteratorUC_1_1 : public RowIteratorInterface
{
public:
    Ig4RowIteratorUC_1_1(const std::string& nativePath, std::int32_t height, std::int32_t width,
                         const ContainerRecords::StripTable& strips);
    ~Ig4RowIteratorUC_1_1() override;

    std::int32_t bytesPerRow() const override { return bytesPerRow_; }
    void getRow(DataBuffer& row) override;
    bool next() override;
    std::int32_t rowCount() const override { return height_; }
    std::int32_t width() const override { return width_; }
    void start() override;
    void finish() override;

private:
    void decodeRow();

    std::string path_;
    std::int32_t height_;
    std::int32_t width_;
    std::int32_t bytesPerRow_;
    ContainerRecords::StripTable strips_;
    std::int32_t row_ = 0;
    CodecFile file_;
    std::vector<std::uint8_t> code_;
    std::unique_ptr<DecodeBlockStream> block_;
    std::unique_ptr<CCITTDecoder> decoder_;
    std::vector<std::uint8_t> bits_;
};

} // namespace Omvi
