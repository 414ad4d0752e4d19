#include "imaging/codecs/pcx/PcxRowIterators.h"

#include "imaging/DataBuffer.h"
#include "imaging/codecs/codec/CodecErrors.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{

PcxRowIteratorUC::PcxRowIteratorUC(const FileSpecifier& file, const PcxHeader& header, std::int32_t bytesPerRow,
                                   std::int32_t neededPerPlane)
    : width_(header.width()),
      height_(header.height()),
      bytesPerRow_(bytesPerRow),
      planes_(header.planes()),
      bytesPerLine_(header.bytesPerLine()),
      planeStride_(std::max<std::size_t>(header.bytesPerLine(), static_cast<std::size_t>(neededPerPlane)))
{
    line_.assign(planeStride_ * static_cast<std::size_t>(planes_), 0);
    const std::optional<std::string> path = CodecFile::nativePath(file);
    if (path && file_.open(*path))
    {
        reader_ = std::make_unique<BufferedFileReader>(file_);
        decoder_ = std::make_unique<PcxRunDecoder>(*reader_);
        start();
    }
}

PcxRowIteratorUC::~PcxRowIteratorUC() = default;

void PcxRowIteratorUC::start()
{
    current_ = 0;
    decoded_ = -1;
    if (reader_)
    {
        reader_->seek(PcxHeader::kSize);
        decoder_->clear();
    }
}

bool PcxRowIteratorUC::next()
{
    if (current_ < height_)
        ++current_;
    return true;
}

void PcxRowIteratorUC::decodeLine()
{
    std::fill(line_.begin(), line_.end(), 0);
    if (!decoder_)
        return;
    // A line the file holds no longer is refused rather than made up, so
    // the rows a header claims cost no more than the data present.
    for (std::int32_t p = 0; p < planes_; ++p)
        if (decoder_->decode(line_.data() + static_cast<std::size_t>(p) * planeStride_, bytesPerLine_) <
            bytesPerLine_)
            throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
}

void PcxRowIteratorUC::getRow(DataBuffer& row)
{
    if (row.size() < bytesPerRow_ || (bytesPerRow_ > 0 && row.data() == nullptr))
        throwFormatCodecException("Invalid parameter", kCodecInvalidColorModel);
    if (current_ >= height_)
        return;
    while (decoded_ < current_)
    {
        decodeLine();
        ++decoded_;
    }
    convert(row.data());
}

PcxRowIterator_1_1::PcxRowIterator_1_1(const FileSpecifier& file, const PcxHeader& header, bool invert)
    : PcxRowIteratorUC(file, header, (header.width() + 7) / 8, (header.width() + 7) / 8), invert_(invert)
{
}

void PcxRowIterator_1_1::convert(std::uint8_t* out) const
{
    const std::int32_t bytes = bytesPerRow();
    const std::uint8_t* bits = plane(0);
    for (std::int32_t i = 0; i < bytes; ++i)
        out[i] = invert_ ? static_cast<std::uint8_t>(~bits[i]) : bits[i];
    if (const int spare = (8 - width() % 8) % 8; spare != 0 && bytes > 0)
        out[bytes - 1] &= static_cast<std::uint8_t>(0xFF << spare);
}

PcxRowIterator_1_8::PcxRowIterator_1_8(const FileSpecifier& file, const PcxHeader& header)
    : PcxRowIteratorUC(file, header, header.width(), (header.width() + 7) / 8)
{
}

void PcxRowIterator_1_8::convert(std::uint8_t* out) const
{
    const std::uint8_t* bits = plane(0);
    for (std::int32_t x = 0; x < width(); ++x)
        out[x] = static_cast<std::uint8_t>((bits[x / 8] >> (7 - x % 8)) & 1);
}

PcxRowIterator_4_8::PcxRowIterator_4_8(const FileSpecifier& file, const PcxHeader& header, bool bitPlanes,
                                       bool grey)
    : PcxRowIteratorUC(file, header, header.width(), bitPlanes ? (header.width() + 7) / 8 : (header.width() + 1) / 2),
      bitPlanes_(bitPlanes)
{
    for (int i = 0; i < 16; ++i)
        table_[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(grey ? i * 17 : i);
}

void PcxRowIterator_4_8::convert(std::uint8_t* out) const
{
    if (!bitPlanes_)
    {
        const std::uint8_t* nibbles = plane(0);
        for (std::int32_t x = 0; x < width(); ++x)
        {
            const std::uint8_t byte = nibbles[x / 2];
            out[x] = table_[(x % 2 == 0) ? byte >> 4 : byte & 0x0F];
        }
        return;
    }
    // Plane p holds bit p of each pixel's index.
    for (std::int32_t x = 0; x < width(); ++x)
    {
        const int shift = 7 - x % 8;
        int index = 0;
        for (int p = 0; p < 4; ++p)
            index |= ((plane(p)[x / 8] >> shift) & 1) << p;
        out[x] = table_[static_cast<std::size_t>(index)];
    }
}

PcxRowIterator_8_8::PcxRowIterator_8_8(const FileSpecifier& file, const PcxHeader& header, bool grey,
                                       const std::uint8_t* palette)
    : PcxRowIteratorUC(file, header, header.width(), header.width()), grey_(grey)
{
    for (std::size_t i = 0; i < levels_.size(); ++i)
        levels_[i] = palette[3 * i];
}

void PcxRowIterator_8_8::convert(std::uint8_t* out) const
{
    const std::uint8_t* bytes = plane(0);
    if (!grey_)
    {
        std::memcpy(out, bytes, static_cast<std::size_t>(width()));
        return;
    }
    for (std::int32_t x = 0; x < width(); ++x)
        out[x] = levels_[bytes[x]];
}

PcxRowIterator_24_32::PcxRowIterator_24_32(const FileSpecifier& file, const PcxHeader& header)
    : PcxRowIteratorUC(file, header, 4 * header.width(), header.width())
{
}

void PcxRowIterator_24_32::convert(std::uint8_t* out) const
{
    const std::uint8_t* red = plane(0);
    const std::uint8_t* green = plane(1);
    const std::uint8_t* blue = plane(2);
    for (std::int32_t x = 0; x < width(); ++x)
    {
        out[4 * x] = red[x];
        out[4 * x + 1] = green[x];
        out[4 * x + 2] = blue[x];
        out[4 * x + 3] = 255;
    }
}

} // namespace Omvi
