#pragma once
// The reader of a GIF file: one frame, the file's first image.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/ReadImageFileInterface.h"

#include <memory>

namespace Omvi
{

class CorrelationPropertySetIterator;
class GifFormatCodec;

class GifReadFile : public ReadImageFileInterface
{
public:
    // `correlations`: the side-car correlations found for the file (owned;
    // may be null).
    GifReadFile(const GifFormatCodec* codec, const FileSpecifier& file,
                std::unique_ptr<CorrelationPropertySetIterator> correlations);
    ~GifReadFile() override;

    ImageFormatCodec* codec() const override;
    const FileSpecifier& fileSpecifier() const override { return file_; }
    int isValid() const override { return 1; }
    FileSpecifier& copyFileSpecifier(FileSpecifier& out) const override;
    int frameCount() const override { return 1; }
    // Index 0: a GifReadFileFrame (which borrows the reader's
    // correlations); null for other indexes and for a file without an image.
    ReadImageFileFrameInterface* openFrame(int index) override;

private:
    const GifFormatCodec* codec_;
    FileSpecifier file_;
    std::unique_ptr<CorrelationPropertySetIterator> correlations_;
};

} // namespace Omvi
