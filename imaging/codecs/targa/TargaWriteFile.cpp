#include "imaging/codecs/targa/TargaWriteFile.h"

#include "imaging/DataBuffer.h"
#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/targa/TargaFormatCodec.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <cstring>
#include <vector>

namespace Omvi
{
namespace
{

constexpr std::int32_t kLargestSide = 65534;
constexpr std::int64_t kHeaderSize = 18;

[[noreturn]] void refuseBits()
{
    throwFormatCodecException("Invalid Bits Per Pixel", kCodecInvalidBitsPerPixel);
}

} // namespace

TargaWriteFileFrame::TargaWriteFileFrame(std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : correlations_(std::move(correlations))
{
}

TargaWriteFileFrame::~TargaWriteFileFrame() = default;

std::int32_t TargaWriteFileFrame::width() const
{
    return ByteOrder::littleEndian16(&header_[12]);
}

std::int32_t TargaWriteFileFrame::height() const
{
    return ByteOrder::littleEndian16(&header_[14]);
}

void TargaWriteFileFrame::setSize(int height, int width)
{
    if (height >= 1 && height <= kLargestSide)
        ByteOrder::putLittleEndian16(&header_[14], static_cast<std::uint16_t>(height));
    if (width >= 1 && width <= kLargestSide)
        ByteOrder::putLittleEndian16(&header_[12], static_cast<std::uint16_t>(width));
}

void TargaWriteFileFrame::makeColourMappedHeader()
{
    header_[1] = 1;  // a colour map
    header_[2] = 1;
    ByteOrder::putLittleEndian16(&header_[3], 0);
    ByteOrder::putLittleEndian16(&header_[5], 256);
    header_[7] = 24;
    header_[16] = 8;
}

void TargaWriteFileFrame::setDataModelKind(int kind)
{
    switch (kind)
    {
    case 1:
        header_[1] = 0;
        header_[2] = 2;
        std::memset(&header_[3], 0, 5);
        header_[16] = 24;
        break;
    case 2:
        makeColourMappedHeader();
        break;
    case 3:
        header_[1] = 0;
        header_[2] = 3;
        std::memset(&header_[3], 0, 5);
        header_[16] = 8;
        break;
    default:
        throwFormatCodecException("Invalid Color Model", kCodecInvalidColorModel);
    }
    kind_ = kind;
}

void TargaWriteFileFrame::setThirdValue(int bits)
{
    const bool accepted = kind_ == 1 ? bits == 32 : kind_ == 0 ? bits == 8 || bits == 32 : bits == 8;
    if (!accepted)
        refuseBits();
    deliveredBytes_ = bits / 8;
}

void TargaWriteFileFrame::setBitsPerPixel(int bits)
{
    const bool accepted = kind_ == 0   ? bits == 8 || bits == 24 || bits == 32
                          : kind_ == 1 ? bits == 24 || bits == 32
                                       : bits == 8;
    if (!accepted)
        refuseBits();
}

void TargaWriteFileFrame::setPaletteCount(int count)
{
    if (count >= 1 && count <= 256)
        paletteCount_ = count;
}

void TargaWriteFileFrame::setPalette(const std::uint8_t* rgb)
{
    if (rgb == nullptr)
        return;
    std::memset(map_, 0, sizeof map_);
    for (std::int32_t i = 0; i < paletteCount_; ++i)
    {
        map_[3 * i] = rgb[3 * i + 2];
        map_[3 * i + 1] = rgb[3 * i + 1];
        map_[3 * i + 2] = rgb[3 * i];
    }
    if (header_[2] != 1)
        makeColourMappedHeader();
}

FormatCodecPropertySetIterator* TargaWriteFileFrame::getProperties()
{
    auto listed = std::make_unique<TargaPropertySetIterator>();
    if (correlations_)
        for (std::int32_t i = 0; i < correlations_->count(); ++i)
            listed->append(correlations_->at(i));
    listed_ = std::move(listed);
    return listed_.get();
}

bool TargaWriteFileFrame::setProperty(const FormatCodecPropertyInterface* property)
{
    const auto* correlation = dynamic_cast<const FormatCodecCorrelation*>(property);
    if (correlation == nullptr || !correlation->isValid())
        return false;
    own_.append(correlation);
    return true;
}

TargaWriteFile::TargaWriteFile(const TargaFormatCodec* codec) : CodecWriteFile(codec) {}

TargaWriteFile::~TargaWriteFile() = default;

WriteImageFileFrameInterface* TargaWriteFile::createFrame()
{
    if (!output_.isOpen())
        return nullptr;
    return new TargaWriteFileFrame(newWritingCorrelations());
}

bool TargaWriteFile::open(const FileSpecifier& file)
{
    const auto path = CodecFile::nativePath(file);
    if (!path || output_.isOpen() || !output_.create(*path))
        return false;
    setFileSpecifier(file);
    return true;
}

int TargaWriteFile::writeFrame(WriteImageFileFrameInterface* frame, RowIteratorInterface* rows)
{
    if (frame == nullptr || rows == nullptr)
        throwFormatCodecException("NULL parameter", kCodecNullParameter);
    auto* targa = dynamic_cast<TargaWriteFileFrame*>(frame);
    if (targa == nullptr)
        throwFormatCodecException("Invalid Frame Attributes", kCodecNullParameter);
    if (rows->rowCount() < 1 || rows->width() < 1)
        throwFormatCodecException("Invalid RowIterator dimensions", kCodecInvalidRowIteratorSize);
    const std::int32_t width = targa->width();
    const std::int32_t height = targa->height();
    if (targa->header()[2] == 0 || width == 0 || height == 0)
        throwFormatCodecException("Parameters Set mismatch", kCodecParametersMismatch);
    // The pixels are taken from the rows at the size the header says, so
    // the rows must be of that size, and of the delivered layout.
    const std::int32_t delivered = targa->kind() == 1 ? 4 : 1;
    if (targa->deliveredBytesPerPixel() != 0 && targa->deliveredBytesPerPixel() != delivered)
        throwFormatCodecException("Parameters Set mismatch", kCodecParametersMismatch);
    if (written_)
        throwFormatCodecException("Targa does not support multiple frames", kCodecMultipleFrames);
    if (rows->width() != width || rows->rowCount() != height ||
        rows->bytesPerRow() < static_cast<std::int64_t>(width) * delivered)
        throwFormatCodecException("RowIterator-Set Parameters mismatch", kCodecRowIteratorMismatch);

    const std::uint8_t* header = targa->header();
    const std::int64_t mapBytes = header[1] == 1 ? 256 * 3 : 0;
    const std::int32_t fileBytes = header[16] / 8;
    const std::int64_t rowBytes = static_cast<std::int64_t>(fileBytes) * width;
    const std::int64_t pixelOffset = kHeaderSize + mapBytes;
    output_.writeAt(0, header, kHeaderSize);
    if (mapBytes > 0)
        output_.writeAt(kHeaderSize, targa->colourMap(), static_cast<std::size_t>(mapBytes));

    std::uint8_t footer[26] = {};
    std::memcpy(&footer[8], "TRUEVISION-XFILE.", 17);
    output_.writeAt(pixelOffset + rowBytes * height, footer, sizeof footer);

    DataBuffer row(rows->bytesPerRow());
    std::vector<std::uint8_t> stored(static_cast<std::size_t>(rowBytes));
    rows->start();
    for (std::int32_t r = 0; r < height; ++r)
    {
        rows->getRow(row);
        rows->next();
        const std::uint8_t* in = row.data();
        if (fileBytes == 3)
        {
            for (std::int32_t x = 0; x < width; ++x)
            {
                stored[3 * x] = in[4 * x + 2];
                stored[3 * x + 1] = in[4 * x + 1];
                stored[3 * x + 2] = in[4 * x];
            }
        }
        else
        {
            std::memcpy(stored.data(), in, stored.size());
        }
        // The origin is the bottom left: the first row goes last.
        output_.writeAt(pixelOffset + rowBytes * (height - 1 - r), stored.data(), stored.size());
    }
    rows->finish();

    writeExternalCorrelations(targa->ownProperties(), height, width, 8);
    output_.complete();
    written_ = true;
    return 1;
}

} // namespace Omvi
