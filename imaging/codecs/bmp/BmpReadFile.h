#pragma once
// The reader of one bitmap file: one frame.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/codec/CodecReadFile.h"

#include <memory>

namespace Omvi
{

class BmpFormatCodec;
class CodecFile;
class CorrelationPropertySetIterator;

class BmpReadFile : public CodecReadFile
{
public:
    // Opens the file; the reader is made whether or not it could.
    BmpReadFile(const BmpFormatCodec* codec, const FileSpecifier& file,
                std::unique_ptr<CorrelationPropertySetIterator> correlations);
    ~BmpReadFile() override;

    // 1 while the file is open, 0 when it could not be.
    int frameCount() const override;
    // The frame (the index is not looked at); null when the file is not
    // open. Every frame gets its own copy of the side-car correlations.
    ReadImageFileFrameInterface* openFrame(int index) override;

private:
    std::shared_ptr<CodecFile> handle_;
};

} // namespace Omvi
