#pragma once
// A TIFF file being written: opened on a new file (an existing file is
// never overwritten), then per image one frame described through its
// setters and written from a row iterator. Successive frames become
// successive directories. A writer that wrote no frame leaves no file.
//
// Failures show as results, not exceptions: a refused open (false), a
// frame that does not match its rows or that libtiff could not write (the
// frames-written count comes back unchanged).
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/codec/CodecWriteFile.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class TiffFormatCodec;
class TiffHandle;
class TiffWriteFileFrame;

class TiffWriteFile : public CodecWriteFile
{
public:
    explicit TiffWriteFile(const TiffFormatCodec& codec);
    // Closes the file as close() does, swallowing a failure; a file to which
    // no frame was written is removed.
    ~TiffWriteFile() override;

    // A frame for the next directory (null when no file is open). Frames
    // made before it can no longer be written.
    WriteImageFileFrameInterface* createFrame() override;
    // Creates the file (kind 0 only); false when it exists already, cannot
    // be made, or a file is open already.
    bool open(const FileSpecifier& file) override;
    bool isOpen() const override;
    // Writes the frame's directory from the rows and answers the frames
    // written so far; unchanged when nothing was written.
    int writeFrame(WriteImageFileFrameInterface* frame, RowIteratorInterface* rows) override;

    // Writes what is pending and closes the file; false when libtiff
    // reported a failure. A file without frames is removed.
    bool close();

    int framesWritten() const { return framesWritten_; }

private:
    const TiffFormatCodec& codec_;
    std::unique_ptr<TiffHandle> handle_;
    int framesWritten_ = 0;
    // The directory being described belongs to this frame generation;
    // whether pixels were written to it.
    std::uint32_t generation_ = 0;
    bool directoryHasPixels_ = false;
    bool directoryStarted_ = false;
};

} // namespace Omvi
