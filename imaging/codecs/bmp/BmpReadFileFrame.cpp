#include "imaging/codecs/bmp/BmpReadFileFrame.h"

#include "imaging/codecs/bmp/BmpProperties.h"
#include "imaging/codecs/bmp/BmpRowIterators.h"
#include "imaging/codecs/bmp/BmpStrings.h"
#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/models/DataModel.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace Omvi
{
namespace
{

constexpr std::int64_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kBitFields = 3;
// Where the masks of a bit-field file lie: after a 40-byte header, and at
// the same place inside the longer headers that hold them.
constexpr std::int64_t kMaskOffset = kFileHeaderSize + kInfoHeaderSize;
constexpr std::int32_t kLargestRowBytes = std::numeric_limits<std::int32_t>::max();

using ByteOrder::littleEndian16;
using ByteOrder::littleEndian32;

} // namespace

BmpReadFileFrame::BmpReadFileFrame(std::shared_ptr<const CodecFile> file,
                                   std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : file_(std::move(file)), correlations_(std::move(correlations))
{
    parse();
    readExternalCorrelations(correlations_.get(), layout_.height, layout_.width,
                             [this](FormatCodecExternalCorrelation& external) {
                                 if (densityX_ <= 0)
                                     return pixelsWithoutUnit(external);
                                 const double y = densityY_ > 0 ? densityY_ : densityX_;
                                 external.setPixelSize(Vector2d(1.0 / densityX_, 1.0 / y));
                                 external.setUnit(FormatCodecCorrelation::kUnitMetre);
                             });
}

BmpReadFileFrame::~BmpReadFileFrame() = default;

void BmpReadFileFrame::parse()
{
    std::uint8_t header[kFileHeaderSize + kInfoHeaderSize] = {};
    if (!file_->readAt(0, header, kFileHeaderSize + 4))
        return;
    const std::uint32_t headerSize = littleEndian32(&header[14]);
    const bool core = headerSize < kInfoHeaderSize;
    if (headerSize < kCoreHeaderSize ||
        !file_->readAt(kFileHeaderSize, &header[14], core ? kCoreHeaderSize : kInfoHeaderSize))
        return;
    layout_.pixelOffset = littleEndian32(&header[10]);

    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t colorsUsed = 0;
    if (core)
    {
        width = littleEndian16(&header[18]);
        height = littleEndian16(&header[20]);
        layout_.bits = littleEndian16(&header[24]);
    }
    else
    {
        width = static_cast<std::int32_t>(littleEndian32(&header[18]));
        height = static_cast<std::int32_t>(littleEndian32(&header[22]));
        layout_.bits = littleEndian16(&header[28]);
        compression_ = littleEndian32(&header[30]);
        const auto horizontal = static_cast<std::int32_t>(littleEndian32(&header[38]));
        const auto vertical = static_cast<std::int32_t>(littleEndian32(&header[42]));
        colorsUsed = littleEndian32(&header[46]);
        if (horizontal > 0)
        {
            densityX_ = horizontal;
            densityY_ = vertical;
        }
    }
    // A negative height stores the rows top row first.
    layout_.topDown = height < 0;
    height = height < 0 ? -height : height;
    if (width < 1 || height < 1 || width > std::numeric_limits<std::int32_t>::max() ||
        height > std::numeric_limits<std::int32_t>::max())
        return;
    layout_.width = static_cast<std::int32_t>(width);
    layout_.height = static_cast<std::int32_t>(height);
    layout_.stride = ((width * layout_.bits + 31) / 32) * 4;

    const std::int32_t bits = layout_.bits;
    std::uint32_t entries = 0;
    if (bits == 1 || bits == 4 || bits == 8)
    {
        // Colours used may say anything: never more than the depth can
        // index, nor than the table holds.
        const std::uint32_t most = std::min(1u << bits, 256u);
        entries = core || colorsUsed == 0 ? most : std::min(colorsUsed, most);
        if (bits == 1)
            entries = 2;
        model_ = bits == 1 ? kColorSpaceBitonal : kColorSpacePalette;
        sampleKind_ = bits == 1 ? kDataTypeOneBit : kDataTypeEightBit;
    }
    else
    {
        model_ = kColorSpaceRgb;
        sampleKind_ = kDataTypeThirtyTwoBit;
    }

    const std::int64_t tableOffset = kFileHeaderSize + headerSize;
    bool tableRead = true;
    if (entries > 0)
    {
        const std::size_t entryBytes = core ? 3 : 4;
        std::vector<std::uint8_t> table(entries * entryBytes);
        tableRead = file_->readAt(tableOffset, table.data(), table.size());
        if (tableRead)
        {
            layout_.tableEntries = static_cast<std::int32_t>(entries);
            palette_.resize(entries * 3);
            for (std::uint32_t i = 0; i < entries; ++i)
            {
                palette_[3 * i] = table[i * entryBytes + 2];
                palette_[3 * i + 1] = table[i * entryBytes + 1];
                palette_[3 * i + 2] = table[i * entryBytes];
            }
        }
    }
    else if (bits == 16)
    {
        if (compression_ == kBitFields)
        {
            std::uint8_t masks[12];
            tableRead = file_->readAt(kMaskOffset, masks, sizeof masks);
            for (int c = 0; c < 3 && tableRead; ++c)
                layout_.masks[c] = littleEndian32(&masks[4 * c]);
        }
        else
        {
            // Without masks a 16-bit file holds five bits of each channel.
            layout_.masks[0] = 0x7C00;
            layout_.masks[1] = 0x03E0;
            layout_.masks[2] = 0x001F;
        }
    }

    if (bits == 1 && palette_.size() == 6)
    {
        // Black and white (in either order) is bitonal, the black entry
        // being ink: bits are flipped when entry 0 is the black one. Any
        // other two colours stay a palette of two, so they are delivered as
        // the file shows them.
        const auto isLevel = [this](std::size_t entry, std::uint8_t level) {
            const std::uint8_t* rgb = &palette_[3 * entry];
            return rgb[0] == level && rgb[1] == level && rgb[2] == level;
        };
        const bool blackFirst = isLevel(0, 0) && isLevel(1, 255);
        const bool whiteFirst = isLevel(0, 255) && isLevel(1, 0);
        layout_.invert = blackFirst;
        if (!blackFirst && !whiteFirst)
        {
            model_ = kColorSpacePalette;
            sampleKind_ = kDataTypeEightBit;
        }
    }
    if (bits == 4 || bits == 8)
    {
        bool ramp = !palette_.empty();
        bool ramp17 = bits == 4 && palette_.size() == 48;
        for (std::size_t i = 0; i < palette_.size() / 3; ++i)
        {
            const std::uint8_t* entry = &palette_[3 * i];
            ramp = ramp && entry[0] == i && entry[1] == i && entry[2] == i;
            ramp17 = ramp17 && entry[0] == i * 17 && entry[1] == i * 17 && entry[2] == i * 17;
        }
        if (ramp || ramp17)
            model_ = kColorSpaceGray;
        for (int value = 0; value < 16; ++value)
            layout_.nibbleTable[value] = static_cast<std::uint8_t>(model_ == kColorSpaceGray ? value * 17 : value);
    }

    const bool supportedDepth = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    const bool plainData = compression_ == 0 || (compression_ == kBitFields && bits == 16);
    // Every row's bytes must be in the file, and a delivered row must fit a
    // buffer.
    const std::int64_t delivered = bits >= 16 ? 4 * width : width;
    readable_ = supportedDepth && plainData && tableRead && delivered <= kLargestRowBytes &&
                layout_.stride <= kLargestRowBytes && layout_.pixelOffset >= kFileHeaderSize &&
                layout_.stride <= (file_->size() - layout_.pixelOffset) / height &&
                layout_.dataEnd() <= file_->size();
}

bool BmpReadFileFrame::isRowAccessSupported(int kind) const
{
    return kind == kSequentialRows || kind == kRandomRows;
}

void BmpReadFileFrame::getSize(int* height, int* width) const
{
    if (height)
        *height = layout_.height;
    if (width)
        *width = layout_.width;
}

int BmpReadFileFrame::bitsPerPixel() const
{
    return layout_.bits == 16 || layout_.bits == 32 ? 24 : layout_.bits;
}

void BmpReadFileFrame::getPalette(int count, std::uint8_t* rgb) const
{
    if (rgb == nullptr || count < 1 || palette_.empty())
        return;
    const std::size_t bytes = std::min(static_cast<std::size_t>(count) * 3, palette_.size());
    std::memcpy(rgb, palette_.data(), bytes);
}

RowIteratorInterface* BmpReadFileFrame::newRowIterator()
{
    if (!readable_)
        return nullptr;
    switch (layout_.bits)
    {
    case 1:
        if (model_ == kColorSpaceBitonal)
            return new BmpRowIterator_1_1(file_, layout_);
        return new BmpRowIterator_1_8(file_, layout_);
    case 4:
        return new BmpRowIterator_4_8(file_, layout_);
    case 8:
        return new BmpRowIterator_8_8(file_, layout_);
    case 16:
        return new BmpRowIterator_bf16_32(file_, layout_);
    case 24:
        return new BmpRowIterator_24_32(file_, layout_);
    case 32:
        return new BmpRowIterator_32_32(file_, layout_);
    default:
        return nullptr;
    }
}

FormatCodecPropertyInterface* BmpReadFileFrame::newDensity() const
{
    if (densityX_ <= 0)
        return nullptr;
    return new BmpDensityProperty(densityX_ * 0.01, densityY_ * 0.01);
}

FormatCodecPropertySetIterator* BmpReadFileFrame::getProperties()
{
    auto set = std::make_unique<BmpPropertySetIterator>();
    std::unique_ptr<FormatCodecPropertyInterface> density(newDensity());
    set->append(density.get());
    appendValidCorrelations(correlations_.get(), *set);
    return set.release();
}

FormatCodecPropertyInterface* BmpReadFileFrame::getProperty(const StringBuffer& name)
{
    return equalsCodecString(name, BmpStringId::kDensity) ? newDensity() : nullptr;
}

FormatCodecPropertyInterface* BmpReadFileFrame::getPropertyOfType(int propertyType)
{
    if (propertyType == FormatCodecPropertyInterface::kDensity)
        return newDensity();
    if (propertyType == FormatCodecPropertyInterface::kCorrelation)
        return cloneFirstValidCorrelation(correlations_.get());
    return nullptr;
}

} // namespace Omvi
