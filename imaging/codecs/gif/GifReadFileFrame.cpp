#include "imaging/codecs/gif/GifReadFileFrame.h"

#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/gif/GifDecoder.h"
#include "imaging/codecs/gif/GifRowIterator.h"
#include "imaging/models/DataModel.h"

namespace Omvi
{

GifReadFileFrame::GifReadFileFrame(const FileSpecifier& file, CorrelationPropertySetIterator* correlations)
    : file_(file),
      correlations_(correlations),
      decoder_(std::make_unique<GifDecoder>(CodecFile::nativePath(file).value_or(std::string())))
{
    if (decoder_->hasImage())
        readExternalCorrelations(correlations_, decoder_->height(), decoder_->width());
}

GifReadFileFrame::~GifReadFileFrame() = default;

bool GifReadFileFrame::hasImage() const
{
    return decoder_->hasImage();
}

void GifReadFileFrame::getSize(int* height, int* width) const
{
    if (height != nullptr)
        *height = decoder_->height();
    if (width != nullptr)
        *width = decoder_->width();
}

int GifReadFileFrame::dataModelKind() const
{
    return kColorSpacePalette;
}

int GifReadFileFrame::sampleKind() const
{
    return kDataTypeEightBit;
}

int GifReadFileFrame::paletteCount() const
{
    return decoder_->colorCount();
}

void GifReadFileFrame::getPalette(int count, std::uint8_t* rgb) const
{
    decoder_->copyPalette(count, rgb);
}

const char* GifReadFileFrame::rowRefusal() const
{
    if (!decoder_->hasImage())
        return decoder_->noImageReason();
    if (decoder_->isInterlaced() &&
        std::int64_t(decoder_->width()) * decoder_->height() > GifDecoder::kInterlacedImageLimit)
        return "The GIF file's interlaced image is too large to be held in memory";
    return nullptr;
}

RowIteratorInterface* GifReadFileFrame::newRowIterator()
{
    if (!decoder_->hasImage())
        return nullptr;
    if (decoder_->isInterlaced() &&
        std::int64_t(decoder_->width()) * decoder_->height() > GifDecoder::kInterlacedImageLimit)
        return nullptr;
    auto rows = std::make_unique<GifRowIterator>(file_);
    return rows->isUsable() ? rows.release() : nullptr;
}

FormatCodecPropertySetIterator* GifReadFileFrame::getProperties()
{
    if (correlations_ == nullptr)
        return new FormatCodecPropertySetIterator();
    return new CorrelationPropertySetIterator(*correlations_);
}

FormatCodecPropertyInterface* GifReadFileFrame::getProperty(const StringBuffer&)
{
    return nullptr;
}

FormatCodecPropertyInterface* GifReadFileFrame::getPropertyOfType(int propertyType)
{
    if (propertyType != FormatCodecPropertyInterface::kCorrelation)
        return nullptr;
    return cloneFirstValidCorrelation(correlations_);
}

} // namespace Omvi
