#pragma once
// One frame (directory) of a TIFF file being read: its size, data model,
// palette, orientation and properties, its row iterators, and its stored
// tiles read one at a time (DirectTileReadInterface) so that a large tiled
// file is paged from the file instead of being decoded whole.
//
// The frame holds its own libtiff handle for its life; each row iterator
// and the tile reader open their own.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/DirectTileReadInterface.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/tiff/TiffDirectory.h"
#include "imaging/codecs/tiff/TiffLayout.h"

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace Omvi
{

class CorrelationPropertySetIterator;
class FormatCodecPropertyInterface;
class TiffFormatCodec;
class TiffFormatCodecPropertySetIterator;
class TiffHandle;
class TiffRowDecoder;
class ZeziZerUruzoredovu;

class TiffReadFileFrame : public ReadImageFileFrameInterface, public DirectTileReadInterface
{
public:
    // Frame `index` of the file, on directory `directory` (reached at its
    // offset); null when the directory cannot be opened or its sizes are
    // unusable. The side-car
    // correlations of `options` (not owned; may be null) are told the
    // image's size and read.
    static std::unique_ptr<TiffReadFileFrame> open(const TiffFormatCodec& codec, const FileSpecifier& file,
                                                   CorrelationPropertySetIterator* options, int index,
                                                   const TiffDirectory& directory);
    ~TiffReadFileFrame() override;

    // 0 always; 1 (whole tiles) for a tiled directory; 2 (rows in any order)
    // for uncompressed strips of the layouts that read them cheaply.
    bool isRowAccessSupported(int kind) const override;
    // The frame's position among the file's frames.
    int frameIndex() const override;
    void getSize(int* height, int* width) const override;
    int dataModelKind() const override;
    int sampleKind() const override;
    int bitsPerPixel() const override;
    // From the GeoTIFF placement when the directory is geo-referenced (a
    // mirrored x axis, a y axis growing with the rows, or both), else from
    // the Orientation tag.
    int getOrientation() const override;
    int paletteCount() const override;
    // At most the palette's entries; nothing without a palette.
    void getPalette(int count, std::uint8_t* rgb) const override;
    RowIteratorInterface* newRowIterator() override;
    bool isTiled() const override;
    FormatCodecPropertySetIterator* getProperties() override;
    FormatCodecPropertyInterface* getProperty(const StringBuffer& name) override;
    FormatCodecPropertyInterface* getPropertyOfType(int propertyType) override;

    // DirectTileReadInterface: the tile side when tiles are square, else 0;
    // one stored tile in the frame's row layout (RGB as one 32-bit word a
    // pixel, grey levels with 0 for black, bitonal with a set bit for ink).
    int tileSize() const override;
    bool readTile(int tileRow, int tileColumn, std::uint8_t* buffer) override;

    const TiffLayout& layout() const { return layout_; }

private:
    TiffReadFileFrame(const TiffFormatCodec& codec, const FileSpecifier& file, CorrelationPropertySetIterator* options,
                      int index, const TiffDirectory& directory);
    bool initialise();
    std::unique_ptr<TiffFormatCodecPropertySetIterator> buildProperties();
    std::unique_ptr<ZeziZerUruzoredovu> recordCorrelation();
    int orientationFromTags() const;

    const TiffFormatCodec& codec_;
    FileSpecifier file_;
    CorrelationPropertySetIterator* options_;
    int index_;
    TiffDirectory directory_;
    std::unique_ptr<TiffHandle> handle_;
    TiffLayout layout_;
    std::vector<std::array<std::uint8_t, 3>> palette_;
    mutable std::optional<int> orientation_;
    std::unique_ptr<TiffRowDecoder> tiles_;
};

} // namespace Omvi
