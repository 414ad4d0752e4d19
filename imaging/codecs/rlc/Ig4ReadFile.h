#pragma once
// The reader of an IG4 file: one raster, coded in Group 4 strips.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/codec/CodecReadFile.h"

#include <memory>

namespace Omvi
{

class CorrelationPropertySetIterator;
class Ig4FormatCodec;

class Ig4ReadFile : public CodecReadFile
{
public:
    Ig4ReadFile(const Ig4FormatCodec* codec, const FileSpecifier& file,
                std::unique_ptr<CorrelationPropertySetIterator> correlations);
    ~Ig4ReadFile() override;

    // 1 while the file could be opened, else 0.
    int isValid() const override { return frameCount(); }
    int frameCount() const override { return open_ ? 1 : 0; }
    // Index 0 only, and none when the file could not be opened.
    ReadImageFileFrameInterface* openFrame(int index) override;

private:
    bool open_ = false;
};

} // namespace Omvi
