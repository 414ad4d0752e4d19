#include "imaging/codecs/rlc/RlcReadFileFrame.h"

#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
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
    if (file.open(pathOf(rasterFile_)))
        readRasterSize(file);
    attachCorrelations(correlations);
}

RlcReadFileFrame::~RlcReadFileFrame() = default;

RowIteratorInterface* RlcReadFileFrame::newRowIterator()
{
    if (height() < 1 || width() < 1)
        return nullptr;
    return new RlcRowIteratorUC_1_1(pathOf(rasterFile_), height(), width());
}

FormatCodecPropertySetIterator* RlcReadFileFrame::getProperties()
{
    auto set = std::make_unique<RlcPropertySetIterator>(pathOf(listingFile_), entryIndex_, rasterIndex_ == 0);
    appendValidCorrelations(correlations(), *set);
    return set.release();
}

} // namespace Omvi
