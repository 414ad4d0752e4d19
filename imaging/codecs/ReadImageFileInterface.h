#pragma once
// A codec's reader of one file (or stream): it counts the frames and opens
// them one at a time. Made open by the codec; destroying it closes the file.
namespace Omvi
{

class FileSpecifier;
class ImageFormatCodec;
class ReadImageFileFrameInterface;

class ReadImageFileInterface
{
public:
    // 0: closes the file and deletes the property set.
    virtual ~ReadImageFileInterface() = default;
    // 1: the codec that made the reader.
    virtual ImageFormatCodec* codec() const = 0;
    // 2: the reader's own specifier.
    virtual const FileSpecifier& fileSpecifier() const = 0;
    // 3: non-zero for a usable reader (most codecs answer 1).
    virtual int isValid() const = 0;
    // 4: copies the specifier into `out` and returns `out`.
    virtual FileSpecifier& copyFileSpecifier(FileSpecifier& out) const = 0;
    // 5: the number of frames (0 once the file is not open).
    virtual int frameCount() const = 0;
    // 6: a new frame owned by the caller, or null.
    virtual ReadImageFileFrameInterface* openFrame(int index) = 0;
    // Why the last openFrame of an index the file holds gave none, in words
    // about the file ("The header's ..."); null when the reader names no
    // reason (the default).
    virtual const char* frameRefusal() const { return nullptr; }
};

} // namespace Omvi
