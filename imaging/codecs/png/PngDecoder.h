#pragma once
// libpng's read structures over one file or stream, with the header read:
// what a PNG reader, its frame and its row iterators share. Every libpng call
// that can fail goes through run(), which turns a libpng error into the
// codec's exception. A strict decoder also fails on a CRC error in an
// ancillary chunk, which libpng otherwise only warns of (dropping the chunk).
#include "imaging/codecs/codec/BufferedFileReader.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/png/PngErrorGuard.h"

#include <memory>
#include <string>

namespace Omvi
{

class DataStreamInterface;

class PngDecoder
{
public:
    // Opens the file and reads the header. A file that cannot be opened
    // leaves a decoder that is not open; a damaged header throws
    // FormatCodecException "Corrupt image file" (code 8).
    PngDecoder(const std::string& nativePath, bool strict);
    // Reads the header from the stream (not owned, already open); throws as
    // above.
    PngDecoder(DataStreamInterface* stream, bool strict);
    ~PngDecoder();
    PngDecoder(const PngDecoder&) = delete;
    PngDecoder& operator=(const PngDecoder&) = delete;

    bool isOpen() const { return png_ != nullptr; }
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

    // Runs a step of libpng work; a libpng error (or a failing stream)
    // throws as throwPngFailure says.
    void run(PngStep step, void* context);

    // Whether image rows have been asked for since the header was read.
    bool rowsStarted() const { return rowsStarted_; }
    void markRowsStarted() { rowsStarted_ = true; }
    // Back to the state right after the header: new libpng structures over
    // the start of the file (a stream is rewound; one that cannot be throws
    // "Corrupt image file").
    void restart();
    // After the last image row: reads the chunks after the image data up to
    // the end chunk (IEND), checking each. A file that ends before it, or
    // whose end chunk is damaged, throws "Corrupt image file".
    void readEnd();

    // Where the read callback takes its bytes from.
    struct Input
    {
        BufferedFileReader* file = nullptr;
        DataStreamInterface* stream = nullptr;
    };

private:
    void readHeader();
    void destroyStructures();

    CodecFile file_;
    std::unique_ptr<BufferedFileReader> fileReader_;
    Input input_;
    PngErrorState errors_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    bool rowsStarted_ = false;
    bool strict_ = false;
};

} // namespace Omvi
