#include "imaging/codecs/bmp/BmpWriteFile.h"

#include "imaging/DataBuffer.h"
#include "imaging/codecs/bmp/BmpFormatCodec.h"
#include "imaging/codecs/bmp/BmpWriteFileFrame.h"
#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <cstring>
#include <vector>

namespace Omvi
{
namespace
{

constexpr std::int64_t kHeadersSize = 54;
constexpr std::int64_t kLargestFile = 0xFFFFFFFFLL;

using ByteOrder::putLittleEndian16;
using ByteOrder::putLittleEndian32;

// The bytes of one delivered row the writer reads for the frame's kind.
std::int64_t deliveredRowBytes(const BmpWriteFileFrame& frame)
{
    switch (frame.kind())
    {
    case 1:
        return 4LL * frame.width();
    case 4:
        return (frame.width() + 7LL) / 8;
    default:
        return frame.width();
    }
}

// The bits a pixel the file stores: the frame's, except that 2-bit frames
// are stored at 4 bits (same palette, indices widened): few readers take
// 2 bits a pixel, every reader takes 4.
std::int32_t storedBits(const BmpWriteFileFrame& frame)
{
    return frame.bits() == 2 ? 4 : frame.bits();
}

// One delivered row packed into a stored row. Grey levels keep the frame's
// top bits; palette indices its low bits. Pixels go first into the most
// significant bits, as at every depth below 8.
void packRow(const BmpWriteFileFrame& frame, const std::uint8_t* in, std::uint8_t* out)
{
    const std::int32_t width = frame.width();
    switch (storedBits(frame))
    {
    case 1:
        std::memcpy(out, in, static_cast<std::size_t>((width + 7) / 8));
        if (width % 8 != 0)
            out[width / 8] &= static_cast<std::uint8_t>(0xFF << (8 - width % 8));
        break;
    case 4:
    {
        const int bits = frame.bits();
        const int perByte = 2;
        const std::uint8_t mask = static_cast<std::uint8_t>((1 << bits) - 1);
        const bool gray = frame.kind() == 3;
        for (std::int32_t x = 0; x < width; ++x)
        {
            const std::uint8_t value = gray ? static_cast<std::uint8_t>(in[x] >> (8 - bits)) : in[x] & mask;
            const int shift = 4 - 4 * (x % perByte);
            out[x / perByte] = static_cast<std::uint8_t>(out[x / perByte] | value << shift);
        }
        break;
    }
    case 8:
        std::memcpy(out, in, static_cast<std::size_t>(width));
        break;
    case 24:
        for (std::int32_t x = 0; x < width; ++x)
        {
            out[3 * x] = in[4 * x + 2];
            out[3 * x + 1] = in[4 * x + 1];
            out[3 * x + 2] = in[4 * x];
        }
        break;
    case 32:
        for (std::int32_t x = 0; x < width; ++x)
        {
            out[4 * x] = in[4 * x + 2];
            out[4 * x + 1] = in[4 * x + 1];
            out[4 * x + 2] = in[4 * x];
            out[4 * x + 3] = 0;
        }
        break;
    default:
        break;
    }
}

} // namespace

BmpWriteFile::BmpWriteFile(const BmpFormatCodec* codec) : CodecWriteFile(codec) {}

BmpWriteFile::~BmpWriteFile() = default;

WriteImageFileFrameInterface* BmpWriteFile::createFrame()
{
    if (!output_.isOpen())
        return nullptr;
    return new BmpWriteFileFrame(newWritingCorrelations());
}

bool BmpWriteFile::open(const FileSpecifier& file)
{
    const auto path = CodecFile::nativePath(file);
    if (!path || output_.isOpen() || !output_.create(*path))
        return false;
    setFileSpecifier(file);
    return true;
}

int BmpWriteFile::writeFrame(WriteImageFileFrameInterface* frame, RowIteratorInterface* rows)
{
    if (frame == nullptr || rows == nullptr)
        throwFormatCodecException("NULL parameter", kCodecNullParameter);
    auto* bmpFrame = dynamic_cast<BmpWriteFileFrame*>(frame);
    if (bmpFrame == nullptr)
        throwFormatCodecException("Invalid Frame Attributes", kCodecNullParameter);
    if (!bmpFrame->requiredPropertiesSet())
        throwFormatCodecException("Required Properties Not Set", kCodecRequiredPropertiesNotSet);
    if (rows->rowCount() < 1 || rows->width() < 1)
        throwFormatCodecException("Invalid RowIterator dimensions", kCodecInvalidRowIteratorSize);
    if (bmpFrame->width() != rows->width() || bmpFrame->height() != rows->rowCount())
        throwFormatCodecException("RowIterator-Set Parameters mismatch", kCodecRowIteratorMismatch);
    if (!bmpFrame->valid())
        throwFormatCodecException("Parameters Set mismatch", kCodecParametersMismatch);
    if (written_)
        throwFormatCodecException("BMP does not support multiple frames", kCodecMultipleFrames);
    if (rows->bytesPerRow() < deliveredRowBytes(*bmpFrame))
        throwFormatCodecException("RowIterator-Set Parameters mismatch", kCodecRowIteratorMismatch);
    write(*bmpFrame, *rows);
    return 1;
}

void BmpWriteFile::write(const BmpWriteFileFrame& frame, RowIteratorInterface& rows)
{
    const std::int32_t bits = storedBits(frame);
    const std::int64_t stride = ((static_cast<std::int64_t>(frame.width()) * bits + 31) / 32) * 4;
    // Grey files always carry their ramp, whatever the setters saw.
    std::vector<std::uint8_t> palette(frame.palette(), frame.palette() + 4 * 256);
    std::int32_t entries = frame.colorsUsed();
    if (frame.kind() == 3)
    {
        entries = 1 << frame.bits();
        for (std::int32_t i = 0; i < entries; ++i)
        {
            const auto level = static_cast<std::uint8_t>(i * 255 / (entries - 1));
            palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = level;
            palette[4 * i + 3] = 0;
        }
    }
    const std::int64_t pixelOffset = kHeadersSize + 4LL * entries;
    const std::int64_t imageSize = stride * frame.height();
    if (pixelOffset + imageSize > kLargestFile || stride > 0x7FFFFFFF)
        throwFormatCodecException("Image too large for a BMP file", kCodecInvalidSize);

    std::uint8_t header[kHeadersSize] = {};
    header[0] = 'B';
    header[1] = 'M';
    putLittleEndian32(&header[2], static_cast<std::uint32_t>(pixelOffset + imageSize));
    putLittleEndian32(&header[10], static_cast<std::uint32_t>(pixelOffset));
    putLittleEndian32(&header[14], 40);
    putLittleEndian32(&header[18], static_cast<std::uint32_t>(frame.width()));
    putLittleEndian32(&header[22], static_cast<std::uint32_t>(frame.height()));
    putLittleEndian16(&header[26], 1);
    putLittleEndian16(&header[28], static_cast<std::uint16_t>(bits));
    putLittleEndian32(&header[34], static_cast<std::uint32_t>(imageSize));
    putLittleEndian32(&header[38], static_cast<std::uint32_t>(frame.resolutionX()));
    putLittleEndian32(&header[42], static_cast<std::uint32_t>(frame.resolutionY()));
    putLittleEndian32(&header[46], static_cast<std::uint32_t>(entries));
    output_.writeAt(0, header, sizeof header);
    if (entries > 0)
        output_.writeAt(kHeadersSize, palette.data(), static_cast<std::size_t>(4 * entries));

    DataBuffer delivered(rows.bytesPerRow());
    std::vector<std::uint8_t> stored(static_cast<std::size_t>(stride));
    rows.start();
    for (std::int32_t r = 0; r < frame.height(); ++r)
    {
        rows.getRow(delivered);
        rows.next();
        std::fill(stored.begin(), stored.end(), 0);
        packRow(frame, delivered.data(), stored.data());
        output_.writeAt(pixelOffset + stride * (frame.height() - 1 - r), stored.data(), stored.size());
    }
    rows.finish();

    writeExternalCorrelations(frame.ownProperties(), frame.height(), frame.width(), bits);
    output_.complete();
    written_ = true;
}

} // namespace Omvi
