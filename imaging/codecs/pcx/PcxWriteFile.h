#pragma once
// The writer of a PCX file: the file is created (never over an existing
// one) when the writer is opened, and removed again when no frame was
// written to it whole.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/codec/CodecWriteFile.h"
#include "imaging/codecs/codec/CodecOutputFile.h"

namespace Omvi
{

class PcxFormatCodec;

class PcxWriteFile : public CodecWriteFile
{
public:
    explicit PcxWriteFile(const PcxFormatCodec* codec);
    // Removes the file unless a frame was written.
    ~PcxWriteFile() override;

    // A PcxWriteFileFrame with the correlations for this writer's file.
    WriteImageFileFrameInterface* createFrame() override;
    // Kind 0 only; creates a new file (false when it exists or cannot be
    // made).
    bool open(const FileSpecifier& file) override;
    // Writes the header, the run-length coded rows, the palette marker and
    // 256 entries; answers 1. Throws FormatCodecException before anything is
    // written: "NULL parameter" / "Invalid Frame Attributes" (0), "Invalid
    // RowIterator dimensions" (2), "RowIterator-Set Parameters mismatch"
    // (3), "Parameters Set mismatch" (4), "PCX does not support multiple
    // frames" (5); FileIOException (code 4) when the file is not open or a
    // write fails (the file is then removed).
    int writeFrame(WriteImageFileFrameInterface* frame, RowIteratorInterface* rows) override;

private:
    CodecOutputFile output_;
    bool written_ = false;
};

} // namespace Omvi
