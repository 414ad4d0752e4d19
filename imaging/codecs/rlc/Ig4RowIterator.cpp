#include "imaging/codecs/rlc/Ig4RowIterator.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/cals/CcittCoder.h"
#include "imaging/codecs/cals/DecodeBlockStream.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/codec/DecodedRow.h"

#include <cstring>

namespace Omvi
{

Ig4RowIteratorUC_1_1::Ig4RowIteratorUC_1_1(const std::string& nativePath, std::int32_t height, std::int32_t width,
                                           const ContainerRecords::StripTable& strips)
    : path_(nativePath),
      height_(height),
      width_(width),
      bytesPerRow_(width / 8 + (width % 8 != 0 ? 1 : 0)),
      strips_(strips)
{
}

Ig4RowIteratorUC_1_1::~Ig4RowIteratorUC_1_1() = default;

void Ig4RowIteratorUC_1_1::start()
{
    row_ = 0;
    bits_.assign(static_cast<std::size_t>(bytesPerRow_), 0);
    if (!file_.isOpen() && !file_.open(path_))
        throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
    decoder_ = createCcittDecoder();
    if (!decoder_->setup(CcittMode::kGroup4, CcittFillOrder::kLeastSignificantFirst, width_))
        throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
    decodeRow();
}

void Ig4RowIteratorUC_1_1::decodeRow()
{
    const std::int32_t strip = row_ / strips_.rowsPerStrip;
    if (static_cast<std::size_t>(strip) >= strips_.offsets.size())
        throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
    if (row_ % strips_.rowsPerStrip == 0)
    {
        // A new strip: its code, read whole, decoded from a white reference.
        const auto index = static_cast<std::size_t>(strip);
        code_.resize(strips_.sizes[index]);
        if (!code_.empty() && !file_.readAt(strips_.offsets[index], code_.data(), code_.size()))
            throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
        block_ = std::make_unique<DecodeBlockStream>(code_.data(), static_cast<std::int32_t>(code_.size()));
        block_->open(DataStreamInterface::kRead);
        decoder_->setStream(block_.get());
    }
    if (!decoder_->decodeRows(bits_.data(), bytesPerRow_))
        throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
}

void Ig4RowIteratorUC_1_1::getRow(DataBuffer& row)
{
    deliverDecodedRow(row, bits_, bytesPerRow_);
}

bool Ig4RowIteratorUC_1_1::next()
{
    ++row_;
    if (row_ < height_ && decoder_)
        decodeRow();
    return true;
}

void Ig4RowIteratorUC_1_1::finish()
{
    decoder_.reset();
    block_.reset();
    code_.clear();
    code_.shrink_to_fit();
    bits_.clear();
    file_.close();
}

} // namespace Omvi
