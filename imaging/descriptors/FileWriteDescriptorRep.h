#pragma once
// The representation behind a FileWriteDescriptor: a codec's writer on a
// file or a data stream and the frame about to be written. The slot order
// is the interface's contract.
#include <cstdint>

namespace Omvi
{

class DataModel;
class DataStreamInterface;
class FileReadDescriptor;
class FileSpecifier;
class FormatCodecPropertyInterface;
class FormatCodecPropertySetIterator;
class ImageFormatCodec;
class RowProviderInterface;
class StringBuffer;

class FileWriteDescriptorRep
{
public:
    FileWriteDescriptorRep();
    FileWriteDescriptorRep(const FileWriteDescriptorRep&) = delete;
    FileWriteDescriptorRep& operator=(const FileWriteDescriptorRep&) = delete;

    // 0
    virtual ~FileWriteDescriptorRep();
    // 1: makes the codec's writer; answers the codec's capabilities.
    virtual std::int32_t attach(ImageFormatCodec& codec) = 0;
    // 2 and 3
    virtual ImageFormatCodec* codec() const = 0;
    virtual void getFileSpecifier(FileSpecifier& out) const = 0;
    // 4 and 5: the target, a file or a data stream (not owned).
    virtual bool create(const FileSpecifier& file) = 0;
    virtual void createOnStream(DataStreamInterface* stream) = 0;
    // 6 and 7: the frame about to be written.
    virtual void createImageFrame(const DataModel& model, std::int32_t width, std::int32_t height) = 0;
    virtual bool isFrameValid() = 0;
    // 8-12: the frame's properties.
    virtual FormatCodecPropertySetIterator* getFormatProperties() = 0;
    virtual FormatCodecPropertyInterface* getFormatProperty(const StringBuffer& name) = 0;
    virtual FormatCodecPropertyInterface* createFormatProperty(std::int32_t propertyType) = 0;
    virtual bool setFormatProperty(const FormatCodecPropertyInterface* property) = 0;
    virtual bool copyFormatProperties(FileReadDescriptor& source) = 0;
    // 13: writes the frame from the rows (the provider is taken over);
    // answers the writer's result.
    virtual std::int32_t writeImageFrame(RowProviderInterface* rows) = 0;
};

} // namespace Omvi
