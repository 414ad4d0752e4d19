#include "imaging/codecs/cals/CalsRowIterator.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/cals/CalsHeader.h"
#include "imaging/codecs/cals/CcittCoder.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/codec/DecodedRow.h"
#include "imaging/pipeline/DataStreamInterface.h"

#include <cstring>

namespace Omvi
{

CalsRowIterator::CalsRowIterator(DataStreamInterface* stream, std::int32_t pels, std::int32_t lines)
    : stream_(stream), pels_(pels), lines_(lines), bytesPerLine_((pels + 7) / 8)
{
}

CalsRowIterator::~CalsRowIterator() = default;

void CalsRowIterator::start()
{
    line_ = 0;
    ended_ = false;
    buffer_.assign(static_cast<std::size_t>(bytesPerLine_), 0);
    if (stream_->rewind())
    {
        std::uint8_t header[CalsHeader::kSize];
        std::size_t skipped = 0;
        while (skipped < sizeof header)
        {
            std::int32_t got = 0;
            stream_->read(static_cast<std::int32_t>(sizeof header - skipped), header + skipped, &got);
            if (got < 1)
                break;
            skipped += static_cast<std::size_t>(got);
        }
    }
    decoder_ = createCcittDecoder();
    decoder_->setup(CcittMode::kGroup4, CcittFillOrder::kMostSignificantFirst, pels_);
    decoder_->setStream(stream_);
    decodeLine();
}

void CalsRowIterator::decodeLine()
{
    if (ended_ || !decoder_)
        return;
    if (!decoder_->decodeRows(buffer_.data(), bytesPerLine_))
    {
        // The line is filled white past where the code stopped, and so
        // are the lines after it; the caller hears of it.
        ended_ = true;
        throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
    }
}

void CalsRowIterator::getRow(DataBuffer& row)
{
    deliverDecodedRow(row, buffer_, bytesPerLine_);
}

bool CalsRowIterator::next()
{
    ++line_;
    if (line_ < lines_)
        decodeLine();
    return true;
}

void CalsRowIterator::finish()
{
    decoder_.reset();
    buffer_.clear();
    buffer_.shrink_to_fit();
}

} // namespace Omvi
