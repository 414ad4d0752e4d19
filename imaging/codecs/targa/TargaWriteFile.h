#pragma once
// The writer of one Targa file: uncompressed, rows stored bottom-up, with
// the version-2 footer. Colour is stored as 24-bit true colour, palette
// images with a 256-entry colour map, grey as 8-bit grey. The file is made
// new; when no frame is written to it, or writing fails, it is removed.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/codec/CodecWriteFile.h"
#include "imaging/codecs/codec/CodecOutputFile.h"
#include "imaging/codecs/targa/TargaProperties.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class CorrelationPropertySetIterator;
class TargaFormatCodec;

class TargaWriteFileFrame : public WriteImageFileFrameInterface
{
public:
    explicit TargaWriteFileFrame(std::unique_ptr<CorrelationPropertySetIterator> correlations);
    ~TargaWriteFileFrame() override;

    // Each side is kept only when it is 1 to 65534.
    void setSize(int height, int width) override;
    // 1 true colour, 2 colour-mapped, 3 grey; others throw "Invalid Color
    // Model" (6).
    void setDataModelKind(int kind) override;
    // The bits a delivered pixel takes: 32 for colour, 8 otherwise; else
    // "Invalid Bits Per Pixel" (7).
    void setThirdValue(int bits) override;
    // The bits to store, checked only: 24 or 32 for colour, 8 otherwise.
    void setBitsPerPixel(int bits) override;
    void setPaletteCount(int count) override;
    void setPalette(const std::uint8_t* rgb) override;
    FormatCodecPropertySetIterator* getProperties() override;
    FormatCodecPropertyInterface* getProperty(const StringBuffer&) override { return nullptr; }
    FormatCodecPropertyInterface* getPropertyOfType(int) override { return nullptr; }
    // Takes valid correlations only.
    bool setProperty(const FormatCodecPropertyInterface* property) override;
    void clearProperties() override {}
    bool requiredPropertiesSet() const override { return true; }

    const std::uint8_t* header() const { return header_; }
    std::int32_t kind() const { return kind_; }
    std::int32_t width() const;
    std::int32_t height() const;
    std::int32_t deliveredBytesPerPixel() const { return deliveredBytes_; }
    // 256 entries blue, green, red.
    const std::uint8_t* colourMap() const { return map_; }
    const FormatCodecPropertySetIterator& ownProperties() const { return own_; }

private:
    void makeColourMappedHeader();

    std::int32_t kind_ = 0;
    std::uint8_t header_[18] = {};
    std::int32_t deliveredBytes_ = 0;
    std::int32_t paletteCount_ = 0;
    std::uint8_t map_[256 * 3] = {};
    std::unique_ptr<CorrelationPropertySetIterator> correlations_;
    TargaPropertySetIterator own_;
    std::unique_ptr<TargaPropertySetIterator> listed_;
};

class TargaWriteFile : public CodecWriteFile
{
public:
    explicit TargaWriteFile(const TargaFormatCodec* codec);
    ~TargaWriteFile() override;

    // A TargaWriteFileFrame; null until the file is open.
    WriteImageFileFrameInterface* createFrame() override;
    // Creates the file (kind 0 only; an existing file is refused).
    bool open(const FileSpecifier& file) override;
    // Writes the frame and answers 1. Before anything is written it throws
    // FormatCodecException "NULL parameter" or "Invalid Frame Attributes"
    // (0), "Invalid RowIterator dimensions" (2), "RowIterator-Set Parameters
    // mismatch" (3: rows of another size than the frame, or too short),
    // "Parameters Set mismatch" (4) or "Targa does not support multiple
    // frames" (5); a failed write throws FileIOException and removes the
    // file.
    int writeFrame(WriteImageFileFrameInterface* frame, RowIteratorInterface* rows) override;

private:
    CodecOutputFile output_;
    bool written_ = false;
};

} // namespace Omvi
