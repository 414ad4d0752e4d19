#include "imaging/codecs/rlc/ContainerRasterFrame.h"

#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"

namespace Omvi
{

ContainerRasterFrame::ContainerRasterFrame() = default;

ContainerRasterFrame::~ContainerRasterFrame() = default;

void ContainerRasterFrame::getSize(int* height, int* width) const
{
    if (height)
        *height = height_;
    if (width)
        *width = width_;
}

FormatCodecPropertyInterface* ContainerRasterFrame::getProperty(const StringBuffer& name)
{
    std::unique_ptr<FormatCodecPropertySetIterator> set(getProperties());
    const FormatCodecPropertyInterface* found = set->findByName(name);
    return found != nullptr ? found->clone() : nullptr;
}

FormatCodecPropertyInterface* ContainerRasterFrame::getPropertyOfType(int propertyType)
{
    std::unique_ptr<FormatCodecPropertySetIterator> set(getProperties());
    const FormatCodecPropertyInterface* found = set->findByType(propertyType);
    return found != nullptr ? found->clone() : nullptr;
}

bool ContainerRasterFrame::readRasterSize(const CodecFile& file)
{
    std::uint8_t header[4];
    if (!file.readAt(0, header, sizeof header))
        return false;
    height_ = ByteOrder::bigEndian16(header);
    width_ = ByteOrder::bigEndian16(header + 2);
    return true;
}

void ContainerRasterFrame::attachCorrelations(const CorrelationPropertySetIterator* correlations)
{
    correlations_ = copyCorrelations(correlations);
    readExternalCorrelations(correlations_.get(), height_, width_);
}

} // namespace Omvi
