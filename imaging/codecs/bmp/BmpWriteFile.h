#pragma once
// The writer of one bitmap file: headers, palette and rows stored
// bottom-up, uncompressed. The file is created new; when no frame is
// written to it, or writing fails, it is removed.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/codec/CodecWriteFile.h"
#include "imaging/codecs/codec/CodecOutputFile.h"

namespace Omvi
{

class BmpFormatCodec;
class BmpWriteFileFrame;

class BmpWriteFile : public CodecWriteFile
{
public:
    explicit BmpWriteFile(const BmpFormatCodec* codec);
    ~BmpWriteFile() override;

    // A BmpWriteFileFrame; null until the file is open.
    WriteImageFileFrameInterface* createFrame() override;
    // Creates the file (kind 0 only; an existing file is refused).
    bool open(const FileSpecifier& file) override;
    // Writes the frame and answers 1. Before anything is written it throws
    // FormatCodecException "NULL parameter" or "Invalid Frame Attributes"
    // (0), "Required Properties Not Set" (1), "Invalid RowIterator
    // dimensions" (2), "RowIterator-Set Parameters mismatch" (3, also rows
    // too short for the frame), "Parameters Set mismatch" (4), "BMP does not
    // support multiple frames" (5) or code 9 for an image larger than a
    // bitmap can hold; a failed write throws FileIOException and removes the
    // file.
    int writeFrame(WriteImageFileFrameInterface* frame, RowIteratorInterface* rows) override;

private:
    void write(const BmpWriteFileFrame& frame, RowIteratorInterface& rows);

    CodecOutputFile output_;
    bool written_ = false;
};

} // namespace Omvi
