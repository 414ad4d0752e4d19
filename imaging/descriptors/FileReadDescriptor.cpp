#include "imaging/descriptors/FileReadDescriptor.h"

#include "imaging/OMVIException.h"

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
} // namespace

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

} // namespace Omvi
