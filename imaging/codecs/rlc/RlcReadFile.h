#pragma once
// The reader of an RLC file: its rasters are the file itself (a file
// without an RLC trailer) or, in the order of its trailer, the rasters it
// holds and those it refers to in other files (at most twenty).
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/codec/CodecReadFile.h"

#include <memory>
#include <string>
#include <vector>

namespace Omvi
{

class CorrelationPropertySetIterator;
class RlcFormatCodec;
class RlcReferenceResolver;

class RlcReadFile : public CodecReadFile
{
public:
    static constexpr std::size_t kMaximumRasters = 20;

    struct Raster
    {
        FileSpecifier file;       // the file whose rows make the raster
        std::int32_t entryIndex;  // its entry in the trailer
    };

    RlcReadFile(const RlcFormatCodec* codec, const FileSpecifier& file,
                std::unique_ptr<CorrelationPropertySetIterator> correlations, const RlcReferenceResolver* resolver);
    ~RlcReadFile() override;

    // The raster count.
    int isValid() const override { return frameCount(); }
    int frameCount() const override { return static_cast<int>(rasters_.size()); }
    // A frame for raster `index`; the first one carries the side-car
    // correlations and the raster edits.
    ReadImageFileFrameInterface* openFrame(int index) override;

    const std::vector<Raster>& rasters() const { return rasters_; }

    // Where a reference names its file: the name taken relative to the
    // folder of the file that holds the reference ('\\' and '/' both
    // separate), or for an absolute name its last component in that folder;
    // empty for a name that climbs out of it ("..") or is empty.
    static std::string referencedPath(const std::string& holderPath, const std::string& name);

private:
    void findRasters(const RlcReferenceResolver* resolver);

    std::vector<Raster> rasters_;
};

} // namespace Omvi
