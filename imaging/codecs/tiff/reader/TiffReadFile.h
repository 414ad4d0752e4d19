#pragma once
// A TIFF file being read: its frames are the directories that hold an
// image the codec reads as one (not transparency masks, and not LZW
// directories when the codec leaves those out), counted once when the file
// is opened, in one walk along the chain of directories. Frame i is the
// i-th counted directory; each frame opens the file again for itself, at
// the directory's offset the walk found, so reaching every frame is work
// in proportion to the frames.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/codec/CodecReadFile.h"
#include "imaging/codecs/tiff/TiffDirectory.h"

#include <memory>
#include <vector>

namespace Omvi
{

class CorrelationPropertySetIterator;
class TiffFormatCodec;

class TiffReadFile : public CodecReadFile
{
public:
    // `options` (may be null) are the side-car correlations found beside the
    // file; the reader owns them.
    TiffReadFile(const TiffFormatCodec& codec, const FileSpecifier& file,
                 std::unique_ptr<CorrelationPropertySetIterator> options);
    ~TiffReadFile() override;

    // The counted directories (0 when the file cannot be opened).
    int frameCount() const override;
    // Null for an index outside the counted frames, a directory that cannot
    // be opened, or when memory runs out.
    ReadImageFileFrameInterface* openFrame(int index) override;

private:
    const TiffFormatCodec& tiffCodec_;
    std::vector<TiffDirectory> directories_;
};

} // namespace Omvi
