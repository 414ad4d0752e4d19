#include "imaging/codecs/gif/GifRowIterator.h"

#include "imaging/DataBuffer.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/gif/GifDecoder.h"

#include <cstring>

namespace Omvi
{

GifRowIterator::GifRowIterator(const FileSpecifier& file)
    : decoder_(std::make_unique<GifDecoder>(CodecFile::nativePath(file).value_or(std::string())))
{
    if (decoder_->hasImage())
    {
        width_ = decoder_->width();
        height_ = decoder_->height();
    }
    row_.assign(static_cast<std::size_t>(width_), 255);
}

GifRowIterator::~GifRowIterator() = default;

bool GifRowIterator::isUsable() const
{
    return decoder_->hasImage();
}

void GifRowIterator::start()
{
    decoder_->reset();
    current_ = 0;
    readCurrentRow();
}

bool GifRowIterator::next()
{
    if (current_ < height_)
        ++current_;
    if (current_ < height_)
        readCurrentRow();
    return true;
}

void GifRowIterator::readCurrentRow()
{
    // A row the data does not reach whole is refused, not made up.
    if (!decoder_->readRow(current_, row_.data()))
    {
        if (decoder_->pixelPastTable() >= 0)
            throwPixelPastPalette("GIF", decoder_->pixelPastTable(), decoder_->colorCount());
        throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
    }
}

void GifRowIterator::getRow(DataBuffer& row)
{
    if (row.size() < width_ || (width_ > 0 && row.data() == nullptr))
        throwFormatCodecException("Invalid parameter", kCodecInvalidColorModel);
    if (width_ > 0)
        std::memcpy(row.data(), row_.data(), static_cast<std::size_t>(width_));
}

void GifRowIterator::finish()
{
    decoder_->releaseImage();
}

} // namespace Omvi
