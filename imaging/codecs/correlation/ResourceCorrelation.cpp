#include "imaging/codecs/correlation/ResourceCorrelation.h"

#include "dwfcore/RegularFile.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/correlation/CorrelationStrings.h"
#include "imaging/codecs/correlation/ResourceFileFormat.h"
#include "imaging/codecs/correlation/SideCarLookup.h"
#include "imaging/codecs/correlation/SideCarPath.h"
#include "imaging/models/RgbColor.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace Omvi
{
namespace
{

using namespace ResourceFileFormat;
using namespace ByteOrder;

constexpr const char* kExtension = ".res";
constexpr std::size_t kHeaderSize = 40;
constexpr std::size_t kVersion2HeaderSize = 44;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kTagEntrySize = 12;
constexpr std::uint16_t kTagCount = 8;
// The quarter-turn mode under which a record's quarter turns count.
constexpr std::int32_t kHonourQuarterTurns = 4;

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool readAt(std::FILE* file, long offset, std::uint8_t* buffer, std::size_t count)
{
    return offset >= 0 && std::fseek(file, offset, SEEK_SET) == 0 && std::fread(buffer, 1, count, file) == count;
}

void putHeader(std::vector<std::uint8_t>& bytes, std::uint16_t version)
{
    std::memcpy(bytes.data(), kMagic, kMagicSize);
    bytes[26] = 'I';
    bytes[27] = 'I';
    putLittleEndian16(&bytes[28], version);
}

} // namespace

FormatCodecResourceCorrelation::FormatCodecResourceCorrelation(const ImageFormatCodec* codec,
                                                               const FileSpecifier& image,
                                                               const CorrelationOptionInterface* option)
{
    loadTexts(CorrelationStringId::kResourceName, CorrelationStringId::kResourceDescription);
    setValid(false);
    const auto found = SideCarLookup::find(codec, image, option, {kExtension});
    if (found)
    {
        setSideCarFile(*found);
        setValid(true);
    }
    setQuarterTurnMode(kHonourQuarterTurns);
}

FormatCodecResourceCorrelation::FormatCodecResourceCorrelation(const FileSpecifier& image)
{
    loadTexts(CorrelationStringId::kResourceName, CorrelationStringId::kResourceDescription);
    setValid(false);
    const SideCarPath::Parts parts = SideCarPath::split(SideCarLookup::pathOf(image));
    const std::string name = parts.base + kExtension;
    setSideCarName(AsciiStringBuffer(name));
    setSideCarFile(SideCarLookup::fileFor(parts.folder + name));
    setOutputFolder(SideCarLookup::fileFor(parts.folder));
}

FormatCodecResourceCorrelation::FormatCodecResourceCorrelation(const FormatCodecResourceCorrelation& other) =
    default;

FormatCodecResourceCorrelation::~FormatCodecResourceCorrelation() = default;

FormatCodecResourceCorrelation* FormatCodecResourceCorrelation::clone() const
{
    return new FormatCodecResourceCorrelation(*this);
}

void FormatCodecResourceCorrelation::setOrigin(const Point3d& origin)
{
    FormatCodecCorrelation::setOrigin(origin);
    setValid(true);
}

void FormatCodecResourceCorrelation::setScale(const Vector2d& scale)
{
    FormatCodecCorrelation::setScale(scale);
    setValid(true);
}

void FormatCodecResourceCorrelation::setRotation(const double& radians)
{
    FormatCodecCorrelation::setRotation(radians);
    setValid(true);
}

void FormatCodecResourceCorrelation::setPixelSize(const Vector2d& size)
{
    FormatCodecCorrelation::setPixelSize(size);
    setValid(true);
}

void FormatCodecResourceCorrelation::setUnit(std::int32_t unit)
{
    FormatCodecCorrelation::setUnit(unit);
    setValid(true);
}

bool FormatCodecResourceCorrelation::getTransparentPixel(ImagePixel& out) const
{
    out = transparentPixel_;
    return isValid();
}

bool FormatCodecResourceCorrelation::setTransparentPixel(ImagePixel pixel)
{
    if (bitsPerPixel() == 1 || (bitsPerPixel() >= 8 && pixel.kind == kPixelRgb))
    {
        transparentPixel_ = pixel;
        return true;
    }
    return false;
}

void FormatCodecResourceCorrelation::read()
{
    if (!isValid())
        return;
    setValid(false);
    setValid(readFile(SideCarLookup::pathOf(sideCarFile())));
}

bool FormatCodecResourceCorrelation::readFile(const std::string& path)
{
    File file(DWFCore::openRegularFileStream(SideCarPath::native(path)));
    if (!file)
        return false;
    std::uint8_t header[kHeaderSize];
    if (!readAt(file.get(), 0, header, sizeof header) || std::memcmp(header, kMagic, kMagicSize) != 0)
        return false;
    const std::uint16_t version = littleEndian16(&header[28]);
    if (version == 1)
    {
        const auto entries = static_cast<std::int16_t>(littleEndian16(&header[30]));
        const std::uint32_t directory = littleEndian32(&header[32]);
        bool applied = false;
        for (std::int32_t i = 0; i < entries; ++i)
        {
            std::uint8_t entry[kEntrySize];
            const std::uint64_t entryOffset = std::uint64_t{directory} + kEntrySize * static_cast<std::uint64_t>(i);
            if (entryOffset > 0x7FFFFFFF || !readAt(file.get(), static_cast<long>(entryOffset), entry, sizeof entry))
                return false;
            if (littleEndian16(entry) != kCorrelationEntry)
                continue;
            std::uint8_t record[kRecordSize];
            if (!readAt(file.get(), static_cast<long>(littleEndian32(&entry[8])), record, sizeof record))
                return false;
            unscramble(record);
            if (entry[4] != 'I' || entry[5] != 'I')
                convertByteOrder(2, record, sizeof record);
            applyRecord(record);
            applied = true;
        }
        return applied;
    }
    if (version == 2)
    {
        FormatCodecCorrelation::setRotation(0.0);
        const std::uint32_t block = littleEndian32(&header[32]);
        std::uint8_t tags[2 + kTagCount * kTagEntrySize];
        if (block > 0x7FFFFFFF || !readAt(file.get(), static_cast<long>(block), tags, sizeof tags) ||
            littleEndian16(tags) != kTagCount)
            return false;
        const std::uint8_t* entry = tags + 2;
        double values[4];
        for (int i = 0; i < 4; ++i)
        {
            std::uint8_t bytes[8];
            if (!readAt(file.get(), static_cast<long>(littleEndian32(entry + i * kTagEntrySize + 8)), bytes,
                        sizeof bytes))
                return false;
            values[i] = littleEndianDouble(bytes);
        }
        FormatCodecCorrelation::setOrigin(Point3d{values[0], values[1], 0.0});
        FormatCodecCorrelation::setScale(Vector2d(values[2], values[3]));
        const bool opaque = littleEndian32(entry + 4 * kTagEntrySize + 8) != 0;
        const RgbColor color(entry[5 * kTagEntrySize + 8], entry[6 * kTagEntrySize + 8], entry[7 * kTagEntrySize + 8],
                             opaque ? 255 : 0);
        transparentPixel_ = ImagePixel(kPixelRgb, color.value);
        return true;
    }
    return false;
}

void FormatCodecResourceCorrelation::applyRecord(const std::uint8_t* record)
{
    const double originX = littleEndianDouble(&record[8]);
    const double originY = littleEndianDouble(&record[16]);
    const double factor = littleEndianDouble(&record[24]);
    const double divisor = littleEndianDouble(&record[32]);
    const double degrees = littleEndianDouble(&record[40]);
    const std::int32_t quarterTurns =
        quarterTurnMode() == kHonourQuarterTurns ? static_cast<std::int16_t>(littleEndian16(&record[52])) : 0;

    transparentPixel_ = ImagePixel(kPixelPalette, record[56]);
    const double size = divisor == 0.0 ? 1.0 : 1.0 / divisor;
    FormatCodecCorrelation::setPixelSize(Vector2d(size, size));
    FormatCodecCorrelation::setUnit(kUnitNone);
    Point3d place{originX, originY, 0.0};
    FormatCodecCorrelation::setScale(Vector2d(factor, factor));
    const double turn = quarterTurns * (M_PI / 2) + degrees * (M_PI / 180);
    FormatCodecCorrelation::setRotation(turn);

    // A turned image's reference corner moves with the turn.
    const double extentX = imageWidth() * size * factor;
    const double extentY = imageHeight() * size * factor;
    if (turn == M_PI / 2)
    {
        place.x += extentY;
    }
    else if (turn == M_PI)
    {
        place.x += extentX;
        place.y += extentY;
    }
    else if (turn == 3 * M_PI / 2)
    {
        place.y += extentX;
    }
    FormatCodecCorrelation::setOrigin(place);
}

void FormatCodecResourceCorrelation::write()
{
    std::string path = SideCarLookup::pathOf(sideCarFile());
    const std::string folder = SideCarLookup::pathOf(outputFolder());
    if (!folder.empty())
    {
        // The file takes the output name's base name, else the image's.
        std::string base = SideCarPath::split(outputName().text()).base;
        if (base.empty())
            base = SideCarPath::split(sideCarName().text()).base;
        path = SideCarPath::split(folder).folder + base + kExtension;
        setSideCarFile(SideCarLookup::fileFor(path));
    }
    if (bitsPerPixel() < 1)
        throw new FileIOException("Write file error", 5);

    std::vector<std::uint8_t> bytes;
    if (bitsPerPixel() == 1)
    {
        bytes.assign(kHeaderSize + kEntrySize + kRecordSize, 0);
        putHeader(bytes, 1);
        putLittleEndian16(&bytes[30], 1);
        putLittleEndian32(&bytes[32], kHeaderSize);
        putLittleEndian32(&bytes[36], kEntrySize);
        std::uint8_t* entry = &bytes[kHeaderSize];
        putLittleEndian16(entry, kCorrelationEntry);
        entry[4] = 'I';
        entry[5] = 'I';
        putLittleEndian16(entry + 6, 1);
        putLittleEndian32(entry + 8, kHeaderSize + kEntrySize);
        putLittleEndian32(entry + 12, kRecordSize);

        std::uint8_t* record = &bytes[kHeaderSize + kEntrySize];
        record[0] = 'I';
        record[1] = 'I';
        putLittleEndian16(record + 4, static_cast<std::uint16_t>(imageHeight()));
        putLittleEndian16(record + 6, static_cast<std::uint16_t>(imageWidth()));
        putLittleEndianDouble(record + 8, origin().x);
        putLittleEndianDouble(record + 16, origin().y);
        putLittleEndianDouble(record + 24, scale().x);
        const double sizeX = pixelSize().x == 0.0 ? 1.0 : pixelSize().x;
        putLittleEndianDouble(record + 32, 1.0 / sizeX);
        putLittleEndianDouble(record + 40, 0.0);
        record[48] = 0xFF;
        record[49] = 0xFF;
        putLittleEndian16(record + 54, 1);
        putLittleEndian16(record + 56, transparentPixel_.lowByte());
        scramble(record);
    }
    else
    {
        bytes.assign(kVersion2HeaderSize + 2 + kTagCount * kTagEntrySize + 4 * 8, 0);
        putHeader(bytes, 2);
        putLittleEndian32(&bytes[32], kVersion2HeaderSize);
        putLittleEndian16(&bytes[kVersion2HeaderSize], kTagCount);
        const std::uint32_t doubles = kVersion2HeaderSize + 2 + kTagCount * kTagEntrySize;
        const auto value = static_cast<std::uint32_t>(transparentPixel_.value);
        const struct
        {
            std::uint16_t tag;
            std::uint16_t type;
            std::uint32_t value;
        } tags[kTagCount] = {
            {286, 12, doubles},
            {287, 12, doubles + 8},
            {326, 12, doubles + 16},
            {327, 12, doubles + 24},
            {328, 4, (value >> 24) == 0 ? 1u : 0u},
            {329, 1, value & 0xFF},
            {330, 1, (value >> 8) & 0xFF},
            {331, 1, (value >> 16) & 0xFF},
        };
        for (std::size_t i = 0; i < kTagCount; ++i)
        {
            std::uint8_t* entry = &bytes[kVersion2HeaderSize + 2 + i * kTagEntrySize];
            putLittleEndian16(entry, tags[i].tag);
            putLittleEndian16(entry + 2, tags[i].type);
            putLittleEndian32(entry + 4, 1);
            if (tags[i].type == 1)
                entry[8] = static_cast<std::uint8_t>(tags[i].value);
            else
                putLittleEndian32(entry + 8, tags[i].value);
        }
        putLittleEndianDouble(&bytes[doubles], origin().x);
        putLittleEndianDouble(&bytes[doubles + 8], origin().y);
        putLittleEndianDouble(&bytes[doubles + 16], scale().x);
        putLittleEndianDouble(&bytes[doubles + 24], scale().y);
    }

    const std::string native = SideCarPath::native(path);
    File file(std::fopen(native.c_str(), "wb"));
    if (!file)
        throw new FileIOException("File Create Error", 5);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !closed)
    {
        std::remove(native.c_str());
        throw new FileIOException("Write file error", 5);
    }
}

} // namespace Omvi
