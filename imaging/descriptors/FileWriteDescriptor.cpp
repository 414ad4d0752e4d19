#include "imaging/descriptors/FileWriteDescriptor.h"

#include "imaging/codecs/ImageFormatCodec.h"
#include "imaging/descriptors/FileWriteDescriptorImp.h"

namespace Omvi
{

namespace
{
std::unique_ptr<FileWriteDescriptorRep> attachedTo(ImageFormatCodec& codec)
{
    auto representation = std::make_unique<FileWriteDescriptorImp>();
    representation->attach(codec);
    return representation;
}
} // namespace

FileWriteDescriptor::FileWriteDescriptor(ImageFormatCodec& codec) : representation_(attachedTo(codec)) {}

FileWriteDescriptor::~FileWriteDescriptor() = default;

bool FileWriteDescriptor::canWrite(const ImageFormatCodec& codec, const DataModel& model, const PixelPair& size)
{
    return codec.canEncode(&model, size.x, size.y);
}

bool FileWriteDescriptor::create(const FileSpecifier& file)
{
    return representation_->create(file);
}

void FileWriteDescriptor::createOnStream(DataStreamInterface* stream)
{
    representation_->createOnStream(stream);
}

void FileWriteDescriptor::createImageFrame(const DataModel& model, std::int32_t width, std::int32_t height)
{
    representation_->createImageFrame(model, width, height);
}

bool FileWriteDescriptor::isFrameValid()
{
    return representation_->isFrameValid();
}

bool FileWriteDescriptor::setFormatProperty(const FormatCodecPropertyInterface* property)
{
    return representation_->setFormatProperty(property);
}

std::int32_t FileWriteDescriptor::writeImageFrame(RowProviderInterface* rows)
{
    return representation_->writeImageFrame(rows);
}

} // namespace Omvi
