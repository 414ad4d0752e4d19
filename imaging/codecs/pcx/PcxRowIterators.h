#pragma once
// The rows of a PCX frame: each iterator opens the file, decodes one coded
// line (every plane) per row through a buffered reader, and converts it to
// the imaging core's layout. Planes are decoded into buffers of at least
// the bytes the width needs; a line the file ends in throws
// FormatCodecException "Corrupt image file" (code 8) from getRow.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/codec/BufferedFileReader.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/pcx/PcxHeader.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <array>
#include <memory>
#include <vector>

namespace Omvi
{

class PcxRowIteratorUC : public RowIteratorInterface
{
public:
    ~PcxRowIteratorUC() override;

    // Whether the file could be opened.
    bool isUsable() const { return file_.isOpen(); }

    std::int32_t bytesPerRow() const override { return bytesPerRow_; }
    // Decodes the current row (and any passed over) and converts it; throws
    // FormatCodecException "Invalid parameter" (code 6) for a buffer shorter
    // than a row.
    void getRow(DataBuffer& row) override;
    bool next() override;
    std::int32_t rowCount() const override { return height_; }
    std::int32_t width() const override { return width_; }
    // Back to the first line, after the header.
    void start() override;
    void finish() override {}

protected:
    // `neededPerPlane`: the bytes of one plane the conversion reads.
    PcxRowIteratorUC(const FileSpecifier& file, const PcxHeader& header, std::int32_t bytesPerRow,
                     std::int32_t neededPerPlane);

    // Plane `p` of the decoded line.
    const std::uint8_t* plane(int p) const { return line_.data() + static_cast<std::size_t>(p) * planeStride_; }
    virtual void convert(std::uint8_t* out) const = 0;

private:
    void decodeLine();

    CodecFile file_;
    std::unique_ptr<BufferedFileReader> reader_;
    std::unique_ptr<PcxRunDecoder> decoder_;
    std::int32_t width_;
    std::int32_t height_;
    std::int32_t bytesPerRow_;
    std::int32_t planes_;
    std::size_t bytesPerLine_;
    std::size_t planeStride_;
    std::vector<std::uint8_t> line_;
    std::int32_t current_ = 0;
    std::int32_t decoded_ = -1;
};

// One plane of 1 bit to bitonal rows (a set bit is ink).
class PcxRowIterator_1_1 : public PcxRowIteratorUC
{
public:
    // `invert`: the file's set bits are its light colour.
    PcxRowIterator_1_1(const FileSpecifier& file, const PcxHeader& header, bool invert);

protected:
    void convert(std::uint8_t* out) const override;

private:
    bool invert_;
};

// One plane of 1 bit to palette index bytes (two-colour files that are not
// black and white).
class PcxRowIterator_1_8 : public PcxRowIteratorUC
{
public:
    PcxRowIterator_1_8(const FileSpecifier& file, const PcxHeader& header);

protected:
    void convert(std::uint8_t* out) const override;
};

// Sixteen colours, one 4-bit plane or four 1-bit planes, to bytes through a
// table (the index, or its grey level i x 17 for grey frames).
class PcxRowIterator_4_8 : public PcxRowIteratorUC
{
public:
    PcxRowIterator_4_8(const FileSpecifier& file, const PcxHeader& header, bool bitPlanes, bool grey);

protected:
    void convert(std::uint8_t* out) const override;

private:
    bool bitPlanes_;
    std::array<std::uint8_t, 16> table_{};
};

// One plane of 8 bits: palette indices, or for grey frames the grey level
// of each index's palette entry.
class PcxRowIterator_8_8 : public PcxRowIteratorUC
{
public:
    // `palette`: 256 entries, used for grey frames (copied).
    PcxRowIterator_8_8(const FileSpecifier& file, const PcxHeader& header, bool grey, const std::uint8_t* palette);

protected:
    void convert(std::uint8_t* out) const override;

private:
    bool grey_;
    std::array<std::uint8_t, 256> levels_{};
};

// Three planes of 8 bits (red, green, blue) to red, green, blue, 255.
class PcxRowIterator_24_32 : public PcxRowIteratorUC
{
public:
    PcxRowIterator_24_32(const FileSpecifier& file, const PcxHeader& header);

protected:
    void convert(std::uint8_t* out) const override;
};

} // namespace Omvi
