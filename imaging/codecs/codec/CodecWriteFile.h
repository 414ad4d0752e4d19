#pragma once
// What every codec's writer answers alike: the codec that made it, the
// specifier of the file it was opened on (an empty stream specifier for a
// writer of a data stream), and the side-car correlations a new frame of a
// file gets.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/WriteImageFileInterface.h"

#include <memory>

namespace Omvi
{

class CorrelationPropertySetIterator;

class CodecWriteFile : public WriteImageFileInterface
{
public:
    ~CodecWriteFile() override;

    ImageFormatCodec* codec() const override;
    const FileSpecifier& fileSpecifier() const override { return file_; }
    // True: frames are taken whether or not a file is open yet; a writer
    // that holds its file open answers for it.
    bool isOpen() const override { return true; }
    FileSpecifier& copyFileSpecifier(FileSpecifier& out) const override;

protected:
    // A writer of a file (named later by open) or of a data stream.
    explicit CodecWriteFile(const ImageFormatCodec* codec, bool writesStream = false);

    bool writesStream() const { return writesStream_; }
    // Once open has accepted the file.
    void setFileSpecifier(const FileSpecifier& file) { file_ = file; }
    // The side-car correlations to write beside the file, for a new frame
    // to own; null for a writer of a data stream.
    std::unique_ptr<CorrelationPropertySetIterator> newWritingCorrelations() const;

private:
    const ImageFormatCodec* codec_;
    FileSpecifier file_;
    bool writesStream_;
};

} // namespace Omvi
