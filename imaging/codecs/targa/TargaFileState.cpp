#include "imaging/codecs/targa/TargaFileState.h"

#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/codec/CodecFile.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{

const std::uint8_t kTargaFiveBitLevels[32] = {0,   8,   16,  24,  32,  41,  49,  57,  65,  74,  82,
                                              90,  98,  106, 115, 123, 131, 139, 148, 156, 164, 172,
                                              180, 189, 197, 205, 213, 222, 230, 238, 246, 255};

namespace
{

constexpr std::int64_t kHeaderSize = 18;
constexpr std::int64_t kFooterSize = 26;
constexpr std::size_t kExtensionSize = 495;
constexpr char kSignature[] = "TRUEVISION-XFILE";
constexpr std::uint8_t kAttributesAlpha = 4;

// The library's orientation codes of the four stored origins (descriptor
// bits 4 and 5: bottom left, bottom right, top left, top right).
constexpr std::int32_t kOrientationOfOrigin[4] = {2, 3, 0, 1};

} // namespace

TargaFileState::TargaFileState(std::shared_ptr<const CodecFile> source) : file(std::move(source))
{
    if (!file->readAt(0, header, sizeof header))
        return;
    hasHeader = true;
    const std::int32_t idLength = header[0];
    const std::int32_t firstEntry = ByteOrder::littleEndian16(&header[3]);
    const std::int32_t mapLength = ByteOrder::littleEndian16(&header[5]);
    const std::int32_t entryBits = header[7];
    width = ByteOrder::littleEndian16(&header[12]);
    height = ByteOrder::littleEndian16(&header[14]);
    imageType = header[2];
    storedBits = header[16];
    orientation = kOrientationOfOrigin[(header[17] >> 4) & 3];
    bytesPerPixel = (storedBits == 15 ? 16 : storedBits) / 8;

    std::uint8_t footer[kFooterSize];
    if (file->size() >= kHeaderSize + kFooterSize && file->readAt(file->size() - kFooterSize, footer, sizeof footer) &&
        std::memcmp(&footer[8], kSignature, 16) == 0)
    {
        hasFooter = true;
        const std::uint32_t extensionOffset = ByteOrder::littleEndian32(footer);
        if (extensionOffset != 0)
        {
            extension.resize(kExtensionSize);
            if (!file->readAt(extensionOffset, extension.data(), kExtensionSize))
                extension.clear();  // a short extension area is no extension area
        }
    }

    const std::int32_t baseType = imageType > 8 ? imageType - 8 : imageType;
    runLength = imageType > 8;
    switch (baseType)
    {
    case 1:
        kind = 2;
        break;
    case 2:
        kind = 1;
        break;
    case 3:
        kind = 3;
        break;
    default:
        kind = 0;
        break;
    }
    const std::int64_t mapBytes = static_cast<std::int64_t>((entryBits + 7) / 8) * mapLength;
    pixelOffset = kHeaderSize + idLength + mapBytes;
    bytesPerRow = static_cast<std::int64_t>(bytesPerPixel) * width;

    bool mapRead = true;
    bool mapReached = true;
    if (kind == 2)
    {
        // Pixel values run from 0 to 255, so the entries past value 255
        // are never shown: the palette keeps those before it. A map that
        // starts past 255 leaves every pixel outside it.
        mapFirst = firstEntry;
        mapReached = firstEntry < 256;
        mapEntries = std::min(mapLength, std::max(256 - firstEntry, 0));
        const std::int32_t entryBytes = entryBits == 15 ? 2 : entryBits / 8;
        std::vector<std::uint8_t> map(static_cast<std::size_t>(mapEntries) * std::max(entryBytes, 0));
        const bool knownEntry = entryBits == 15 || entryBits == 16 || entryBits == 24 || entryBits == 32;
        mapRead = knownEntry && mapLength >= 1 &&
                  file->readAt(kHeaderSize + idLength, map.data(), map.size());
        for (std::int32_t i = 0; mapRead && i < mapEntries; ++i)
        {
            const std::uint8_t* entry = &map[static_cast<std::size_t>(i * entryBytes)];
            std::uint8_t* rgb = &palette[3 * i];
            if (entryBytes == 2)
            {
                const std::uint16_t word = ByteOrder::littleEndian16(entry);
                rgb[0] = kTargaFiveBitLevels[(word >> 10) & 31];
                rgb[1] = kTargaFiveBitLevels[(word >> 5) & 31];
                rgb[2] = kTargaFiveBitLevels[word & 31];
                paletteAlpha[i] = 255;
            }
            else
            {
                rgb[0] = entry[2];
                rgb[1] = entry[1];
                rgb[2] = entry[0];
                paletteAlpha[i] = entryBytes == 4 ? entry[3] : 255;
            }
        }
        alpha = entryBits == 32;
    }
    else if (kind == 1 && storedBits >= 25 && extension.size() == kExtensionSize)
    {
        alpha = extension[494] == kAttributesAlpha;
    }

    // Colour-mapped pixels are single bytes; grey ones one byte, or two
    // with the second an alpha (as grey images with transparency are
    // written); true colour takes two to four.
    bool depthFits = bytesPerPixel == 1 && storedBits == 8;
    if (kind == 1)
        depthFits = bytesPerPixel >= 2 && bytesPerPixel <= 4;
    else if (kind == 3)
        depthFits = depthFits || storedBits == 16;
    const bool rowsPresent = runLength || (bytesPerRow <= (file->size() - pixelOffset) / std::max(height, 1) &&
                                           pixelOffset <= file->size());
    decodable =
        kind != 0 && width >= 1 && height >= 1 && depthFits && mapRead && mapReached && rowsPresent;
    if (decodable)
        refusal = nullptr;
    else if (kind == 0)
        refusal = "The Targa header's image type is not one the reader decodes";
    else if (width < 1 || height < 1)
        refusal = "The Targa header's size holds no pixels";
    else if (!depthFits)
        refusal = "The Targa header's pixel depth does not suit its image type";
    else if (!mapRead)
        refusal = "The Targa file's colour map is cut short or of an entry size the reader does not take";
    else if (!mapReached)
        refusal =
            "The Targa file's colour map starts past entry 255, where no 8-bit pixel reaches it";
    else
        refusal = "The Targa file ends before its pixel data does";
}

} // namespace Omvi
