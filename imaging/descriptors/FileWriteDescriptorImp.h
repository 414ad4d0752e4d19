#pragma once
// The write side's representation: a codec's writer on a file or a data
// stream, and the frame about to be written through it.
//
// The frame gets the model's attributes when it is made (size, bits per
// pixel of the data type, bits used, colour space, and a palette's
// entries), then any properties, then the rows. Without a frame nothing is
// written: writeImageFrame answers 0.
#include "imaging/FileSpecifier.h"
#include "imaging/descriptors/FileWriteDescriptorRep.h"

#include <memory>

namespace Omvi
{

class WriteImageFileFrameInterface;
class WriteImageFileInterface;

class FileWriteDescriptorImp : public FileWriteDescriptorRep
{
public:
    FileWriteDescriptorImp();
    // Deletes the frame, then the writer (which closes its output).
    ~FileWriteDescriptorImp() override;

    // Stores the codec and makes its writer (none for a codec that does not
    // write); answers the codec's capabilities.
    std::int32_t attach(ImageFormatCodec& codec) override;
    ImageFormatCodec* codec() const override { return codec_; }
    void getFileSpecifier(FileSpecifier& out) const override;
    // False for an empty path (the writer is not asked) or when the writer
    // cannot open the file; else the file is the target.
    bool create(const FileSpecifier& file) override;
    // The stream (not owned) becomes the target. A codec that writes data
    // streams gets a new writer on it in place of the old one; with any other
    // codec (or a null stream) no frame can be made afterwards.
    void createOnStream(DataStreamInterface* stream) override;
    // Replaces the frame. When the codec accepts the model at that size, the
    // writer makes a new frame and it gets the model's attributes; a writer
    // that cannot (no open output) throws FileDescriptorException 8
    // "FileWriteDescriptorImp::createImageFrame Output file or stream not
    // valid". A model the codec does not accept leaves no frame.
    void createImageFrame(const DataModel& model, std::int32_t width, std::int32_t height) override;
    bool isFrameValid() override;
    FormatCodecPropertySetIterator* getFormatProperties() override;
    FormatCodecPropertyInterface* getFormatProperty(const StringBuffer& name) override;
    FormatCodecPropertyInterface* createFormatProperty(std::int32_t propertyType) override;
    bool setFormatProperty(const FormatCodecPropertyInterface* property) override;
    // Hands each property of the source's frame to this frame; the first
    // refusal clears the frame's properties and answers false. A source
    // without a property set, or no frame here, answers false.
    bool copyFormatProperties(FileReadDescriptor& source) override;
    // The writer writes the frame from the rows (the provider is taken over
    // and deleted); answers its result. Without a frame, a writer or rows,
    // nothing is written and 0 is answered.
    std::int32_t writeImageFrame(RowProviderInterface* rows) override;

    bool writesToStream() const { return streamGiven_; }
    DataStreamInterface* stream() const { return stream_; }

private:
    ImageFormatCodec* codec_ = nullptr;
    FileSpecifier target_;
    DataStreamInterface* stream_ = nullptr;
    std::unique_ptr<WriteImageFileInterface> writer_;
    std::unique_ptr<WriteImageFileFrameInterface> frame_;
    bool streamGiven_ = false;
};

} // namespace Omvi
