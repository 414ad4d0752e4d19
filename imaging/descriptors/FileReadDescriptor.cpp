#include "imaging/descriptors/FileReadDescriptor.h"

#include "imaging/OMVIException.h"
#include "imaging/codecs/ImageFormatCodec.h"
#include "imaging/descriptors/FileReadDescriptorImp.h"
#include "imaging/session/OMVISession.h"

namespace Omvi
{

namespace
{
std::unique_ptr<FileReadDescriptorRep> copyOf(const FileReadDescriptor& other)
{
    std::unique_ptr<FileReadDescriptorRep> copy = other.representation().newRepresentation();
    if (!copy)
        throw new FileDescriptorException("FileReadDescriptor::FileReadDescriptor", 7);
    copy->construct(other.representation());
    return copy;
}

std::unique_ptr<FileReadDescriptorRep> boundTo(const FileSpecifier& file)
{
    auto representation = std::make_unique<FileReadDescriptorImp>();
    representation->construct(file, nullptr);
    return representation;
}
} // namespace

FileReadDescriptor::FileReadDescriptor(const FileSpecifier& file) : representation_(boundTo(file)) {}

std::int32_t FileReadDescriptor::probeFile(const FileSpecifier& file, ImageFormatCodec*& codec)
{
    OMVISession* session = OMVISession::get();
    if (codec != nullptr)
        return codec->probe(file, session != nullptr ? session->correlationOption() : nullptr);
    if (session == nullptr)
        return ImageFormatCodec::kNotThisFormat;
    return session->findCodec(file, codec);
}

FileReadDescriptor::FileReadDescriptor(std::unique_ptr<FileReadDescriptorRep> representation)
    : representation_(std::move(representation))
{
    if (!representation_)
        throw new FileDescriptorException("FileReadDescriptor::FileReadDescriptor", 7);
}

FileReadDescriptor::FileReadDescriptor(const FileReadDescriptor& other) : representation_(copyOf(other)) {}

FileReadDescriptor::~FileReadDescriptor() = default;

void FileReadDescriptor::close()
{
    representation_->close();
}

PixelPair FileReadDescriptor::size()
{
    return representation_->size();
}

const DataModel* FileReadDescriptor::dataModel() const
{
    return representation_->dataModel();
}

ImageFormatCodec* FileReadDescriptor::codec() const
{
    return representation_->codec();
}

bool FileReadDescriptor::isValid()
{
    return representation_->isValid();
}

bool FileReadDescriptor::selectFrame(std::int32_t index)
{
    return representation_->selectFrame(index);
}

std::int32_t FileReadDescriptor::accessKind()
{
    return representation_->accessKind();
}

FormatCodecPropertySetIterator* FileReadDescriptor::getFormatProperties()
{
    return representation_->getFormatProperties();
}

FormatCodecPropertyInterface* FileReadDescriptor::getFormatProperty(std::int32_t propertyType)
{
    return representation_->getFormatProperty(propertyType);
}

RowProviderInterface* FileReadDescriptor::rowProvider()
{
    return representation_->rowProvider();
}

std::int32_t FileReadDescriptor::frameCount()
{
    return representation_->frameCount();
}

} // namespace Omvi
