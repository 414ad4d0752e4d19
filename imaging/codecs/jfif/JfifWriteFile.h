#pragma once
// The writer of one JPEG file or stream. A file writer names its file with
// open() and creates (or empties) it when the frame is written; a stream
// writer writes into its stream and closes it at the end. One frame, once.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/codec/CodecWriteFile.h"

namespace Omvi
{

class DataStreamInterface;
class JfifFormatCodec;
class JfifWriteFileFrame;

class JfifWriteFile : public CodecWriteFile
{
public:
    explicit JfifWriteFile(const JfifFormatCodec* codec);
    // Into an open stream (not owned).
    JfifWriteFile(const JfifFormatCodec* codec, DataStreamInterface* stream);
    ~JfifWriteFile() override;

    // A new JfifWriteFileFrame; a file writer's frame carries the side-car
    // correlations it may write.
    WriteImageFileFrameInterface* createFrame() override;
    // Keeps the specifier (kind 0 only); the file is made by writeFrame.
    bool open(const FileSpecifier& file) override;
    // Writes the frame from the rows; answers 0. A frame of another codec,
    // no rows, or a writer that has written already: nothing happens. Throws
    // FormatCodecException "Required Properties Not Set" (1), "Invalid
    // RowIterator dimensions" (2), "RowIterator-Set Parameters mismatch"
    // (3) or, for a side above JfifFormatCodec::kMaxSide, "Image too large
    // for a JPEG file" (9) before anything is written, FileIOException
    // (code 4) when the file
    // cannot be created, and "Corrupt image file" (8) when libjpeg fails; a
    // file left unfinished by a failure is removed.
    int writeFrame(WriteImageFileFrameInterface* frame, RowIteratorInterface* rows) override;

private:
    void write(const JfifWriteFileFrame& frame, RowIteratorInterface& rows);

    DataStreamInterface* stream_ = nullptr;
    bool written_ = false;
};

} // namespace Omvi
