#pragma once
// The reader of one PNG file or stream: the header is read when the reader
// is made, and the file holds one frame.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/codec/CodecReadFile.h"

#include <memory>
#include <string>

namespace Omvi
{

class CorrelationPropertySetIterator;
class DataStreamInterface;
class PngDecoder;
class PngFormatCodec;

class PngReadFile : public CodecReadFile
{
public:
    // Over a file, with the side-car correlations found for it (owned; may
    // be null). A file that cannot be opened, or whose header libpng
    // refuses, gives a reader that is not open (no frames); frameRefusal
    // then says why.
    PngReadFile(const PngFormatCodec* codec, const FileSpecifier& file,
                std::unique_ptr<CorrelationPropertySetIterator> correlations);
    // Over an open stream (not owned; closed when the reader goes); throws
    // as above.
    PngReadFile(const PngFormatCodec* codec, DataStreamInterface* stream);
    ~PngReadFile() override;

    // 1 while open, 0 for a file that could not be opened.
    int frameCount() const override;
    // Index 0 of an open reader: a PngReadFileFrame0 that uses the reader's
    // decoder (the reader must outlive it and its row iterators).
    ReadImageFileFrameInterface* openFrame(int index) override;
    const char* frameRefusal() const override { return refusal_.empty() ? nullptr : refusal_.c_str(); }

private:
    DataStreamInterface* stream_ = nullptr;
    std::unique_ptr<PngDecoder> decoder_;
    std::string refusal_;
};

} // namespace Omvi
