#pragma once
// The reader of one FLI or FLC file. It offers the animation's first frame
// only, decoded whole when the frame is made.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/codec/CodecReadFile.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <memory>

namespace Omvi
{

class CodecFile;
class CorrelationPropertySetIterator;
class FlicFormatCodec;
class FlicImage;

class FlicReadFile : public CodecReadFile
{
public:
    // Opens the file and reads its header; the reader is made whether or
    // not it could. The correlations are not used: the format has none.
    FlicReadFile(const FlicFormatCodec* codec, const FileSpecifier& file,
                 std::unique_ptr<CorrelationPropertySetIterator> correlations);
    ~FlicReadFile() override;

    // The header's frame count (0 when the file could not be read).
    int frameCount() const override { return frameCount_; }
    // Frame 0 only; null for any other index and when the file is not open.
    ReadImageFileFrameInterface* openFrame(int index) override;

private:
    std::shared_ptr<CodecFile> handle_;
    int frameCount_ = 0;
};

class FlicReadFileFrame : public ReadImageFileFrameInterface
{
public:
    // Decodes the first frame of `file`.
    explicit FlicReadFileFrame(const CodecFile& file);
    ~FlicReadFileFrame() override;

    bool isRowAccessSupported(int kind) const override { return kind == kSequentialRows; }
    int frameIndex() const override { return 0; }
    void getSize(int* height, int* width) const override;
    int dataModelKind() const override { return 2; }
    int sampleKind() const override { return 1; }
    int bitsPerPixel() const override { return 8; }
    int getOrientation() const override { return 0; }
    int paletteCount() const override { return 256; }
    void getPalette(int count, std::uint8_t* rgb) const override;
    // Null for a damaged file.
    RowIteratorInterface* newRowIterator() override;
    const char* rowRefusal() const override;
    bool isTiled() const override { return false; }
    // An empty set: the format has no properties.
    FormatCodecPropertySetIterator* getProperties() override;
    FormatCodecPropertyInterface* getProperty(const StringBuffer&) override { return nullptr; }
    FormatCodecPropertyInterface* getPropertyOfType(int) override { return nullptr; }

    const FlicImage& image() const { return *image_; }

private:
    std::shared_ptr<FlicImage> image_;
};

// Rows of the decoded frame, one palette index a pixel.
class FlicRowIterator : public RowIteratorInterface
{
public:
    explicit FlicRowIterator(std::shared_ptr<const FlicImage> image);
    ~FlicRowIterator() override;

    std::int32_t bytesPerRow() const override;
    // Copies the current row; past the last row the buffer is cleared.
    // Throws ImageFilterException code 6 for a buffer shorter than a row.
    void getRow(DataBuffer& row) override;
    bool next() override;
    std::int32_t rowCount() const override;
    std::int32_t width() const override;
    void start() override { currentRow_ = 0; }
    void finish() override {}

private:
    std::shared_ptr<const FlicImage> image_;
    std::int32_t currentRow_ = 0;
};

} // namespace Omvi
