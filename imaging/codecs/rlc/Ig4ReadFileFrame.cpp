#include "imaging/codecs/rlc/Ig4ReadFileFrame.h"

#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/rlc/Ig4Properties.h"
#include "imaging/codecs/rlc/Ig4RowIterator.h"
#include "imaging/codecs/rlc/RlcContainer.h"

namespace Omvi
{

Ig4ReadFileFrame::Ig4ReadFileFrame(const std::string& nativePath, const CorrelationPropertySetIterator* correlations)
    : path_(nativePath)
{
    CodecFile file;
    std::uint8_t header[4];
    if (file.open(path_) && file.readAt(0, header, sizeof header))
    {
        height_ = ByteOrder::bigEndian16(header);
        width_ = ByteOrder::bigEndian16(header + 2);
        std::vector<ContainerRecords::Entry> entries;
        if (ContainerRecords::readTrailer(file, RlcContainer::kIg4FormatCode, entries))
        {
            std::uint32_t dataEnd = 0;
            for (const auto& entry : entries)
                if (entry.type == ContainerRecords::kDataEnd)
                    dataEnd = entry.value;
            for (const auto& entry : entries)
                if (entry.type == ContainerRecords::kStripTable)
                {
                    haveStrips_ = ContainerRecords::readStripTable(file, entry, dataEnd, strips_);
                    break;
                }
        }
    }
    correlations_ = copyCorrelations(correlations);
    readExternalCorrelations(correlations_.get(), height_, width_);
}

Ig4ReadFileFrame::~Ig4ReadFileFrame() = default;

void Ig4ReadFileFrame::getSize(int* height, int* width) const
{
    if (height)
        *height = height_;
    if (width)
        *width = width_;
}

RowIteratorInterface* Ig4ReadFileFrame::newRowIterator()
{
    if (!haveStrips_ || height_ < 1 || width_ < 1)
        return nullptr;
    return new Ig4RowIteratorUC_1_1(path_, height_, width_, strips_);
}

FormatCodecPropertySetIterator* Ig4ReadFileFrame::getProperties()
{
    auto set = std::make_unique<Ig4PropertySetIterator>(path_);
    appendValidCorrelations(correlations_.get(), *set);
    return set.release();
}

FormatCodecPropertyInterface* Ig4ReadFileFrame::getProperty(const StringBuffer& name)
{
    std::unique_ptr<FormatCodecPropertySetIterator> set(getProperties());
    const FormatCodecPropertyInterface* found = set->findByName(name);
    return found != nullptr ? found->clone() : nullptr;
}

FormatCodecPropertyInterface* Ig4ReadFileFrame::getPropertyOfType(int propertyType)
{
    std::unique_ptr<FormatCodecPropertySetIterator> set(getProperties());
    const FormatCodecPropertyInterface* found = set->findByType(propertyType);
    return found != nullptr ? found->clone() : nullptr;
}

} // namespace Omvi
