#pragma once
// libpng's write structures over one output (a file made for the image, or
// a stream), with every libpng call run as a guarded step.
#include "imaging/codecs/codec/CodecOutputFile.h"
#include "imaging/codecs/png/PngErrorGuard.h"

#include <string>

namespace Omvi
{

class DataStreamInterface;

class PngEncoder
{
public:
    // Throws std::bad_alloc when libpng cannot make its structures.
    PngEncoder();
    // Removes a file that was not finished.
    ~PngEncoder();
    PngEncoder(const PngEncoder&) = delete;
    PngEncoder& operator=(const PngEncoder&) = delete;

    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

    // Runs a step of libpng work; a libpng error (or a failing output)
    // throws as throwPngFailure says.
    void run(PngStep step, void* context);

    // Where the image goes: a new (or emptied) file, or a stream (not
    // owned). Creating the file can fail (false).
    bool createFile(const std::string& nativePath);
    void useStream(DataStreamInterface* stream);
    // Completes the file: false (and no file left) when a byte did not
    // reach it. Closes a stream.
    bool finishOutput();

    struct Output
    {
        CodecOutputFile* file = nullptr;
        DataStreamInterface* stream = nullptr;
    };

private:
    PngErrorState errors_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    CodecOutputFile file_;
    Output output_;
};

} // namespace Omvi
