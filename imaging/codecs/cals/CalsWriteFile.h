#pragma once
// The writer of one CALS file or stream: the header, then the raster coded
// in Group 4, then the side-car correlations set on the frame. One frame.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/codec/CodecWriteFile.h"

namespace Omvi
{

class CalsFormatCodec;
class CalsWriteFileFrame;
class DataStreamInterface;

class CalsWriteFile : public CodecWriteFile
{
public:
    explicit CalsWriteFile(const CalsFormatCodec* codec);
    // Into a caller's stream, open for writing (not owned; closed at the end).
    CalsWriteFile(const CalsFormatCodec* codec, DataStreamInterface* stream);
    ~CalsWriteFile() override;

    WriteImageFileFrameInterface* createFrame() override;
    // Names the file (kind 0) a file writer creates; false for a stream
    // writer.
    bool open(const FileSpecifier& file) override;
    // Writes the frame; 1 when written. Throws FormatCodecException: "NULL
    // parameter" and "Invalid Frame Attributes" (0), "Invalid RowIterator
    // dimensions" (2), "RowIterator-Set Parameters mismatch" (3), "Cals does
    // not support multiple frames" (5), all before anything is written;
    // "Unable to create the image file" (8) when the file exists or cannot
    // be made, "Unable to write the image file" (8) when the stream refuses
    // bytes and "Corrupt image file" (8) when the coder fails. After a
    // failure no side-car file is written and a file the writer made is
    // removed.
    int writeFrame(WriteImageFileFrameInterface* frame, RowIteratorInterface* rows) override;

private:
    void writeRaster(const CalsWriteFileFrame& frame, RowIteratorInterface& rows, DataStreamInterface& stream);

    DataStreamInterface* stream_ = nullptr;
    bool written_ = false;
};

} // namespace Omvi
