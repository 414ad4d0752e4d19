#pragma once
// The reader of a GIF file: one frame, the file's first image.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/codec/CodecReadFile.h"

#include <memory>

namespace Omvi
{

class CorrelationPropertySetIterator;
class GifFormatCodec;

class GifReadFile : public CodecReadFile
{
public:
    // `correlations`: the side-car correlations found for the file (owned;
    // may be null).
    GifReadFile(const GifFormatCodec* codec, const FileSpecifier& file,
                std::unique_ptr<CorrelationPropertySetIterator> correlations);
    ~GifReadFile() override;

    int frameCount() const override { return 1; }
    // Index 0: a GifReadFileFrame (which borrows the reader's
    // correlations); null for other indexes and for a file without an image.
    ReadImageFileFrameInterface* openFrame(int index) override;
    const char* frameRefusal() const override { return refusal_; }

private:
    const char* refusal_ = nullptr;
};

} // namespace Omvi
