#include "imaging/codecs/pict/PictReadFile.h"

#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/pict/PictFormatCodec.h"
#include "imaging/codecs/pict/PictPicture.h"
#include "imaging/codecs/pict/PictProperties.h"
#include "imaging/codecs/pict/PictRowIterator.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{

PictReadFile::PictReadFile(const PictFormatCodec* codec, const FileSpecifier& file,
                           std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : CodecReadFile(codec, file, std::move(correlations))
{
}

PictReadFile::~PictReadFile() = default;

int PictReadFile::frameCount() const
{
    CodecFile file;
    return file.open(fileSpecifier()) ? 1 : 0;
}

ReadImageFileFrameInterface* PictReadFile::openFrame(int)
{
    const auto path = nativePath();
    CodecFile file;
    if (!path || !file.open(*path))
        return nullptr;
    file.close();
    auto picture = std::make_shared<PictPicture>(*path);
    return new PictReadFileFrame(std::move(picture), copyCorrelations(correlations()));
}

PictReadFileFrame::PictReadFileFrame(std::shared_ptr<PictPicture> picture,
                                     std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : picture_(std::move(picture)), correlations_(std::move(correlations))
{
    readExternalCorrelations(correlations_.get(), picture_->height(), picture_->width(), pixelsWithoutUnit);
}

PictReadFileFrame::~PictReadFileFrame() = default;

void PictReadFileFrame::getSize(int* height, int* width) const
{
    if (height)
        *height = picture_->height();
    if (width)
        *width = picture_->width();
}

int PictReadFileFrame::dataModelKind() const
{
    return picture_->outputBits() == 8 ? 2 : 1;
}

int PictReadFileFrame::sampleKind() const
{
    return picture_->outputBits() == 8 ? 1 : 3;
}

int PictReadFileFrame::bitsPerPixel() const
{
    return picture_->outputBits();
}

int PictReadFileFrame::paletteCount() const
{
    return picture_->paletteCount();
}

void PictReadFileFrame::getPalette(int count, std::uint8_t* rgb) const
{
    if (rgb == nullptr || count < 1 || count > picture_->paletteCount())
        return;
    std::memcpy(rgb, picture_->palette().data(), static_cast<std::size_t>(count) * 3);
}

RowIteratorInterface* PictReadFileFrame::newRowIterator()
{
    if (!picture_->usable())
        return nullptr;
    return new PictRowIterator(picture_);
}

const char* PictReadFileFrame::rowRefusal() const
{
    return picture_->usable() ? nullptr : picture_->sizeRefusal();
}

FormatCodecPropertySetIterator* PictReadFileFrame::getProperties()
{
    auto set = std::make_unique<PictPropertySetIterator>();
    appendValidCorrelations(correlations_.get(), *set);
    return set.release();
}

FormatCodecPropertyInterface* PictReadFileFrame::getPropertyOfType(int propertyType)
{
    if (propertyType != FormatCodecPropertyInterface::kCorrelation)
        return nullptr;
    return cloneFirstValidCorrelation(correlations_.get());
}

} // namespace Omvi
