#include "imaging/codecs/tiff/reader/TiffReadFileFrame.h"

#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/codecs/tiff/TiffFormatCodec.h"
#include "imaging/codecs/tiff/TiffHandle.h"
#include "imaging/codecs/tiff/TiffStoredEntry.h"
#include "imaging/codecs/tiff/TiffStrings.h"
#include "imaging/codecs/tiff/geotiff/GeoTIFFUtils.h"
#include "imaging/codecs/tiff/geotiff/GeoTiffCorrelation.h"
#include "imaging/codecs/tiff/geotiff/TiffRecordCorrelation.h"
#include "imaging/codecs/tiff/properties/TiffDirectoryPropertySet.h"
#include "imaging/codecs/tiff/properties/TiffPrivateTag.h"
#include "imaging/codecs/tiff/properties/TiffValueProperties.h"
#include "imaging/codecs/tiff/reader/TiffRowDecoder.h"
#include "imaging/codecs/tiff/reader/TiffRowIterators.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <tiffio.h>

namespace Omvi
{
namespace
{

// The private tag that points to a placement record, and the two record
// entries the record directory may hold: entry 14 points to 264 bytes that
// begin with the doubles x, y, s and d; entry 18 to 256 bytes that begin
// with an unused double and then x, y, s and d. The doubles are in the
// file's byte order.
constexpr std::uint32_t kRecordTag = 33535;
constexpr std::uint16_t kRecordEntry = 14;
constexpr std::uint16_t kRecordEntryShort = 18;
constexpr std::size_t kRecordBytes = 264;
constexpr std::size_t kRecordBytesShort = 256;

double doubleAt(const std::uint8_t* bytes, std::size_t offset, bool swapped)
{
    double value;
    std::memcpy(&value, bytes + offset, sizeof value);
    if (swapped)
        TIFFSwabDouble(&value);
    return value;
}

} // namespace

TiffReadFileFrame::TiffReadFileFrame(const TiffFormatCodec& codec, const FileSpecifier& file,
                                     CorrelationPropertySetIterator* options, int index,
                                     const TiffDirectory& directory)
    : codec_(codec), file_(file), options_(options), index_(index), directory_(directory)
{
}

TiffReadFileFrame::~TiffReadFileFrame() = default;

std::unique_ptr<TiffReadFileFrame> TiffReadFileFrame::open(const TiffFormatCodec& codec, const FileSpecifier& file,
                                                           CorrelationPropertySetIterator* options, int index,
                                                           const TiffDirectory& directory)
{
    std::unique_ptr<TiffReadFileFrame> frame(new TiffReadFileFrame(codec, file, options, index, directory));
    if (!frame->initialise())
        return nullptr;
    return frame;
}

bool TiffReadFileFrame::initialise()
{
    const std::optional<std::string> path = CodecFile::nativePath(file_);
    if (!path)
        return false;
    handle_ = TiffHandle::openDirectory(*path, directory_);
    if (!handle_ || !layout_.read(handle_->get()))
        return false;

    if (layout_.hasColorMap)
    {
        std::uint16_t* red = nullptr;
        std::uint16_t* green = nullptr;
        std::uint16_t* blue = nullptr;
        TIFFGetField(handle_->get(), TIFFTAG_COLORMAP, &red, &green, &blue);
        const auto count = static_cast<std::size_t>(layout_.paletteCount);
        // A colour map of 8-bit values (all below 256) gives its low bytes,
        // one of 16-bit values its high bytes.
        bool wide = false;
        for (std::size_t i = 0; i < count && !wide; ++i)
            wide = red[i] > 255 || green[i] > 255 || blue[i] > 255;
        const int shift = wide ? 8 : 0;
        palette_.resize(count);
        for (std::size_t i = 0; i < count; ++i)
            palette_[i] = {static_cast<std::uint8_t>(red[i] >> shift), static_cast<std::uint8_t>(green[i] >> shift),
                           static_cast<std::uint8_t>(blue[i] >> shift)};
    }

    readExternalCorrelations(options_, static_cast<std::int32_t>(layout_.height),
                             static_cast<std::int32_t>(layout_.width));
    return true;
}

bool TiffReadFileFrame::isRowAccessSupported(int kind) const
{
    switch (kind)
    {
    case kSequentialRows:
        return true;
    case kWholeTiles:
        return layout_.tiled;
    case kRandomRows:
        break;
    default:
        return false;
    }
    const bool uncompressedStrips = !layout_.tiled && layout_.compression == COMPRESSION_NONE;
    switch (layout_.sampleKind)
    {
    case 0:
        return uncompressedStrips;
    case 1:
        return layout_.bitsPerPixel >= 8 && uncompressedStrips;
    case 2:
        return !layout_.tiled &&
               (layout_.compression == COMPRESSION_NONE || layout_.compression == COMPRESSION_PACKBITS);
    case 3:
        if (layout_.sampleFormat == SAMPLEFORMAT_IEEEFP)
            return uncompressedStrips;
        return layout_.photometric == PHOTOMETRIC_RGB && uncompressedStrips;
    default:
        return false;
    }
}

int TiffReadFileFrame::frameIndex() const
{
    return index_;
}

void TiffReadFileFrame::getSize(int* height, int* width) const
{
    if (height)
        *height = static_cast<int>(layout_.height);
    if (width)
        *width = static_cast<int>(layout_.width);
}

int TiffReadFileFrame::dataModelKind() const
{
    return layout_.colorModel;
}

int TiffReadFileFrame::sampleKind() const
{
    return layout_.sampleKind;
}

int TiffReadFileFrame::bitsPerPixel() const
{
    return layout_.bitsPerPixel;
}

int TiffReadFileFrame::orientationFromTags() const
{
    switch (layout_.orientation)
    {
    case ORIENTATION_TOPRIGHT:
        return 1;
    case ORIENTATION_BOTRIGHT:
        return 3;
    case ORIENTATION_BOTLEFT:
        return 2;
    case ORIENTATION_LEFTTOP:
        return 4;
    case ORIENTATION_RIGHTTOP:
        return 5;
    case ORIENTATION_RIGHTBOT:
        return 7;
    case ORIENTATION_LEFTBOT:
        return 6;
    default:
        return 0;
    }
}

int TiffReadFileFrame::getOrientation() const
{
    if (!orientation_)
    {
        GeoTIFFUtils utils(handle_->get(), false);
        if (utils.isGeoReferenced())
        {
            const bool mirrored = utils.isXFlipped();
            const bool upward = utils.isYFlipped();
            orientation_ = mirrored && upward ? 3 : mirrored ? 1 : upward ? 2 : 0;
        }
        else
            orientation_ = orientationFromTags();
    }
    return *orientation_;
}

int TiffReadFileFrame::paletteCount() const
{
    return static_cast<int>(palette_.size());
}

void TiffReadFileFrame::getPalette(int count, std::uint8_t* rgb) const
{
    if (!rgb || count < 1)
        return;
    const std::size_t entries = std::min(static_cast<std::size_t>(count), palette_.size());
    for (std::size_t i = 0; i < entries; ++i)
        std::memcpy(rgb + i * 3, palette_[i].data(), 3);
}

RowIteratorInterface* TiffReadFileFrame::newRowIterator()
{
    if (layout_.rowFormat() == TiffRowFormat::kNone)
        return nullptr;
    const FileSpecifier& f = file_;
    const TiffDirectory& d = directory_;
    const auto h = static_cast<std::int32_t>(layout_.height);
    const auto w = static_cast<std::int32_t>(layout_.width);
    const bool tiled = layout_.tiled;
    const std::uint16_t compression = layout_.compression;
    std::unique_ptr<TiffRowIterator> iterator;
    try
    {
        switch (layout_.sampleKind)
        {
        case 0:
            if (tiled)
                iterator = std::make_unique<TiffTileRowIterator1Bit>(f, d, h, w);
            else if (compression == COMPRESSION_NONE)
                iterator = std::make_unique<TiffRowIteratorUC1Bit>(f, d, h, w);
            else
                iterator = std::make_unique<TiffRowIterator1Bit>(f, d, h, w);
            break;
        case 1:
            if (layout_.bitsPerPixel == 2 || layout_.bitsPerPixel == 4)
            {
                if (tiled)
                    iterator = std::make_unique<TiffTileRowIterator_2n4_8Bit>(f, d, h, w, layout_.bitsPerPixel);
                else
                    iterator = std::make_unique<TiffRowIterator_2n4_8Bit>(f, d, h, w, layout_.bitsPerPixel);
            }
            else if (tiled)
                iterator = std::make_unique<TiffTileRowIterator_8_8Bit>(f, d, h, w);
            else if (compression == COMPRESSION_NONE)
                iterator = std::make_unique<TiffRowIteratorUC8Bit>(f, d, h, w);
            else if (compression == COMPRESSION_PACKBITS)
                iterator = std::make_unique<TiffEncodedRowIterator_8_8Bit>(f, d, h, w);
            else
                iterator = std::make_unique<TiffRowIterator_8_8Bit>(f, d, h, w);
            break;
        case 2:
            if (tiled)
                iterator = std::make_unique<TiffTileRowIterator>(f, d, h, w);
            else
                iterator = std::make_unique<TiffRowIteratorUC16Bit>(f, d, h, w);
            break;
        case 3:
            if (layout_.colorModel == kTiffRgb && layout_.needsRgbaReader())
            {
                if (tiled)
                    iterator = std::make_unique<TiffEncodedTileRowIterator32Bit>(f, d, h, w);
                else
                    iterator = std::make_unique<TiffEncodedRowIterator32Bit>(f, d, h, w);
            }
            else if (layout_.colorModel == kTiffRgb)
            {
                if (tiled)
                    iterator = std::make_unique<TiffTileRowIterator32Bit>(f, d, h, w);
                else if (compression == COMPRESSION_NONE)
                    iterator = std::make_unique<TiffRowIteratorUC32Bit>(f, d, h, w);
                else
                    iterator = std::make_unique<TiffRowIterator32Bit>(f, d, h, w);
            }
            else if (tiled)
                iterator = std::make_unique<TiffTileRowIterator>(f, d, h, w);
            else if (layout_.sampleFormat == SAMPLEFORMAT_IEEEFP)
                iterator = std::make_unique<TiffRowIteratorUC32BitFloat>(f, d, h, w);
            else
                iterator = std::make_unique<TiffRowIteratorUC>(f, d, h, w);
            break;
        case 4:
            if (tiled)
                iterator = std::make_unique<TiffTileRowIterator>(f, d, h, w);
            else
                iterator = std::make_unique<TiffRowIteratorUC>(f, d, h, w);
            break;
        default:
            return nullptr;
        }
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
    if (!iterator || !iterator->isOpen())
        return nullptr;
    return iterator.release();
}

bool TiffReadFileFrame::isTiled() const
{
    return handle_ && TIFFIsTiled(handle_->get()) != 0;
}

std::unique_ptr<ZeziZerUruzoredovu> TiffReadFileFrame::recordCorrelation()
{
    TIFF* tiff = handle_->get();
    const std::unique_ptr<TiffPrivateTag> pointer = TiffPrivateTag::readPrivateTag(tiff, kRecordTag);
    if (!pointer || pointer->dataType() != TIFF_LONG || pointer->valueCount() != 1)
        return nullptr;
    std::uint32_t offset = 0;
    pointer->getData(&offset);

    // The record directory is read through the handle's own procedures.
    const bool swapped = TIFFIsByteSwapped(tiff) != 0;
    auto readAt = [tiff](std::uint64_t at, void* buffer, std::size_t bytes)
    { return readStoredBytes(tiff, at, buffer, bytes); };
    std::uint16_t count = 0;
    if (!readAt(offset, &count, sizeof count))
        return nullptr;
    if (swapped)
        TIFFSwabShort(&count);
    for (std::uint32_t i = 0; i < count; ++i)
    {
        std::uint8_t entry[12];
        if (!readAt(std::uint64_t{offset} + 2 + std::uint64_t{i} * 12, entry, sizeof entry))
            return nullptr;
        std::uint16_t tag;
        std::uint32_t valueOffset;
        std::memcpy(&tag, entry, 2);
        std::memcpy(&valueOffset, entry + 8, 4);
        if (swapped)
        {
            TIFFSwabShort(&tag);
            TIFFSwabLong(&valueOffset);
        }
        std::uint8_t block[kRecordBytes];
        if (tag == kRecordEntry && readAt(valueOffset, block, kRecordBytes))
            return std::make_unique<ZeziZerUruzoredovu>(doubleAt(block, 0, swapped), doubleAt(block, 8, swapped),
                                                        doubleAt(block, 16, swapped), doubleAt(block, 24, swapped));
        if (tag == kRecordEntryShort && readAt(valueOffset, block, kRecordBytesShort))
            return std::make_unique<ZeziZerUruzoredovu>(doubleAt(block, 0, swapped), doubleAt(block, 8, swapped),
                                                        doubleAt(block, 16, swapped), doubleAt(block, 24, swapped),
                                                        doubleAt(block, 32, swapped));
    }
    return nullptr;
}

std::unique_ptr<TiffFormatCodecPropertySetIterator> TiffReadFileFrame::buildProperties()
{
    TIFF* tiff = handle_->get();
    std::unique_ptr<TiffFormatCodecPropertySetIterator> set =
        buildTiffDirectoryPropertySet(tiff, codec_.modeCode() >= TiffFormatCodec::kWithLzw, false);

    StringBuffer order;
    loadCodecString(TIFFIsBigEndian(tiff) ? TiffStringId::kByteOrderBigEndian : TiffStringId::kByteOrderLittleEndian,
                    order);
    const TiffText byteOrder(TiffProperty::kKindByteOrder, &order);
    set->append(&byteOrder);

    const std::unique_ptr<GeoTiffCorrelation> geo = createGeoTiffCorrelation(tiff, &codec_, false);
    if (geo && geo->isValid())
        set->append(geo.get());
    if (const std::unique_ptr<ZeziZerUruzoredovu> record = recordCorrelation())
        set->append(record.get());

    appendValidCorrelations(options_, *set);
    return set;
}

FormatCodecPropertySetIterator* TiffReadFileFrame::getProperties()
{
    try
    {
        return buildProperties().release();
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

FormatCodecPropertyInterface* TiffReadFileFrame::getProperty(const StringBuffer& name)
{
    try
    {
        const std::int32_t tag = TiffPrivateTag::privateTagNumber(name);
        if (tag > 0)
            return TiffPrivateTag::readPrivateTag(handle_->get(), static_cast<std::uint32_t>(tag)).release();
        const std::unique_ptr<TiffFormatCodecPropertySetIterator> set = buildProperties();
        const FormatCodecPropertyInterface* property = set->findByName(name);
        return property ? property->clone() : nullptr;
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

FormatCodecPropertyInterface* TiffReadFileFrame::getPropertyOfType(int propertyType)
{
    try
    {
        const std::unique_ptr<TiffFormatCodecPropertySetIterator> set = buildProperties();
        const FormatCodecPropertyInterface* property = set->findByType(propertyType);
        return property ? property->clone() : nullptr;
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

int TiffReadFileFrame::tileSize() const
{
    if (!layout_.tiled || layout_.tileWidth != layout_.tileLength || layout_.rowFormat() == TiffRowFormat::kNone ||
        layout_.tileWidth > static_cast<std::uint32_t>(INT32_MAX))
        return 0;
    return static_cast<int>(layout_.tileWidth);
}

bool TiffReadFileFrame::readTile(int tileRow, int tileColumn, std::uint8_t* buffer)
{
    if (!buffer || tileRow < 0 || tileColumn < 0 || !layout_.tiled)
        return false;
    try
    {
        if (!tiles_)
        {
            const std::optional<std::string> path = CodecFile::nativePath(file_);
            if (!path)
                return false;
            tiles_ = TiffRowDecoder::create(TiffHandle::openDirectory(*path, directory_), layout_,
                                            layout_.needsRgbaReader() ? TiffRowDecoder::Source::kRgbaTiles
                                                                      : TiffRowDecoder::Source::kTiles);
            if (!tiles_)
                return false;
        }
        return tiles_->decodeTile(static_cast<std::uint32_t>(tileRow), static_cast<std::uint32_t>(tileColumn), buffer);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
}

} // namespace Omvi
