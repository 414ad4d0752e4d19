#pragma once
// The handle through which an image file is read: it owns one bound
// representation and forwards to it, so that representations can change
// without touching callers. A copy binds a new representation of the same
// kind to the same file and frame.
#include "imaging/descriptors/FileReadDescriptorRep.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class FileReadDescriptor
{
public:
    // Adopts a representation that one of its construct slots has bound.
    explicit FileReadDescriptor(std::unique_ptr<FileReadDescriptorRep> representation);
    // Throws FileDescriptorException 7 "FileReadDescriptor::FileReadDescriptor"
    // when the other's representation cannot be copied (none, or a kind that
    // makes no copies); codec and descriptor errors of the copy pass through.
    FileReadDescriptor(const FileReadDescriptor& other);
    FileReadDescriptor& operator=(const FileReadDescriptor&) = delete;
    ~FileReadDescriptor();

    FileReadDescriptorRep& representation() const { return *representation_; }

    void close();
    PixelPair size();
    const DataModel* dataModel() const;
    ImageFormatCodec* codec() const;
    bool isValid();
    bool selectFrame(std::int32_t index);
    std::int32_t accessKind();
    FormatCodecPropertySetIterator* getFormatProperties();
    FormatCodecPropertyInterface* getFormatProperty(std::int32_t propertyType);
    RowProviderInterface* rowProvider();

private:
    std::unique_ptr<FileReadDescriptorRep> representation_;
};

} // namespace Omvi
