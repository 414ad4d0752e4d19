#pragma once
// The reader of one Targa file and its one frame.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/codec/CodecReadFile.h"

#include <memory>

namespace Omvi
{

class CodecFile;
class CorrelationPropertySetIterator;
class TargaFormatCodec;
struct TargaFileState;

class TargaReadFile : public CodecReadFile
{
public:
    // Opens and parses the file; the reader is made whether or not it could.
    TargaReadFile(const TargaFormatCodec* codec, const FileSpecifier& file,
                  std::unique_ptr<CorrelationPropertySetIterator> correlations);
    ~TargaReadFile() override;

    // 1 while the file is open, 0 when it could not be.
    int frameCount() const override;
    // The frame (the index is not looked at) with its own copy of the
    // side-car correlations; null when the file is not open.
    ReadImageFileFrameInterface* openFrame(int index) override;

private:
    std::shared_ptr<CodecFile> handle_;
    std::shared_ptr<const TargaFileState> state_;
};

class TargaReadFileFrame : public ReadImageFileFrameInterface
{
public:
    TargaReadFileFrame(std::shared_ptr<const TargaFileState> state,
                       std::unique_ptr<CorrelationPropertySetIterator> correlations);
    ~TargaReadFileFrame() override;

    bool isRowAccessSupported(int kind) const override { return kind == kSequentialRows; }
    int frameIndex() const override { return 0; }
    void getSize(int* height, int* width) const override;
    // 1 true colour, 2 colour-mapped, 3 grey (0 for other image types).
    int dataModelKind() const override;
    // 3 (32-bit pixels) for true colour, 1 (bytes) otherwise.
    int sampleKind() const override;
    // The stored depth, 15 and 16 reported as 24 (grey with alpha
    // as 8, the grey it delivers).
    int bitsPerPixel() const override;
    int getOrientation() const override;
    int paletteCount() const override;
    void getPalette(int count, std::uint8_t* rgb) const override;
    // Null for files whose rows it cannot decode.
    RowIteratorInterface* newRowIterator() override;
    const char* rowRefusal() const override;
    bool isTiled() const override { return false; }
    FormatCodecPropertySetIterator* getProperties() override;
    FormatCodecPropertyInterface* getProperty(const StringBuffer&) override { return nullptr; }
    // 7: the first valid correlation.
    FormatCodecPropertyInterface* getPropertyOfType(int propertyType) override;

private:
    std::shared_ptr<const TargaFileState> state_;
    std::unique_ptr<CorrelationPropertySetIterator> correlations_;
};

} // namespace Omvi
