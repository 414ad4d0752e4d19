#pragma once
// The frame of a PCX file: size, depth, palette and density from the header
// (the palette of 8-bit version 5 files from the file's end), and the row
// iterator that fits the depth.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/pcx/PcxHeader.h"

#include <array>
#include <memory>

namespace Omvi
{

class CodecFile;
class CorrelationPropertySetIterator;

class PcxReadFileFrame : public ReadImageFileFrameInterface
{
public:
    // The layouts the row iterators decode.
    enum class Layout
    {
        kNone,
        kBits,          // 1 plane of 1 bit
        kNibbles,       // 1 plane of 4 bits
        kBitPlanes,     // 4 planes of 1 bit
        kBytes,         // 1 plane of 8 bits
        kColourPlanes   // 3 planes of 8 bits
    };
    // The layout of the header's planes and bits; kNone for one no iterator
    // decodes.
    static Layout layoutOf(const PcxHeader& header);

    // `file` is the open file the header came from; `correlations` (owned;
    // may be null) are told the size and pixel size and read. Throws
    // FormatCodecException "Corrupt image file" (code 8), saying why, for
    // an 8-bit version 5 file whose palette marker is not 769 bytes before
    // its end, or whose image data, decoded, does not end before that
    // marker (a file cut inside its palette can leave a marker byte there).
    PcxReadFileFrame(const FileSpecifier& specifier, const CodecFile& file, const PcxHeader& header,
                     std::unique_ptr<CorrelationPropertySetIterator> correlations);
    ~PcxReadFileFrame() override;

    bool isRowAccessSupported(int kind) const override { return kind == kSequentialRows; }
    int frameIndex() const override { return 1; }
    void getSize(int* height, int* width) const override;
    // 1-bit black-and-white files are bitonal (4); 1-bit files of two other
    // colours, and 2-, 4- and 8-bit files, palette (2) or grey (3); 24 bits
    // RGB (1).
    int dataModelKind() const override { return kind_; }
    int sampleKind() const override;
    // The depth (bits times planes); 16 and 32 report 24.
    int bitsPerPixel() const override;
    int getOrientation() const override { return 0; }
    int paletteCount() const override { return paletteCount_; }
    void getPalette(int count, std::uint8_t* rgb) const override;
    // Null for depths and plane layouts without an iterator (2 and 32 bits
    // among them).
    RowIteratorInterface* newRowIterator() override;
    bool isTiled() const override { return false; }
    FormatCodecPropertySetIterator* getProperties() override;
    FormatCodecPropertyInterface* getProperty(const StringBuffer& name) override;
    FormatCodecPropertyInterface* getPropertyOfType(int propertyType) override;

    bool paletteFromTrailer() const { return fromTrailer_; }

private:
    FileSpecifier specifier_;
    PcxHeader header_;
    std::unique_ptr<CorrelationPropertySetIterator> correlations_;
    std::int32_t depth_ = 0;
    std::int32_t paletteCount_ = 0;
    std::int32_t kind_ = 0;
    Layout layout_ = Layout::kNone;
    // Whether the 1-bit file's set bits are its light colour (so ink is the
    // clear bit).
    bool lightBitsSet_ = true;
    std::array<std::uint8_t, 256 * 3> palette_{};
    bool fromTrailer_ = false;
};

} // namespace Omvi
