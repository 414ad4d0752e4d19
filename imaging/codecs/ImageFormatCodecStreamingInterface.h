#pragma once
// The second base of the codecs that also read and write in-memory byte
// streams (reached by a cast of the codec). The stream is not owned by the
// reader or writer; an allocation failure gives null.
namespace Omvi
{

class DataStreamInterface;
class ReadImageFileInterface;
class WriteImageFileInterface;

class ImageFormatCodecStreamingInterface
{
public:
    // 0
    virtual ~ImageFormatCodecStreamingInterface() = default;
    // 1: a new reader of the codec on the stream, owned by the caller.
    virtual ReadImageFileInterface* openStreamForRead(DataStreamInterface* stream) const = 0;
    // 2: a new writer of the codec into the stream, owned by the caller.
    virtual WriteImageFileInterface* createStreamWriter(DataStreamInterface* stream) const = 0;
};

} // namespace Omvi
