#include "imaging/codecs/rlc/RlcReadFileFrame.h"

#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/rlc/RlcProperties.h"
#include "imaging/codecs/rlc/RlcRowIterator.h"

namespace Omvi
{
namespace
{

std::string pathOf(const FileSpecifier& file)
{
    return CodecFile::nativePath(file).value_or(std::string());
}

} // namespace

RlcReadFileFrame::RlcReadFileFrame(std::int32_t rasterIndex, const FileSpecifier& listingFile,
                                   const FileSpecifier& rasterFile, std::int32_t entryIndex,
                                   const CorrelationPropertySetIterator* correlations)
    : rasterIndex_(rasterIndex), listingFile_(listingFile), rasterFile_(rasterFile), entryIndex_(entryIndex)
{
    CodecFile file;
    std::uint8_t header[4];
    if (file.open(pathOf(rasterFile_)) && file.readAt(0, header, sizeof header))
    {
        height_ = ByteOrder::bigEndian16(header);
        width_ = ByteOrder::bigEndian16(header + 2);
    }
    correlations_ = copyCorrelations(correlations);
    readExternalCorrelations(correlations_.get(), height_, width_);
}

RlcReadFileFrame::~RlcReadFileFrame() = default;

void RlcReadFileFrame::getSize(int* height, int* width) const
{
    if (height)
        *height = height_;
    if (width)
        *width = width_;
}

RowIteratorInterface* RlcReadFileFrame::newRowIterator()
{
    if (height_ < 1 || width_ < 1)
        return nullptr;
    return new RlcRowIteratorUC_1_1(pathOf(rasterFile_), height_, width_);
}

FormatCodecPropertySetIterator* RlcReadFileFrame::getProperties()
{
    auto set = std::make_unique<RlcPropertySetIterator>(pathOf(listingFile_), entryIndex_, rasterIndex_ == 0);
    appendValidCorrelations(correlations_.get(), *set);
    return set.release();
}

FormatCodecPropertyInterface* RlcReadFileFrame::getProperty(const StringBuffer& name)
{
    std::unique_ptr<FormatCodecPropertySetIterator> set(getProperties());
    const FormatCodecPropertyInterface* found = set->findByName(name);
    return found != nullptr ? found->clone() : nullptr;
}

FormatCodecPropertyInterface* RlcReadFileFrame::getPropertyOfType(int propertyType)
{
    std::unique_ptr<FormatCodecPropertySetIterator> set(getProperties());
    const FormatCodecPropertyInterface* found = set->findByType(propertyType);
    return found != nullptr ? found->clone() : nullptr;
}

} // namespace Omvi
