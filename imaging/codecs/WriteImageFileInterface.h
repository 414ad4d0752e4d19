#pragma once
// A codec's writer: opened on a file (or made on a stream), then per frame
// one createFrame, the frame's setters and writeFrame. Destroying it closes
// the output. Writers throw FormatCodecException before anything is written
// when a frame cannot be stored.
namespace Omvi
{

class FileSpecifier;
class ImageFormatCodec;
class RowIteratorInterface;
class WriteImageFileFrameInterface;

class WriteImageFileInterface
{
public:
    // 0
    virtual ~WriteImageFileInterface() = default;
    // 1: a new frame (owned by the caller), or null when the output is not
    // open.
    virtual WriteImageFileFrameInterface* createFrame() = 0;
    // 2
    virtual ImageFormatCodec* codec() const = 0;
    // 3: opens the output file (kind 0 only); whether it could.
    virtual bool open(const FileSpecifier& file) = 0;
    // 4
    virtual const FileSpecifier& fileSpecifier() const = 0;
    // 5
    virtual bool isOpen() const = 0;
    // 6: copies the specifier into `out` and returns `out`.
    virtual FileSpecifier& copyFileSpecifier(FileSpecifier& out) const = 0;
    // 7: writes one frame from the rows (calling their start, next, getRow
    // and finish) with the frame's attributes and properties; answers the
    // codec's result (frames written, or non-zero for success).
    virtual int writeFrame(WriteImageFileFrameInterface* frame, RowIteratorInterface* rows) = 0;
};

} // namespace Omvi
