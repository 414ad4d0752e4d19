#include "imaging/codecs/cals/CalsReadFileFrame.h"

#include "imaging/codecs/cals/CalsProperties.h"
#include "imaging/codecs/cals/CalsRowIterator.h"
#include "imaging/codecs/cals/CcittDecoder.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/pipeline/DataStreamInterface.h"

#include <memory>

namespace Omvi
{

CalsReadFileFrame::CalsReadFileFrame(DataStreamInterface* stream, const CorrelationPropertySetIterator* correlations)
    : stream_(stream)
{
    if (correlations != nullptr)
        correlations_ = std::make_unique<CorrelationPropertySetIterator>(*correlations);
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
    if (correlations_)
    {
        for (std::int32_t i = 0; i < correlations_->count(); ++i)
            if (auto* external = dynamic_cast<FormatCodecExternalCorrelation*>(correlations_->at(i)))
            {
                external->setImageSize(lines_, pels_);
                external->read();
            }
    }
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
    if (correlations_)
    {
        for (std::int32_t i = 0; i < correlations_->count(); ++i)
        {
            const auto* correlation = dynamic_cast<const FormatCodecCorrelation*>(correlations_->at(i));
            if (correlation != nullptr && correlation->isValid())
                set->append(correlation);
        }
    }
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
    if (propertyType == FormatCodecPropertyInterface::kCorrelation && correlations_)
    {
        for (std::int32_t i = 0; i < correlations_->count(); ++i)
        {
            const auto* correlation = dynamic_cast<const FormatCodecCorrelation*>(correlations_->at(i));
            if (correlation != nullptr && correlation->isValid())
                return correlation->clone();
        }
    }
    return nullptr;
}

} // namespace Omvi
