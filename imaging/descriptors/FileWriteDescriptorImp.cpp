#include "imaging/descriptors/FileWriteDescriptorImp.h"

#include "imaging/OMVIException.h"
#include "imaging/codecs/ImageFormatCodec.h"
#include "imaging/codecs/ImageFormatCodecStreamingInterface.h"
#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/WriteImageFileInterface.h"
#include "imaging/descriptors/CodecProperties.h"
#include "imaging/descriptors/FileReadDescriptor.h"
#include "imaging/models/DataModel.h"
#include "imaging/models/RgbPaletteModel.h"
#include "imaging/pipeline/RowProviderInterface.h"
#include "imaging/pipeline/RowProviderToRowIterator.h"

#include <array>

namespace Omvi
{

namespace
{
constexpr std::int32_t kStreamOrganisation = 6;
} // namespace

FileWriteDescriptorImp::FileWriteDescriptorImp() = default;

FileWriteDescriptorImp::~FileWriteDescriptorImp()
{
    frame_.reset();
    writer_.reset();
}

std::int32_t FileWriteDescriptorImp::attach(ImageFormatCodec& codec)
{
    codec_ = &codec;
    frame_.reset();
    writer_.reset(codec.createWriter());
    return codec.getCapabilities();
}

void FileWriteDescriptorImp::getFileSpecifier(FileSpecifier& out) const
{
    out = target_;
}

bool FileWriteDescriptorImp::create(const FileSpecifier& file)
{
    if (file.path().isEmpty() || !writer_ || !writer_->open(file))
        return false;
    target_ = file;
    return true;
}

void FileWriteDescriptorImp::createOnStream(DataStreamInterface* stream)
{
    stream_ = stream;
    streamGiven_ = true;
    auto* streams = dynamic_cast<ImageFormatCodecStreamingInterface*>(codec_);
    if (stream == nullptr || streams == nullptr || !codec_->isDataOrganizationSupported(kStreamOrganisation))
        return;
    frame_.reset();
    writer_.reset();
    writer_.reset(streams->createStreamWriter(stream));
}

void FileWriteDescriptorImp::createImageFrame(const DataModel& model, std::int32_t width, std::int32_t height)
{
    frame_.reset();
    if (codec_ == nullptr || !codec_->canEncode(&model, width, height))
        return;
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer_ ? writer_->createFrame() : nullptr);
    if (!frame)
        throw static_cast<OMVIException*>(new FileDescriptorException(
            "FileWriteDescriptorImp::createImageFrame Output file or stream not valid", 8));
    frame->setSize(height, width);
    frame->setThirdValue(bitsPerPixelOf(model.dataType()));
    frame->setBitsPerPixel(model.bitsUsedPerPixel());
    frame->setDataModelKind(model.colorSpace());
    if (model.colorSpace() == kColorSpacePalette)
        if (const auto* palette = dynamic_cast<const RgbPaletteModel*>(&model))
        {
            const std::int32_t count = palette->numEntries();
            std::array<RgbColor, RgbPaletteModel::kMaxEntries> colors{};
            std::array<std::uint8_t, 3 * RgbPaletteModel::kMaxEntries> records{};
            if (count > 0)
            {
                palette->getEntries(0, count, colors.data());
                for (std::int32_t i = 0; i < count; ++i)
                {
                    records[static_cast<std::size_t>(3 * i)] = colors[static_cast<std::size_t>(i)].red();
                    records[static_cast<std::size_t>(3 * i + 1)] = colors[static_cast<std::size_t>(i)].green();
                    records[static_cast<std::size_t>(3 * i + 2)] = colors[static_cast<std::size_t>(i)].blue();
                }
                frame->setPaletteCount(count);
                frame->setPalette(records.data());
            }
        }
    frame_ = std::move(frame);
}

bool FileWriteDescriptorImp::isFrameValid()
{
    return frame_ && frame_->requiredPropertiesSet();
}

FormatCodecPropertySetIterator* FileWriteDescriptorImp::getFormatProperties()
{
    return frame_ ? frame_->getProperties() : nullptr;
}

FormatCodecPropertyInterface* FileWriteDescriptorImp::getFormatProperty(const StringBuffer& name)
{
    return frame_ ? frame_->getProperty(name) : nullptr;
}

FormatCodecPropertyInterface* FileWriteDescriptorImp::createFormatProperty(std::int32_t propertyType)
{
    return frame_ ? frame_->getPropertyOfType(propertyType) : nullptr;
}

bool FileWriteDescriptorImp::setFormatProperty(const FormatCodecPropertyInterface* property)
{
    return frame_ && frame_->setProperty(property);
}

bool FileWriteDescriptorImp::copyFormatProperties(FileReadDescriptor& source)
{
    if (!frame_)
        return false;
    FormatCodecPropertySetIterator* properties = source.getFormatProperties();
    if (properties == nullptr)
        return false;
    bool copied = false;
    try
    {
        copied = offerEachProperty(*properties, [&](const FormatCodecPropertyInterface* property) {
            return frame_->setProperty(property);
        });
    }
    catch (...)
    {
        deletePropertySet(properties);
        throw;
    }
    deletePropertySet(properties);
    if (!copied)
        frame_->clearProperties();
    return copied;
}

std::int32_t FileWriteDescriptorImp::writeImageFrame(RowProviderInterface* rows)
{
    std::unique_ptr<RowProviderInterface> owned(rows);
    if (!owned || !frame_ || !writer_)
        return 0;
    RowProviderToRowIterator iterator(owned.release());
    return writer_->writeFrame(frame_.get(), &iterator);
}

} // namespace Omvi
