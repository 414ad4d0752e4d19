#pragma once
// The reader of one picture file and its one frame. The frame owns the
// picture decoder, which walks the opcodes when the frame is made and
// renders on the first row request.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/codec/CodecReadFile.h"

#include <memory>

namespace Omvi
{

class CorrelationPropertySetIterator;
class PictFormatCodec;
class PictPicture;

class PictReadFile : public CodecReadFile
{
public:
    PictReadFile(const PictFormatCodec* codec, const FileSpecifier& file,
                 std::unique_ptr<CorrelationPropertySetIterator> correlations);
    ~PictReadFile() override;

    // 1 when the file can be opened, else 0.
    int frameCount() const override;
    // A new frame with its own decoder (any index); null when the file
    // cannot be opened.
    ReadImageFileFrameInterface* openFrame(int index) override;

private:
};

class PictReadFileFrame : public ReadImageFileFrameInterface
{
public:
    PictReadFileFrame(std::shared_ptr<PictPicture> picture,
                      std::unique_ptr<CorrelationPropertySetIterator> correlations);
    ~PictReadFileFrame() override;

    bool isRowAccessSupported(int kind) const override { return kind == kSequentialRows; }
    int frameIndex() const override { return 1; }
    // The picture frame's height and width.
    void getSize(int* height, int* width) const override;
    // 2 (palette) for 8-bit output, else 1 (RGB).
    int dataModelKind() const override;
    // 1 (bytes) for 8-bit output, else 3 (32-bit pixels).
    int sampleKind() const override;
    // 8 or 24.
    int bitsPerPixel() const override;
    int getOrientation() const override { return 0; }
    int paletteCount() const override;
    void getPalette(int count, std::uint8_t* rgb) const override;
    // Null for an unusable picture.
    RowIteratorInterface* newRowIterator() override;
    // Says when the picture's size is why it gives no rows.
    const char* rowRefusal() const override;
    bool isTiled() const override { return false; }
    FormatCodecPropertySetIterator* getProperties() override;
    FormatCodecPropertyInterface* getProperty(const StringBuffer&) override { return nullptr; }
    // 7: the first valid correlation.
    FormatCodecPropertyInterface* getPropertyOfType(int propertyType) override;

    const PictPicture& picture() const { return *picture_; }

private:
    std::shared_ptr<PictPicture> picture_;
    std::unique_ptr<CorrelationPropertySetIterator> correlations_;
};

} // namespace Omvi
