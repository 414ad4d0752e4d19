#pragma once
// The handle through which an image file is read: it owns one bound
// representation and forwards to it, so that representations can change
// without touching callers. A copy binds a new representation of the same
// kind to the same file and frame (a FileReadDescriptorImp copy shares the
// file's reader but has a frame of its own).
#include "imaging/descriptors/FileReadDescriptorRep.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class FileReadDescriptor
{
public:
    // The file bound to the registered codec that recognises it, frame 0
    // selected (FileReadDescriptorImp). Throws FileDescriptorException 8
    // "FileReadDescriptorImp::construct" when no codec recognises it (or the
    // path is empty); the codec's exceptions pass through.
    explicit FileReadDescriptor(const FileSpecifier& file);
    // Adopts a representation that one of its construct slots has bound.
    explicit FileReadDescriptor(std::unique_ptr<FileReadDescriptorRep> representation);
    // Throws FileDescriptorException 7 "FileReadDescriptor::FileReadDescriptor"
    // when the other's representation cannot be copied (none, or a kind that
    // makes no copies); codec and descriptor errors of the copy pass through.
    FileReadDescriptor(const FileReadDescriptor& other);
    FileReadDescriptor& operator=(const FileReadDescriptor&) = delete;
    ~FileReadDescriptor();

    FileReadDescriptorRep& representation() const { return *representation_; }

    // With `codec` set: that codec's probe of the file (with the session's
    // correlation option). Without: the session's lookup over the
    // registered codecs, which sets `codec` to the codec found. Answers the
    // probe code (0 recognised, 1 unsupported variant, 2 not recognised,
    // 3 truncated); 2 when there is no session to ask.
    static std::int32_t probeFile(const FileSpecifier& file, ImageFormatCodec*& codec);

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
    std::int32_t frameCount();

private:
    std::unique_ptr<FileReadDescriptorRep> representation_;
};

} // namespace Omvi
