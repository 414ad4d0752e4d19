#pragma once
// The reader of a PCX file: one frame, made from the header when it is
// opened.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/codec/CodecReadFile.h"

#include <memory>
#include <string>

namespace Omvi
{

class CorrelationPropertySetIterator;
class PcxFormatCodec;

class PcxReadFile : public CodecReadFile
{
public:
    // `correlations`: the side-car correlations found for the file (owned;
    // may be null); every frame gets a copy of them.
    PcxReadFile(const PcxFormatCodec* codec, const FileSpecifier& file,
                std::unique_ptr<CorrelationPropertySetIterator> correlations);
    ~PcxReadFile() override;

    int frameCount() const override { return 1; }
    // Reads the header (the index is not looked at): a PcxReadFileFrame, or
    // null when the file cannot be read, its header breaks the format's
    // rules or its size is empty.
    ReadImageFileFrameInterface* openFrame(int index) override;
    // Why openFrame gave none (the header's fault, with its values).
    const char* frameRefusal() const override { return refusal_.empty() ? nullptr : refusal_.c_str(); }

private:
    std::string refusal_;
};

} // namespace Omvi
