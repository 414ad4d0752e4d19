#include "imaging/codecs/targa/TargaReadFile.h"

#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/targa/TargaFileState.h"
#include "imaging/codecs/targa/TargaFormatCodec.h"
#include "imaging/codecs/targa/TargaProperties.h"
#include "imaging/codecs/targa/TargaRowIterator.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{

TargaReadFile::TargaReadFile(const TargaFormatCodec* codec, const FileSpecifier& file,
                             std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : CodecReadFile(codec, file, std::move(correlations)), handle_(openSharedFile())
{
    if (handle_->isOpen())
        state_ = std::make_shared<const TargaFileState>(handle_);
}

TargaReadFile::~TargaReadFile() = default;

int TargaReadFile::frameCount() const
{
    return state_ ? 1 : 0;
}

ReadImageFileFrameInterface* TargaReadFile::openFrame(int)
{
    if (!state_)
        return nullptr;
    return new TargaReadFileFrame(state_, copyCorrelations(correlations()));
}

TargaReadFileFrame::TargaReadFileFrame(std::shared_ptr<const TargaFileState> state,
                                       std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : state_(std::move(state)), correlations_(std::move(correlations))
{
    readExternalCorrelations(correlations_.get(), state_->height, state_->width, pixelsWithoutUnit);
}

TargaReadFileFrame::~TargaReadFileFrame() = default;

void TargaReadFileFrame::getSize(int* height, int* width) const
{
    if (height)
        *height = state_->height;
    if (width)
        *width = state_->width;
}

int TargaReadFileFrame::dataModelKind() const
{
    return state_->kind;
}

int TargaReadFileFrame::sampleKind() const
{
    return state_->kind == 1 ? 3 : 1;
}

int TargaReadFileFrame::bitsPerPixel() const
{
    if (state_->kind == 3 && state_->storedBits == 16)
        return 8;  // grey with alpha delivers its grey byte alone
    return state_->storedBits == 15 || state_->storedBits == 16 ? 24 : state_->storedBits;
}

int TargaReadFileFrame::getOrientation() const
{
    return state_->orientation;
}

int TargaReadFileFrame::paletteCount() const
{
    return state_->mapEntries;
}

void TargaReadFileFrame::getPalette(int count, std::uint8_t* rgb) const
{
    if (rgb == nullptr || count < 1 || state_->mapEntries < 1)
        return;
    std::memcpy(rgb, state_->palette, static_cast<std::size_t>(std::min(count, state_->mapEntries)) * 3);
}

const char* TargaReadFileFrame::rowRefusal() const
{
    return state_->refusal;
}

RowIteratorInterface* TargaReadFileFrame::newRowIterator()
{
    if (!state_->decodable)
        return nullptr;
    return new TargaRowIterator(state_);
}

FormatCodecPropertySetIterator* TargaReadFileFrame::getProperties()
{
    auto set = std::make_unique<TargaPropertySetIterator>();
    appendValidCorrelations(correlations_.get(), *set);
    return set.release();
}

FormatCodecPropertyInterface* TargaReadFileFrame::getPropertyOfType(int propertyType)
{
    if (propertyType != FormatCodecPropertyInterface::kCorrelation)
        return nullptr;
    return cloneFirstValidCorrelation(correlations_.get());
}

} // namespace Omvi
