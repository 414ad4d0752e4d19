#pragma once
// The handle through which a frame is written by a codec to a file or a
// data stream: it owns one FileWriteDescriptorImp and forwards to it.
//
//     FileWriteDescriptor out(codec);
//     out.create(fileSpecifierFromPath(u"out.pnm"));   // or createOnStream
//     out.createImageFrame(provider->dataModel(), width, height);
//     if (out.isFrameValid())
//         out.writeImageFrame(provider);                 // takes the rows over
#include "imaging/descriptors/FileWriteDescriptorRep.h"
#include "imaging/geometry/PixelRect.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class FileWriteDescriptor
{
public:
    // Makes the codec's writer (the codec is not owned and must outlive the
    // descriptor).
    explicit FileWriteDescriptor(ImageFormatCodec& codec);
    FileWriteDescriptor(const FileWriteDescriptor&) = delete;
    FileWriteDescriptor& operator=(const FileWriteDescriptor&) = delete;
    virtual ~FileWriteDescriptor();

    // Whether the codec can encode an image of that model and size.
    static bool canWrite(const ImageFormatCodec& codec, const DataModel& model, const PixelPair& size);

    FileWriteDescriptorRep& representation() const { return *representation_; }

    bool create(const FileSpecifier& file);
    void createOnStream(DataStreamInterface* stream);
    void createImageFrame(const DataModel& model, std::int32_t width, std::int32_t height);
    bool isFrameValid();
    bool setFormatProperty(const FormatCodecPropertyInterface* property);
    std::int32_t writeImageFrame(RowProviderInterface* rows);

private:
    std::unique_ptr<FileWriteDescriptorRep> representation_;
};

} // namespace Omvi
