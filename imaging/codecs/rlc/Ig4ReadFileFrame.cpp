#include "imaging/codecs/rlc/Ig4ReadFileFrame.h"

#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
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
    if (file.open(path_) && readRasterSize(file))
    {
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
    attachCorrelations(correlations);
}

Ig4ReadFileFrame::~Ig4ReadFileFrame() = default;

RowIteratorInterface* Ig4ReadFileFrame::newRowIterator()
{
    if (!haveStrips_ || height() < 1 || width() < 1)
        return nullptr;
    return new Ig4RowIteratorUC_1_1(path_, height(), width(), strips_);
}

FormatCodecPropertySetIterator* Ig4ReadFileFrame::getProperties()
{
    auto set = std::make_unique<Ig4PropertySetIterator>(path_);
    appendValidCorrelations(correlations(), *set);
    return set.release();
}

} // namespace Omvi
