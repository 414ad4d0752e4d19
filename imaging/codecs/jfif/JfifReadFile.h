#pragma once
// The reader of one JPEG file or stream: one frame, opened at index 0.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/codec/CodecReadFile.h"

#include <memory>

namespace Omvi
{

class CorrelationPropertySetIterator;
class DataStreamInterface;
class JfifFormatCodec;

class JfifReadFile : public CodecReadFile
{
public:
    // Over a file, with the side-car correlations found for it (owned; may
    // be null).
    JfifReadFile(const JfifFormatCodec* codec, const FileSpecifier& file,
                 std::unique_ptr<CorrelationPropertySetIterator> correlations);
    // Over an open stream (not owned); the specifier is an empty one.
    JfifReadFile(const JfifFormatCodec* codec, DataStreamInterface* stream);
    ~JfifReadFile() override;

    int frameCount() const override { return 1; }
    // Index 0 only; the frame's construction throws FormatCodecException
    // "Corrupt image file" (code 8) when libjpeg refuses the header.
    ReadImageFileFrameInterface* openFrame(int index) override;

private:
    DataStreamInterface* stream_ = nullptr;
    bool readsStream_ = false;
    // Taken from the codec when the reader was made.
    bool strict_ = false;
};

} // namespace Omvi
