#include "imaging/codecs/flic/FlicReadFile.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/flic/FlicFormatCodec.h"
#include "imaging/codecs/flic/FlicImage.h"
#include "imaging/codecs/flic/FlicProperties.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{

FlicReadFile::FlicReadFile(const FlicFormatCodec* codec, const FileSpecifier& file,
                           std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : CodecReadFile(codec, file, std::move(correlations)), handle_(openSharedFile())
{
    if (handle_->isOpen())
        frameCount_ = FlicImage(*handle_).frameCount();
}

FlicReadFile::~FlicReadFile() = default;

ReadImageFileFrameInterface* FlicReadFile::openFrame(int index)
{
    if (index != 0 || !handle_->isOpen())
        return nullptr;
    return new FlicReadFileFrame(*handle_);
}

FlicReadFileFrame::FlicReadFileFrame(const CodecFile& file)
    : image_(std::make_shared<FlicImage>(file))
{
    image_->decode(file);
}

FlicReadFileFrame::~FlicReadFileFrame() = default;

void FlicReadFileFrame::getSize(int* height, int* width) const
{
    if (height)
        *height = image_->height();
    if (width)
        *width = image_->width();
}

void FlicReadFileFrame::getPalette(int count, std::uint8_t* rgb) const
{
    if (rgb == nullptr || count < 1)
        return;
    std::memcpy(rgb, image_->palette().data(), static_cast<std::size_t>(std::min(count, 256)) * 3);
}

const char* FlicReadFileFrame::rowRefusal() const
{
    return image_->refusal();
}

RowIteratorInterface* FlicReadFileFrame::newRowIterator()
{
    if (!image_->decoded())
        return nullptr;
    return new FlicRowIterator(image_);
}

FormatCodecPropertySetIterator* FlicReadFileFrame::getProperties()
{
    return new FlicPropertySetIterator();
}

FlicRowIterator::FlicRowIterator(std::shared_ptr<const FlicImage> image) : image_(std::move(image))
{
}

FlicRowIterator::~FlicRowIterator() = default;

std::int32_t FlicRowIterator::bytesPerRow() const
{
    return image_->width();
}

void FlicRowIterator::getRow(DataBuffer& row)
{
    if (row.size() < bytesPerRow())
        throw new ImageFilterException("Row buffer too small",
                                       ImageFilterException::kRowBufferTooSmall);
    if (currentRow_ < 0 || currentRow_ >= image_->height())
    {
        if (row.size() > 0)
            std::memset(row.data(), 0, static_cast<std::size_t>(row.size()));
        return;
    }
    std::memcpy(row.data(), image_->row(currentRow_), static_cast<std::size_t>(image_->width()));
}

bool FlicRowIterator::next()
{
    ++currentRow_;
    return true;
}

std::int32_t FlicRowIterator::rowCount() const
{
    return image_->height();
}

std::int32_t FlicRowIterator::width() const
{
    return image_->width();
}

} // namespace Omvi
