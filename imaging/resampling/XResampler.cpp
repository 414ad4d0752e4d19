#include "imaging/resampling/XResampler.h"

#include "imaging/DataBuffer.h"
#include "imaging/pipeline/RowComposer.h"
#include "imaging/pipeline/RowProviderInterface.h"

namespace Omvi
{

XResampler::~XResampler() = default;

void XResampler::skipRow(DataBuffer& scratch)
{
    if (source_ == nullptr)
        return;
    if (sourceIsComposer_)
    {
        dynamic_cast<RowComposer*>(source_)->skipRow();
        return;
    }
    const std::int32_t rowBytes = source_->bytesPerRow();
    if (scratch.size() < rowBytes)
        scratch.resize(rowBytes);
    source_->getNextRow(scratch);
}

bool XResampler::setSource(RowProviderInterface* source)
{
    source_ = source;
    sourceIsComposer_ = dynamic_cast<RowComposer*>(source) != nullptr;
    return sourceIsComposer_;
}

} // namespace Omvi
