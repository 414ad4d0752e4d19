#pragma once
// The writer of one PNG file or stream. A file writer names its file with
// open() and creates (or empties) it when the frame is written; a stream
// writer writes into its stream and closes it at the end. One frame, once.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/codec/CodecWriteFile.h"

namespace Omvi
{

class DataStreamInterface;
class PngFormatCodec;
class PngWriteFileFrame;

class PngWriteFile : public CodecWriteFile
{
public:
    explicit PngWriteFile(const PngFormatCodec* codec);
    // Into an open stream (not owned).
    PngWriteFile(const PngFormatCodec* codec, DataStreamInterface* stream);
    ~PngWriteFile() override;

    // A new PngWriteFileFrame; a file writer's frame carries the side-car
    // correlations it may write.
    WriteImageFileFrameInterface* createFrame() override;
    // Keeps the specifier (kind 0 only); the file is made by writeFrame.
    bool open(const FileSpecifier& file) override;
    // Writes the frame from the rows; answers 0. A frame of another codec,
    // no rows, or a writer that has written already: nothing happens.
    // Before anything is written it throws FormatCodecException "Required
    // Properties Not Set" (1) for a frame that is not ready, "Invalid
    // RowIterator dimensions" (2) or "RowIterator-Set Parameters mismatch"
    // (3) for rows that do not fit the frame, and "Parameters Set mismatch"
    // (4) for a palette frame without a palette; FileIOException (code 4)
    // when the file cannot be made or written, and "Corrupt image file" (8)
    // when libpng or the stream fails. A file left unfinished is removed.
    int writeFrame(WriteImageFileFrameInterface* frame, RowIteratorInterface* rows) override;

private:
    DataStreamInterface* stream_ = nullptr;
    bool written_ = false;
};

} // namespace Omvi
