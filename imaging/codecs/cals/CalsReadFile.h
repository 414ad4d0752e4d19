#pragma once
// The reader of a CALS file or of a caller's stream: one frame, index 0.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/codec/CodecReadFile.h"

#include <memory>

namespace Omvi
{

class CalsFormatCodec;
class CorrelationPropertySetIterator;
class DataStreamInterface;

class CalsReadFile : public CodecReadFile
{
public:
    // Over a file, with the side-car correlations found for it (may be
    // null).
    CalsReadFile(const CalsFormatCodec* codec, const FileSpecifier& file,
                 std::unique_ptr<CorrelationPropertySetIterator> correlations);
    // Over a caller's stream, open for reading; the specifier is an empty
    // one of kind 1.
    CalsReadFile(const CalsFormatCodec* codec, DataStreamInterface* stream);
    ~CalsReadFile() override;

    int frameCount() const override { return 1; }
    // Index 0 only; the frame reads the header from the start of the file
    // (or from where the caller's stream stands when it cannot go back).
    ReadImageFileFrameInterface* openFrame(int index) override;

private:
    std::unique_ptr<DataStreamInterface> ownStream_;
    DataStreamInterface* stream_;
};

} // namespace Omvi
