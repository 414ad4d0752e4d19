#include "imaging/codecs/cals/CalsReadFileFrame.h"

#include "imaging/codecs/cals/CalsProperties.h"
#include "imaging/codecs/cals/CalsRowIterator.h"
#include "imaging/codecs/cals/CcittDecoder.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/pipeline/DataStreamInterface.h"

#include <memory>

namespace Omvi
{

CalsReadFileFrame::CalsReadFileFrame(DataStreamInterface* stream, const CorrelationPropertySetIterator* correlations)
    : stream_(stream)
{
    correlations_ = copyCorrelations(correlations);
    // A frame opened again reads the header again from the start.
    stream_->rewind();
    std::size_t filled = 0;
    while (filled < CalsHeader::kSize)
    {
        std::int32_t got = 0;
        stream_->read(static_cast<std::int32_t>(CalsHeader::kSize - filled), header_.block() + filled, &got);
        if (got < 1)
            break;
        filled += static_cast<std::size_t>(got);
    }
    header_.pelCount(&pels_, &lines_);
    readExternalCorrelations(correlations_.get(), lines_, pels_);
}

CalsReadFileFrame::~CalsReadFileFrame() = default;

void CalsReadFileFrame::getSize(int* height, int* width) const
{
    if (height)
        *height = lines_;
    if (width)
        *width = pels_;
}

RowIteratorInterface* CalsReadFileFrame::newRowIterator()
{
    if (lines_ < 1 || pels_ < 1 || pels_ > Decoder::kMaximumWidth)
        return nullptr;
    return new CalsRowIterator(stream_, pels_, lines_);
}

FormatCodecPropertySetIterator* CalsReadFileFrame::getProperties()
{
    std::unique_ptr<CalsPropertySetIterator> set(newCalsHeaderProperties(header_, 8));
    appendValidCorrelations(correlations_.get(), *set);
    return set.release();
}

FormatCodecPropertyInterface* CalsReadFileFrame::getProperty(const StringBuffer& name)
{
    return newCalsHeaderProperty(header_, name);
}

FormatCodecPropertyInterface* CalsReadFileFrame::getPropertyOfType(int propertyType)
{
    if (propertyType == FormatCodecPropertyInterface::kDensity)
        return new CalsDensityProperty(CalsDensityProperty::fromHeader(header_));
    if (propertyType == FormatCodecPropertyInterface::kCorrelation)
        return cloneFirstValidCorrelation(correlations_.get());
    return nullptr;
}

} // namespace Omvi
